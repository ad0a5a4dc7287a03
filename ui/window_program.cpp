#include "ui/window_program.h"

#include "app/error_messages.h"
#include "app/startup.h"
#include "app/texts.h"
#include "app/window_options.h"
#include "runtime/platform.h"
#include "ui/desktop.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <system_error>
#include <variant>
#include <vector>

namespace zelmora {

namespace {

// What the program prints instead of opening its window: its usage for a
// command line that is exactly "--help" (or "/?" on Windows), its version
// for exactly "--version". Any other command line is for the window.
std::optional<std::string> answerWithoutWindow(const std::vector<std::string>& arguments) {
    if (arguments.size() != 1)
        return std::nullopt;
    if (arguments.front() == "--version")
        return std::string("zelmora ") + kVersion + "\n";
    if (arguments.front() != "--help" && !platform::IsSystemHelpSwitch(arguments.front()))
        return std::nullopt;
    return "Uso: zelmora [-C CARTELLA] [giorni]\n"
           "Mostra in una finestra la frase del giorno presa dal file tesmi.txt della\n"
           "cartella corrente, con la sua posizione (indice / totale).\n"
           "\n" +
           HoldDaysHelp(15) +
           "  -C CARTELLA  lavora in CARTELLA invece che nella cartella corrente: legge\n"
           "               tesmi.txt e opzioni.txt da l\u00EC e vi apre l\u2019editor\n"
           "  --help       mostra questo aiuto ed esce\n"
           "  --version    mostra la versione ed esce\n"
           "\n"
           "Sono accettate anche le opzioni comuni dei programmi Qt, per esempio\n"
           "-style fusion; vengono tolte prima di leggere i giorni.\n"
           "I colori scelti vengono salvati in opzioni.txt, accanto a tesmi.txt.\n"
           "Nel menu della frase (tasto destro) \u00ABMostra all\u2019accesso\u00BB avvia\n"
           "Zelmora a ogni accesso in questa cartella e con questi giorni.\n";
}

// -C CARTELLA: the window works in that folder, as if started there, so
// that every file it opens and every program it starts is there. Gives
// what the user is told when it cannot.
std::optional<std::string> enterFolder(const std::string& named) {
    const std::filesystem::path folder = platform::FolderFromArgument(named);
    if (folder.empty())
        return std::nullopt;
    const std::string shown = QuotedPath(platform::PathText(folder));
    std::error_code ec;
    const auto status = std::filesystem::status(folder, ec);
    if (status.type() == std::filesystem::file_type::not_found)
        return "zelmora: la cartella " + shown + " non esiste\n";
    if (std::filesystem::exists(status) && !std::filesystem::is_directory(status))
        return "zelmora: " + shown + " non \u00E8 una cartella\n";
    std::filesystem::current_path(folder, ec);
    if (ec)
        return "zelmora: impossibile lavorare nella cartella " + shown + ": " +
               CauseText(platform::FileError(kPathFileAccess, folder, ec.value())) + "\n";
    return std::nullopt;
}

} // namespace

std::optional<int> PrepareForWindow(int argc, char** argv) {
    const std::vector<std::string> arguments = platform::Arguments(argc, argv);
    if (const auto answer = answerWithoutWindow(arguments))
        return desktop::Answer(*answer);
    // Qt's own options are still there: they are taken for the days here,
    // which are read once Qt has taken them out.
    const auto parsed = ParseWindowArguments(arguments);
    if (const auto* usage = std::get_if<std::string>(&parsed)) {
        desktop::Complain(*usage);
        return 2;
    }
    if (const auto problem = enterFolder(std::get<WindowOptions>(parsed).directory)) {
        desktop::Complain(*problem);
        return 1;
    }
    return desktop::CheckScreen(argc, argv);
}

WindowProgram::WindowProgram() {
    desktop::ScreenFound();
    QApplication::setApplicationName(QString::fromUtf8(kProgramName));
    QApplication::setApplicationVersion(QString::fromLatin1(kVersion));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kAppId));

    // Everything the program says is Italian, whatever the desktop's
    // language: Qt's own colour dialog on Linux too, through the translation
    // installed with Qt. On Windows the colour dialog is Windows' own and no
    // Qt dialog is left to translate: the program carries none.
    if (qtTexts_.load(QLocale(QLocale::Italian), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts_);
}

WindowProgram::~WindowProgram() = default;

int WindowProgram::run(const std::vector<std::string>& arguments) {
    // -C was dealt with before Qt started; the rest are the days.
    const auto parsed = ParseWindowArguments(arguments);
    const std::string commandLine = std::holds_alternative<WindowOptions>(parsed)
                                        ? std::get<WindowOptions>(parsed).commandLine
                                        : std::string();
    // The working folder's files by their bare names: an empty directory.
    Main(state_, {{}, commandLine, clock_, random_}, [this] {
        window_ =
            std::make_unique<Form1>(state_, std::filesystem::path(),
                                    WindowServices{messages_, starter_, random_, picker_, clock_});
        window_->show();
    });
    // As any failing step of the start-up, a window that could not be made
    // says nothing; there is then nothing to wait for.
    if (!window_)
        return 1;
    return QApplication::exec();
}

} // namespace zelmora

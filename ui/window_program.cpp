#include "ui/window_program.h"

#include "app/startup.h"
#include "app/version.h"
#include "runtime/platform.h"
#include "ui/desktop.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <vector>

namespace zelmora {

namespace {

// What the program prints instead of opening its window: its usage for a
// command line that is exactly "--help", its version for exactly
// "--version". Any other command line is the days per phrase.
std::optional<std::string> answerWithoutWindow(const std::vector<std::string>& arguments) {
    if (arguments.size() != 1)
        return std::nullopt;
    if (arguments.front() == "--version")
        return std::string("zelmora ") + kVersion + "\n";
    if (arguments.front() != "--help")
        return std::nullopt;
    return "Uso: zelmora [giorni]\n"
           "Mostra in una finestra la frase del giorno presa dal file tesmi.txt della\n"
           "cartella corrente, con la sua posizione (indice / totale).\n"
           "\n"
           "  giorni       per quanti giorni di fila resta ogni frase, da 1 a 365\n"
           "               (predefinito 1; altri valori sono ignorati)\n"
           "  --help       mostra questo aiuto ed esce\n"
           "  --version    mostra la versione ed esce\n"
           "\n"
           "Sono accettate anche le opzioni comuni dei programmi Qt, per esempio\n"
           "-style fusion; vengono tolte prima di leggere i giorni.\n"
           "I colori scelti vengono salvati in opzioni.txt, accanto a tesmi.txt.\n";
}

} // namespace

std::optional<int> PrepareForWindow(int argc, char** argv) {
    if (const auto answer = answerWithoutWindow(platform::Arguments(argc, argv)))
        return desktop::Answer(*answer);
    return desktop::CheckScreen(argc, argv);
}

WindowProgram::WindowProgram() {
    desktop::ScreenFound();
    QApplication::setApplicationName(QStringLiteral("Zelmora"));
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

int WindowProgram::run(const std::string& commandLine) {
    // The working folder's files by their bare names: an empty directory.
    Main(state_, {{}, commandLine, clock_, random_}, [this] {
        window_ = std::make_unique<Form1>(state_, std::filesystem::path(),
                                          WindowServices{messages_, starter_, random_, picker_});
        window_->show();
    });
    // As any failing step of the start-up, a window that could not be made
    // says nothing; there is then nothing to wait for.
    if (!window_)
        return 1;
    return QApplication::exec();
}

} // namespace zelmora

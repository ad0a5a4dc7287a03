#include "ui/window_program.h"

#include "app/startup.h"
#include "app/version.h"
#include "runtime/platform.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <cstdlib>
#include <string_view>

namespace zelmora {

namespace {

QtMessageHandler qtHandler = nullptr;

// Windows always has a screen; there a Qt that cannot start says so in a
// message box of its own. On the X11 and Wayland desktops a display may be
// missing or out of reach.
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The Qt platform the user chose, on the command line or in the environment.
std::string chosenPlatform(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string_view(argv[i]) == "-platform" || std::string_view(argv[i]) == "--platform")
            return argv[i + 1];
    return environmentValue("QT_QPA_PLATFORM");
}

// Where the window would have been shown, for the message that it cannot be.
std::string namedDisplay() {
    if (const std::string x11 = environmentValue("DISPLAY"); !x11.empty())
        return "impossibile collegarsi a DISPLAY=" + x11;
    if (const std::string wayland = environmentValue("WAYLAND_DISPLAY"); !wayland.empty())
        return "impossibile collegarsi a WAYLAND_DISPLAY=" + wayland;
    return "la piattaforma grafica non si avvia";
}

// While QApplication starts: Qt tells of a display it cannot reach with
// warnings in English and then aborts. The user reads one Italian line
// instead, and the program ends with status 1.
void whileStarting(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        platform::WriteStandardError("zelmora: nessuno schermo disponibile (" + namedDisplay() +
                                     ")\n");
        std::_Exit(1);
    }
    if (context.category && std::string_view(context.category).starts_with("qt.qpa"))
        return;
    if (qtHandler)
        qtHandler(type, context, message);
}
#endif

} // namespace

std::optional<int> PrepareForWindow(int argc, char** argv) {
    if (const auto answer = AnswerWithoutWindow(platform::Arguments(argc, argv))) {
        platform::WriteStandardOutput(*answer);
        return 0;
    }
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    const std::string platform = chosenPlatform(argc, argv);
    const bool needsDisplay =
        platform.empty() || platform.starts_with("xcb") || platform.starts_with("wayland");
    if (needsDisplay && environmentValue("DISPLAY").empty() &&
        environmentValue("WAYLAND_DISPLAY").empty()) {
        platform::WriteStandardError(
            "zelmora: nessuno schermo disponibile (DISPLAY non impostato)\n");
        return 1;
    }
    qtHandler = qInstallMessageHandler(whileStarting);
#endif
    return std::nullopt;
}

WindowProgram::WindowProgram() {
    // Qt has started: its messages go their usual way again.
    qInstallMessageHandler(qtHandler);
    QApplication::setApplicationName(QStringLiteral("Zelmora"));
    QApplication::setApplicationVersion(QString::fromLatin1(kVersion));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kAppId));

    // Everything the program says is Italian, whatever the desktop's
    // language: Qt's own dialogs (the colour picker) too. A Windows program
    // carries the translation inside; on Linux it comes with Qt.
    const QLocale italian(QLocale::Italian);
    if (qtTexts_.load(italian, QStringLiteral("qtbase"), QStringLiteral("_"),
                      QStringLiteral(":/translations")) ||
        qtTexts_.load(italian, QStringLiteral("qtbase"), QStringLiteral("_"),
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

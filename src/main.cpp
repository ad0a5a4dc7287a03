// zelmora [giorni]: the phrase of the day in a window.

#include "app/startup.h"
#include "app/version.h"
#include "ui/color_picker.h"
#include "ui/form1.h"
#include "ui/message_box.h"
#include "ui/program_starter.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <filesystem>
#include <future>
#include <memory>

int main(int argc, char* argv[]) {
    std::error_code ec;
    const std::filesystem::path directory = std::filesystem::current_path(ec);
    zelmora::SystemClock clock;
    zelmora::DefaultRandom random;

    // Counting a large phrase file and starting Qt (its platform plugin, the
    // fonts) both take a while: the start-up reads the files on a worker
    // thread meanwhile. It touches no Qt and nothing the window needs
    // until it is joined below.
    const std::string commandLine = zelmora::JoinArguments(argc, argv);
    zelmora::Module1 state;
    auto startup =
        std::async(std::launch::async, [&state, &directory, &commandLine, &clock, &random] {
            zelmora::Main(state, {directory, commandLine, clock, random});
        });

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zelmora"));
    QApplication::setApplicationVersion(QString::fromLatin1(zelmora::kVersion));
    QGuiApplication::setDesktopFileName(QStringLiteral(ZELMORA_APP_ID));

    // Everything the program says is Italian, whatever the desktop's
    // language: Qt's own dialogs (the colour picker) too.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Italian), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    // The window is built meanwhile too, over a state of its own, and shows
    // the start-up's state once that is ready.
    zelmora::QtMessageBoxes messages;
    zelmora::DesktopProgramStarter starter(messages);
    zelmora::QtColorPicker picker;
    const zelmora::WindowServices services{messages, starter, random, picker};
    zelmora::Module1 shown;
    std::unique_ptr<zelmora::Form1> mainWindow;
    try {
        mainWindow = std::make_unique<zelmora::Form1>(shown, directory, services);
    } catch (const zelmora::RuntimeError&) {
        // As any failing step of the start-up: nothing is said.
    }

    startup.get();
    // Qt takes its own options (-style, -platform, ...) out of the arguments:
    // the days per phrase are read from what is left, so when Qt took any,
    // the start-up runs again on the rest.
    const std::string leftForUs = zelmora::JoinArguments(argc, argv);
    if (leftForUs != commandLine) {
        state = zelmora::Module1{};
        zelmora::Main(state, {directory, leftForUs, clock, random});
    }
    if (!mainWindow)
        return 1;
    shown = state;
    mainWindow->showState();
    mainWindow->show();
    return QApplication::exec();
}

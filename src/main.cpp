// zelmora [giorni]: the phrase of the day in a window.

#include "form1.h"
#include "startup.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <filesystem>
#include <memory>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zelmora"));
    QApplication::setApplicationVersion(QStringLiteral(ZELMORA_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(ZELMORA_APP_ID));

    // Everything the program says is Italian, whatever the desktop's
    // language: Qt's own dialogs (the colour picker) too.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Italian), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    zelmora::SystemClock clock;
    zelmora::DefaultRandom random;
    zelmora::QtMessageBoxes messages;
    zelmora::DetachedProgramStarter starter;
    zelmora::QtColorPicker picker;
    const zelmora::WindowServices services{messages, starter, random, picker};

    std::error_code ec;
    const std::filesystem::path directory = std::filesystem::current_path(ec);

    zelmora::Module1 state;
    std::unique_ptr<zelmora::Form1> mainWindow;
    zelmora::Main(state, {directory, zelmora::JoinArguments(argc, argv), clock, random}, [&] {
        mainWindow = std::make_unique<zelmora::Form1>(state, directory, services);
        mainWindow->show();
    });
    if (!mainWindow)
        return 1;
    return QApplication::exec();
}

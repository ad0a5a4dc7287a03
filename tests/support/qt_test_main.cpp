// The main of the window tests: a QApplication on the offscreen platform
// (unless the environment chose another), then the test cases.

#include <QApplication>
#include <gtest/gtest.h>

#ifdef _WIN32
#include <QDir>
#include <cstdlib>
#endif

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef _WIN32
    // The offscreen platform finds no fonts of its own on Windows (it would
    // draw boxes): it gets the system's. Wine passes no QT_ variable through
    // (it drops them), so the tests' settings arrive as ZELMORA_TEST_QT_...
    if (qEnvironmentVariableIsEmpty("QT_QPA_FONTDIR")) {
        const char* windows = std::getenv("SystemRoot");
        qputenv("QT_QPA_FONTDIR", QDir::fromNativeSeparators(
                                      QString::fromLocal8Bit(windows ? windows : "C:\\windows"))
                                          .toLocal8Bit() +
                                      "/Fonts");
    }
    if (!qEnvironmentVariableIsEmpty("ZELMORA_TEST_QT_SCALE_FACTOR"))
        qputenv("QT_SCALE_FACTOR", qgetenv("ZELMORA_TEST_QT_SCALE_FACTOR"));
#endif
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}

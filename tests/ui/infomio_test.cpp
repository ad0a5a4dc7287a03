#include "app/texts.h"
#include "qt_doubles.h"
#include "temp_dir.h"
#include "ui/form1.h"
#include "ui/infomio.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <map>

namespace zelmora::test {
namespace {

using namespace Qt::StringLiterals;

class InfomioTest : public ::testing::Test {
protected:
    // Opens the window over the main window and runs `action` on it. Returns
    // whether the window was still open afterwards (it is then closed).
    bool open(std::function<void(QDialog&)> action) {
        bool stillOpen = false;
        WhenModalOpens([&](QWidget* modal) {
            QPointer<QDialog> window = qobject_cast<QDialog*>(modal);
            action(*window);
            if (window && window->isVisible()) {
                stillOpen = true;
                window->close();
            }
        });
        info.showModal(&mainWindow);
        return stillOpen;
    }

    static QPushButton* button(QDialog& window, const QString& name) {
        return Child<QPushButton>(window, name.toLatin1().constData());
    }

    Doubles doubles;
    Infomio info{doubles.starter, doubles.messages};
    QWidget mainWindow;
};

TEST_F(InfomioTest, TitleShowsTheVersionOnFirstOpeningAndTesmiLater) {
    QStringList titles;
    for (int opening = 0; opening < 3; ++opening)
        open([&](QDialog& window) { titles << window.findChild<QLabel*>(u"Label1"_s)->text(); });
    EXPECT_EQ(titles, QStringList({QString::fromUtf8(kTitleWithVersion), u"Tesmi"_s, u"Tesmi"_s}));
}

TEST_F(InfomioTest, WindowIsFixedCentredIconlessWithControlsInPlaceAndTextsWhole) {
    mainWindow.setWindowIcon(QIcon(u":/butterfly.png"_s));
    mainWindow.show();
    open([&](QDialog& window) {
        EXPECT_EQ(window.windowTitle(), u"INFO"_s);
        EXPECT_EQ(window.minimumSize(), QSize(285, 224));
        EXPECT_EQ(window.maximumSize(), QSize(285, 224));
        EXPECT_FALSE(window.windowFlags() & Qt::WindowMinMaxButtonsHint);
        EXPECT_TRUE(window.windowIcon().isNull());
        // Centred with the frame the window system draws, or, where it draws
        // none (no window manager), the window itself.
        const QRect area = mainWindow.screen()->availableGeometry();
        QRect centred(QPoint(), window.frameGeometry().size());
        centred.moveCenter(area.center());
        EXPECT_EQ(window.frameGeometry().topLeft(), centred.topLeft());
        if (qEnvironmentVariable("QT_QPA_PLATFORM").contains(u"screen-without-frames"_s)) {
            EXPECT_EQ(area, QRect(0, 0, 1280, 800));
            EXPECT_EQ(window.frameGeometry(), window.geometry());
            EXPECT_EQ(window.pos(), QPoint(497, 288));
        }

        const std::map<QString, QRect> places = {
            {u"Picture1"_s, {8, 16, 49, 49}},    {u"Label1"_s, {80, 8, 201, 25}},
            {u"Label2"_s, {80, 32, 201, 25}},    {u"Label4"_s, {80, 56, 201, 25}},
            {u"OK"_s, {176, 176, 81, 25}},       {u"Picture2"_s, {8, 88, 129, 121}},
            {u"altreinfo"_s, {176, 136, 81, 25}}};
        for (const auto& [name, place] : places)
            EXPECT_EQ(window.findChild<QWidget*>(name)->geometry(), place) << name.toStdString();
        EXPECT_EQ(window.findChild<QLabel*>(u"Picture1"_s)->pixmap().size(), QSize(32, 32));
        EXPECT_EQ(window.findChild<QLabel*>(u"Picture2"_s)->pixmap().size(), QSize(125, 118));

        const std::map<QString, QColor> colours = {{u"Label1"_s, QColor(192, 0, 0)},
                                                   {u"Label2"_s, QColor(128, 0, 0)},
                                                   {u"Label4"_s, QColor(0, 0, 128)}};
        for (const auto& [name, colour] : colours) {
            const auto* label = window.findChild<QLabel*>(name);
            EXPECT_EQ(label->palette().color(QPalette::WindowText), colour) << name.toStdString();
            const QRect needed = label->fontMetrics().boundingRect(label->contentsRect(),
                                                                   Qt::TextWordWrap, label->text());
            EXPECT_LE(needed.height(), label->height()) << "cut off: " << name.toStdString();
        }
    });
}

TEST_F(InfomioTest, TabGoesThroughTheControlsInOrderAndOkHasTheFocus) {
    open([&](QDialog& window) {
        QStringList chain;
        for (QWidget* w = window.nextInFocusChain(); w != &window; w = w->nextInFocusChain())
            chain << w->objectName();
        EXPECT_EQ(chain, QStringList({u"Picture1"_s, u"Label1"_s, u"Label2"_s, u"Label4"_s, u"OK"_s,
                                      u"Picture2"_s, u"altreinfo"_s}));
        EXPECT_EQ(window.focusWidget(), button(window, u"OK"_s));
        QTest::keyClick(button(window, u"OK"_s), Qt::Key_Tab);
        EXPECT_EQ(window.focusWidget(), button(window, u"altreinfo"_s));
    });
}

TEST_F(InfomioTest, OkCloseBoxAndEnterCloseItButEscapeDoesNot) {
    EXPECT_FALSE(open([&](QDialog& window) { button(window, u"OK"_s)->click(); }));
    EXPECT_FALSE(open([&](QDialog& window) { window.close(); }));
    EXPECT_FALSE(open([&](QDialog& w) { QTest::keyClick(w.focusWidget(), Qt::Key_Return); }));
    EXPECT_TRUE(open([&](QDialog& w) { QTest::keyClick(w.focusWidget(), Qt::Key_Escape); }));
    EXPECT_TRUE(doubles.starter.starts.empty());
}

TEST_F(InfomioTest, AltreInfoByClickOrEnterClosesWindowBeforeStartingEditorOnReadme) {
    std::vector<bool> windowGone;
    doubles.starter.onStart = [&] {
        const auto windows = QApplication::topLevelWidgets();
        windowGone.push_back(!QApplication::activeModalWidget() &&
                             std::none_of(windows.begin(), windows.end(), [](QWidget* w) {
                                 return w->objectName() == u"infomio"_s;
                             }));
    };
    EXPECT_FALSE(open([&](QDialog& window) { button(window, u"altreinfo"_s)->click(); }));
    EXPECT_FALSE(open([&](QDialog& window) {
        button(window, u"altreinfo"_s)->setFocus();
        QTest::keyClick(button(window, u"altreinfo"_s), Qt::Key_Return);
    }));
    ASSERT_EQ(doubles.starter.starts.size(), 2u);
    for (const auto& start : doubles.starter.starts)
        EXPECT_EQ(start.commandLine, u"notepad tesmiLeggimi.txt"_s);
    EXPECT_EQ(windowGone, std::vector<bool>({true, true}));
}

TEST_F(InfomioTest, EditorThatCannotStartIsReportedAfterClosingAndRunGoesOn) {
    doubles.starter.fail = true;
    bool modalWhileReported = true;
    doubles.messages.whileShown = [&] { modalWhileReported = QApplication::activeModalWidget(); };
    open([&](QDialog& window) { button(window, u"altreinfo"_s)->click(); });

    ASSERT_EQ(doubles.messages.messages.size(), 1u);
    EXPECT_EQ(doubles.messages.messages[0].title, QString::fromUtf8(kProgramName));
    EXPECT_TRUE(doubles.messages.messages[0].text.contains(u"notepad"_s));
    EXPECT_FALSE(modalWhileReported);
    EXPECT_FALSE(open([&](QDialog& window) { button(window, u"OK"_s)->click(); }));
}

// The window names the guide by its bare name; the installed guide is the
// stand-in the starter opens for a folder without one.
TEST_F(InfomioTest, AltreInfoNamesTheInstalledGuideOnlyAsTheFallback) {
    const std::filesystem::path installed = "/usr/share/zelmora/tesmiLeggimi.txt";
    Infomio withGuide{doubles.starter, doubles.messages, installed};
    WhenModalOpens([](QWidget* modal) { modal->findChild<QPushButton*>(u"altreinfo"_s)->click(); });
    withGuide.showModal(&mainWindow);
    ASSERT_EQ(doubles.starter.starts.size(), 1u);
    EXPECT_EQ(doubles.starter.starts[0].commandLine, u"notepad tesmiLeggimi.txt"_s);
    EXPECT_EQ(doubles.starter.starts[0].missing, ProgramStarter::Missing::Report);
    EXPECT_EQ(doubles.starter.starts[0].fallback, installed);
}

TEST(InfomioFromMainWindow, ClickOnImage1OpensInfoModalOverMainWindow) {
    Doubles doubles;
    Module1 state;
    Form1 form(state, "cartella-di-prova", doubles.services());
    form.show();
    QString opened;
    WhenModalOpens([&](QWidget* modal) {
        opened = modal->objectName();
        EXPECT_EQ(modal->parentWidget(), &form);
        modal->findChild<QPushButton*>(u"OK"_s)->click();
    });
    QTest::mouseClick(form.findChild<QWidget*>(u"Image1"_s), Qt::LeftButton);
    EXPECT_EQ(opened, u"infomio"_s);
}

} // namespace
} // namespace zelmora::test

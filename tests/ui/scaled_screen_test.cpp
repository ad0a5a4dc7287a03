// The main window and the colours dialog on a screen too small for their
// fixed place: moved in just enough to lie wholly on it, pictures sharp.

#include "qt_doubles.h"
#include "ui/dialog.h"
#include "ui/form1.h"

#include <QLabel>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

namespace zelmora::test {
namespace {

void ExpectWhollyOnScreen(QWidget& window) {
    const QRect area = window.screen()->availableGeometry();
    EXPECT_TRUE(area.contains(window.frameGeometry()))
        << "frame " << window.frameGeometry().x() << "," << window.frameGeometry().y();
    EXPECT_TRUE(area.contains(window.geometry()));
}

TEST(ScaledScreen, MainWindowAndColoursDialogStayWhollyOnTheScreen) {
    ASSERT_DOUBLE_EQ(qApp->devicePixelRatio(), 1.5);
    Doubles doubles;
    Module1 state;
    Form1 form(state, "cartella-di-prova", doubles.services());
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QTest::qWait(10);
    ExpectWhollyOnScreen(form);
    // Moved in, not thrown anywhere: as near its place as the screen allows.
    const QRect area = form.screen()->availableGeometry();
    EXPECT_GE(form.frameGeometry().right(), area.right() - 1);

    Dialog dialog("cartella-di-prova", doubles.messages, doubles.picker, &form);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTest::qWait(10);
    ExpectWhollyOnScreen(dialog);

    // The pictures are drawn for the screen, from their double-size drawing.
    const QPixmap info = form.findChild<QLabel*>(QStringLiteral("Image1"))->pixmap();
    EXPECT_EQ(info.devicePixelRatio(), 1.5);
    EXPECT_EQ(info.width(), 24);
}

} // namespace
} // namespace zelmora::test

// The mapping between the settings' colour numbers and the desktop's colours.

#include "ui/colors.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

namespace zelmora {
namespace {

TEST(ColorsTest, PlainColoursAreBlueGreenRedFromTheHighByteDown) {
    EXPECT_EQ(ColorFromSetting(255), QColor(255, 0, 0));
    EXPECT_EQ(ColorFromSetting(16576), QColor(192, 64, 0));
    EXPECT_EQ(ColorFromSetting(0x00C00000), QColor(0, 0, 192));
    EXPECT_EQ(ColorFromSetting(0x00FFFFFF), QColor(255, 255, 255));
}

TEST(ColorsTest, SystemColoursFollowTheDesktopPalette) {
    QPalette palette;
    palette.setColor(QPalette::Button, QColor(1, 2, 3));
    palette.setColor(QPalette::Highlight, QColor(4, 5, 6));
    palette.setColor(QPalette::ToolTipBase, QColor(7, 8, 9));
    EXPECT_EQ(ColorFromSetting(std::int32_t(0x8000000F), palette), QColor(1, 2, 3));
    EXPECT_EQ(ColorFromSetting(std::int32_t(0x8000000D), palette), QColor(4, 5, 6));
    EXPECT_EQ(ColorFromSetting(std::int32_t(0x80000018), palette), QColor(7, 8, 9));
    // An index past the known ones still gives a colour, the button face.
    EXPECT_EQ(ColorFromSetting(std::int32_t(0x800000FF), palette), QColor(1, 2, 3));
}

TEST(ColorsTest, PickedColoursRoundTripThroughTheirNumber) {
    for (const QColor& color :
         {QColor(0, 0, 0), QColor(255, 0, 0), QColor(12, 200, 77), QColor(255, 255, 255)}) {
        const std::int32_t number = SettingFromColor(color);
        EXPECT_GE(number, 0);
        EXPECT_LE(number, 0xFFFFFF);
        EXPECT_EQ(ColorFromSetting(number), color);
    }
    EXPECT_EQ(SettingFromColor(QColor(192, 64, 0)), 16576);
}

} // namespace
} // namespace zelmora

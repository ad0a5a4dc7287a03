#include "ui/colors.h"

#include <QGuiApplication>
#include <array>

namespace zelmora {

namespace {

// The system colour indices in order, each with the palette colour that
// plays the same part on this desktop.
constexpr std::array<QPalette::ColorRole, 25> kSystemColorRoles = {
    QPalette::Mid,             // 0 scroll bar
    QPalette::Dark,            // 1 desktop
    QPalette::Highlight,       // 2 active title bar
    QPalette::Mid,             // 3 inactive title bar
    QPalette::Base,            // 4 menu
    QPalette::Base,            // 5 window
    QPalette::Shadow,          // 6 window frame
    QPalette::Text,            // 7 menu text
    QPalette::Text,            // 8 window text
    QPalette::HighlightedText, // 9 title bar text
    QPalette::Button,          // 10 active border
    QPalette::Button,          // 11 inactive border
    QPalette::Dark,            // 12 application workspace
    QPalette::Highlight,       // 13 highlight
    QPalette::HighlightedText, // 14 highlighted text
    QPalette::Button,          // 15 button face
    QPalette::Dark,            // 16 button shadow
    QPalette::PlaceholderText, // 17 grey text
    QPalette::ButtonText,      // 18 button text
    QPalette::Light,           // 19 inactive title bar text
    QPalette::Light,           // 20 button highlight
    QPalette::Shadow,          // 21 3D dark shadow
    QPalette::Midlight,        // 22 3D light
    QPalette::ToolTipText,     // 23 tooltip text
    QPalette::ToolTipBase,     // 24 tooltip background
};

} // namespace

QColor ColorFromSetting(std::int32_t value, const QPalette& palette) {
    const auto bits = static_cast<std::uint32_t>(value);
    if (bits & 0x80000000u) {
        const std::uint32_t index = bits & 0x00FFFFFFu;
        const QPalette::ColorRole role =
            index < kSystemColorRoles.size() ? kSystemColorRoles[index] : QPalette::Button;
        return palette.color(QPalette::Active, role);
    }
    return QColor(static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
                  static_cast<int>((bits >> 16) & 0xFF));
}

QColor ColorFromSetting(std::int32_t value) {
    return ColorFromSetting(value, QGuiApplication::palette());
}

std::int32_t SettingFromColor(const QColor& color) {
    const QColor rgb = color.toRgb();
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(rgb.red()) |
                                     static_cast<std::uint32_t>(rgb.green()) << 8 |
                                     static_cast<std::uint32_t>(rgb.blue()) << 16);
}

} // namespace zelmora

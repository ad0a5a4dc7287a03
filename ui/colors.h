#pragma once

#include <QColor>
#include <QPalette>
#include <cstdint>

namespace zelmora {

// The one place where the settings' colour numbers meet Qt colours.
//
// A plain colour &H00BBGGRR gives its red, green and blue. A system colour,
// &H80000000 plus an index, gives the matching colour of the desktop's
// palette: &H8000000F, the button face, is the palette's button colour.
QColor ColorFromSetting(std::int32_t value, const QPalette& palette);
QColor ColorFromSetting(std::int32_t value); // with the application palette

// The plain colour number of a Qt colour (its alpha is dropped).
std::int32_t SettingFromColor(const QColor& color);

} // namespace zelmora

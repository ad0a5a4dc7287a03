#include "ui/color_picker.h"

#include "ui/desktop.h"

namespace zelmora {

std::optional<QColor> SystemColorPicker::pick(QWidget* parent, const QColor& initial) {
    return desktop::PickColor(parent, initial);
}

} // namespace zelmora

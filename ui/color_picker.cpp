#include "ui/color_picker.h"

#include <QColorDialog>

namespace zelmora {

std::optional<QColor> QtColorPicker::pick(QWidget* parent, const QColor& initial) {
    const QColor color = QColorDialog::getColor(initial, parent);
    if (!color.isValid())
        return std::nullopt;
    return color;
}

} // namespace zelmora

#pragma once

#include <QColor>
#include <optional>

class QWidget;

namespace zelmora {

// The colour picker of the colours dialog: modal over `parent`, opening with
// `initial` preselected. Gives the accepted colour, or nothing when the user
// cancels. Tests put a double in its place.
class ColorPicker {
public:
    virtual ~ColorPicker() = default;
    virtual std::optional<QColor> pick(QWidget* parent, const QColor& initial) = 0;
};

// The system's own picker is desktop::SystemColorPicker (ui/desktop.h).

} // namespace zelmora

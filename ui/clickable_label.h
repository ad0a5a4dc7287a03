#pragma once

#include <QLabel>

namespace zelmora {

// A picture that answers a mouse click (and nothing from the keyboard).
class ClickableLabel : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace zelmora

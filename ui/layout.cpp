#include "ui/layout.h"

#include <QPushButton>
#include <QWidget>

// The pictures are compiled into this static library, whose resources are
// registered only on request; this must stand outside any namespace.
static void registerPictures() {
    Q_INIT_RESOURCE(resources);
}

namespace zelmora {

void RegisterPictures() {
    static const bool registered = (registerPictures(), true);
    (void)registered;
}

QFont SansFont(double pointSize, bool bold) {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, QRect geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    return button;
}

void MakeFixedWindow(QWidget& window, int clientWidthTwips, int clientHeightTwips) {
    RegisterPictures();
    window.setWindowFlags(window.windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    window.setWindowFlag(Qt::WindowMinimizeButtonHint, false);
    window.setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    window.setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    window.setFixedSize(Twips(clientWidthTwips), Twips(clientHeightTwips));
    window.setFont(WindowFont());
}

} // namespace zelmora

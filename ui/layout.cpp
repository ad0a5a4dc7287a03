#include "ui/layout.h"

#include "ui/desktop.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWidget>
#include <algorithm>

// The pictures are compiled into this static library, whose resources are
// registered only on request; this must stand outside any namespace.
static void initResources() {
    Q_INIT_RESOURCE(resources);
}

namespace zelmora {

namespace {

// Makes the pictures of ui/resources available as ":/name.png".
void registerPictures() {
    static const bool registered = (initResources(), true);
    (void)registered;
}

// The default font of every window (8.25 pt regular).
QFont windowFont() {
    return SansFont(8.25);
}

// The double-size drawing of `file` ("crayons@2x.png") brought to `pixels`.
// Qt 6.4's QIcon gives a screen scaled by a fraction (1.5) the small drawing
// at its own size instead: the large one is brought down here.
QPixmap fromDoubleSize(const QString& file, QSize pixels) {
    const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
    return QPixmap(QLatin1Char(':') + file.left(dot) + QLatin1String("@2x") + file.mid(dot))
        .scaled(pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

} // namespace

QIcon Picture(const QString& file) {
    registerPictures();
    // QIcon finds the double-size drawing by itself where a screen is
    // scaled. Files are read only when a size is asked for, so starting
    // costs nothing.
    QIcon icon(QLatin1Char(':') + file);
    const qreal ratio = qApp->devicePixelRatio();
    if (ratio > 1.0 && ratio < 2.0)
        icon.addPixmap(fromDoubleSize(file, QImageReader(QLatin1Char(':') + file).size() * ratio));
    return icon;
}

QPixmap PicturePixmap(const QString& file, QSize size, const QWidget& window) {
    registerPictures();
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    const qreal ratio = screen ? screen->devicePixelRatio() : 1.0;
    if (ratio <= 1.0)
        return QPixmap(QLatin1Char(':') + file);
    // A 16 pixel picture is 24 sharp pixels at 1.5, 32 at 2.
    QPixmap pixmap = fromDoubleSize(file, size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

QFont SansFont(double pointSize, bool bold) {
    QFont font;
    // The screens' largest scale: a window may be moved to any of them.
    font.setFamilies(desktop::SansSerifFaces(qApp->devicePixelRatio()));
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

QMargins DrawnFrame(const QWidget& window) {
    if (!window.isVisible())
        return {};
    const QRect outer = window.frameGeometry();
    const QRect inner = window.geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

QLabel* MakeLabel(QWidget* parent, const char* name, QRect geometry, Qt::Alignment alignment) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setAlignment(alignment | Qt::AlignTop);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QMargins WindowFrame(const QWidget& window) {
    if (const QMargins drawn = DrawnFrame(window); !drawn.isNull())
        return drawn;
    const int border = 4;
    const int title = window.style()->pixelMetric(QStyle::PM_TitleBarHeight) + border;
    return {border, title, border, border};
}

namespace {

void placeWithin(QWidget& window, QPoint place) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QMargins frame = WindowFrame(window);
    QRect outer(place - QPoint(frame.left(), frame.top()), window.size().grownBy(frame));
    // Right and bottom edges first, so that a window larger than the screen
    // keeps its top-left corner (and its title bar) in sight.
    outer.moveRight(std::min(outer.right(), area.right()));
    outer.moveBottom(std::min(outer.bottom(), area.bottom()));
    outer.moveLeft(std::max(outer.left(), area.left()));
    outer.moveTop(std::max(outer.top(), area.top()));
    window.setGeometry(QRect(outer.topLeft() + QPoint(frame.left(), frame.top()), window.size()));
}

// Looks again once the window is on screen with its real frame.
class PlaceWhenShown final : public QObject {
public:
    PlaceWhenShown(QWidget& window, QPoint place)
        : QObject(&window)
        , place_(place) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            QPointer<QWidget> window = qobject_cast<QWidget*>(watched);
            const QPoint place = place_;
            QTimer::singleShot(0, window, [window, place] {
                if (window)
                    placeWithin(*window, place);
            });
            watched->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    QPoint place_;
};

} // namespace

void PlaceOnScreen(QWidget& window, QPoint place) {
    placeWithin(window, place);
    window.installEventFilter(new PlaceWhenShown(window, place));
}

void MakeFixedWindow(QWidget& window, int clientWidthTwips, int clientHeightTwips) {
    registerPictures();
    window.setWindowFlags(window.windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    window.setWindowFlag(Qt::WindowMinimizeButtonHint, false);
    window.setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    window.setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    window.setFixedSize(Twips(clientWidthTwips), Twips(clientHeightTwips));
    window.setFont(windowFont());
}

} // namespace zelmora

#pragma once

// Helpers shared by the windows, whose layouts are given in twips
// (1440 to the inch, 15 to a pixel at 96 dots per inch).

#include <QFont>
#include <QIcon>
#include <QMargins>
#include <QPixmap>
#include <QPoint>
#include <QRect>

class QLabel;
class QPushButton;
class QString;
class QWidget;

namespace zelmora {

constexpr int Twips(int twips) {
    return twips / 15;
}

constexpr QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(Twips(left), Twips(top), Twips(width), Twips(height));
}

// Where the main window's client area first stands, and the colours
// dialog's always: 2760, 3750 twips from the screen's top-left corner.
inline constexpr QPoint kMainWindowPlace{Twips(2760), Twips(3750)};

// The windows' face: "MS Sans Serif" where there is one, else the nearest
// sans-serif face, at the given point size.
QFont SansFont(double pointSize, bool bold = false);

// A push button of `parent` with its name, caption and place.
QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, QRect geometry);

// A label of `parent` with its name and place: plain text wrapped between
// words, from the top, placed across as `alignment` says.
QLabel* MakeLabel(QWidget* parent, const char* name, QRect geometry, Qt::Alignment alignment);

// A picture of ui/resources ("crayons.png") with its double-size drawing
// ("crayons@2x.png"), so that it stays sharp on a screen scaled by 1.5 or 2.
QIcon Picture(const QString& file);

// The same as a pixmap of `size` (device independent pixels) for `window`'s
// screen.
QPixmap PicturePixmap(const QString& file, QSize size, const QWidget& window);

// The frame the window system has drawn round a shown top-level window;
// none where it draws none (no window manager) or before the window is shown.
QMargins DrawnFrame(const QWidget& window);

// The frame round a top-level window, for placing it before it has one: as
// the window system has drawn it, or as it will likely be (the style's title
// bar and a thin border).
QMargins WindowFrame(const QWidget& window);

// Puts a top-level window with its client area's top-left corner at `place`
// when the whole window, frame included, fits inside the screen's available
// area there; otherwise moves it in just enough to lie wholly inside (or, when
// larger than the screen, to its top-left corner). A window scaled up on a
// small screen so keeps its "OK" and its pictures in sight. Call it once the
// window has its size; it looks again when the window is first shown, when
// the real frame is known.
void PlaceOnScreen(QWidget& window, QPoint place);

// Makes a top-level window of a fixed client size with a title bar that has
// the close box but neither a minimise nor a maximise box.
void MakeFixedWindow(QWidget& window, int clientWidthTwips, int clientHeightTwips);

} // namespace zelmora

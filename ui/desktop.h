#pragma once

// What differs between the desktops the window program runs on, one file per
// system beside this header (desktop_unix.cpp for X11 and Wayland,
// desktop_windows.cpp), chosen in CMake: whether there is a screen before Qt
// starts, where --help is read, the program that opens a file, the advice
// when none can, and the colour picker.

#include "app/error_messages.h"

#include <QColor>
#include <QObject>
#include <QStringList>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace zelmora::desktop {

// Runs before QApplication is made. Where the window cannot be shown, the
// user is told why in Italian on standard error and the program should end
// with the status given (1): at once when no display is named, and when Qt
// then finds it cannot start, saying whether the display could not be
// reached or the graphics platform asked for is not there. Nothing: go on.
std::optional<int> CheckScreen(int argc, char** argv);

// Once QApplication stands: Qt's own messages go their usual way again.
void ScreenFound();

// Gives `text` (the answer to --help or --version) where the user reads it
// and returns the exit status: 0, or 3 when it could not be written, which
// is told on standard error ("zelmora: errore di scrittura: ...").
int Answer(const std::string& text);

// What would help when a file could not be opened in a text editor, in
// Italian: which editor to install or to choose.
std::string EditorAdvice(EditorProblem problem);

// Opens files with the program the desktop has set up for them (xdg-open
// on Linux, the file's association on Windows). The opener never writes
// into a pipe: what it or the editor it runs prints goes nowhere, so it
// outlives this program whatever it prints.
class Opener {
public:
    using Failed = std::function<void(EditorProblem)>;

    // A failure that shows only after `inUseAfter` is the editor's own end,
    // not a failure to open the file: it is not told.
    explicit Opener(std::chrono::milliseconds inUseAfter);
    // Openers still at work are left to run, and nothing more is said of
    // them.
    ~Opener();
    Opener(const Opener&) = delete;
    Opener& operator=(const Opener&) = delete;

    // Whether this system has anything to open a file with.
    bool available() const;

    // Opens `file` and returns at once; `failed` is called, from the event
    // loop once the caller's handler has returned, when the file could not
    // be opened.
    void open(const std::filesystem::path& file, Failed failed);

private:
    std::chrono::milliseconds inUseAfter_;
    // The runs being watched, and what the reports wait on.
    QObject watched_;
};

// The faces the windows' text is drawn in on a screen scaled by `scale`,
// best first: "MS Sans Serif" where this system draws it at that scale, else
// the nearest sans-serif faces it draws well at the windows' small sizes.
QStringList SansSerifFaces(qreal scale);

// Shows `window`, a dialog with no icon of its own, without any icon in its
// title bar (Windows would draw the program's there). Call it once the
// window is shown.
void DropTitleBarIcon(QWidget& window);

// The system's colour picker, modal over `parent`, opening on `initial`;
// the accepted colour, or nothing when the user cancels.
std::optional<QColor> PickColor(QWidget* parent, const QColor& initial);

} // namespace zelmora::desktop

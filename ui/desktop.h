#pragma once

// What differs between the desktops the window program runs on, one file per
// system beside this header (desktop_unix.cpp for X11 and Wayland,
// desktop_windows.cpp), chosen in CMake: whether there is a screen before Qt
// starts, where --help is read, the program that opens a file, the advice
// when none can, and the colour picker.

#include "app/error_messages.h"
#include "ui/color_picker.h"

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

// Tells the user why the window program cannot start (`text`, one Italian
// line): on standard error, or on Windows, where the program has no console
// of its own, in a message box when standard error goes nowhere.
void Complain(const std::string& text);

// The entry that starts the window at every sign-in: on Linux the XDG
// autostart entry ($XDG_CONFIG_HOME, by default ~/.config, then
// autostart/example.zelmora.Zelmora.desktop), on Windows the shortcut
// Zelmora.lnk in the user's Startup folder, the one the installer makes.
// Whether such an entry is there now, whoever made it.
bool StartsAtSignIn();

// Makes the entry start this program in `folder` (a full path) with
// `holdDays`, or takes it away. Raises error 75 naming the entry and the
// reason when that cannot be done; then nothing has changed.
void SetStartAtSignIn(bool on, const std::filesystem::path& folder, int holdDays);

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

    // Opens `folder` in the file manager (xdg-open on Linux, Explorer on
    // Windows) and returns at once; `failed` is called as for open().
    void openFolder(const std::filesystem::path& folder, Failed failed);

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

// The system's colour picker: Windows' colour dialog there, Qt's elsewhere.
class SystemColorPicker final : public ColorPicker {
public:
    std::optional<QColor> pick(QWidget* parent, const QColor& initial) override;
};

} // namespace zelmora::desktop

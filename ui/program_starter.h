#pragma once

// Opening a file in the text editor from a window, behind an interface so
// that tests record the calls instead.

#include "ui/desktop.h"

#include <chrono>
#include <filesystem>
#include <string>

class QWidget;

namespace zelmora {

class MessageBoxService;

// What "Apri file" and "Altre INFO" ask for: a file of the working folder
// opened in the text editor.
struct EditorCall {
    // What becomes of a file that does not exist yet when no "notepad" is
    // there to offer to create it.
    enum class Missing {
        Report,      // nothing opens; the user is told (error 53)
        CreateEmpty, // made empty first (an existing file is never emptied)
    };

    // A bare name, looked up in the working folder, which the editor
    // inherits: it finds the file there whatever the folder is called now.
    std::string file;
    Missing missing = Missing::Report;
    // Opened in its place, by whatever editor, when nothing stands at the
    // name (the guide installed with the program; see EditorFile).
    std::filesystem::path fallback;
};

// The command line the program names the editor with, "notepad FILE": kept
// in the program state and shown, never split again to be run.
std::string EditorCommandLine(const std::string& file);

class ProgramStarter {
public:
    using Missing = EditorCall::Missing;

    virtual ~ProgramStarter() = default;

    // Opens the call's file in the text editor and returns at once, without
    // waiting for it. A failure found at once is raised: error 53 for a
    // missing file (or a symbolic link to nothing, and then nothing is made),
    // error 75 for a folder or anything else that is not an ordinary file.
    // One found later is told in a message box over `parent`.
    virtual void start(const EditorCall& call, QWidget* parent) = 0;

    // Opens `folder` (a full path) in the file manager and returns at once,
    // started as the editor is: its arguments as a list, no shell, its
    // output on the null device. A failure is told in a message box over
    // `parent`.
    virtual void openFolder(const std::filesystem::path& folder, QWidget* parent) = 0;
};

// After this long an editor is taken to be in the user's hands: how it ends
// then (a non-zero status, the session closing it) is not this program's
// business, and nobody is told that no editor could open the file.
inline constexpr std::chrono::milliseconds kEditorInUseAfter{10000};

// A "notepad" on the PATH is started detached, with the file as its one
// argument (no shell involved). Where there is none, or it cannot start
// (every Linux desktop), the desktop's opener opens the file with the
// program set up for text files, watched without blocking the window: when
// it could not open the file, the user is told which file and what would
// help. A missing file is made only when something is there to open it.
class DesktopProgramStarter final : public ProgramStarter {
public:
    explicit DesktopProgramStarter(MessageBoxService& messages,
                                   std::chrono::milliseconds inUseAfter = kEditorInUseAfter);

    void start(const EditorCall& call, QWidget* parent) override;
    void openFolder(const std::filesystem::path& folder, QWidget* parent) override;

private:
    void report(EditorProblem problem, const std::filesystem::path& file, QWidget* parent);

    MessageBoxService& messages_;
    desktop::Opener opener_;
};

} // namespace zelmora

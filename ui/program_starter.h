#pragma once

// Opening a file in the text editor from a window, behind an interface so
// that tests record the starts instead.

#include <QObject>
#include <QString>
#include <filesystem>

namespace zelmora {

class MessageBoxService;

class ProgramStarter {
public:
    // What becomes of a file that does not exist yet when no "notepad" is
    // there to offer to create it.
    enum class Missing {
        Report,      // nothing opens; the user is told (error 53)
        CreateEmpty, // made empty first (an existing file is never emptied)
    };

    virtual ~ProgramStarter() = default;

    // Starts a command line of the form "notepad FILE", FILE a bare name in
    // the working folder, which the editor inherits, and returns at once
    // without waiting for it. Where no notepad can be started, the desktop's
    // editor opens FILE; when FILE does not exist, `fallback` (when not empty
    // and a file) is opened in its place, else `missing` decides. A symbolic
    // link to nothing raises error 53, and nothing is made.
    virtual void start(const QString& commandLine, Missing missing,
                       const std::filesystem::path& fallback = {}) = 0;
};

// A "notepad" on the PATH is started detached, with the file as its one
// argument (no shell involved). Where there is none, or it cannot start
// (every Linux desktop), the file is opened with the desktop's default
// application for text files (xdg-open), watched without blocking the window:
// when no editor could open the file, the user is told which file and what
// would help. When the program ends, openers still at work are left to run
// and nothing more is said about them.
class DesktopProgramStarter final : public ProgramStarter {
public:
    explicit DesktopProgramStarter(MessageBoxService& messages);
    ~DesktopProgramStarter() override;

    DesktopProgramStarter(const DesktopProgramStarter&) = delete;
    DesktopProgramStarter& operator=(const DesktopProgramStarter&) = delete;

    void start(const QString& commandLine, Missing missing,
               const std::filesystem::path& fallback = {}) override;

private:
    void openWithDesktop(const std::filesystem::path& file);
    void reportNoEditor(const std::filesystem::path& file);

    MessageBoxService& messages_;
    // The xdg-open runs still being watched.
    QObject openers_;
};

} // namespace zelmora

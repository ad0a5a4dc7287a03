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
        Report,      // nothing opens; the user is told
        CreateEmpty, // made empty first (an existing file is never emptied)
    };

    virtual ~ProgramStarter() = default;

    // Starts a command line of the form "notepad FILE" in `directory` and
    // returns at once, without waiting for the editor. Raises error 53 when
    // nothing could be started.
    virtual void start(const QString& commandLine, const std::filesystem::path& directory,
                       Missing missing) = 0;
};

// A "notepad" on the PATH is started detached, with the file as its one
// argument (no shell involved). Where there is none (every Linux desktop),
// the file is opened with the desktop's default application for text files
// through xdg-open, watched without blocking the window: when no editor could
// open the file, the user is told which file and what would help.
class DesktopProgramStarter final : public ProgramStarter {
public:
    explicit DesktopProgramStarter(MessageBoxService& messages);
    ~DesktopProgramStarter() override;

    void start(const QString& commandLine, const std::filesystem::path& directory,
               Missing missing) override;

private:
    void openWithDesktop(const std::filesystem::path& file);
    void reportNoEditor(const std::filesystem::path& file);

    MessageBoxService& messages_;
    // The xdg-open runs still being watched.
    QObject openers_;
};

} // namespace zelmora

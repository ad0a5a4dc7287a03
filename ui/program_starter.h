#pragma once

// Starting another program (the text editor) from a window, behind an
// interface so that tests record the starts instead.

#include <QString>
#include <filesystem>

namespace zelmora {

class ProgramStarter {
public:
    virtual ~ProgramStarter() = default;
    // Starts a command line of the form "program argument" in `directory`
    // and returns at once, without waiting for the program. Raises error 53
    // when nothing could be started.
    virtual void start(const QString& commandLine, const std::filesystem::path& directory) = 0;
};

// Starts the program detached, with an argument list (no shell involved).
// There is no "notepad" on most systems: when no program of that name is on
// the PATH, the file is opened with the desktop's default application for it.
class DetachedProgramStarter final : public ProgramStarter {
public:
    void start(const QString& commandLine, const std::filesystem::path& directory) override;
};

} // namespace zelmora

#pragma once

// The desktop services the windows use: message boxes and starting another
// program. Each is an interface so tests put their own doubles in.

#include "runtime/errors.h"

#include <QString>
#include <filesystem>
#include <functional>
#include <optional>

class QWidget;

namespace zelmora {

class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    // A message with the information icon and one OK button; waits.
    virtual void information(QWidget* parent, const QString& title, const QString& text) = 0;
    // A message with the warning icon and one OK button; waits.
    virtual void warning(QWidget* parent, const QString& title, const QString& text) = 0;
};

class QtMessageBoxes final : public MessageBoxService {
public:
    void information(QWidget* parent, const QString& title, const QString& text) override;
    void warning(QWidget* parent, const QString& title, const QString& text) override;
};

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

// A path as Qt can open it, or nothing when Qt cannot spell it. Qt turns
// file names into bytes as UTF-8, so the path of a folder whose name is not
// UTF-8 (say "caff\xE8", made on a Latin-1 system) would come out as another
// path. On Linux such a path inside the working directory, where the
// program's files are, is spelled through the kernel's name for that
// directory, "/proc/self/cwd".
std::optional<QString> QtFileName(const std::filesystem::path& path);

// Text in UTF-8 as Qt text; any bytes are accepted.
QString ToQString(const std::string& utf8);

// Tells the user about a failure in a window command: a message box titled
// "Zelmora" naming the problem and the file.
void ReportError(MessageBoxService& messages, QWidget* parent, const RuntimeError& error);

// Runs one window command. A failure abandons the command's remaining steps
// and is reported over `parent`; no exception ever leaves it, so none can
// reach Qt's event loop.
void RunCommand(MessageBoxService& messages, QWidget* parent, const std::function<void()>& command);

} // namespace zelmora

#pragma once

// The desktop services the windows use: message boxes and starting another
// program. Each is an interface so tests put their own doubles in.

#include "runtime/errors.h"

#include <QString>
#include <filesystem>

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

QString ToQString(const std::filesystem::path& path);
QString ToQString(const std::string& utf8);

// Tells the user about a failure in a window command: a message box titled
// "Zelmora" naming the problem and the file.
void ReportError(MessageBoxService& messages, QWidget* parent, const RuntimeError& error);

} // namespace zelmora

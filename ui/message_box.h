#pragma once

// The message boxes of the windows, behind an interface so that tests record
// them instead of showing them, and the one way a window command reports a
// failure.

#include "runtime/errors.h"

#include <QString>
#include <functional>

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

// Tells the user about a failure in a window command: a message box titled
// "Zelmora" naming the problem and the file.
void ReportError(MessageBoxService& messages, QWidget* parent, const RuntimeError& error);

// Runs one window command. A failure abandons the command's remaining steps
// and is reported over `parent`; no exception ever leaves it, so none can
// reach Qt's event loop.
void RunCommand(MessageBoxService& messages, QWidget* parent, const std::function<void()>& command);

} // namespace zelmora

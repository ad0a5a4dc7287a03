#pragma once

// The message boxes of the windows, behind an interface so that tests record
// them instead of showing them, and the one way a window command reports a
// failure.

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

// Runs one window command. A failure abandons the command's remaining steps
// and is reported over `parent` in a message box titled "Zelmora" that names
// the problem and the file; no exception ever leaves it, so none can reach
// Qt's event loop.
void RunCommand(MessageBoxService& messages, QWidget* parent, const std::function<void()>& command);

} // namespace zelmora

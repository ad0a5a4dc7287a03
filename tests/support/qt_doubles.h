#pragma once

#include "temp_dir.h"
#include "test_doubles.h"
#include "ui/color_picker.h"
#include "ui/message_box.h"
#include "ui/program_starter.h"
#include "ui/window_services.h"

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QWidget>
#include <deque>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace zelmora::test {

// Records every message instead of showing it.
class RecordingMessages final : public MessageBoxService {
public:
    struct Message {
        enum Kind { Information, Warning } kind;
        QString title;
        QString text;
        QWidget* parent;
    };

    void information(QWidget* parent, const QString& title, const QString& text) override;
    void warning(QWidget* parent, const QString& title, const QString& text) override;

    std::vector<Message> messages;
    // Runs while the (pretend) message box is up, before it returns.
    std::function<void()> whileShown;
};

// Records the files it is asked to open, with the command line the program
// names the editor with; fails with error 53 when told to.
class RecordingStarter final : public ProgramStarter {
public:
    struct Start {
        QString commandLine;
        Missing missing;
        std::filesystem::path fallback;
        QWidget* parent;
    };

    void start(const EditorCall& call, QWidget* parent) override;
    void openFolder(const std::filesystem::path& folder, QWidget* parent) override;

    std::vector<Start> starts;
    std::vector<std::filesystem::path> folders;
    bool fail = false;
    std::function<void()> onStart;
};

// A colour picker that answers from a script: a colour, or nothing for a
// cancel. Remembers the colour each showing opened with.
class ScriptedPicker final : public ColorPicker {
public:
    std::optional<QColor> pick(QWidget* parent, const QColor& initial) override;

    std::deque<std::optional<QColor>> answers;
    std::vector<QColor> openedWith;
};

// A stand-in for the text editor, first on the PATH while it lives: a
// "notepad" that writes its working directory, its argument count and its
// first argument to a report file, whole or not at all. One that cannot
// start is a script whose interpreter does not exist.
class FakeNotepad {
public:
    enum class Kind { Working, CannotStart };
    explicit FakeNotepad(Kind kind = Kind::Working);
    ~FakeNotepad();
    FakeNotepad(const FakeNotepad&) = delete;
    FakeNotepad& operator=(const FakeNotepad&) = delete;

    // Waits for the report of the next start and takes it away; empty when
    // none came.
    std::string WaitForReport() const;

private:
    TempDir bin_;
    QByteArray oldPath_;
};

// All the doubles together, ready to hand to a window.
struct Doubles {
    RecordingMessages messages;
    RecordingStarter starter;
    ScriptedRandom random;
    ScriptedPicker picker;
    FixedClock clock;

    WindowServices services() { return {messages, starter, random, picker, clock}; }
};

// The child of `window` with the given object name; a test failure when
// there is none.
template <typename Widget> Widget* Child(const QWidget& window, const char* name) {
    auto* found = window.findChild<Widget*>(QLatin1String(name));
    if (!found)
        ADD_FAILURE() << "no " << name << " in " << window.objectName().toStdString();
    return found;
}

// Runs `action` on the modal window that the next event-loop turn finds
// open (the dialog a click is about to show), then returns. Use it before
// the click that opens the window.
void WhenModalOpens(std::function<void(QWidget*)> action);

} // namespace zelmora::test

#include "qt_doubles.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace zelmora::test {

void RecordingMessages::information(QWidget* parent, const QString& title, const QString& text) {
    messages.push_back({Message::Information, title, text, parent});
    if (whileShown)
        whileShown();
}

void RecordingMessages::warning(QWidget* parent, const QString& title, const QString& text) {
    messages.push_back({Message::Warning, title, text, parent});
    if (whileShown)
        whileShown();
}

void RecordingStarter::start(const EditorCall& call, QWidget* parent) {
    starts.push_back({QString::fromStdString(EditorCommandLine(call.file)), call.missing,
                      call.fallback, parent});
    if (onStart)
        onStart();
    if (fail)
        throw RuntimeError(kFileNotFound, "notepad", Cause::Missing);
}

void RecordingStarter::openFolder(const std::filesystem::path& folder, QWidget*) {
    folders.push_back(folder);
}

std::optional<QColor> ScriptedPicker::pick(QWidget*, const QColor& initial) {
    openedWith.push_back(initial);
    if (answers.empty())
        return std::nullopt;
    auto answer = answers.front();
    answers.pop_front();
    return answer;
}

FakeNotepad::FakeNotepad(Kind kind)
    : oldPath_(qgetenv("PATH")) {
#ifdef _WIN32
    const std::filesystem::path notepad = bin_ / "notepad.exe";
    const char separator = ';';
#else
    const std::filesystem::path notepad = bin_ / "notepad";
    const char separator = ':';
#endif
    if (kind == Kind::Working) {
        std::filesystem::copy_file(ZELMORA_FAKE_NOTEPAD, notepad);
    } else {
        // A script whose interpreter is not there, which no system starts.
        WriteFile(notepad, "#!/percorso/che/non/esiste/sh\n");
    }
    std::filesystem::permissions(notepad, std::filesystem::perms::owner_all);
    qputenv("ZELMORA_FAKE_NOTEPAD_REPORT",
            QByteArray::fromStdString((bin_ / "report.txt").string()));
    qputenv("PATH", QByteArray::fromStdString(bin_.path().string()) + separator + oldPath_);
}

FakeNotepad::~FakeNotepad() {
    qputenv("PATH", oldPath_);
}

std::string FakeNotepad::WaitForReport() const {
    const auto report = bin_ / "report.txt";
    if (!QTest::qWaitFor([&] { return std::filesystem::exists(report); }, 20000))
        return {};
    std::string text = ReadFile(report);
    std::filesystem::remove(report);
    return text;
}

void WhenModalOpens(std::function<void(QWidget*)> action) {
    QTimer::singleShot(0, [action = std::move(action)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            ADD_FAILURE() << "no modal window is open";
            return;
        }
        action(modal);
    });
}

} // namespace zelmora::test

#include "qt_doubles.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace zelmora::test {

void RecordingMessages::information(QWidget*, const QString& title, const QString& text) {
    messages.push_back({Message::Information, title, text});
    if (whileShown)
        whileShown();
}

void RecordingMessages::warning(QWidget*, const QString& title, const QString& text) {
    messages.push_back({Message::Warning, title, text});
    if (whileShown)
        whileShown();
}

void RecordingStarter::start(const QString& commandLine, Missing missing,
                             const std::filesystem::path& fallback) {
    starts.push_back({commandLine, missing, fallback});
    if (onStart)
        onStart();
    if (fail)
        throw RuntimeError(kFileNotFound, "notepad", Cause::Missing);
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
    const std::string report = (bin_ / "report.txt").string();
    std::string script = kind == Kind::Working ? "#!/bin/sh\n" : "#!/percorso/che/non/esiste/sh\n";
    script += "printf '%s\\n%s\\n%s\\n' \"$(pwd -P)\" \"$#\" \"$1\" > '" + report + ".part'\n";
    script += "mv '" + report + ".part' '" + report + "'\n";
    WriteFile(bin_ / "notepad", script);
    std::filesystem::permissions(bin_ / "notepad", std::filesystem::perms::owner_all);
    qputenv("PATH", QByteArray::fromStdString(bin_.path().string()) + ':' + oldPath_);
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

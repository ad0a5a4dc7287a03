#include "qt_doubles.h"

#include <QApplication>
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

void RecordingStarter::start(const QString& commandLine, const std::filesystem::path& directory) {
    starts.push_back({commandLine, directory});
    if (onStart)
        onStart();
    if (fail)
        throw RuntimeError(kFileNotFound, "notepad", "nessun editor di prova");
}

std::optional<QColor> ScriptedPicker::pick(QWidget*, const QColor& initial) {
    openedWith.push_back(initial);
    if (answers.empty())
        return std::nullopt;
    auto answer = answers.front();
    answers.pop_front();
    return answer;
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

#include "desktop_services.h"

#include "error_messages.h"

#include <QDesktopServices>
#include <QDir>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace zelmora {

void QtMessageBoxes::information(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox::information(parent, title, text);
}

void QtMessageBoxes::warning(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox::warning(parent, title, text);
}

void DetachedProgramStarter::start(const QString& commandLine,
                                   const std::filesystem::path& directory) {
    const qsizetype blank = commandLine.indexOf(QLatin1Char(' '));
    const QString program = blank < 0 ? commandLine : commandLine.left(blank);
    const QString argument = blank < 0 ? QString() : commandLine.mid(blank + 1);
    const QString workingDirectory = ToQString(directory);
    const QStringList arguments = argument.isEmpty() ? QStringList() : QStringList{argument};

    const QString executable = QStandardPaths::findExecutable(program);
    if (!executable.isEmpty()) {
        if (QProcess::startDetached(executable, arguments, workingDirectory))
            return;
    } else if (program == QLatin1String("notepad") && !argument.isEmpty()) {
        const QString file = QDir(workingDirectory).absoluteFilePath(argument);
        if (QDesktopServices::openUrl(QUrl::fromLocalFile(file)))
            return;
    }
    throw RuntimeError(kFileNotFound, program.toStdString(),
                       "impossibile avviare l\u2019editor di testo per \u201C" +
                           argument.toStdString() + "\u201D");
}

QString ToQString(const std::filesystem::path& path) {
    return QString::fromStdU16String(path.u16string());
}

QString ToQString(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

void ReportError(MessageBoxService& messages, QWidget* parent, const RuntimeError& error) {
    messages.warning(parent, QStringLiteral("Zelmora"), ToQString(ErrorMessage(error)));
}

} // namespace zelmora

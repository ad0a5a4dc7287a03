#include "ui/program_starter.h"

#include "runtime/errors.h"
#include "ui/qt_strings.h"

#include <QByteArray>
#include <QDesktopServices>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace zelmora {

void DetachedProgramStarter::start(const QString& commandLine,
                                   const std::filesystem::path& directory) {
    const qsizetype blank = commandLine.indexOf(QLatin1Char(' '));
    const QString program = blank < 0 ? commandLine : commandLine.left(blank);
    const QString argument = blank < 0 ? QString() : commandLine.mid(blank + 1);
    const QStringList arguments = argument.isEmpty() ? QStringList() : QStringList{argument};
    const std::optional<QString> workingDirectory = QtFileName(directory);

    const QString executable = QStandardPaths::findExecutable(program);
    if (workingDirectory && !executable.isEmpty()) {
        if (QProcess::startDetached(executable, arguments, *workingDirectory))
            return;
    } else if (program == QLatin1String("notepad") && !argument.isEmpty()) {
        // The URL is built from the path's own bytes, so any folder name
        // reaches the desktop as it is.
        std::error_code ec;
        const std::filesystem::path file =
            std::filesystem::absolute(directory, ec) / QFile::encodeName(argument).toStdString();
        const QByteArray url = QByteArrayLiteral("file://") +
                               QByteArray::fromStdString(file.string()).toPercentEncoding("/");
        if (QDesktopServices::openUrl(QUrl::fromEncoded(url)))
            return;
    }
    throw RuntimeError(kFileNotFound, program.toStdString(), Cause::Missing);
}

} // namespace zelmora

#include "ui/program_starter.h"

#include "app/error_messages.h"
#include "runtime/errors.h"
#include "runtime/platform.h"
#include "ui/message_box.h"
#include "ui/qt_strings.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace zelmora {

DesktopProgramStarter::DesktopProgramStarter(MessageBoxService& messages)
    : messages_(messages) {}

DesktopProgramStarter::~DesktopProgramStarter() = default;

void DesktopProgramStarter::start(const QString& commandLine,
                                  const std::filesystem::path& directory, Missing missing) {
    const qsizetype blank = commandLine.indexOf(QLatin1Char(' '));
    const QString program = blank < 0 ? commandLine : commandLine.left(blank);
    const QString argument = blank < 0 ? QString() : commandLine.mid(blank + 1);

    const QString executable = QStandardPaths::findExecutable(program);
    const bool desktopOpens =
        executable.isEmpty() && program == QLatin1String("notepad") && !argument.isEmpty();
    if (!desktopOpens) {
        const std::optional<QString> workingDirectory = QtFileName(directory);
        const QStringList arguments = argument.isEmpty() ? QStringList() : QStringList{argument};
        if (executable.isEmpty() || !workingDirectory ||
            !QProcess::startDetached(executable, arguments, *workingDirectory))
            throw RuntimeError(kFileNotFound, program.toStdString(), Cause::Missing);
        return;
    }

    // An absolute argument (the installed guide) stays as it is.
    const std::filesystem::path file =
        directory / std::filesystem::path(QFile::encodeName(argument).toStdString());
    if (missing == Missing::CreateEmpty)
        platform::createIfMissing(file);
    else if (std::error_code ec; !std::filesystem::exists(file, ec))
        throw RuntimeError(kFileNotFound, platform::pathText(file), Cause::Missing);
    openWithDesktop(file);
}

void DesktopProgramStarter::openWithDesktop(const std::filesystem::path& file) {
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    const std::optional<QString> name = QtArgumentName(file);
    if (opener.isEmpty() || !name) {
        reportNoEditor(file);
        return;
    }
    auto* process = new QProcess(&openers_);
    process->setProgram(opener);
    process->setArguments({*name});
    process->setStandardInputFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [this, process, file](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         process->deleteLater();
                         reportNoEditor(file);
                     });
    QObject::connect(process, &QProcess::finished, process,
                     [this, process, file](int exitCode, QProcess::ExitStatus status) {
                         process->deleteLater();
                         if (status != QProcess::NormalExit || exitCode != 0)
                             reportNoEditor(file);
                     });
    process->start();
}

void DesktopProgramStarter::reportNoEditor(const std::filesystem::path& file) {
    messages_.warning(QApplication::activeWindow(), QStringLiteral("Zelmora"),
                      ToQString(NoEditorMessage(platform::pathText(file))));
}

} // namespace zelmora

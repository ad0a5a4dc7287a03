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
#include <QTimer>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <QDesktopServices>
#include <QUrl>
#endif

namespace zelmora {

namespace {

// Openers still at work when the program ended. Deleting a QProcess kills
// its program, and the editor with it; kept here instead (in a list that is
// itself never destroyed), they are still reachable when the program exits,
// so no leak is reported either.
std::vector<QProcess*>& lettingGo() {
    static auto* processes = new std::vector<QProcess*>;
    return *processes;
}

} // namespace

DesktopProgramStarter::DesktopProgramStarter(MessageBoxService& messages)
    : messages_(messages) {}

DesktopProgramStarter::~DesktopProgramStarter() {
    for (QProcess* process : openers_.findChildren<QProcess*>(Qt::FindDirectChildrenOnly)) {
        process->disconnect();
        if (process->state() != QProcess::NotRunning) {
            process->setParent(nullptr);
            lettingGo().push_back(process);
        }
    }
}

void DesktopProgramStarter::start(const QString& commandLine, Missing missing,
                                  const std::filesystem::path& fallback) {
    const qsizetype blank = commandLine.indexOf(QLatin1Char(' '));
    const QString program = blank < 0 ? commandLine : commandLine.left(blank);
    const QString argument = blank < 0 ? QString() : commandLine.mid(blank + 1);

    // The editor runs in the working folder, which it inherits, on the bare
    // name: it finds the file there whatever the folder is called now.
    const QString executable = QStandardPaths::findExecutable(program);
    const QStringList arguments = argument.isEmpty() ? QStringList() : QStringList{argument};
    if (!executable.isEmpty() && QProcess::startDetached(executable, arguments))
        return;
    // Only "notepad FILE" has a stand-in: the desktop's editor.
    if (program != QLatin1String("notepad") || argument.isEmpty())
        throw RuntimeError(kFileNotFound, program.toStdString(), Cause::Missing);

    std::filesystem::path file = QFile::encodeName(argument).toStdString();
    if (const auto target = platform::DanglingLinkTarget(file))
        throw RuntimeError(kFileNotFound, platform::PathText(file), Cause::DanglingLink, *target);
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        if (!fallback.empty() && std::filesystem::is_regular_file(fallback, ec))
            file = fallback;
        else if (missing == Missing::CreateEmpty)
            platform::CreateIfMissing(file);
        else
            throw platform::NotFoundError(file);
    }
    openWithDesktop(file);
}

#ifdef _WIN32

void DesktopProgramStarter::openWithDesktop(const std::filesystem::path& file) {
    std::error_code ec;
    const std::filesystem::path whole = std::filesystem::absolute(file, ec);
    if (ec ||
        !QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdWString(whole.native()))))
        reportNoEditor(file);
}

#else

void DesktopProgramStarter::openWithDesktop(const std::filesystem::path& file) {
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        reportNoEditor(file);
        return;
    }
    auto* process = new QProcess(&openers_);
    process->setProgram(opener);
    process->setArguments({QFile::decodeName(QByteArray::fromStdString(file.native()))});
    process->setStandardInputFile(QProcess::nullDevice());
    // The report waits for the handler to return: a message box's own event
    // loop must not run while the process object is still in its signal.
    const auto done = [this, process, file](bool failed) {
        process->disconnect();
        process->deleteLater();
        if (failed)
            QTimer::singleShot(0, &openers_, [this, file] { reportNoEditor(file); });
    };
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [done](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart)
                             done(true);
                     });
    QObject::connect(process, &QProcess::finished, process,
                     [done](int exitCode, QProcess::ExitStatus status) {
                         done(status != QProcess::NormalExit || exitCode != 0);
                     });
    process->start();
}

#endif

void DesktopProgramStarter::reportNoEditor(const std::filesystem::path& file) {
    messages_.warning(QApplication::activeWindow(), QStringLiteral("Zelmora"),
                      ToQString(NoEditorMessage(platform::PathText(file))));
}

} // namespace zelmora

#include "ui/program_starter.h"

#include "app/editor_file.h"
#include "app/error_messages.h"
#include "app/texts.h"
#include "runtime/errors.h"
#include "runtime/platform.h"
#include "ui/message_box.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QWidget>
#include <system_error>

namespace zelmora {

namespace {

constexpr const char* kNotepad = "notepad";

// What stands at the name is looked at before anything is started: a link to
// nothing, a folder, a pipe or a device is refused as every command refuses
// it. A file that is not there yet is for the caller to deal with.
void refuseWhatIsNoFile(const std::filesystem::path& file) {
    if (const auto target = platform::DanglingLinkTarget(file))
        throw RuntimeError(kFileNotFound, platform::PathText(file), Cause::DanglingLink, *target);
    std::error_code ec;
    const auto status = std::filesystem::status(file, ec);
    if (std::filesystem::is_directory(status))
        throw RuntimeError(kPathFileAccess, platform::PathText(file), Cause::IsFolder);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
        throw RuntimeError(kPathFileAccess, platform::PathText(file), Cause::NotOrdinaryFile);
}

} // namespace

std::string EditorCommandLine(const std::string& file) {
    return std::string(kNotepad) + " " + file;
}

DesktopProgramStarter::DesktopProgramStarter(MessageBoxService& messages,
                                             std::chrono::milliseconds inUseAfter)
    : messages_(messages)
    , opener_(inUseAfter) {}

void DesktopProgramStarter::start(const EditorCall& call, QWidget* parent) {
    const std::filesystem::path bare = platform::PathFromText(call.file);
    std::filesystem::path file = EditorFile({}, bare, call.fallback);
    refuseWhatIsNoFile(file);
    // The bare name as the user wrote it, or the installed file's whole path.
    const QString argument = file == bare ? QString::fromStdString(call.file)
                                          : QDir::toNativeSeparators(QFileInfo(file).filePath());

    // Detached, notepad outlives this program: it writes to the null device,
    // never into an output that may close under it.
    QProcess notepad;
    notepad.setProgram(QStandardPaths::findExecutable(QLatin1String(kNotepad)));
    notepad.setArguments({argument});
    notepad.setStandardInputFile(QProcess::nullDevice());
    notepad.setStandardOutputFile(QProcess::nullDevice());
    notepad.setStandardErrorFile(QProcess::nullDevice());
    if (!notepad.program().isEmpty() && notepad.startDetached())
        return;

    const bool canOpen = opener_.available();
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        if (call.missing == Missing::Report)
            throw platform::NotFoundError(file);
        if (canOpen)
            platform::CreateIfMissing(file);
    }
    if (!canOpen)
        return report(EditorProblem::NoOpener, file, parent);
    opener_.open(file, [this, file, over = QPointer<QWidget>(parent)](EditorProblem problem) {
        report(problem, file, over.data());
    });
}

void DesktopProgramStarter::openFolder(const std::filesystem::path& folder, QWidget* parent) {
    const auto failed = [this, folder, over = QPointer<QWidget>(parent)](EditorProblem) {
        messages_.warning(
            over.data(), QString::fromUtf8(kProgramName),
            QString::fromStdString(FolderNotOpenedMessage(platform::PathText(folder))));
    };
    if (!opener_.available())
        return failed(EditorProblem::NoOpener);
    opener_.openFolder(folder, failed);
}

void DesktopProgramStarter::report(EditorProblem problem, const std::filesystem::path& file,
                                   QWidget* parent) {
    messages_.warning(parent, QString::fromUtf8(kProgramName),
                      QString::fromStdString(NoEditorMessage(problem, platform::PathText(file),
                                                             desktop::EditorAdvice(problem))));
}

} // namespace zelmora

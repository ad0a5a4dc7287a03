#include "desktop_services.h"

#include "error_messages.h"
#include "runtime/platform.h"

#include <QByteArray>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
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

std::optional<QString> QtFileName(const std::filesystem::path& path) {
#ifdef _WIN32
    return QString::fromStdWString(path.native());
#else
    const auto spelled = [](const std::string& bytes) -> std::optional<QString> {
        const QString name = QFile::decodeName(QByteArray::fromStdString(bytes));
        if (QFile::encodeName(name) == QByteArray::fromStdString(bytes))
            return name;
        return std::nullopt;
    };
    if (auto name = spelled(path.native()))
        return name;
    std::error_code ec;
    const std::filesystem::path here = std::filesystem::current_path(ec);
    if (ec)
        return std::nullopt;
    // Qt makes a relative name absolute through the working directory's name,
    // which it cannot spell either; the kernel's own name for the working
    // directory is plain ASCII.
    const std::filesystem::path relative = path.lexically_relative(here);
    if (relative.empty() || *relative.begin() == "..")
        return std::nullopt;
    return spelled("/proc/self/cwd/" + relative.native());
#endif
}

QString ToQString(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

void ReportError(MessageBoxService& messages, QWidget* parent, const RuntimeError& error) {
    messages.warning(parent, QStringLiteral("Zelmora"), ToQString(ErrorMessage(error)));
}

void RunCommand(MessageBoxService& messages, QWidget* parent,
                const std::function<void()>& command) {
    try {
        command();
    } catch (const RuntimeError& error) {
        ReportError(messages, parent, error);
    } catch (const std::exception& error) {
        messages.warning(parent, QStringLiteral("Zelmora"),
                         ToQString(UnexpectedErrorMessage(error.what())));
    } catch (...) {
        messages.warning(parent, QStringLiteral("Zelmora"),
                         ToQString(UnexpectedErrorMessage("eccezione sconosciuta")));
    }
}

} // namespace zelmora

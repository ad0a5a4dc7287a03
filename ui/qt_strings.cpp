#include "ui/qt_strings.h"

#include <QByteArray>
#include <QFile>

namespace zelmora {

#ifndef _WIN32
namespace {
// The kernel's name for the working directory, plain ASCII whatever the
// directory's own name.
constexpr const char* kWorkingDirectory = "/proc/self/cwd/";
} // namespace
#endif

QString ToQString(const std::string& utf8) {
    return QString::fromStdString(utf8);
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
    // which it cannot spell either.
    const std::filesystem::path relative = path.lexically_relative(here);
    if (relative.empty() || *relative.begin() == "..")
        return std::nullopt;
    return spelled(kWorkingDirectory + relative.native());
#endif
}

std::optional<QString> QtArgumentName(const std::filesystem::path& path) {
    std::optional<QString> name = QtFileName(path);
#ifndef _WIN32
    const QString cwd = QString::fromLatin1(kWorkingDirectory);
    if (name && name->startsWith(cwd))
        name = name->mid(cwd.size());
#endif
    return name;
}

} // namespace zelmora

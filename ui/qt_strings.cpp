#include "ui/qt_strings.h"

#include <QByteArray>
#include <QFile>

namespace zelmora {

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
    // which it cannot spell either; the kernel's own name for the working
    // directory is plain ASCII.
    const std::filesystem::path relative = path.lexically_relative(here);
    if (relative.empty() || *relative.begin() == "..")
        return std::nullopt;
    return spelled("/proc/self/cwd/" + relative.native());
#endif
}

} // namespace zelmora

#pragma once

// Where the program's text and paths become Qt strings.

#include <QString>
#include <filesystem>
#include <optional>
#include <string>

namespace zelmora {

// Text in UTF-8 as Qt text; any bytes are accepted.
QString ToQString(const std::string& utf8);

// A path as Qt can open it, or nothing when Qt cannot spell it. Qt turns
// file names into bytes as UTF-8, so the path of a folder whose name is not
// UTF-8 (say "caff\xE8", made on a Latin-1 system) would come out as another
// path. On Linux such a path inside the working directory, where the
// program's files are, is spelled through the kernel's name for that
// directory, "/proc/self/cwd".
std::optional<QString> QtFileName(const std::filesystem::path& path);

// The same path as an argument for a program started in the working
// directory: a path Qt can spell only through "/proc/self/cwd" goes as a name
// relative to that directory, which the program shares but not that name.
std::optional<QString> QtArgumentName(const std::filesystem::path& path);

} // namespace zelmora

#pragma once

// What platform.cpp takes from the file of the system it is built for.

#include <filesystem>
#include <string>

namespace zelmora::platform {

// A path as UTF-8 text, spelled as the system spells it: its own bytes on
// Linux, its UTF-16 converted on Windows. Never throws.
std::string NativePathText(const std::filesystem::path& path);

} // namespace zelmora::platform

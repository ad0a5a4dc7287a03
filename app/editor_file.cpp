#include "app/editor_file.h"

#include <system_error>

namespace zelmora {

std::filesystem::path EditorFile(const std::filesystem::path& folder,
                                 const std::filesystem::path& name,
                                 const std::filesystem::path& installed) {
    if (installed.empty())
        return name;
    std::error_code ec;
    const auto here = std::filesystem::symlink_status(folder / name, ec);
    // A folder that cannot be looked into is not a folder without the file.
    if (here.type() != std::filesystem::file_type::not_found)
        return name;
    if (!std::filesystem::is_regular_file(installed, ec))
        return name;
    return installed;
}

} // namespace zelmora

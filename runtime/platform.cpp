// The part of the platform layer that is the same on every system.

#include "runtime/platform.h"

#include "runtime/platform_native.h"

#include <system_error>

namespace zelmora::platform {

std::string PathText(const std::filesystem::path& path) {
    if (path.is_relative()) {
        std::error_code ec;
        const std::filesystem::path here = std::filesystem::current_path(ec);
        if (!ec && !here.empty())
            return NativePathText(here / path);
    }
    return NativePathText(path);
}

bool WorkingFolderGone() {
    std::error_code ec;
    (void)std::filesystem::current_path(ec);
    return ec == std::errc::no_such_file_or_directory;
}

RuntimeError FileError(int number, const std::filesystem::path& path, int error) {
    Cause cause = CauseOf(error);
    if (cause == Cause::Missing && path.is_relative() && WorkingFolderGone())
        cause = Cause::WorkingFolderGone;
    return RuntimeError(number, PathText(path), cause,
                        cause == Cause::Other ? ErrorText(error) : std::string());
}

RuntimeError NotFoundError(const std::filesystem::path& path) {
    return RuntimeError(kFileNotFound, PathText(path),
                        path.is_relative() && WorkingFolderGone() ? Cause::WorkingFolderGone
                                                                  : Cause::Missing);
}

std::optional<std::string> DanglingLinkTarget(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(std::filesystem::symlink_status(path, ec)))
        return std::nullopt;
    if (std::filesystem::exists(std::filesystem::status(path, ec)) ||
        ec != std::errc::no_such_file_or_directory)
        return std::nullopt;
    const std::filesystem::path target = std::filesystem::read_symlink(path, ec);
    return ec ? std::string() : NativePathText(target);
}

} // namespace zelmora::platform

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
    if (const auto target = DanglingLinkTarget(path))
        return RuntimeError(kFileNotFound, PathText(path), Cause::DanglingLink, *target);
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
    // The chain ends at a name nothing has: the last link's target, not the
    // first's, which may well exist.
    constexpr int kMostLinks = 40;
    std::filesystem::path link = path;
    std::filesystem::path target;
    for (int links = 0; links < kMostLinks; ++links) {
        target = std::filesystem::read_symlink(link, ec);
        if (ec)
            return std::string();
        // A relative target is seen from the link's own folder.
        link = target.is_absolute() ? target : link.parent_path() / target;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(link, ec)))
            break;
    }
    return NativePathText(target);
}

namespace {

// Error 75 about `path` when no new file may be made in its folder, which
// is named.
RuntimeError folderRefusesNewFiles(const std::filesystem::path& path) {
    std::string folder;
    if (path.has_parent_path()) {
        folder = PathText(path.parent_path());
    } else {
        std::error_code ec;
        const std::filesystem::path here = std::filesystem::current_path(ec);
        folder = ec ? std::string(".") : NativePathText(here);
    }
    return RuntimeError(kPathFileAccess, PathText(path), Cause::FolderRefusesNewFiles, folder);
}

RuntimeError refusal(const std::filesystem::path& path, const OpenResult& opened) {
    return opened.error != 0 ? FileError(kPathFileAccess, path, opened.error)
                             : RuntimeError(kPathFileAccess, PathText(path), opened.cause);
}

} // namespace

void SaveInPlace(const std::filesystem::path& path, std::string_view bytes) {
    OpenResult opened = OpenExistingForWriting(path);
    const bool making = !opened.opened && opened.cause == Cause::Missing;
    if (making) {
        // Making the file a link names would put it somewhere unexpected.
        if (const auto target = DanglingLinkTarget(path))
            throw RuntimeError(kPathFileAccess, PathText(path), Cause::DanglingLink, *target);
        opened = CreateExclusively(path);
        if (!opened.opened && CauseOf(opened.error) == Cause::PermissionDenied)
            throw folderRefusesNewFiles(path);
    }
    if (!opened.opened)
        throw refusal(path, opened);

    // Over the old bytes from the start, then cut to length: a save cut short
    // in between leaves the new numbers followed by old bytes, which the
    // reader of the file passes over.
    int error = WriteAtStart(opened.file, bytes);
    if (error == 0)
        error = SetLength(opened.file, bytes.size());
    if (error == 0)
        error = FlushToDisk(opened.file);
    if (const int closed = CloseWritten(opened.file); error == 0)
        error = closed;
    if (error == 0 && making)
        error = FlushFolder(path.has_parent_path() ? path.parent_path() : ".");
    if (error != 0) {
        // Only the file this save made goes; a file that was there stays.
        if (making) {
            std::error_code ignored;
            std::filesystem::remove(path, ignored);
        }
        throw FileError(kPathFileAccess, path, error);
    }
}

} // namespace zelmora::platform

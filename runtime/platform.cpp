// The part of the platform layer that is the same on every system.

#include "runtime/platform.h"

#include "runtime/platform_native.h"

#include <charconv>
#include <chrono>
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
    const std::filesystem::path target = std::filesystem::read_symlink(path, ec);
    return ec ? std::string() : NativePathText(target);
}

std::filesystem::path FileBehindLinks(const std::filesystem::path& path) {
    // As many links as the systems follow themselves before they give up.
    constexpr int kMostLinks = 40;
    std::filesystem::path file = path;
    for (int links = 0;; ++links) {
        std::error_code ec;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(file, ec)))
            break;
        if (links == kMostLinks)
            throw RuntimeError(kPathFileAccess, PathText(path), Cause::TooManyLinks);
        const std::filesystem::path target = std::filesystem::read_symlink(file, ec);
        if (ec)
            throw RuntimeError(kPathFileAccess, PathText(path), Cause::Other, ec.message());
        // A relative target is seen from the link's own folder.
        file = target.is_absolute() ? target : file.parent_path() / target;
    }
    if (file != path) {
        std::error_code ec;
        if (!std::filesystem::exists(std::filesystem::symlink_status(file, ec))) {
            std::error_code ignored;
            throw RuntimeError(kPathFileAccess, PathText(path), Cause::DanglingLink,
                               NativePathText(std::filesystem::read_symlink(path, ignored)));
        }
    }
    return file;
}

namespace {

// ".opzioni.txt." in the system's own characters: the start of the name of
// every temporary file of `target`.
std::filesystem::path::string_type temporaryPrefix(const std::filesystem::path& target) {
    std::filesystem::path prefix(".");
    prefix += target.filename();
    prefix += ".";
    return prefix.native();
}

// The process that made a temporary file, from the "PID-N-TICK" that ends
// its name; nothing for any other ending.
std::optional<unsigned long> leftoverOwner(std::string_view ending) {
    std::optional<unsigned long> owner;
    for (int number = 0; number < 3; ++number) {
        if (number > 0 && !ending.starts_with('-'))
            return std::nullopt;
        ending.remove_prefix(number > 0 ? 1 : 0);
        unsigned long value = 0;
        const auto [next, error] =
            std::from_chars(ending.data(), ending.data() + ending.size(), value);
        if (error != std::errc())
            return std::nullopt;
        owner = owner ? owner : value;
        ending.remove_prefix(static_cast<std::size_t>(next - ending.data()));
    }
    return ending.empty() ? owner : std::nullopt;
}

} // namespace

NewFile CreateBeside(const std::filesystem::path& target, unsigned mode,
                     std::filesystem::path& temporary) {
    static unsigned counter = 0;
    for (int attempt = 0;; ++attempt) {
        const auto tick = std::chrono::steady_clock::now().time_since_epoch().count();
        std::filesystem::path name(temporaryPrefix(target));
        name += std::to_string(CurrentProcessId()) + "-" + std::to_string(counter++) + "-" +
                std::to_string(tick % 1000000);
        temporary = target.parent_path() / name;
        const NewFile made = CreateNewFile(temporary, mode);
        if (made.made || !made.taken || attempt == 100)
            return made;
    }
}

void RemoveLeftoversBeside(const std::filesystem::path& target) {
    const std::filesystem::path folder =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    const auto prefix = temporaryPrefix(target);
    std::error_code ec;
    std::filesystem::directory_iterator entries(folder, ec);
    for (; !ec && entries != std::filesystem::directory_iterator(); entries.increment(ec)) {
        const auto name = entries->path().filename().native();
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        std::string ending;
        for (const auto c : name.substr(prefix.size()))
            ending += (c >= '0' && c <= '9') || c == '-' ? static_cast<char>(c) : '?';
        const std::optional<unsigned long> owner = leftoverOwner(ending);
        if (!owner)
            continue;
        // A save of this process is never under way while another begins.
        if (*owner == CurrentProcessId() || ProcessGone(*owner)) {
            std::error_code ignored;
            std::filesystem::remove(entries->path(), ignored);
        }
    }
}

RuntimeError FolderRefusesNewFilesError(const std::filesystem::path& path,
                                        const std::filesystem::path& target) {
    std::string folder;
    if (target.has_parent_path()) {
        folder = PathText(target.parent_path());
    } else {
        std::error_code ec;
        const std::filesystem::path here = std::filesystem::current_path(ec);
        folder = ec ? std::string(".") : NativePathText(here);
    }
    return RuntimeError(kPathFileAccess, PathText(path), Cause::FolderRefusesNewFiles, folder);
}

} // namespace zelmora::platform

// The platform layer on Linux and other POSIX systems.

#include "runtime/platform.h"
#include "runtime/platform_native.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <type_traits>
#include <unistd.h>

namespace zelmora::platform {

OpenResult OpenForReading(const std::filesystem::path& path) {
    OpenResult result;
    // O_NONBLOCK: opening a FIFO would otherwise wait for a writer forever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        result.error = errno;
        result.cause = CauseOf(result.error);
        return result;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        result.error = errno;
        result.cause = CauseOf(result.error);
        ::close(fd);
        return result;
    }
    if (!S_ISREG(status.st_mode)) {
        // A device such as /dev/zero never ends; a FIFO may never answer.
        result.cause = S_ISDIR(status.st_mode) ? Cause::IsFolder : Cause::NotOrdinaryFile;
        ::close(fd);
        return result;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags != -1)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
#ifdef POSIX_FADV_SEQUENTIAL
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    result.opened = true;
    result.file = fd;
    return result;
}

void CreateIfMissing(const std::filesystem::path& path) {
    if (const auto target = DanglingLinkTarget(path))
        throw RuntimeError(kFileNotFound, PathText(path), Cause::DanglingLink, *target);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd >= 0) {
        ::close(fd);
        return;
    }
    const int error = errno;
    if (error == EEXIST)
        return;
    throw FileError(kPathFileAccess, path, error);
}

std::ptrdiff_t ReadBlock(NativeFile file, char* buffer, std::size_t size, int& error) {
    for (;;) {
        const ssize_t n = ::read(static_cast<int>(file), buffer, size);
        if (n >= 0)
            return n;
        if (errno != EINTR) {
            error = errno;
            return -1;
        }
    }
}

bool Rewind(NativeFile file, int& error) {
    if (::lseek(static_cast<int>(file), 0, SEEK_SET) == -1) {
        error = errno;
        return false;
    }
    return true;
}

void Close(NativeFile file) {
    ::close(static_cast<int>(file));
}

namespace {

// Writes all of `bytes`; 0, or the error code of the write that failed.
int writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

// A new file beside `target` that no one else has: its name begins with a
// dot and the target's name, so a leftover from a power cut is recognised.
int createBeside(const std::filesystem::path& target, mode_t mode,
                 std::filesystem::path& temporary) {
    static unsigned counter = 0;
    for (int attempt = 0;; ++attempt) {
        const auto tick = std::chrono::steady_clock::now().time_since_epoch().count();
        temporary = target.parent_path() /
                    ("." + target.filename().native() + "." + std::to_string(::getpid()) + "-" +
                     std::to_string(counter++) + "-" + std::to_string(tick % 1000000));
        const int fd =
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode);
        if (fd >= 0 || errno != EEXIST || attempt == 100)
            return fd;
    }
}

} // namespace

void ReplaceWhole(const std::filesystem::path& path, std::string_view bytes) {
    struct stat old {};
    const bool existed = ::stat(path.c_str(), &old) == 0;
    if (existed && S_ISDIR(old.st_mode))
        throw RuntimeError(kPathFileAccess, PathText(path), Cause::IsFolder);

    std::filesystem::path temporary;
    const int fd = createBeside(path, existed ? old.st_mode & 07777 : 0666, temporary);
    if (fd < 0)
        throw FileError(kPathFileAccess, path, errno);
    int error = 0;
    // The new file keeps the old one's permissions, as an editor's save does.
    if (existed)
        ::fchmod(fd, old.st_mode & 07777);
    // A full disk may show only at the write, at the flush to the disk or
    // at the close: each is checked before the new file takes the old one's
    // place.
    if ((error = writeAll(fd, bytes)) == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0 && errno != EINTR)
        error = errno;
    if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        throw FileError(kPathFileAccess, path, error);
    }
    // The rename itself reaches the disk with its folder.
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
}

Cause CauseOf(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return Cause::Missing;
    case EACCES:
    case EPERM:
        return Cause::PermissionDenied;
    case ENOSPC:
    case EDQUOT:
        return Cause::NoSpace;
    case EROFS:
        return Cause::ReadOnlyFileSystem;
    case EISDIR:
        return Cause::IsFolder;
    case ENXIO: // a socket, or a device with nothing behind it
    case ENODEV:
        return Cause::NotOrdinaryFile;
    case EMFILE:
    case ENFILE:
        return Cause::TooManyOpenFiles;
    case ELOOP:
        return Cause::TooManyLinks;
    case ENAMETOOLONG:
        return Cause::NameTooLong;
    case EBADF:
        return Cause::OutputClosed;
    case EPIPE:
        return Cause::BrokenPipe;
    default:
        return Cause::Other;
    }
}

std::string ErrorText(int error) {
    char buffer[256] = {};
    // GNU strerror_r may return a static string instead of filling the buffer.
    auto text = ::strerror_r(error, buffer, sizeof buffer);
    if constexpr (std::is_same_v<decltype(text), char*>)
        return text;
    else
        return buffer;
}

std::string NativePathText(const std::filesystem::path& path) {
    return path.native();
}

std::vector<std::string> Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

std::filesystem::path PathFromText(std::string_view utf8) {
    return std::filesystem::path(std::string(utf8));
}

bool StandardOutputIsTerminal() {
    return ::isatty(STDOUT_FILENO) != 0;
}

int WriteStandardOutput(std::string_view utf8) {
    return writeAll(STDOUT_FILENO, utf8);
}

void WriteStandardError(std::string_view utf8) {
    writeAll(STDERR_FILENO, utf8);
}

namespace {

std::tm localTime(std::time_t when) {
    std::tm local{};
    ::localtime_r(&when, &local);
    return local;
}

} // namespace

std::tm LocalNow() {
    return localTime(std::time(nullptr));
}

double SecondsSinceMidnight() {
    // One reading of the clock for the whole seconds and their fraction, so
    // the two cannot fall on either side of a second's turn.
    using namespace std::chrono;
    const system_clock::time_point now = system_clock::now();
    const std::time_t whole = system_clock::to_time_t(now);
    const std::tm local = localTime(whole);
    const auto millis = duration_cast<milliseconds>(now - system_clock::from_time_t(whole)).count();
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec +
           static_cast<double>(millis) / 1000.0;
}

} // namespace zelmora::platform

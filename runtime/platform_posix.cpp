// The platform layer on Linux and other POSIX systems.

#include "runtime/platform.h"
#include "runtime/platform_native.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/ioctl.h>
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

// Why a file that is there is not written: not an ordinary file, or one no
// one may write (root may, but a file without any write bit is the user's
// "do not change this", as editors take it).
Cause refusedForWriting(const struct stat& status) {
    if (S_ISDIR(status.st_mode))
        return Cause::IsFolder;
    if (!S_ISREG(status.st_mode))
        return Cause::NotOrdinaryFile;
    if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return Cause::PermissionDenied;
    return Cause::None;
}

OpenResult failed(int error) {
    OpenResult result;
    result.error = error;
    result.cause = CauseOf(error);
    return result;
}

} // namespace

OpenResult OpenExistingForWriting(const std::filesystem::path& path) {
    // Looked at before it is opened, so that a FIFO or a device is never
    // opened at all; and again once open, in case it was swapped meanwhile
    // (O_NONBLOCK: a FIFO then fails at once instead of waiting for a reader).
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return failed(errno);
    OpenResult result;
    if ((result.cause = refusedForWriting(status)) != Cause::None)
        return result;
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return failed(errno);
    if (::fstat(fd, &status) != 0) {
        const int error = errno;
        ::close(fd);
        return failed(error);
    }
    if ((result.cause = refusedForWriting(status)) != Cause::None) {
        ::close(fd);
        return result;
    }
    result.opened = true;
    result.file = fd;
    return result;
}

OpenResult CreateExclusively(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0)
        return failed(errno);
    OpenResult result;
    result.opened = true;
    result.file = fd;
    return result;
}

int WriteAtStart(NativeFile file, std::string_view bytes) {
    const int fd = static_cast<int>(file);
    // File systems that cannot take the room beforehand say so; the write
    // then finds out.
    if (const int error = ::posix_fallocate(fd, 0, static_cast<off_t>(bytes.size()));
        error != 0 && error != EINVAL && error != EOPNOTSUPP)
        return error;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

int SetLength(NativeFile file, std::size_t size) {
    return ::ftruncate(static_cast<int>(file), static_cast<off_t>(size)) == 0 ? 0 : errno;
}

int FlushToDisk(NativeFile file) {
    return ::fsync(static_cast<int>(file)) == 0 ? 0 : errno;
}

int CloseWritten(NativeFile file) {
    // After EINTR the descriptor is gone all the same (Linux).
    return ::close(static_cast<int>(file)) == 0 || errno == EINTR ? 0 : errno;
}

int FlushFolder(const std::filesystem::path& folder) {
    // A folder the user may write but not read cannot be opened to flush it;
    // the file itself is on the disk.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    // Some file systems flush no folders (EINVAL): they keep names otherwise.
    const int error = ::fsync(fd) == 0 || errno == EINVAL ? 0 : errno;
    ::close(fd);
    return error;
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

bool IsSystemHelpSwitch(std::string_view) {
    return false;
}

std::filesystem::path FolderFromArgument(std::string_view utf8) {
    return PathFromText(utf8);
}

std::optional<std::string> EnvironmentText(const char* name) {
    const char* value = std::getenv(name);
    if (!value)
        return std::nullopt;
    return std::string(value);
}

std::optional<std::filesystem::path> UserStateFolder(std::string_view program) {
    // The XDG base directories must be absolute; a relative one is ignored.
    if (const auto state = EnvironmentText("XDG_STATE_HOME");
        state && std::filesystem::path(*state).is_absolute())
        return std::filesystem::path(*state) / program;
    if (const auto home = EnvironmentText("HOME");
        home && std::filesystem::path(*home).is_absolute())
        return std::filesystem::path(*home) / ".local" / "state" / program;
    return std::nullopt;
}

std::optional<int> TerminalColumns() {
    struct winsize size {};
    if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0)
        return std::nullopt;
    return static_cast<int>(size.ws_col);
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

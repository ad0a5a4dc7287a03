#include "runtime/platform.h"

#include "runtime/utf8.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <type_traits>
#include <utility>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zelmora::platform {

#ifdef _WIN32

namespace {

HANDLE toHandle(NativeFile file) {
    return reinterpret_cast<HANDLE>(file);
}

} // namespace

OpenResult openForReading(const std::filesystem::path& path) {
    OpenResult result;
    // FILE_FLAG_BACKUP_SEMANTICS lets a folder open, so that it is told
    // apart from a file that is not there.
    const HANDLE handle = CreateFileW(
        path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        result.error = static_cast<int>(error);
        result.cause = causeOf(result.error);
        return result;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    if (GetFileInformationByHandle(handle, &information) &&
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        CloseHandle(handle);
        result.cause = Cause::IsFolder;
        return result;
    }
    // Devices (NUL, CON, COM1) and pipes are not disk files.
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        result.cause = Cause::NotOrdinaryFile;
        return result;
    }
    result.opened = true;
    result.file = reinterpret_cast<NativeFile>(handle);
    return result;
}

void createIfMissing(const std::filesystem::path& path) {
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        return;
    }
    const int error = static_cast<int>(GetLastError());
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
        return;
    throw fileError(kPathFileAccess, pathText(path), error);
}

std::ptrdiff_t readFile(NativeFile file, char* buffer, std::size_t size, int& error) {
    const DWORD wanted = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    DWORD got = 0;
    if (!ReadFile(toHandle(file), buffer, wanted, &got, nullptr)) {
        error = static_cast<int>(GetLastError());
        return -1;
    }
    return static_cast<std::ptrdiff_t>(got);
}

bool rewindFile(NativeFile file, int& error) {
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(toHandle(file), start, nullptr, FILE_BEGIN)) {
        error = static_cast<int>(GetLastError());
        return false;
    }
    return true;
}

void closeFile(NativeFile file) {
    CloseHandle(toHandle(file));
}

Cause causeOf(int error) {
    switch (static_cast<DWORD>(error)) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
        return Cause::Missing;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return Cause::PermissionDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return Cause::NoSpace;
    case ERROR_WRITE_PROTECT:
        return Cause::ReadOnlyFileSystem;
    case ERROR_TOO_MANY_OPEN_FILES:
        return Cause::TooManyOpenFiles;
    default:
        return Cause::Other;
    }
}

namespace {

// UTF-16 to UTF-8 by hand: a name may hold a lone surrogate, which the
// standard conversions refuse; it becomes U+FFFD.
std::string utf8(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        char32_t c = static_cast<char16_t>(wide[i]);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size() &&
            static_cast<char16_t>(wide[i + 1]) >= 0xDC00 &&
            static_cast<char16_t>(wide[i + 1]) <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char16_t>(wide[i + 1]) - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        AppendUtf8(out, c);
    }
    return out;
}

} // namespace

std::string errorText(int error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (length == 0 || !text)
        return "errore " + std::to_string(error);
    std::wstring wide(text, length);
    LocalFree(text);
    while (!wide.empty() && (wide.back() == L'\r' || wide.back() == L'\n' || wide.back() == L' '))
        wide.pop_back();
    return utf8(wide);
}

std::string pathText(const std::filesystem::path& path) {
    return utf8(path.native());
}

namespace {

HANDLE consoleOf(std::FILE* stream) {
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) ? handle : nullptr;
}

std::wstring utf16(std::string_view utf8) {
    if (utf8.empty())
        return {};
    // Bytes that are not UTF-8 become U+FFFD.
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
    return wide;
}

} // namespace

bool standardOutputIsTerminal() {
    return consoleOf(stdout) != nullptr;
}

bool writeText(std::FILE* stream, std::string_view utf8) {
    const HANDLE console = consoleOf(stream);
    if (!console)
        return std::fwrite(utf8.data(), 1, utf8.size(), stream) == utf8.size();
    // Whatever the stream still holds goes first, to keep the order.
    std::fflush(stream);
    const std::wstring wide = utf16(utf8);
    std::size_t done = 0;
    while (done < wide.size()) {
        // In pieces, as old consoles take only so much at once; a piece
        // never ends between the two halves of a surrogate pair.
        std::size_t piece = std::min<std::size_t>(wide.size() - done, 8192);
        if (done + piece < wide.size() && wide[done + piece - 1] >= 0xD800 &&
            wide[done + piece - 1] <= 0xDBFF)
            --piece;
        DWORD written = 0;
        if (!WriteConsoleW(console, wide.data() + done, static_cast<DWORD>(piece), &written,
                           nullptr) ||
            written == 0)
            return false;
        done += written;
    }
    return true;
}

namespace {

int dayOfYear(const SYSTEMTIME& date) {
    static constexpr int kDaysBefore[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    const int year = date.wYear;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return kDaysBefore[date.wMonth - 1] + date.wDay - 1 + (leap && date.wMonth > 2 ? 1 : 0);
}

std::tm toTm(const SYSTEMTIME& local) {
    std::tm out{};
    out.tm_year = local.wYear - 1900;
    out.tm_mon = local.wMonth - 1;
    out.tm_mday = local.wDay;
    out.tm_hour = local.wHour;
    out.tm_min = local.wMinute;
    out.tm_sec = local.wSecond;
    out.tm_wday = local.wDayOfWeek;
    out.tm_yday = dayOfYear(local);
    out.tm_isdst = -1;
    return out;
}

} // namespace

// The C runtime's localtime would follow a TZ variable, which on Windows is
// rarely set and, when it comes from a Unix-like shell, is read wrongly; the
// calendar day is the one Windows shows.
std::tm localNow() {
    SYSTEMTIME local{};
    GetLocalTime(&local);
    return toTm(local);
}

double secondsSinceMidnight() {
    SYSTEMTIME local{};
    GetLocalTime(&local);
    return local.wHour * 3600.0 + local.wMinute * 60.0 + local.wSecond +
           local.wMilliseconds / 1000.0;
}

#else

OpenResult openForReading(const std::filesystem::path& path) {
    OpenResult result;
    // O_NONBLOCK: opening a FIFO would otherwise wait for a writer forever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        result.error = errno;
        result.cause = causeOf(result.error);
        return result;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        result.error = errno;
        result.cause = causeOf(result.error);
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

void createIfMissing(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd >= 0) {
        ::close(fd);
        return;
    }
    const int error = errno;
    if (error == EEXIST)
        return;
    throw fileError(kPathFileAccess, pathText(path), error);
}

std::ptrdiff_t readFile(NativeFile file, char* buffer, std::size_t size, int& error) {
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

bool rewindFile(NativeFile file, int& error) {
    if (::lseek(static_cast<int>(file), 0, SEEK_SET) == -1) {
        error = errno;
        return false;
    }
    return true;
}

void closeFile(NativeFile file) {
    ::close(static_cast<int>(file));
}

Cause causeOf(int error) {
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
    default:
        return Cause::Other;
    }
}

std::string errorText(int error) {
    char buffer[256] = {};
    // GNU strerror_r may return a static string instead of filling the buffer.
    auto text = strerror_r(error, buffer, sizeof buffer);
    if constexpr (std::is_same_v<decltype(text), char*>)
        return text;
    else
        return buffer;
}

std::string pathText(const std::filesystem::path& path) {
    return path.native();
}

bool standardOutputIsTerminal() {
    return ::isatty(STDOUT_FILENO) != 0;
}

bool writeText(std::FILE* stream, std::string_view utf8) {
    return std::fwrite(utf8.data(), 1, utf8.size(), stream) == utf8.size();
}

namespace {

std::tm localTime(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    return local;
}

} // namespace

std::tm localNow() {
    return localTime(std::time(nullptr));
}

double secondsSinceMidnight() {
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

#endif

RuntimeError fileError(int number, std::string file, int error) {
    const Cause cause = causeOf(error);
    return RuntimeError(number, std::move(file), cause,
                        cause == Cause::Other ? errorText(error) : std::string());
}

bool writeStandardOutput(std::string_view utf8) {
    return writeText(stdout, utf8);
}

bool writeStandardError(std::string_view utf8) {
    return writeText(stderr, utf8);
}

} // namespace zelmora::platform

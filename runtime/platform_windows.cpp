// The platform layer on Windows: wide (UTF-16) paths and the Windows calls.

#include "runtime/platform.h"
#include "runtime/platform_native.h"
#include "runtime/utf8.h"
#include "runtime/windows_api.h"

#include <chrono>
#include <string>
// After windows.h, which it needs.
#include <shellapi.h>

namespace zelmora::platform {

namespace {

HANDLE toHandle(NativeFile file) {
    return reinterpret_cast<HANDLE>(file);
}

std::u16string_view units(const std::wstring& wide) {
    return {reinterpret_cast<const char16_t*>(wide.data()), wide.size()};
}

} // namespace

OpenResult OpenForReading(const std::filesystem::path& path) {
    OpenResult result;
    // FILE_FLAG_BACKUP_SEMANTICS lets a folder open, so that it is told
    // apart from a file that is not there.
    const HANDLE handle = CreateFileW(
        path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        result.error = static_cast<int>(GetLastError());
        result.cause = CauseOf(result.error);
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

void CreateIfMissing(const std::filesystem::path& path) {
    if (const auto target = DanglingLinkTarget(path))
        throw RuntimeError(kFileNotFound, PathText(path), Cause::DanglingLink, *target);
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        return;
    }
    const int error = static_cast<int>(GetLastError());
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
        return;
    throw FileError(kPathFileAccess, path, error);
}

std::ptrdiff_t ReadBlock(NativeFile file, char* buffer, std::size_t size, int& error) {
    const DWORD wanted = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    DWORD got = 0;
    if (!::ReadFile(toHandle(file), buffer, wanted, &got, nullptr)) {
        error = static_cast<int>(GetLastError());
        return -1;
    }
    return static_cast<std::ptrdiff_t>(got);
}

bool Rewind(NativeFile file, int& error) {
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(toHandle(file), start, nullptr, FILE_BEGIN)) {
        error = static_cast<int>(GetLastError());
        return false;
    }
    return true;
}

void Close(NativeFile file) {
    CloseHandle(toHandle(file));
}

namespace {

// Writes all of `bytes`; 0, or the error code of the write that failed.
int writeAll(HANDLE handle, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD piece =
            bytes.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data(), piece, &written, nullptr))
            return static_cast<int>(GetLastError());
        if (written == 0)
            return ERROR_WRITE_FAULT;
        bytes.remove_prefix(written);
    }
    return 0;
}

OpenResult failed(DWORD error) {
    OpenResult result;
    result.error = static_cast<int>(error);
    result.cause = CauseOf(result.error);
    return result;
}

OpenResult opened(HANDLE handle) {
    OpenResult result;
    result.opened = true;
    result.file = reinterpret_cast<NativeFile>(handle);
    return result;
}

// Why the file at `path` (its links followed) is not written: a folder, a
// device or a pipe, or the read-only attribute, which is the user's "do not
// change this file", also for an administrator, whom the system would let
// write. Looked at through a handle that reads nothing, so that a device is
// never opened for writing.
OpenResult refusedForWriting(const std::filesystem::path& path) {
    const HANDLE probe = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (probe == INVALID_HANDLE_VALUE)
        return failed(GetLastError());
    OpenResult result;
    BY_HANDLE_FILE_INFORMATION information{};
    const bool known = GetFileInformationByHandle(probe, &information) != 0;
    if (GetFileType(probe) != FILE_TYPE_DISK)
        result.cause = Cause::NotOrdinaryFile;
    else if (known && (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        result.cause = Cause::IsFolder;
    else if (known && (information.dwFileAttributes & FILE_ATTRIBUTE_READONLY))
        result.cause = Cause::PermissionDenied;
    CloseHandle(probe);
    return result;
}

bool moveTo(HANDLE file, LONGLONG offset) {
    LARGE_INTEGER at{};
    at.QuadPart = offset;
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) != 0;
}

} // namespace

OpenResult OpenExistingForWriting(const std::filesystem::path& path) {
    if (const OpenResult refused = refusedForWriting(path); refused.cause != Cause::None)
        return refused;
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return failed(GetLastError());
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        OpenResult result;
        result.cause = Cause::NotOrdinaryFile;
        return result;
    }
    return opened(handle);
}

OpenResult CreateExclusively(const std::filesystem::path& path) {
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    return handle == INVALID_HANDLE_VALUE ? failed(GetLastError()) : opened(handle);
}

int WriteAtStart(NativeFile file, std::string_view bytes) {
    const HANDLE handle = toHandle(file);
    // The room is taken first: a file made longer is given its space at once.
    LARGE_INTEGER old{};
    const auto size = static_cast<LONGLONG>(bytes.size());
    if (!GetFileSizeEx(handle, &old) ||
        (size > old.QuadPart && !(moveTo(handle, size) && SetEndOfFile(handle))) ||
        !moveTo(handle, 0))
        return static_cast<int>(GetLastError());
    return writeAll(handle, bytes);
}

int SetLength(NativeFile file, std::size_t size) {
    const HANDLE handle = toHandle(file);
    if (!moveTo(handle, static_cast<LONGLONG>(size)) || !SetEndOfFile(handle))
        return static_cast<int>(GetLastError());
    return 0;
}

int FlushToDisk(NativeFile file) {
    return FlushFileBuffers(toHandle(file)) ? 0 : static_cast<int>(GetLastError());
}

int CloseWritten(NativeFile file) {
    return CloseHandle(toHandle(file)) ? 0 : static_cast<int>(GetLastError());
}

int FlushFolder(const std::filesystem::path&) {
    // Windows has no call that flushes a folder's entries alone; NTFS keeps
    // them in its own journal.
    return 0;
}

Cause CauseOf(int error) {
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
    case ERROR_CANT_RESOLVE_FILENAME:
        return Cause::TooManyLinks;
    case ERROR_FILENAME_EXCED_RANGE:
        return Cause::NameTooLong;
    case ERROR_INVALID_HANDLE:
        return Cause::OutputClosed;
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
        return Cause::BrokenPipe;
    default:
        return Cause::Other;
    }
}

std::string ErrorText(int error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (length == 0 || !text)
        return "errore " + std::to_string(error);
    std::wstring message(text, length);
    LocalFree(text);
    while (!message.empty() &&
           (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' '))
        message.pop_back();
    return Utf16ToUtf8(units(message));
}

std::string NativePathText(const std::filesystem::path& path) {
    return Utf16ToUtf8(units(path.native()));
}

std::vector<std::string> Arguments(int, char**) {
    // The C runtime hands main its arguments in the ANSI code page, which
    // spells only some scripts: a folder named "l’alba" or "日本" would arrive
    // garbled. The command line itself is UTF-16.
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!words)
        return arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(Utf16ToUtf8(units(words[i])));
    LocalFree(words);
    return arguments;
}

std::filesystem::path PathFromText(std::string_view utf8) {
    return std::filesystem::path(Wide(utf8));
}

namespace {

HANDLE standardHandle(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    return handle == nullptr ? INVALID_HANDLE_VALUE : handle;
}

bool isConsole(HANDLE handle) {
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

int writeText(DWORD which, std::string_view utf8) {
    const HANDLE handle = standardHandle(which);
    if (handle == INVALID_HANDLE_VALUE)
        return ERROR_INVALID_HANDLE;
    if (!isConsole(handle))
        return writeAll(handle, WithCrLf(utf8));
    const std::u16string text = Utf8ToUtf16(WithCrLf(utf8));
    std::u16string_view rest = text;
    while (!rest.empty()) {
        // In pieces, as older consoles take only so much at once.
        const std::size_t piece = PieceLength(rest, 8192);
        DWORD written = 0;
        if (!WriteConsoleW(handle, rest.data(), static_cast<DWORD>(piece), &written, nullptr))
            return static_cast<int>(GetLastError());
        if (written == 0)
            return ERROR_WRITE_FAULT;
        rest.remove_prefix(written);
    }
    return 0;
}

} // namespace

bool IsSystemHelpSwitch(std::string_view argument) {
    return argument == "/?";
}

std::filesystem::path FolderFromArgument(std::string_view utf8) {
    // cmd and PowerShell write "C:\Frasi\" for a folder, which the C runtime
    // reads as C:\Frasi" (the backslash escapes the closing quote).
    while (utf8.ends_with('"'))
        utf8.remove_suffix(1);
    return PathFromText(utf8);
}

std::optional<std::string> EnvironmentText(const char* name) {
    const std::wstring wideName = Wide(name);
    const DWORD size = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
    if (size == 0)
        return std::nullopt;
    std::wstring value(size, L'\0');
    const DWORD length = GetEnvironmentVariableW(wideName.c_str(), value.data(), size);
    if (length == 0 || length >= size)
        return std::nullopt;
    value.resize(length);
    return Utf16ToUtf8(units(value));
}

std::optional<std::filesystem::path> UserStateFolder(std::string_view program) {
    const auto local = EnvironmentText("LOCALAPPDATA");
    if (!local || local->empty())
        return std::nullopt;
    return PathFromText(*local) / PathFromText(program);
}

std::optional<int> TerminalColumns() {
    CONSOLE_SCREEN_BUFFER_INFO information{};
    if (!GetConsoleScreenBufferInfo(standardHandle(STD_OUTPUT_HANDLE), &information))
        return std::nullopt;
    const int columns = information.srWindow.Right - information.srWindow.Left + 1;
    if (columns <= 0)
        return std::nullopt;
    return columns;
}

bool StandardOutputIsTerminal() {
    return isConsole(standardHandle(STD_OUTPUT_HANDLE));
}

int WriteStandardOutput(std::string_view utf8) {
    return writeText(STD_OUTPUT_HANDLE, utf8);
}

void WriteStandardError(std::string_view utf8) {
    writeText(STD_ERROR_HANDLE, utf8);
}

// The C runtime's localtime would follow a TZ variable, which on Windows is
// rarely set and, when it comes from a Unix-like shell, is read wrongly; the
// calendar day is the one Windows shows.
std::tm LocalNow() {
    SYSTEMTIME local{};
    GetLocalTime(&local);
    std::tm out{};
    out.tm_year = local.wYear - 1900;
    out.tm_mon = local.wMonth - 1;
    out.tm_mday = local.wDay;
    out.tm_hour = local.wHour;
    out.tm_min = local.wMinute;
    out.tm_sec = local.wSecond;
    out.tm_wday = local.wDayOfWeek;
    const std::chrono::year_month_day date{std::chrono::year{local.wYear},
                                           std::chrono::month{local.wMonth},
                                           std::chrono::day{local.wDay}};
    out.tm_yday = (std::chrono::sys_days{date} -
                   std::chrono::sys_days{date.year() / std::chrono::January / 1})
                      .count();
    out.tm_isdst = -1;
    return out;
}

double SecondsSinceMidnight() {
    SYSTEMTIME local{};
    GetLocalTime(&local);
    return local.wHour * 3600.0 + local.wMinute * 60.0 + local.wSecond +
           local.wMilliseconds / 1000.0;
}

} // namespace zelmora::platform

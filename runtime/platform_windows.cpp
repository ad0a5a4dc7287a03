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

} // namespace

namespace {

// Closes a handle when it goes.
class Handle {
public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE)
        : handle_(handle) {}
    ~Handle() {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

bool moveTo(HANDLE file, LONGLONG offset) {
    LARGE_INTEGER at{};
    at.QuadPart = offset;
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) != 0;
}

// Writes `bytes` over the start of the open file and cuts it to their
// length, flushed to the disk. The room is taken first: on a full disk
// nothing is written and the old numbers stay.
int rewriteInPlace(HANDLE file, std::string_view bytes) {
    const auto size = static_cast<LONGLONG>(bytes.size());
    LARGE_INTEGER old{};
    if (!GetFileSizeEx(file, &old))
        return static_cast<int>(GetLastError());
    if (size > old.QuadPart && !(moveTo(file, size) && SetEndOfFile(file)))
        return static_cast<int>(GetLastError());
    if (!moveTo(file, 0))
        return static_cast<int>(GetLastError());
    if (const int error = writeAll(file, bytes))
        return error;
    if (!moveTo(file, size) || !SetEndOfFile(file) || !FlushFileBuffers(file))
        return static_cast<int>(GetLastError());
    return 0;
}

bool refusedByFolder(int error) {
    return error == ERROR_ACCESS_DENIED;
}

} // namespace

unsigned long CurrentProcessId() {
    return GetCurrentProcessId();
}

bool ProcessGone(unsigned long id) {
    if (id > 0xFFFFFFFFUL)
        return true;
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(id));
    if (!process)
        return GetLastError() == ERROR_INVALID_PARAMETER;
    const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

NewFile CreateNewFile(const std::filesystem::path& path, unsigned) {
    NewFile result;
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        result.error = static_cast<int>(GetLastError());
        result.taken = result.error == ERROR_FILE_EXISTS;
        return result;
    }
    result.made = true;
    result.file = reinterpret_cast<NativeFile>(handle);
    return result;
}

void ReplaceWhole(const std::filesystem::path& path, std::string_view bytes) {
    const std::filesystem::path target = FileBehindLinks(path);
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool existed = attributes != INVALID_FILE_ATTRIBUTES;
    if (!existed && GetLastError() != ERROR_FILE_NOT_FOUND)
        throw FileError(kPathFileAccess, path, static_cast<int>(GetLastError()));
    if (existed && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw RuntimeError(kPathFileAccess, PathText(path), Cause::IsFolder);
    // The read-only attribute is the user's "do not change this file", also
    // for an administrator, whom the file system itself would let write.
    if (existed && (attributes & FILE_ATTRIBUTE_READONLY))
        throw RuntimeError(kPathFileAccess, PathText(path), Cause::PermissionDenied);

    // A file this user may not write (its access list) is not replaced
    // either; one that may be written is rewritten where it stands when its
    // folder takes no new file. (The handle is not kept open: an open file
    // cannot be replaced.)
    const auto openExisting = [&target] {
        return CreateFileW(target.c_str(), GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    if (existed) {
        const Handle probe(openExisting());
        if (probe.get() == INVALID_HANDLE_VALUE)
            throw FileError(kPathFileAccess, path, static_cast<int>(GetLastError()));
        if (GetFileType(probe.get()) != FILE_TYPE_DISK)
            throw RuntimeError(kPathFileAccess, PathText(path), Cause::NotOrdinaryFile);
    }
    const auto fallBack = [&](int error) {
        if (!existed)
            throw refusedByFolder(error) ? FolderRefusesNewFilesError(path, target)
                                         : FileError(kPathFileAccess, path, error);
        const Handle file(openExisting());
        if (file.get() == INVALID_HANDLE_VALUE)
            throw FileError(kPathFileAccess, path, static_cast<int>(GetLastError()));
        if (const int failed = rewriteInPlace(file.get(), bytes))
            throw FileError(kPathFileAccess, path, failed);
    };

    RemoveLeftoversBeside(target);
    std::filesystem::path temporary;
    const NewFile made = CreateBeside(target, 0, temporary);
    if (!made.made)
        return fallBack(made.error);
    const HANDLE handle = reinterpret_cast<HANDLE>(made.file);
    // A full disk may show only at the write or at the flush to the disk:
    // both are checked before the new file takes the old one's place.
    int error = writeAll(handle, bytes);
    if (error == 0 && !FlushFileBuffers(handle))
        error = static_cast<int>(GetLastError());
    CloseHandle(handle);
    // Hidden while it was being written; the file it becomes is not, unless
    // the old one was.
    const DWORD kept =
        existed ? attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED)
                : 0;
    if (error == 0 &&
        !SetFileAttributesW(temporary.c_str(), kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL))
        error = static_cast<int>(GetLastError());
    if (error == 0 && !MoveFileExW(temporary.c_str(), target.c_str(),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = static_cast<int>(GetLastError());
    if (error != 0) {
        DeleteFileW(temporary.c_str());
        if (existed && refusedByFolder(error))
            return fallBack(error);
        throw FileError(kPathFileAccess, path, error);
    }
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

#pragma once

// The few operating-system calls that differ between Linux and Windows live
// behind these functions, so the rest of the program is plain standard C++.

#include "runtime/errors.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>

namespace zelmora::platform {

// An open file: a descriptor on Linux, a handle on Windows.
using NativeFile = std::intptr_t;

struct OpenResult {
    bool opened = false;
    NativeFile file = -1;
    // When not opened: why, and the system's error code.
    Cause cause = Cause::None;
    int error = 0;
};

// Opens an ordinary file for reading. Never waits: a FIFO, a socket or a
// device is refused at once (Cause::NotOrdinaryFile), as is a folder
// (Cause::IsFolder); a missing file gives Cause::Missing. A symbolic link to
// an ordinary file opens that file.
OpenResult openForReading(const std::filesystem::path& path);

// Makes `path` an empty file when nothing is there yet; a file that exists is
// left as it is, never emptied. Raises error 75 when it cannot be made.
void createIfMissing(const std::filesystem::path& path);

// Reads up to `size` bytes; returns how many, 0 at the end, -1 on failure
// with the system's error code in `error`.
std::ptrdiff_t readFile(NativeFile file, char* buffer, std::size_t size, int& error);

// Back to the first byte; false on failure with the error code in `error`.
bool rewindFile(NativeFile file, int& error);

void closeFile(NativeFile file);

// The cause the user is told for a system error code.
Cause causeOf(int error);

// The operating system's own text for an error code.
std::string errorText(int error);

// The error `number` about `file` (a path as pathText gives it) for a system
// error code: its cause, and the system's own text for the rare causes the
// program has no words for.
RuntimeError fileError(int number, std::string file, int error);

// A path as UTF-8 text for messages, whatever bytes or characters it holds;
// never throws. On Linux these are the path's own bytes (which need not be
// UTF-8: the reader of the message decides how to show them).
std::string pathText(const std::filesystem::path& path);

// Whether standard output is a terminal (rather than a pipe or a file). On
// Windows that is a console; NUL, a character device too, is not one.
bool standardOutputIsTerminal();

// Writes UTF-8 text to a stdio stream the way the user should get it:
// - on a Windows console, as UTF-16 through the console's own interface, so
//   accents and the euro sign show right whatever the console's code page;
// - into a file or a pipe, as UTF-8 bytes with the platform's line ends:
//   each '\n' stays LF on Linux and becomes CR LF on Windows, where the C
//   runtime writes the standard streams (and files opened without "b") in
//   text mode.
// Like fwrite the bytes may wait in the stream's buffer: std::fflush tells
// whether they all got out. Returns false when the text was refused at once.
bool writeText(std::FILE* stream, std::string_view utf8);
bool writeStandardOutput(std::string_view utf8);
bool writeStandardError(std::string_view utf8);

// The current local calendar time: the time zone of the system (on Windows
// the one set in Windows itself, whatever a TZ variable says).
std::tm localNow();

// Seconds since local midnight, with the sub-second part.
double secondsSinceMidnight();

} // namespace zelmora::platform

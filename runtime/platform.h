#pragma once

// The operating-system calls the program needs, behind one header. What is
// the same everywhere lives in platform.cpp; what differs lives in
// platform_posix.cpp and platform_windows.cpp, one of which is built.
//
// The program's files are opened by names relative to the working folder,
// which the program never changes: they are found there whatever the folder
// is called now, and however long its path is.

#include "runtime/errors.h"

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelmora::platform {

// An open file: a descriptor on Linux, a handle on Windows.
using NativeFile = std::intptr_t;

struct OpenResult {
    bool opened = false;
    NativeFile file = -1;
    // When not opened: why, and the system's error code (0 when the file was
    // opened and then refused for what it is).
    Cause cause = Cause::None;
    int error = 0;
};

// Opens an ordinary file for reading. Never waits: a FIFO, a socket or a
// device is refused at once (Cause::NotOrdinaryFile), as is a folder
// (Cause::IsFolder); a missing file gives Cause::Missing. A symbolic link to
// an ordinary file opens that file.
OpenResult OpenForReading(const std::filesystem::path& path);

// Makes `path` an empty file when nothing is there yet; a file that exists is
// left as it is, never emptied. Raises error 53 for a symbolic link that
// points nowhere (making its target would put a file somewhere unexpected),
// and error 75 when the file cannot be made.
void CreateIfMissing(const std::filesystem::path& path);

// Reads up to `size` bytes; returns how many, 0 at the end, -1 on failure
// with the system's error code in `error`.
std::ptrdiff_t ReadBlock(NativeFile file, char* buffer, std::size_t size, int& error);

// Back to the first byte; false on failure with the error code in `error`.
bool Rewind(NativeFile file, int& error);

void Close(NativeFile file);

// Saves `bytes` as the file at `path`, where it stands: a file that is there
// (also at the end of a chain of links) is written over from its first
// byte, cut to their length and flushed to the disk, so it stays the same
// file with its links, owner, permissions and access list; the room for the
// bytes is taken before any of them is written. A file that is not there is
// made (read and write for everyone less the umask), written and flushed
// with its folder's entry. Nothing else is made, renamed or removed: only a
// file this save made is taken away again when it fails. Raises error 75
// naming `path`, with nothing changed, for a file no one may write (whoever
// asks), a folder, FIFO or device, a link to nothing (the missing name at the
// end of the chain as the system text) and links that cannot be followed;
// and error 75 with the reason when a step fails.
void SaveInPlace(const std::filesystem::path& path, std::string_view bytes);

// The cause the user is told for a system error code.
Cause CauseOf(int error);

// The operating system's own text for an error code.
std::string ErrorText(int error);

// The error `number` about `path` for a system error code: the file as
// PathText names it, the cause, and the system's own text for the rare
// causes the program has no words for. A missing file whose working folder
// was deleted is told as such.
RuntimeError FileError(int number, const std::filesystem::path& path, int error);

// Error 53 about `path`, found missing by a look rather than by a failed
// call: told as a link to nothing, or as a deleted working folder, where
// that is why.
RuntimeError NotFoundError(const std::filesystem::path& path);

// A path as the user should read it in a message, as UTF-8 text; never
// throws. A relative path is shown inside the working folder as it is named
// now, or bare when the folder has no name to give (deleted, or too long).
// On Linux these are the path's own bytes, which need not be UTF-8.
std::string PathText(const std::filesystem::path& path);

// Whether the working folder was deleted while the program ran.
bool WorkingFolderGone();

// Where a symbolic link at `path` points, when it points nowhere: the target
// of the last link of the chain, the name nothing has.
std::optional<std::string> DanglingLinkTarget(const std::filesystem::path& path);

// The program's arguments after its name, as UTF-8 text (on Windows read
// from the UTF-16 command line, so a name in any script arrives whole).
std::vector<std::string> Arguments(int argc, char** argv);

// A path given as UTF-8 text (a command-line argument).
std::filesystem::path PathFromText(std::string_view utf8);

// Whether `argument` is the system's own way of asking a program for its
// help, beside -h and --help: "/?" on Windows; nothing on Linux.
bool IsSystemHelpSwitch(std::string_view argument);

// The folder a command-line argument (UTF-8) names. On Windows a name
// cannot end in a double quote: one there is what the C runtime makes of a
// quoted folder with a trailing backslash ("C:\Frasi\"), and is dropped.
// An empty name stays empty: the working folder.
std::filesystem::path FolderFromArgument(std::string_view utf8);

// The value of the environment variable `name` as UTF-8 text, or nothing
// when it is not set.
std::optional<std::string> EnvironmentText(const char* name);

// The folder where a program keeps what it remembers for this user between
// runs, named after `program`: $XDG_STATE_HOME/PROGRAM (by default
// ~/.local/state/PROGRAM) on Linux, %LOCALAPPDATA%\PROGRAM on Windows.
// Nothing when the system names no such place. It may not exist yet.
std::optional<std::filesystem::path> UserStateFolder(std::string_view program);

// The width in columns of the terminal standard output goes to; nothing
// when it is no terminal or does not tell.
std::optional<int> TerminalColumns();

// Whether standard output is a terminal (rather than a pipe or a file). On
// Windows that is a console; NUL, a character device too, is not one.
bool StandardOutputIsTerminal();

// Writes UTF-8 text the way the user should get it, with no buffer in
// between:
// - on a Windows console, as UTF-16 through the console's own interface, so
//   accents and the euro sign show right whatever the console's code page;
// - into a file or a pipe, as UTF-8 bytes with the platform's line ends
//   (each '\n' becomes CR LF on Windows).
// Returns 0, or the system's error code when not all of it got out.
int WriteStandardOutput(std::string_view utf8);
// The same for standard error; a failure there has nowhere to be told.
void WriteStandardError(std::string_view utf8);

// The current local calendar time: the time zone of the system (on Windows
// the one set in Windows itself, whatever a TZ variable says).
std::tm LocalNow();

// Seconds since local midnight, with the sub-second part.
double SecondsSinceMidnight();

} // namespace zelmora::platform

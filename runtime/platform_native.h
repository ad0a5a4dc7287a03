#pragma once

// What platform.cpp takes from the file of the system it is built for, and
// what it gives back to that file: the parts of saving a file that are the
// same everywhere.

#include "runtime/errors.h"
#include "runtime/platform.h"

#include <filesystem>
#include <optional>
#include <string>

namespace zelmora::platform {

// A path as UTF-8 text, spelled as the system spells it: its own bytes on
// Linux, its UTF-16 converted on Windows. Never throws.
std::string NativePathText(const std::filesystem::path& path);

// This program's process number, and whether the process of a number has
// ended (a number nobody has, or one whose process has exited).
unsigned long CurrentProcessId();
bool ProcessGone(unsigned long id);

// One attempt at making a new file at `path`, which must not be there yet,
// for writing. Its permissions are `mode` less the umask on Linux (Windows
// has none); on Windows it is hidden while it lives.
struct NewFile {
    bool made = false;
    NativeFile file = -1;
    int error = 0;      // when not made: the system's error code
    bool taken = false; // when not made: something has that name already
};
NewFile CreateNewFile(const std::filesystem::path& path, unsigned mode);

// --- Shared by the systems' ReplaceWhole (platform.cpp) ---

// The file that writing to `path` writes: `path` itself, or, where it is a
// symbolic link, the file the chain of links ends at, in that file's own
// folder. Raises error 75 for a link to nothing (its target as the system
// text), and for links that never end.
std::filesystem::path FileBehindLinks(const std::filesystem::path& path);

// A new file beside `target` that no one else has, named ".NAME.PID-N-TICK"
// after the target and this process, so that one left by a save cut short
// (a crash, a power cut) is known for what it is: `temporary` receives its
// name.
NewFile CreateBeside(const std::filesystem::path& target, unsigned mode,
                     std::filesystem::path& temporary);

// Takes away the files CreateBeside made for `target` in earlier runs whose
// program has ended without finishing its save. Never throws: a folder that
// cannot be listed keeps what it holds.
void RemoveLeftoversBeside(const std::filesystem::path& target);

// Error 75 about `path` when no new file may be made in `target`'s folder:
// the folder is named.
RuntimeError FolderRefusesNewFilesError(const std::filesystem::path& path,
                                        const std::filesystem::path& target);

} // namespace zelmora::platform

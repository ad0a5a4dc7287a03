#pragma once

// What platform.cpp takes from the file of the system it is built for: the
// steps of saving a file, one call each, so that the save itself is written
// once (SaveInPlace, platform.cpp).

#include "runtime/platform.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace zelmora::platform {

// A path as UTF-8 text, spelled as the system spells it: its own bytes on
// Linux, its UTF-16 converted on Windows. Never throws.
std::string NativePathText(const std::filesystem::path& path);

// Opens the file at `path` for writing where it stands, following links,
// without changing a byte of it. Never waits and never opens a device: what
// is not an ordinary file is refused (Cause::IsFolder, NotOrdinaryFile), as
// is a file no one may write, whoever asks (Cause::PermissionDenied: no
// write permission bit at all, the read-only attribute on Windows). Nothing
// at the end of the path gives Cause::Missing.
OpenResult OpenExistingForWriting(const std::filesystem::path& path);

// Makes a new file at `path`, where nothing may be yet (not even a link),
// and opens it for writing: read and write for everyone less the umask.
OpenResult CreateExclusively(const std::filesystem::path& path);

// Each step returns 0, or the system's error code.
// Writes `bytes` from the file's first byte on, over what is there. The room
// for them is taken first where the system can, so that a full disk or a
// size limit fails the write before any byte changes.
int WriteAtStart(NativeFile file, std::string_view bytes);
// Cuts the file to `size` bytes.
int SetLength(NativeFile file, std::size_t size);
// Sends what was written to the disk.
int FlushToDisk(NativeFile file);
// Closes the file; a write the system kept back may fail only here.
int CloseWritten(NativeFile file);
// Sends the name of a file just made in `folder` to the disk.
int FlushFolder(const std::filesystem::path& folder);

} // namespace zelmora::platform

#pragma once

#include <stdexcept>
#include <string>

namespace zelmora {

// The numbered run-time errors the program raises and reports. The numbers
// are the ones the phrase routines have always used, so the start-up can
// tell "file not found" apart from every other failure.
enum ErrorNumber : int {
    kOverflow = 6,
    kDivisionByZero = 11,
    kFileNotFound = 53,
    kDeviceIo = 57,
    kInputPastEnd = 62,
    kPathFileAccess = 75,
    kBadFileFormat = 321,
};

// Why a file operation failed, in the kinds the user is told about in their
// own words. Anything rarer is `Other`, with the system's own text.
enum class Cause {
    None,
    Missing,               // the file or a folder on its path does not exist
    WorkingFolderGone,     // the working folder was deleted while the program ran
    DanglingLink,          // a symbolic link to nothing; the system text is its target
    EmptyFile,             // the file holds no byte at all
    PermissionDenied,      // no permission to read or write it
    FolderRefusesNewFiles, // no new file may be made in its folder; the system text names it
    NoSpace,               // the disk (or the user's quota) is full
    ReadOnlyFileSystem,    // the disk is mounted read-only
    IsFolder,              // a folder stands where a file is expected
    NotOrdinaryFile,       // a FIFO, socket or device: never read, it may not end
    TooManyOpenFiles,
    TooManyLinks, // symbolic links that point at each other
    NameTooLong,
    OutputClosed, // standard output was closed before the program started
    BrokenPipe,   // the reader of a pipe went away
    PartlyUtf16,  // part of a text file is UTF-16 without a byte-order mark
    Other,
};

// A failure of a runtime operation: its number, the file involved (as the
// user should read it: its whole path where one can be had; empty when no
// file is involved), the cause and the system's own text (for `Other`, its
// description; for `DanglingLink`, the link's target).
class RuntimeError : public std::runtime_error {
public:
    RuntimeError(int number, std::string file = {}, Cause cause = Cause::None,
                 std::string systemText = {});

    int number() const noexcept { return number_; }
    const std::string& file() const noexcept { return file_; }
    Cause cause() const noexcept { return cause_; }
    const std::string& systemText() const noexcept { return systemText_; }

private:
    int number_;
    std::string file_;
    Cause cause_;
    std::string systemText_;
};

} // namespace zelmora

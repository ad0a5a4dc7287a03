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
    kFileAlreadyOpen = 55,
    kDeviceIo = 57,
    kInputPastEnd = 62,
    kPathFileAccess = 75,
};

// Why the system refused a file, in the few kinds the user is told about in
// their own words. Anything rarer is `Other`, with the system's own text.
enum class Cause {
    None,
    Missing,            // the file or a folder on its path does not exist
    PermissionDenied,   // no permission to read or write it
    NoSpace,            // the disk (or the user's quota) is full
    ReadOnlyFileSystem, // the disk is mounted read-only
    IsFolder,           // a folder stands where a file is expected
    NotOrdinaryFile,    // a FIFO, socket or device: never read, it may not end
    TooManyOpenFiles,
    Other,
};

// A failure of a runtime operation: its number, the file involved (its whole
// path as the system spells it, empty when no file is involved), the cause
// and, for a cause of `Other`, the system's own description.
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

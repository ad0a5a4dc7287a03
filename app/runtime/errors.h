#pragma once

#include <stdexcept>
#include <string>

namespace zelmora {

// The numbered run-time errors the program raises and reports. The numbers
// are the ones the phrase routines have always used, so the start-up trap can
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

// A failure of a runtime operation: its number, the file involved (a bare
// name or a path, empty when no file is involved) and, where the operating
// system gave one, its own description of the cause.
class RuntimeError : public std::runtime_error {
public:
    RuntimeError(int number, std::string file = {}, std::string detail = {});

    int number() const noexcept { return number_; }
    const std::string& file() const noexcept { return file_; }
    const std::string& detail() const noexcept { return detail_; }

private:
    int number_;
    std::string file_;
    std::string detail_;
};

} // namespace zelmora

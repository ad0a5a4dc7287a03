#pragma once

// The colour settings file "opzioni.txt": two signed decimal numbers, the
// phrase text colour then the main window's background, each on a line of its
// own ended by CR LF. Colours are in the Windows form: a plain colour is
// &H00BBGGRR; &H80000000 plus an index names a system colour, written as a
// negative number (the button face &H8000000F is -2147483633).

#include "runtime/byte_source.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zelmora {

// Highest index of the system colours (the tooltip background).
inline constexpr std::int32_t kLastSystemColorIndex = 24;

// A plain colour 0..&H00FFFFFF, or a system colour &H80000000 plus an index,
// accepted in its signed form (as written) or its unsigned one.
std::optional<std::int32_t> ValidColor(long long value);

// Reads values as a delimited read does: a UTF-8 byte-order mark at the start
// of the file is passed over, leading blanks are skipped and a
// comma or a line end ends a value, so both numbers on one line separated by
// a comma read the same as one per line. Raises error 62 when no value is
// left. Only the first few kilobytes of the source are looked at.
class DelimitedReader {
public:
    explicit DelimitedReader(ByteSource& source);
    std::string next();

private:
    bool peek(char& c);
    void advance();

    ByteSource& source_;
    char buffer_[4096];
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    std::size_t consumed_ = 0;
    bool eof_ = false;
};

// Reads the two colours in their order. A value that is missing (error 62
// while reading it), not a number or not a valid colour keeps the colour it
// replaces.
void ReadColorSettings(ByteSource& source, std::int32_t& foreColor, std::int32_t& backColor);

// The file's bytes for a pair of colours: "16576\r\n-2147483633\r\n".
std::string FormatColorSettings(std::int32_t foreColor, std::int32_t backColor);

// The two colours the colours dialog settles on.
struct ColorChoice {
    std::int32_t foreColor;
    std::int32_t backColor;
};

// Writes "opzioni.txt" in `directory` (empty: the working folder) with the
// two colours. The file is replaced whole, so a full disk or a crash leaves
// the old file as it was. Raises error 75 naming the file and the reason
// when it cannot be saved.
void SaveColorSettings(const std::filesystem::path& directory, const ColorChoice& colors);

} // namespace zelmora

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
#include <vector>

namespace zelmora {

// The two colours the settings hold: the phrase text's and the main
// window's background.
struct ColorChoice {
    std::int32_t foreColor;
    std::int32_t backColor;
};

// A plain colour 0..&H00FFFFFF, or a system colour &H80000000 plus an index,
// accepted in its signed form (as written) or its unsigned one.
std::optional<std::int32_t> ValidColor(long long value);

// The values of a settings file's bytes, as delimited reads take them: a
// UTF-8 byte-order mark at the very start is passed over, leading blanks are
// skipped and a comma or a line end ends a value, so both numbers on one
// line separated by a comma read the same as one per line; a value in
// double quotes runs to its closing quote, and what follows it up to the
// delimiter is dropped.
std::vector<std::string> DelimitedValues(std::string_view bytes);

// Reads the two colours in their order from the first few kilobytes of
// `source` into `colors`. A value that is missing, not a number or not a
// valid colour keeps the colour it would have replaced.
void ReadColorSettings(ByteSource& source, ColorChoice& colors);

// The file's bytes for a pair of colours: "16576\r\n-2147483633\r\n".
std::string FormatColorSettings(const ColorChoice& colors);

// Writes "opzioni.txt" in `directory` (empty: the working folder) with the
// two colours, where it stands (see platform::SaveInPlace): what the user set
// up on the file stays, a full disk never costs the old numbers, and a save
// cut short leaves the new numbers followed by old bytes, which
// ReadColorSettings passes over. Raises error 75 naming the file and the
// reason when it cannot be saved.
void SaveColorSettings(const std::filesystem::path& directory, const ColorChoice& colors);

} // namespace zelmora

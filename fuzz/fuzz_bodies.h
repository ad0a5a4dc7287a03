#pragma once

// What the fuzzers run on one input, shared with the regression test that
// replays saved inputs in the ordinary build. Plain C++, no Qt, no libFuzzer.
//
// Each function throws InvariantFailure when the code under test breaks one
// of its documented rules; any other exception escaping is a fault as well.

#include "archive/phrase_scanner.h"
#include "reference.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zelmora::fuzz {

class InvariantFailure : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// Checks the phrase archive and the scanner on `file` against ReferenceLines:
// the phrase count, phrase `n` (loaded as LoadPhrase does, with its errors),
// and, for each of `blockSizes` and each search the processor has, a scanner
// reading in blocks of that size (counting, skipping and reading lines across
// block boundaries).
void CheckPhraseFile(std::string_view file, std::int64_t n,
                     std::initializer_list<std::size_t> blockSizes);

// The parts of CheckPhraseFile on their own, reading from a source that hands
// out at most `chunk` bytes per read, so the ends of reads fall anywhere:
// - a scanner reading blocks of `blockSize` with `search`: every line, the
//   count, what is left after skipping the separators before phrase `n`, and
//   the separators skipped one by one;
// - LoadPhrase of phrase `n`: its text, or error 62 and the text it leaves.
void CheckScanner(std::string_view file, std::int64_t n, std::size_t blockSize, std::size_t chunk,
                  PhraseScanner::Search search);
void CheckLoad(std::string_view file, std::int64_t n, std::size_t chunk);

// A fuzz input for the phrase archive: bytes 0..1 (big-endian) less 2 are the
// phrase number n (-2..65533), byte 2 picks a scanner block size (1..256),
// the rest is the file. Missing header bytes count as 0. The scanner is also
// run with the smallest blocks it takes, whose ends fall on every byte.
void PhraseArchiveInput(const std::uint8_t* data, std::size_t size);

// Reads `file` through TextSource in reads of `chunk` bytes: a file with a
// UTF-16 byte-order mark must give the whole of it decoded at once (the mark
// as UTF-8's), any other its own bytes, or error 321 exactly when three NUL
// bytes stand two apart.
void CheckTextSource(std::string_view file, std::size_t chunk);

// Reads the colour settings from `file` (the whole input) and checks that
// each colour is either the one it replaces or a valid colour, and that
// colours written by FormatColorSettings read back unchanged.
void ColorSettingsInput(const std::uint8_t* data, std::size_t size);

} // namespace zelmora::fuzz

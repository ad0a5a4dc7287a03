#pragma once

// The phrase file: one or more lines of text per phrase, each phrase closed by
// a separator line "----". The number of phrases is the number of separator
// lines; text after the last separator belongs to no counted phrase.
//
// Phrases are bytes as they stand in the file; decoding them for display is
// the caller's business. The overloads that open the file read it through
// TextSource: a file in UTF-16 (with its byte-order mark) is read as the same
// text in UTF-8, and one that turns to UTF-16 part-way raises error 321.

#include "archive/phrase_scanner.h"
#include "runtime/byte_source.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace zelmora {

// The number of phrases of a count that has never been set is empty, which is
// not the same as a file with no phrase.
using PhraseCountValue = std::optional<std::int64_t>;

// The longest phrase text kept, far more than the main window can show. A
// longer phrase (a file of one enormous line, say) is cut to this size, at a
// character boundary, so it cannot swamp the program's memory.
inline constexpr std::size_t kMaxPhraseBytes = 64 * 1024;

// Sets `count` to the number of separator lines. `count` is set to 0 first,
// so an empty file (zero bytes) leaves it 0 and raises error 62 (input past
// end of file, with the cause EmptyFile). Opening the file raises 53 when it is missing and 75 when
// it is refused.
//
// `search` is the scanner's separator search (the benchmark times both; the
// program keeps the default) in this overload and in LoadPhrase's.
void CountPhrases(ByteSource& source, PhraseCountValue& count,
                  PhraseScanner::Search search = PhraseScanner::Search::Fastest);
void CountPhrases(const std::filesystem::path& file, PhraseCountValue& count);

// Sets `phraseText` to the text of phrase `n` (1-based; n <= 1 gives the first
// phrase): its lines joined by CR LF, leading empty lines dropped, empty lines
// after the first text kept. Two separators in a row give the empty text.
// A phrase longer than kMaxPhraseBytes is cut to that size.
//
// Raises error 62 when the file ends before phrase `n` begins (with the cause
// EmptyFile when it holds no byte at all); `phraseText` is then left holding
// the file's last line (as it does when it is used as the read buffer while
// skipping), or the empty text when the file ends right after the separator
// before phrase `n`.
void LoadPhrase(ByteSource& source, std::int64_t n, std::string& phraseText,
                PhraseScanner::Search search = PhraseScanner::Search::Fastest);
void LoadPhrase(const std::filesystem::path& file, std::int64_t n, std::string& phraseText);

// The phrase that belongs to a day of the year (1..366) when each phrase stays
// on show for `holdDays` days: the cycle of holdDays * count days restarts
// every 1 January. With holdDays 1 the result is (day mod count) + 1.
// Raises error 11 (division by zero) when the count is empty or 0.
int DayPhraseIndex(const PhraseCountValue& count, int holdDays, int dayOfYear);

} // namespace zelmora

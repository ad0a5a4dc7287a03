#pragma once

#include "runtime/byte_source.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>

namespace zelmora {

// Reads a phrase file front to back in large blocks.
//
// A line ends at CR LF, at CR or at a lone LF; the line end is not part of the
// line, and a line end at the very end of the file opens no further line. A
// separator is a line whose bytes are exactly "----". A UTF-8 byte-order mark
// at the very start of the file is not part of the first line.
//
// Counting and skipping search the blocks for separators without copying a
// line, so their memory does not depend on the file's size.
class PhraseScanner {
public:
    static constexpr std::string_view kSeparator = "----";
    // Blocks of 768 KiB: larger ones cost fewer reads, but every byte of the
    // block counts in the memory the program holds once a large file is read.
    static constexpr std::size_t kDefaultBlockSize = std::size_t{768} << 10;

    // How the blocks are searched for separators. Portable runs anywhere,
    // hyphen by hyphen with memchr; Sse2 (every x86-64 processor) and Avx2
    // pass over 128 and 64 bytes at a time, Neon (every 64-bit ARM
    // processor) over 64. Fastest is the widest search the processor has,
    // chosen once per run, so that one program runs on any processor of its
    // kind. All of them give the same answers; the tests and the fuzzers run
    // each one the processor has against the portable one.
    enum class Search { Fastest, Portable, Sse2, Avx2, Neon };

    // Every search but Fastest, the way they are named.
    static constexpr Search kSearches[] = {Search::Portable, Search::Sse2, Search::Avx2,
                                           Search::Neon};

    // Whether this build and this processor have `search` (Fastest and
    // Portable always).
    static bool has(Search search);

    // The search Fastest stands for in this run: the widest one, unless the
    // environment variable ZELMORA_SEARCH names another that the processor
    // has ("portable", "sse2", "avx2", "neon"), as the benchmark does to time
    // each.
    static Search chosen();

    // The name ZELMORA_SEARCH gives `search`; "fastest" for Fastest.
    static std::string_view nameOf(Search search);

    // Reads `source` blockSize bytes at a time (1 at the least), searching
    // with `search`, or with chosen() when the processor lacks it.
    explicit PhraseScanner(ByteSource& source, std::size_t blockSize = kDefaultBlockSize,
                           Search search = Search::Fastest);

    // True when the source held no byte at all.
    bool sourceIsEmpty();

    // True when no byte is left to read (the end-of-file test).
    bool atEnd();

    // Reads the next line into `line`, keeping at most its first `maxBytes`
    // bytes (the rest of the line is passed over all the same); `length`, when
    // given, receives the line's whole length. Returns false, leaving `line`
    // as it was, when no byte is left.
    bool readLine(std::string& line, std::size_t maxBytes = std::string::npos,
                  std::size_t* length = nullptr);

    // Moves past the next `n` separator lines and the line end of the last.
    // Returns how many it moved past: fewer than `n` only when the input ends
    // first, having then read to the end.
    std::int64_t skipSeparators(std::int64_t n);

    // Counts the separator lines from here to the end of the input, reading
    // to the end.
    std::int64_t countSeparators() {
        return skipSeparators(std::numeric_limits<std::int64_t>::max());
    }

private:
    void start();
    bool refill();
    void skipLineEnd();
    std::int64_t searchBuffer(char* last, std::int64_t wanted, char*& found) const;
    char* searchEnd() const;

    ByteSource& source_;
    std::size_t blockSize_;
    // Where the build has no vector search, nothing reads it.
    [[maybe_unused]] Search search_;
    std::unique_ptr<char[]> storage_;
    // The unread bytes are [pos_, end_). The byte before pos_ is always kept:
    // a line begins at pos_ exactly when that byte is a line end.
    char* block_ = nullptr; // where each read lands
    char* pos_ = nullptr;
    char* end_ = nullptr;
    bool started_ = false;
    bool empty_ = false;
    bool eof_ = false;
};

} // namespace zelmora

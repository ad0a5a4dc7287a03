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
    static constexpr std::size_t kDefaultBlockSize = std::size_t{1} << 20;

    // How the blocks are searched for separators: 128 bytes at a time where
    // the processor has SSE2 (every x86-64 one), or hyphen by hyphen with
    // memchr, which runs anywhere. Both give the same answers; the tests and
    // the fuzzers run both.
    enum class Search { Fastest, Portable };

    // Reads `source` blockSize bytes at a time (1 at the least).
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
    // Only the SSE2 search looks at it: without SSE2 both are the same.
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

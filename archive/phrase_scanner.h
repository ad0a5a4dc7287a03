#pragma once

#include "runtime/byte_source.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zelmora {

namespace detail {

// Leaves the bytes of a vector<char> as they come from the allocator: the
// scanner's buffer is filled by reads, and clearing a megabyte on every open
// of a small file would be wasted work.
template <typename T> struct UninitialisedAllocator : std::allocator<T> {
    template <typename U> struct rebind { using other = UninitialisedAllocator<U>; };
    UninitialisedAllocator() = default;
    template <typename U> UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
    template <typename U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <typename U, typename... Args> void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

} // namespace detail

// Reads a phrase file front to back in large blocks.
//
// A line ends at CR LF, at CR or at a lone LF; the line end is not part of the
// line. A separator is a line whose bytes are exactly "----". A UTF-8
// byte-order mark at the very start of the file is not part of the first line.
//
// Counting and skipping look only at the hyphens of the file, so they never
// copy a line and their memory does not depend on the file's size.
class PhraseScanner {
public:
    static constexpr std::string_view kSeparator = "----";
    static constexpr std::size_t kDefaultBlockSize = std::size_t{1} << 20;

    explicit PhraseScanner(ByteSource& source, std::size_t blockSize = kDefaultBlockSize);

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

    // Moves past the next separator line and its line end. Returns false when
    // the input ends first.
    bool skipPastSeparator();

    // Counts the separator lines from here to the end of the input.
    std::int64_t countSeparators();

private:
    void start();
    bool refill();
    bool separatorAt(std::size_t i) const;
    // The search for separators 128 bytes at a time; see the definition.
    template <typename Found> bool searchBlocks(Found&& found);
    // The first place from pos_ where a separator line could begin, as far as
    // the bytes in the buffer tell, hyphen by hyphen; end_ when there is none.
    std::size_t nextPossibleSeparator() const;
    // Finds the next hyphen that begins a separator line; false at the end.
    bool findSeparator(std::size_t& at);
    void consumeLineEnd();

    ByteSource& source_;
    std::vector<char, detail::UninitialisedAllocator<char>> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool started_ = false;
    bool eof_ = false;
    bool empty_ = false;
    bool atLineStart_ = true; // whether a line begins at pos_

    // Where searchBlocks stopped: a block of the buffer and the pairs of
    // hyphens in it it has not looked at yet (bit k: the bytes 2k, 2k + 1).
    static constexpr std::size_t kPairsBlockSize = 128;
    std::size_t pairsBlock_ = 0;
    std::uint64_t pendingPairs_ = 0;
    bool pairsBlockValid_ = false;
};

} // namespace zelmora

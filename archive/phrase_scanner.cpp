#include "archive/phrase_scanner.h"

#include "runtime/utf8.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#define ZELMORA_SCANNER_SSE2 1
#endif

namespace zelmora {

namespace {

constexpr std::size_t kSeparatorLength = PhraseScanner::kSeparator.size();
// Room before each block for the bytes kept from the one before: the byte
// before the first unread one and at most the hyphens of a separator that
// the block ended in.
constexpr std::size_t kKeep = 16;
constexpr std::size_t kCacheLine = 64;

// Whether a separator line begins at `at`: a line end before it, the four
// hyphens, a line end after them.
bool separatorAt(const char* at) {
    return IsLineEnd(at[-1]) &&
           std::memcmp(at, PhraseScanner::kSeparator.data(), kSeparatorLength) == 0 &&
           IsLineEnd(at[kSeparatorLength]);
}

#if ZELMORA_SCANNER_SSE2
constexpr std::ptrdiff_t kPairBlock = 128;

// Bit k: bytes 2k and 2k + 1 of the 128 from `p` are both hyphens.
std::uint64_t hyphenPairs(const char* p) {
    const __m128i twoHyphens = _mm_set1_epi16(0x2D2D);
    const auto* bytes = reinterpret_cast<const __m128i*>(p);
    // 32 bytes: their 16 pairs compared at once, then narrowed to a bit each.
    const auto bits = [&](int i) -> std::uint64_t {
        const __m128i low = _mm_cmpeq_epi16(_mm_loadu_si128(bytes + 2 * i), twoHyphens);
        const __m128i high = _mm_cmpeq_epi16(_mm_loadu_si128(bytes + 2 * i + 1), twoHyphens);
        return static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_packs_epi16(low, high)));
    };
    return bits(0) | bits(1) << 16 | bits(2) << 32 | bits(3) << 48;
}

// The pairs of a block from `offset` bytes into it on.
std::uint64_t pairsFrom(std::ptrdiff_t offset) {
    const auto firstPair = static_cast<unsigned>(offset + 1) / 2;
    return firstPair < 64 ? ~std::uint64_t{0} << firstPair : 0;
}
#endif

} // namespace

PhraseScanner::PhraseScanner(ByteSource& source, std::size_t blockSize, Search search)
    : source_(source)
    , blockSize_(std::max<std::size_t>(blockSize, 1))
    , search_(search)
    , storage_(std::make_unique_for_overwrite<char[]>(kKeep + kCacheLine + blockSize_ + 1)) {
    // Each read lands on a cache-line boundary: a file's pages are copied
    // there far faster than to an address off the boundary.
    const auto offset = reinterpret_cast<std::uintptr_t>(storage_.get() + kKeep) % kCacheLine;
    block_ = storage_.get() + kKeep + (offset == 0 ? 0 : kCacheLine - offset);
    pos_ = end_ = block_;
    block_[-1] = '\n'; // the first line begins at the first byte
}

// Moves the unread bytes, with the one before them, to just before the block
// and reads the next block after them. Every caller has read all but a few
// bytes first. At the end of the input a line end is put after the last
// byte, where the separator search finds it (no line is read from it).
bool PhraseScanner::refill() {
    if (eof_)
        return false;
    const auto kept = static_cast<std::size_t>(end_ - pos_) + 1;
    std::memmove(block_ - kept, pos_ - 1, kept);
    pos_ = block_ - kept + 1;
    end_ = block_ + source_.read(std::span<char>(block_, blockSize_));
    if (end_ == block_) {
        eof_ = true;
        *end_ = '\n';
        return false;
    }
    return true;
}

void PhraseScanner::start() {
    if (started_)
        return;
    started_ = true;
    while (end_ - pos_ < 3 && refill()) {
    }
    empty_ = pos_ == end_;
    std::string_view start(pos_, static_cast<std::size_t>(end_ - pos_));
    if (SkipByteOrderMark(start)) {
        pos_ += kByteOrderMark.size();
        pos_[-1] = '\n'; // the first line begins after the mark
    }
}

bool PhraseScanner::sourceIsEmpty() {
    start();
    return empty_;
}

bool PhraseScanner::atEnd() {
    start();
    return pos_ == end_ && !refill();
}

// Passes over the line end at pos_: CR LF, CR or LF (or nothing at the end).
void PhraseScanner::skipLineEnd() {
    if (pos_ == end_ && !refill())
        return;
    if (*pos_ == '\r') {
        ++pos_;
        if (pos_ == end_ && !refill())
            return;
    }
    if (*pos_ == '\n')
        ++pos_;
}

// Looks for the separator lines that begin in [pos_, last), first to last,
// until `wanted` are found. Returns how many were found, the last of them at
// `found`. The bytes from pos_ - 1 to last + 4 are all there to look at.
std::int64_t PhraseScanner::searchBuffer(char* last, std::int64_t wanted, char*& found) const {
    std::int64_t count = 0;
    char* const from = pos_;
    char* first = from;
#if ZELMORA_SCANNER_SSE2
    // Most of a phrase file holds no two hyphens in a row, and four in a row
    // always fill one of the pairs of bytes at even distances from where the
    // search begins: the pair of the first hyphen or of the second. So the
    // search passes over 128 bytes at a time, comparing their 64 pairs with
    // "--", and looks for a separator only where a pair matches, on its first
    // hyphen or on the one before it.
    for (; search_ == Search::Fastest && last - first >= kPairBlock; first += kPairBlock) {
        for (std::uint64_t pairs = hyphenPairs(first); pairs != 0;) {
            char* at = first + 2 * std::countr_zero(pairs);
            pairs &= pairs - 1;
            at -= static_cast<int>(at != from && at[-1] == '-');
            if (!separatorAt(at))
                continue;
            found = at;
            if (++count == wanted)
                return count;
            // The pairs in its hyphens begin no other separator.
            pairs &= pairsFrom(at + kSeparatorLength - first);
        }
    }
    // A separator beginning on the last byte looked at has its pair in the
    // bytes that are left.
    first = std::max(from, first - 1);
#endif
    while (first < last) {
        first = static_cast<char*>(std::memchr(first, '-', static_cast<std::size_t>(last - first)));
        if (!first)
            break;
        if (!separatorAt(first)) {
            ++first;
            continue;
        }
        found = first;
        if (++count == wanted)
            break;
        first += kSeparatorLength; // to its line end, which begins no separator
    }
    return count;
}

// Where the bytes the separator search can judge end. A separator is judged
// on the byte after its hyphens, so the last four bytes wait for the next
// block; at the end of the input the line end put after the last byte stands
// in for that byte.
char* PhraseScanner::searchEnd() const {
    const std::size_t waiting = eof_ ? kSeparatorLength - 1 : kSeparatorLength;
    return end_ - std::min(static_cast<std::size_t>(end_ - pos_), waiting);
}

// Each pass searches what the buffer holds for the separators still wanted;
// when they are not all there, the next block is read after the few bytes
// that wait for it.
std::int64_t PhraseScanner::skipSeparators(std::int64_t n) {
    start();
    std::int64_t skipped = 0;
    while (skipped < n) {
        char* const last = searchEnd();
        char* found = nullptr;
        skipped += searchBuffer(last, n - skipped, found);
        if (skipped == n) {
            pos_ = found + kSeparatorLength;
            skipLineEnd();
        } else if (eof_) {
            pos_ = end_;
            break;
        } else {
            pos_ = last;
            refill();
        }
    }
    return skipped;
}

bool PhraseScanner::readLine(std::string& line, std::size_t maxBytes, std::size_t* length) {
    if (atEnd())
        return false;
    line.clear();
    std::size_t total = 0;
    for (;;) {
        char* lineEnd = std::find_if(pos_, end_, IsLineEnd);
        const auto piece = static_cast<std::size_t>(lineEnd - pos_);
        if (line.size() < maxBytes)
            line.append(pos_, std::min(piece, maxBytes - line.size()));
        total += piece;
        if (length)
            *length = total;
        pos_ = lineEnd;
        if (pos_ != end_) {
            skipLineEnd();
            return true;
        }
        if (!refill())
            return true;
    }
}

} // namespace zelmora

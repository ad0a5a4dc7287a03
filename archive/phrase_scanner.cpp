#include "archive/phrase_scanner.h"

#include "runtime/utf8.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>

// The vector searches are built on every x86-64 compiler that knows the
// processor's extensions (GCC and clang, also for MinGW), each in functions of
// their own compiled for their extension, whatever the build machine's flags;
// the processor's features are asked at run time.
#if defined(__x86_64__) && defined(__SSE2__) && defined(__GNUC__)
#include <immintrin.h>
#define ZELMORA_SCANNER_X86 1
#define ZELMORA_AVX2 __attribute__((target("avx2,popcnt")))
// searchMasks below is compiled for AVX2 on x86-64, as is all it calls.
#define ZELMORA_MASKS ZELMORA_AVX2
#elif defined(__aarch64__) && defined(__ARM_NEON)
// Advanced SIMD is part of every 64-bit ARM processor.
#include <arm_neon.h>
#define ZELMORA_SCANNER_NEON 1
#define ZELMORA_MASKS
#endif

namespace zelmora {

namespace {

using Search = PhraseScanner::Search;

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

// Each search looks for the separator lines that begin in [from, last), first
// to last, adding those it finds to `count` until it reaches `wanted`, and
// then leaves the last one found at `found`. (Each keeps its count in a
// register: through the reference, each block's count would wait for the one
// before it to be stored.) The bytes from from - 1 to
// last + 3 are all there to look at. A vector search returns where the
// portable one is to go on, on the few bytes too short for its vectors.

// Hyphen by hyphen: memchr runs anywhere, and a library's memchr is fast.
void searchPortable(const char* first, const char* last, std::int64_t wanted, std::int64_t& count,
                    const char*& found) {
    std::int64_t counted = count;
    while (first < last && counted < wanted) {
        first = static_cast<const char*>(
            std::memchr(first, '-', static_cast<std::size_t>(last - first)));
        if (!first)
            break;
        if (!separatorAt(first)) {
            ++first;
            continue;
        }
        found = first;
        ++counted;
        first += kSeparatorLength; // to its line end, which begins no separator
    }
    count = counted;
}

#if ZELMORA_SCANNER_X86 || ZELMORA_SCANNER_NEON
// Where separators close, from two masks of 64 bits in which each byte has
// kBits bits, all set or all clear: in `hyphens` where the byte is a hyphen,
// in `lineEnds` where it is a line end (AVX2 makes a bit a byte, NEON four).
// A separator closes at the line end after its four hyphens, with a line end
// before them, so each byte is judged by the five before it: those before
// these bytes come from the masks of the last call, kept here, so that a
// search has only to make the two masks.
template <int kBits> class SeparatorEnds {
public:
    static constexpr int kBitsPerByte = kBits;
    // The bytes each pair of masks stands for.
    static constexpr std::ptrdiff_t kBytes = 64 / kBits;

    // Begins at `from`: the hyphens before it begin no separator, and only
    // the byte just before it is judged as a line end.
    explicit SeparatorEnds(const char* from)
        : lineEnds_(IsLineEnd(from[-1]) ? ((std::uint64_t{1} << kBits) - 1) << (64 - kBits) : 0) {}

    // One bit, the lowest of the byte's, for each separator that closes in
    // these bytes: at byte j (bit j * kBits), begun at byte j - 4.
    std::uint64_t next(std::uint64_t hyphens, std::uint64_t lineEnds) {
        const std::uint64_t pairs = hyphens & (hyphens << kBits | hyphens_ >> (64 - kBits));
        const std::uint64_t fours = pairs & (pairs << 2 * kBits | pairs_ >> (64 - 2 * kBits));
        const std::uint64_t closing = lineEnds & (fours << kBits | fours_ >> (64 - kBits)) &
                                      (lineEnds << 5 * kBits | lineEnds_ >> (64 - 5 * kBits));
        hyphens_ = hyphens;
        pairs_ = pairs;
        fours_ = fours;
        lineEnds_ = lineEnds;
        return closing & kLowest;
    }

private:
    // The lowest bit of each byte's.
    static constexpr std::uint64_t kLowest = ~std::uint64_t{0} / ((std::uint64_t{1} << kBits) - 1);

    std::uint64_t hyphens_ = 0;
    std::uint64_t pairs_ = 0;
    std::uint64_t fours_ = 0;
    std::uint64_t lineEnds_;
};
#endif

#if ZELMORA_SCANNER_X86
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

// Most of a phrase file holds no two hyphens in a row, and four in a row
// always fill one of the pairs of bytes at even distances from where the
// search begins: the pair of the first hyphen or of the second. So the search
// passes over 128 bytes at a time, comparing their 64 pairs with "--", and
// looks for a separator only where a pair matches, on its first hyphen or on
// the one before it.
const char* searchSse2(const char* from, const char* last, std::int64_t wanted, std::int64_t& count,
                       const char*& found) {
    std::int64_t counted = count;
    const char* first = from;
    for (; last - first >= kPairBlock; first += kPairBlock) {
        for (std::uint64_t pairs = hyphenPairs(first); pairs != 0;) {
            const char* at = first + 2 * std::countr_zero(pairs);
            pairs &= pairs - 1;
            at -= static_cast<int>(at != from && at[-1] == '-');
            if (!separatorAt(at))
                continue;
            if (++counted == wanted) {
                found = at;
                count = counted;
                return last;
            }
            // The pairs in its hyphens begin no other separator.
            pairs &= pairsFrom(at + kSeparatorLength - first);
        }
    }
    count = counted;
    // A separator beginning on the last byte looked at has its pair in the
    // bytes that are left.
    return std::max(from, first - 1);
}

// Bits 0..31: the bytes of `equal` that are all ones.
ZELMORA_AVX2 std::uint64_t mask32(__m256i equal) {
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(equal));
}

// The 32 bytes of `bytes`, all ones where it is CR or LF. The table holds
// each of the two at its low four bits and 128 everywhere else: the look-up
// gives 0 for a byte of 128 or more, so no other byte finds itself there.
ZELMORA_AVX2 __m256i lineEnds32(__m256i bytes) {
    constexpr char o = static_cast<char>(0x80);
    const __m256i table = _mm256_setr_epi8(o, o, o, o, o, o, o, o, o, o, '\n', o, o, '\r', o, o, //
                                           o, o, o, o, o, o, o, o, o, o, '\n', o, o, '\r', o, o);
    return _mm256_cmpeq_epi8(_mm256_shuffle_epi8(table, bytes), bytes);
}

using ByteEnds = SeparatorEnds<1>;

// The separators that close in the 64 bytes from `at`.
[[gnu::always_inline]] ZELMORA_AVX2 inline std::uint64_t closingAvx2(const char* at,
                                                                     ByteEnds& ends) {
    const __m256i hyphen = _mm256_set1_epi8('-');
    const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
    const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + 32));
    return ends.next(mask32(_mm256_cmpeq_epi8(low, hyphen)) |
                         mask32(_mm256_cmpeq_epi8(high, hyphen)) << 32,
                     mask32(lineEnds32(low)) | mask32(lineEnds32(high)) << 32);
}
#endif

#if ZELMORA_SCANNER_NEON
using NibbleEnds = SeparatorEnds<4>;

// Four bits a byte, all set where `equal` is: each 16-bit lane of the
// compare shifted right by four and narrowed to its low byte.
std::uint64_t nibbles(uint8x16_t equal) {
    return vget_lane_u64(vreinterpret_u64_u8(vshrn_n_u16(vreinterpretq_u16_u8(equal), 4)), 0);
}

// The separators that close in the 16 bytes from `at`.
[[gnu::always_inline]] inline std::uint64_t closingNeon(const char* at, NibbleEnds& ends) {
    const uint8x16_t bytes = vld1q_u8(reinterpret_cast<const std::uint8_t*>(at));
    const uint8x16_t lineEnds =
        vorrq_u8(vceqq_u8(bytes, vdupq_n_u8('\r')), vceqq_u8(bytes, vdupq_n_u8('\n')));
    return ends.next(nibbles(vceqq_u8(bytes, vdupq_n_u8('-'))), nibbles(lineEnds));
}
#endif

#if ZELMORA_SCANNER_X86 || ZELMORA_SCANNER_NEON
// A step at a time (64 bytes with AVX2, 16 with NEON): the masks of hyphens
// and of line ends that `closingAt` makes, judged by SeparatorEnds, with no
// branch on the text. Far from the separator wanted, eight steps go by
// before the count is looked at: a separator takes five bytes with its line
// end, so no more than 13 close in 64 bytes, 4 in 16; a look at every step
// costs some 4 % of a whole count.
template <class Ends, std::uint64_t (*closingAt)(const char*, Ends&)>
ZELMORA_MASKS const char* searchMasks(const char* from, const char* last, std::int64_t wanted,
                                      std::int64_t& count, const char*& found) {
    constexpr std::ptrdiff_t kStep = Ends::kBytes;
    constexpr std::int64_t kMostInStep = (kStep + 4) / 5;
    constexpr int kBatch = 8;
    std::int64_t counted = count;
    Ends ends(from);
    // Separators that begin before `last` close before last + 4.
    const char* const stop = last + kSeparatorLength;
    const char* first = from;
    while (stop - first >= kBatch * kStep && wanted - counted > kBatch * kMostInStep) {
        for (int i = 0; i < kBatch; ++i, first += kStep)
            counted += std::popcount(closingAt(first, ends));
    }
    for (; stop - first >= kStep; first += kStep) {
        std::uint64_t closing = closingAt(first, ends);
        const int here = std::popcount(closing);
        if (counted + here >= wanted) {
            // The one wanted is among these: drop those before it.
            for (std::int64_t before = wanted - counted - 1; before > 0; --before)
                closing &= closing - 1;
            found = first + std::countr_zero(closing) / Ends::kBitsPerByte - kSeparatorLength;
            count = wanted;
            return last;
        }
        counted += here;
    }
    count = counted;
    // Those that close in the bytes left began at most four bytes back.
    return std::max(from, first - kSeparatorLength);
}
#endif

#if ZELMORA_SCANNER_X86
ZELMORA_AVX2 const char* searchAvx2(const char* from, const char* last, std::int64_t wanted,
                                    std::int64_t& count, const char*& found) {
    return searchMasks<ByteEnds, closingAvx2>(from, last, wanted, count, found);
}
#elif ZELMORA_SCANNER_NEON
const char* searchNeon(const char* from, const char* last, std::int64_t wanted, std::int64_t& count,
                       const char*& found) {
    return searchMasks<NibbleEnds, closingNeon>(from, last, wanted, count, found);
}
#endif

// The widest search of this processor.
Search widest() {
#if ZELMORA_SCANNER_X86
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt") ? Search::Avx2
                                                                              : Search::Sse2;
#elif ZELMORA_SCANNER_NEON
    return Search::Neon;
#else
    return Search::Portable;
#endif
}

} // namespace

bool PhraseScanner::has(Search search) {
    switch (search) {
    case Search::Fastest:
    case Search::Portable:
        return true;
    case Search::Sse2:
        return widest() == Search::Sse2 || widest() == Search::Avx2;
    case Search::Avx2:
    case Search::Neon:
        return widest() == search;
    }
    return false;
}

PhraseScanner::Search PhraseScanner::chosen() {
    static const Search choice = [] {
        if (const char* named = std::getenv("ZELMORA_SEARCH"))
            for (const Search search : kSearches)
                if (nameOf(search) == named && has(search))
                    return search;
        return widest();
    }();
    return choice;
}

std::string_view PhraseScanner::nameOf(Search search) {
    switch (search) {
    case Search::Fastest:
        return "fastest";
    case Search::Portable:
        return "portable";
    case Search::Sse2:
        return "sse2";
    case Search::Avx2:
        return "avx2";
    case Search::Neon:
        return "neon";
    }
    return "?";
}

PhraseScanner::PhraseScanner(ByteSource& source, std::size_t blockSize, Search search)
    : source_(source)
    , blockSize_(std::max<std::size_t>(blockSize, 1))
    , search_(search == Search::Fastest || !has(search) ? chosen() : search)
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
// until `wanted` are found. Returns how many were found, and when they are
// all found the last of them at `found`. The bytes from pos_ - 1 to last + 4
// are all there to look at.
std::int64_t PhraseScanner::searchBuffer(char* last, std::int64_t wanted, char*& found) const {
    std::int64_t count = 0;
    const char* first = pos_;
    const char* at = nullptr;
#if ZELMORA_SCANNER_X86
    if (search_ == Search::Avx2)
        first = searchAvx2(pos_, last, wanted, count, at);
    else if (search_ == Search::Sse2)
        first = searchSse2(pos_, last, wanted, count, at);
#elif ZELMORA_SCANNER_NEON
    if (search_ == Search::Neon)
        first = searchNeon(pos_, last, wanted, count, at);
#endif
    searchPortable(first, last, wanted, count, at);
    if (at)
        found = pos_ + (at - pos_);
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

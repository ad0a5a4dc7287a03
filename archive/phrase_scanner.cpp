#include "archive/phrase_scanner.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zelmora {

namespace {

constexpr std::size_t kSeparatorLength = PhraseScanner::kSeparator.size();
// Bytes a separator needs to be recognised: the hyphens and what follows.
constexpr std::size_t kLookahead = kSeparatorLength + 1;

bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// Whether the four hyphens of a separator and a line end are the five bytes
// from `at`. (A line must also begin at `at`.)
bool isSeparatorText(const char* at) {
    return std::memcmp(at, PhraseScanner::kSeparator.data(), kSeparatorLength) == 0 &&
           isLineEnd(at[kSeparatorLength]);
}

// Whether a separator line could begin at `at`, as far as the bytes before
// `last` tell: a line begins there (`lineStarts`), then four hyphens and a
// line end. Bytes from `last` on are not known yet, so they may be anything.
bool mayBeginSeparator(const char* at, const char* last, bool lineStarts) {
    if (!lineStarts)
        return false;
    if (last - at > static_cast<std::ptrdiff_t>(kSeparatorLength))
        return isSeparatorText(at);
    return std::all_of(at, last, [](char c) { return c == '-'; });
}

// The pairs of hyphens among the 128 bytes from `p`, taken as 64 pairs
// p[2k], p[2k + 1]: bit k is set when both bytes of pair k are hyphens.
inline std::uint64_t hyphenPairs(const char* p) {
#if defined(__SSE2__)
    const __m128i pair = _mm_set1_epi16(0x2D2D); // "--"
    const auto* block = reinterpret_cast<const __m128i*>(p);
    // 32 bytes, 16 pairs: each pair compared at once, then narrowed to a byte
    // and to a bit.
    const auto bits = [&](int i) {
        const __m128i a = _mm_cmpeq_epi16(_mm_loadu_si128(block + 2 * i), pair);
        const __m128i b = _mm_cmpeq_epi16(_mm_loadu_si128(block + 2 * i + 1), pair);
        return std::uint64_t{static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(a, b)))};
    };
    return bits(0) | bits(1) << 16 | bits(2) << 32 | bits(3) << 48;
#else
    if (!std::memchr(p, '-', 128))
        return 0;
    std::uint64_t pairs = 0;
    for (unsigned k = 0; k < 64; ++k) {
        if (p[2 * k] == '-' && p[2 * k + 1] == '-')
            pairs |= std::uint64_t{1} << k;
    }
    return pairs;
#endif
}

} // namespace

PhraseScanner::PhraseScanner(ByteSource& source, std::size_t blockSize)
    : source_(source)
    , buffer_(std::max(blockSize, kLookahead * 2) + kLookahead) {}

void PhraseScanner::start() {
    if (started_)
        return;
    started_ = true;
    // Make sure a whole byte-order mark is in the buffer before looking at it.
    while (end_ < 3 && refill()) {
    }
    empty_ = end_ == 0;
    if (end_ >= 3 && std::memcmp(buffer_.data(), "\xEF\xBB\xBF", 3) == 0)
        pos_ = 3;
}

bool PhraseScanner::refill() {
    if (eof_)
        return false;
    pairsBlockValid_ = false; // the bytes move
    if (pos_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + pos_, end_ - pos_);
        end_ -= pos_;
        pos_ = 0;
    }
    const std::size_t n =
        source_.read(std::span<char>(buffer_.data() + end_, buffer_.size() - end_));
    if (n == 0) {
        eof_ = true;
        return false;
    }
    end_ += n;
    return true;
}

bool PhraseScanner::sourceIsEmpty() {
    start();
    return empty_;
}

bool PhraseScanner::atEnd() {
    start();
    return pos_ == end_ && !refill();
}

bool PhraseScanner::separatorAt(std::size_t i) const {
    if (end_ - i < kSeparatorLength ||
        std::memcmp(buffer_.data() + i, kSeparator.data(), kSeparatorLength) != 0)
        return false;
    return i + kSeparatorLength == end_ || isLineEnd(buffer_[i + kSeparatorLength]);
}

// The block search. 128 bytes at a time: four hyphens in a row beginning
// anywhere from p - 1 to p + 126 fill one of the block's pairs (see
// hyphenPairs), so only the places the pairs of hyphens name need a look; a
// beginning at p + 127 is the next block's p - 1. Each pair of hyphens names
// one place: the hyphen just before the pair when there is one (no line
// begins at the pair then), else the pair itself.
//
// Each separator found is handed to `found`, which returns whether to go on.
// When it says stop, the search remembers the block and the pairs there not
// looked at yet, and the next search resumes from them: skipping goes
// through each block once however many separators it holds.
//
// Returns true when `found` said stop. Otherwise it stops before the last
// bytes of the buffer, or at a separator that may begin too near end_ to
// judge, and leaves pos_ there for the search hyphen by hyphen.
template <typename Found> bool PhraseScanner::searchBlocks(Found&& found) {
    const char* const base = buffer_.data();
    const char* const first = base + pos_;
    const char* const last = base + end_;
    const bool lineAtFirst = atLineStart_;
    const char* p = first;
    std::uint64_t pairs = 0;
    if (pairsBlockValid_ && pos_ >= pairsBlock_ && pos_ - pairsBlock_ < kPairsBlockSize) {
        p = base + pairsBlock_;
        // The pairs from pos_ on.
        const std::size_t passed = (pos_ - pairsBlock_ + 1) / 2;
        pairs = passed < 64 ? pendingPairs_ & (~std::uint64_t{0} << passed) : 0;
    } else if (static_cast<std::size_t>(last - p) >= kPairsBlockSize) {
        pairs = hyphenPairs(p);
    } else {
        return false;
    }
    pairsBlockValid_ = false;
    for (;;) {
        while (pairs != 0) {
            const char* at = p + 2 * std::countr_zero(pairs);
            pairs &= pairs - 1;
            if (at - first >= 2 && last - at > static_cast<std::ptrdiff_t>(kSeparatorLength)) {
                // All the bytes needed are in the buffer, the one before the
                // place included. (Computed rather than branched on: whether
                // the pair is the first or the second of the hyphens is a
                // toss-up the processor cannot learn.)
                at -= static_cast<int>(at[-1] == '-');
                if (!isLineEnd(at[-1]) || !isSeparatorText(at))
                    continue;
            } else {
                if (at != first && at[-1] == '-')
                    --at;
                if (!(at == first ? lineAtFirst : isLineEnd(at[-1])))
                    continue;
                if (last - at <= static_cast<std::ptrdiff_t>(kSeparatorLength)) {
                    if (mayBeginSeparator(at, last, true)) {
                        pos_ = static_cast<std::size_t>(at - base);
                        atLineStart_ = true;
                        return false;
                    }
                    continue;
                }
                if (!isSeparatorText(at))
                    continue;
            }
            // A separator at `at`.
            if (!found(static_cast<std::size_t>(at - base))) {
                pairsBlock_ = static_cast<std::size_t>(p - base);
                pendingPairs_ = pairs;
                pairsBlockValid_ = true;
                return true;
            }
            // The pairs in its hyphens are done with.
            const auto done = (static_cast<std::size_t>(at - p) + kSeparatorLength + 1) / 2;
            pairs &= done < 64 ? ~std::uint64_t{0} << done : 0;
        }
        p += kPairsBlockSize;
        if (static_cast<std::size_t>(last - p) < kPairsBlockSize)
            break;
        pairs = hyphenPairs(p);
    }
    // Every place before p - 1 is judged, so the search goes on from there,
    // unless that is inside the last separator found: no line begins in one
    // before its line end.
    const auto rest = static_cast<std::size_t>(p - 1 - base);
    if (rest > pos_) {
        pos_ = rest;
        atLineStart_ = isLineEnd(buffer_[rest - 1]);
    }
    return false;
}

std::size_t PhraseScanner::nextPossibleSeparator() const {
    const char* const base = buffer_.data();
    const char* const first = base + pos_;
    const char* const last = base + end_;
    for (const char* p = first; p < last; ++p) {
        p = static_cast<const char*>(std::memchr(p, '-', static_cast<std::size_t>(last - p)));
        if (!p)
            break;
        if (mayBeginSeparator(p, last, p == first ? atLineStart_ : isLineEnd(p[-1])))
            return static_cast<std::size_t>(p - base);
    }
    return end_;
}

bool PhraseScanner::findSeparator(std::size_t& at) {
    start();
    for (;;) {
        if (searchBlocks([&at](std::size_t i) {
                at = i;
                return false;
            }))
            return true;
        const std::size_t i = nextPossibleSeparator();
        if (i == end_) {
            if (pos_ < end_)
                atLineStart_ = isLineEnd(buffer_[end_ - 1]);
            pos_ = end_;
            if (!refill())
                return false;
            continue;
        }
        // With the line end after the hyphens in the buffer, the search has
        // judged the place on all the bytes it needs: it is a separator.
        if (end_ - i >= kLookahead) {
            at = i;
            return true;
        }
        if (!eof_) {
            // The candidate runs past the buffer: keep it and read on.
            atLineStart_ = true;
            pos_ = i;
            refill();
            continue;
        }
        // At the end of the input the candidate is judged on the bytes there are.
        if (separatorAt(i)) {
            at = i;
            return true;
        }
        atLineStart_ = false;
        pos_ = i + 1;
    }
}

void PhraseScanner::consumeLineEnd() {
    if (pos_ == end_ && !refill())
        return;
    if (buffer_[pos_] == '\r') {
        ++pos_;
        if (pos_ == end_ && !refill())
            return;
        if (buffer_[pos_] == '\n')
            ++pos_;
    } else if (buffer_[pos_] == '\n') {
        ++pos_;
    }
}

bool PhraseScanner::skipPastSeparator() {
    std::size_t at = 0;
    const auto takeFirst = [&at](std::size_t i) {
        at = i;
        return false;
    };
    // Most separators lie wholly in the buffer: the block search alone finds
    // them, without the general search's rounds.
    if (!(started_ && searchBlocks(takeFirst)) && !findSeparator(at))
        return false;
    pos_ = at + kSeparatorLength;
    if (end_ - pos_ >= 2 && buffer_[pos_] == '\r' && buffer_[pos_ + 1] == '\n')
        pos_ += 2; // the usual line end, wholly in the buffer
    else
        consumeLineEnd();
    atLineStart_ = true;
    return true;
}

std::int64_t PhraseScanner::countSeparators() {
    start();
    std::int64_t count = 0;
    const auto countOne = [this, &count](std::size_t at) {
        ++count;
        // The byte after the hyphens is a line end (or nothing), never a hyphen.
        pos_ = at + kSeparatorLength;
        atLineStart_ = false;
        return true;
    };
    for (;;) {
        searchBlocks(countOne);
        std::size_t at = 0;
        if (!findSeparator(at))
            return count;
        countOne(at);
    }
}

bool PhraseScanner::readLine(std::string& line, std::size_t maxBytes, std::size_t* length) {
    if (atEnd())
        return false;
    line.clear();
    std::size_t total = 0;
    for (;;) {
        const char* first = buffer_.data() + pos_;
        const char* last = buffer_.data() + end_;
        const char* lineEnd = std::find_if(first, last, isLineEnd);
        const auto piece = static_cast<std::size_t>(lineEnd - first);
        total += piece;
        if (line.size() < maxBytes)
            line.append(first, std::min(piece, maxBytes - line.size()));
        if (length)
            *length = total;
        if (lineEnd != last) {
            pos_ = static_cast<std::size_t>(lineEnd - buffer_.data());
            consumeLineEnd();
            atLineStart_ = true;
            return true;
        }
        pos_ = end_;
        if (!refill()) {
            atLineStart_ = false;
            return true;
        }
    }
}

} // namespace zelmora

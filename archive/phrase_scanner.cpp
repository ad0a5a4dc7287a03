#include "phrase_scanner.h"

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

// The first place in [first, last) where four hyphens in a row begin, or
// where a hyphen stands too near `last` to tell; null when there is none.
// Every separator line begins with four hyphens, so what this passes over is
// never one, and the lone hyphens of the text cost nothing.
const char* findHyphenRun(const char* first, const char* last) {
    const char* p = first;
#if defined(__SSE2__)
    // 64 bytes at a time: bit j of `hyphens` tells whether p[j] is a hyphen.
    // `previous` carries the block before, so a run may cross blocks; it
    // starts empty, so no run that began before `first` is reported.
    constexpr std::ptrdiff_t kBlock = 64;
    const __m128i hyphen = _mm_set1_epi8('-');
    std::uint64_t previous = 0;
    while (last - p >= kBlock) {
        std::uint64_t hyphens = 0;
        for (int k = 0; k < 4; ++k) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
            const auto bits =
                static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, hyphen)));
            hyphens |= std::uint64_t{bits} << (16 * k);
        }
        // Bit j of `runEnds`: p[j] is the fourth of four hyphens in a row.
        const std::uint64_t runEnds = hyphens & (hyphens << 1 | previous >> 63) &
                                      (hyphens << 2 | previous >> 62) &
                                      (hyphens << 3 | previous >> 61);
        if (runEnds != 0)
            return p + std::countr_zero(runEnds) - 3;
        previous = hyphens;
        p += kBlock;
    }
    // A run that begins in the last three bytes looked at is not judged yet.
    if (p != first)
        p -= 3;
#endif
    while (p != last) {
        const void* hit = std::memchr(p, '-', static_cast<std::size_t>(last - p));
        if (!hit)
            return nullptr;
        p = static_cast<const char*>(hit);
        if (last - p < 4 || (p[1] == '-' && p[2] == '-' && p[3] == '-'))
            return p;
        ++p;
    }
    return nullptr;
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

bool PhraseScanner::lineStartsAt(std::size_t i) const {
    return i == pos_ ? atLineStart_ : isLineEnd(buffer_[i - 1]);
}

bool PhraseScanner::separatorAt(std::size_t i) const {
    if (end_ - i < kSeparatorLength ||
        std::memcmp(buffer_.data() + i, kSeparator.data(), kSeparatorLength) != 0)
        return false;
    return i + kSeparatorLength == end_ || isLineEnd(buffer_[i + kSeparatorLength]);
}

bool PhraseScanner::findSeparator(std::size_t& at) {
    start();
    for (;;) {
        const char* hit =
            pos_ < end_ ? findHyphenRun(buffer_.data() + pos_, buffer_.data() + end_) : nullptr;
        if (!hit) {
            if (pos_ < end_)
                atLineStart_ = isLineEnd(buffer_[end_ - 1]);
            pos_ = end_;
            if (!refill())
                return false;
            continue;
        }
        const auto i = static_cast<std::size_t>(hit - buffer_.data());
        if (end_ - i < kLookahead && !eof_) {
            // The candidate runs past the buffer: keep it and read on.
            atLineStart_ = lineStartsAt(i);
            pos_ = i;
            refill(); // at the end the candidate is judged on the bytes there are
            continue;
        }
        if (lineStartsAt(i) && separatorAt(i)) {
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
    if (!findSeparator(at))
        return false;
    pos_ = at + kSeparatorLength;
    consumeLineEnd();
    atLineStart_ = true;
    return true;
}

std::int64_t PhraseScanner::countSeparators() {
    std::int64_t count = 0;
    std::size_t at = 0;
    while (findSeparator(at)) {
        ++count;
        // The byte after the hyphens is a line end (or nothing), never a hyphen.
        pos_ = at + kSeparatorLength;
        atLineStart_ = false;
    }
    return count;
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

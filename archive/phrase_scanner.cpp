#include "phrase_scanner.h"

#include <algorithm>
#include <cstring>

namespace zelmora {

namespace {

constexpr std::size_t kSeparatorLength = PhraseScanner::kSeparator.size();
// Bytes a separator needs to be recognised: the hyphens and what follows.
constexpr std::size_t kLookahead = kSeparatorLength + 1;

bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

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
    const std::size_t n = source_.read(std::span<char>(buffer_.data() + end_, buffer_.size() - end_));
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
        const void* hit = pos_ < end_ ? std::memchr(buffer_.data() + pos_, '-', end_ - pos_) : nullptr;
        if (!hit) {
            if (pos_ < end_)
                atLineStart_ = isLineEnd(buffer_[end_ - 1]);
            pos_ = end_;
            if (!refill())
                return false;
            continue;
        }
        const auto i = static_cast<std::size_t>(static_cast<const char*>(hit) - buffer_.data());
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

bool PhraseScanner::readLine(std::string& line) {
    if (atEnd())
        return false;
    line.clear();
    for (;;) {
        const char* first = buffer_.data() + pos_;
        const char* last = buffer_.data() + end_;
        const char* lineEnd = std::find_if(first, last, isLineEnd);
        line.append(first, lineEnd);
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

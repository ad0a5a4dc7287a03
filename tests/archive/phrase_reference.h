#pragma once

// Plain, slow readings of a phrase file that the fast routines are checked
// against, and a source that hands its bytes out a few at a time.

#include "reference_lines.h"
#include "runtime/byte_source.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelmora::test {

// Hands out at most `chunk` bytes per read, so the boundaries between reads
// fall at every possible place of a short input.
class TrickleSource final : public ByteSource {
public:
    TrickleSource(std::string bytes, std::size_t chunk)
        : bytes_(std::move(bytes))
        , chunk_(chunk) {}

    std::size_t read(std::span<char> buffer) override {
        const std::size_t n = std::min({buffer.size(), chunk_, bytes_.size() - pos_});
        std::memcpy(buffer.data(), bytes_.data() + pos_, n);
        pos_ += n;
        return n;
    }
    void rewind() override { pos_ = 0; }

private:
    std::string bytes_;
    std::size_t chunk_;
    std::size_t pos_ = 0;
};

// The fuzzers' reference line splitter, the one the scanner is judged by.
using fuzz::ReferenceLines;

// Loading phrase `n` line by line: skip n-1 phrases reading every line into
// the phrase text, then collect lines up to the separator. Gives whether the
// load succeeded; `phraseText` holds what the load left in it either way.
inline bool ReferenceLoad(const std::vector<std::string>& lines, std::int64_t n,
                          std::string& phraseText) {
    std::size_t next = 0;
    for (std::int64_t i = 1; i < n; ++i) {
        do {
            if (next == lines.size())
                return false;
            phraseText = lines[next++];
        } while (phraseText != "----");
    }
    phraseText.clear();
    for (;;) {
        if (next == lines.size())
            return false;
        const std::string& line = lines[next++];
        if (line == "----")
            return true;
        if (phraseText.empty())
            phraseText = line;
        else
            phraseText += "\r\n" + line;
        if (next == lines.size())
            return true;
    }
}

inline std::string Printable(std::string_view bytes) {
    std::string out;
    for (const char c : bytes) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

} // namespace zelmora::test

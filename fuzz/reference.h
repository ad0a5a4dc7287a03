#pragma once

// The plain readings the phrase routines are judged by, shared by the fuzzers
// and the tests. Plain C++, no Qt, no libFuzzer.

#include "runtime/byte_source.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace zelmora::fuzz {

// The lines of a phrase file as the reading rules define them, by the plainest
// possible loop: a UTF-8 byte-order mark at the start is dropped, a line ends
// at CR LF, CR or LF, and a line end at the very end opens no further line.
inline std::vector<std::string> ReferenceLines(std::string_view file) {
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (file.substr(0, kBom.size()) == kBom)
        file.remove_prefix(kBom.size());
    std::vector<std::string> lines;
    std::string line;
    std::size_t i = 0;
    while (i < file.size()) {
        const char c = file[i++];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i < file.size() && file[i] == '\n')
                ++i;
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
            if (i == file.size())
                lines.push_back(line);
        }
    }
    return lines;
}

// Bytes as a C string literal, shortened, for failure messages.
inline std::string Shown(std::string_view bytes) {
    constexpr std::size_t kShown = 60;
    std::string out = "\"";
    for (const char c : bytes.substr(0, kShown)) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u >= 0x20 && u < 0x7F) {
            out += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", u);
            out += hex;
        }
    }
    out += '"';
    if (bytes.size() > kShown)
        out += "... (" + std::to_string(bytes.size()) + " bytes)";
    return out;
}

// Hands out at most `chunk` bytes per read, so the ends of reads fall at
// every possible place of a short input.
class TrickleSource final : public ByteSource {
public:
    TrickleSource(std::string_view bytes, std::size_t chunk)
        : bytes_(bytes)
        , chunk_(std::max<std::size_t>(chunk, 1)) {}

    std::size_t read(std::span<char> buffer) override {
        const std::size_t n = std::min({buffer.size(), chunk_, bytes_.size() - pos_});
        if (n > 0)
            std::memcpy(buffer.data(), bytes_.data() + pos_, n);
        pos_ += n;
        return n;
    }
    void rewind() override { pos_ = 0; }

private:
    std::string_view bytes_;
    std::size_t chunk_;
    std::size_t pos_ = 0;
};

} // namespace zelmora::fuzz

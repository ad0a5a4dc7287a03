#pragma once

// The reference line splitter the phrase scanner is judged by, shared by the
// fuzzers and the tests. Plain C++, no Qt, no libFuzzer.

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

} // namespace zelmora::fuzz

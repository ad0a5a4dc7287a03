#include "app/text_encoding.h"

#include "runtime/utf8.h"

#include <array>
#include <cstdint>

namespace zelmora {

namespace {

// Windows-1252 0x80..0x9F; the five holes of the code page map to the C1
// control character of the same value, as Windows itself does.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

std::string DecodePhraseBytes(std::string_view bytes) {
    if (IsValidUtf8(bytes))
        return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (const char c : bytes) {
        const auto b = static_cast<std::uint8_t>(c);
        if (b >= 0x80 && b < 0xA0)
            AppendUtf8(out, kHighControls[b - 0x80]);
        else
            AppendUtf8(out, b);
    }
    return out;
}

std::string DecodePathBytes(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t at = 0;;) {
        const std::size_t slash = bytes.find('/', at);
        out += DecodePhraseBytes(bytes.substr(at, slash - at));
        if (slash == std::string_view::npos)
            return out;
        out += '/';
        at = slash + 1;
    }
}

std::string PhraseForDisplay(std::string_view phraseBytes) {
    const std::string text = DecodePhraseBytes(phraseBytes);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        out += text[i];
    }
    return out;
}

std::string ShowControlCharacters(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto b = static_cast<std::uint8_t>(utf8[i]);
        if (b == '\t' || b == '\n') {
            out += static_cast<char>(b);
        } else if (b < 0x20) {
            AppendUtf8(out, 0x2400 + b);
        } else if (b == 0x7F) {
            AppendUtf8(out, 0x2421);
        } else if (b == 0xC2 && i + 1 < utf8.size() &&
                   static_cast<std::uint8_t>(utf8[i + 1]) >= 0x80 &&
                   static_cast<std::uint8_t>(utf8[i + 1]) < 0xA0) {
            AppendUtf8(out, 0xFFFD); // U+0080..U+009F: C1 controls, CSI among them
            ++i;
        } else {
            out += static_cast<char>(b);
        }
    }
    return out;
}

} // namespace zelmora

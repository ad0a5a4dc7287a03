#include "runtime/utf8.h"

#include <cstdint>

namespace zelmora {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isHighSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool isLowSurrogate(char32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

} // namespace

bool SkipByteOrderMark(std::string_view& bytes) {
    if (!bytes.starts_with(kByteOrderMark))
        return false;
    bytes.remove_prefix(kByteOrderMark.size());
    return true;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

namespace {

// The character that starts at `bytes[at]`, moving `at` past it; false, with
// `at` unchanged, when the bytes there start no valid UTF-8 character.
bool decodeUtf8(std::string_view bytes, std::size_t& at, char32_t& c) {
    const auto b = static_cast<std::uint8_t>(bytes[at]);
    const std::size_t length = Utf8LengthFromLead(bytes[at]);
    if (length == 0 || bytes.size() - at < length)
        return false;
    static constexpr char32_t kLeadBits[5] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    static constexpr char32_t kSmallest[5] = {0, 0, 0x80, 0x800, 0x10000};
    c = b & kLeadBits[length];
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<std::uint8_t>(bytes[at + k]);
        if ((next & 0xC0) != 0x80)
            return false;
        c = (c << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    if (c < kSmallest[length] || c > 0x10FFFF || isHighSurrogate(c) || isLowSurrogate(c))
        return false;
    at += length;
    return true;
}

// The character that starts at `bytes[at]`, moving `at` past it. A byte that
// starts no valid UTF-8 character gives U+FFFD and moves one byte on.
char32_t nextUtf8(std::string_view bytes, std::size_t& at) {
    char32_t c = 0;
    if (decodeUtf8(bytes, at, c))
        return c;
    ++at;
    return kReplacement;
}

} // namespace

std::size_t Utf8LengthFromLead(char lead) {
    const auto b = static_cast<std::uint8_t>(lead);
    if (b < 0x80)
        return 1;
    if ((b & 0xE0) == 0xC0)
        return 2;
    if ((b & 0xF0) == 0xE0)
        return 3;
    if ((b & 0xF8) == 0xF0)
        return 4;
    return 0;
}

bool IsValidUtf8(std::string_view bytes) {
    char32_t c = 0;
    for (std::size_t i = 0; i < bytes.size();)
        if (!decodeUtf8(bytes, i, c))
            return false;
    return true;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (isHighSurrogate(c) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (isHighSurrogate(c) || isLowSurrogate(c)) {
            c = kReplacement;
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const char32_t c = nextUtf8(text, i);
        if (c < 0x10000) {
            out += static_cast<char16_t>(c);
        } else {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return out;
}

std::size_t PieceLength(std::u16string_view text, std::size_t most) {
    if (text.size() <= most)
        return text.size();
    return isHighSurrogate(text[most - 1]) && most > 1 ? most - 1 : most;
}

std::string WithCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (const char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

} // namespace zelmora

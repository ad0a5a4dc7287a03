#pragma once

// UTF-8 and UTF-16 by hand: file names and console text on Windows are
// UTF-16, everything inside the program is UTF-8, and the names a user has
// may hold what the standard conversions refuse (a lone surrogate, a byte
// that is not UTF-8). Written portably, so every system tests it.

#include <cstddef>
#include <string>
#include <string_view>

namespace zelmora {

// The byte-order mark Windows editors put at the start of a file they save
// as UTF-8. It is no part of the text.
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Whether `c` ends a line of text: CR (alone or before LF) or LF.
constexpr bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// Whether `c` is a UTF-8 continuation byte (10xxxxxx): one that starts no
// character.
constexpr bool IsUtf8Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Takes a byte-order mark at the start of `bytes` away; true when there was
// one.
bool SkipByteOrderMark(std::string_view& bytes);

// Appends the UTF-8 bytes of the character `c` (at most U+10FFFF).
void AppendUtf8(std::string& out, char32_t c);

// How many bytes a UTF-8 character that starts with `lead` has, 1 to 4, by
// its leading bits alone; 0 for a byte that starts none (a continuation
// byte, or one UTF-8 never uses).
std::size_t Utf8LengthFromLead(char lead);

bool IsValidUtf8(std::string_view bytes);

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// UTF-8 to UTF-16; bytes that are not UTF-8 become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

// How much of `text` to hand over when at most `most` units fit at once
// (a console takes long text in pieces): `most`, or one less where the piece
// would end between the two halves of a surrogate pair. Never 0 while text
// is left and `most` is at least 2.
std::size_t PieceLength(std::u16string_view text, std::size_t most);

// Text with each line feed written as CR LF, as Windows text files have it.
std::string WithCrLf(std::string_view text);

} // namespace zelmora

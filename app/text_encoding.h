#pragma once

#include <string>
#include <string_view>

namespace zelmora {

// Phrase files come from Windows editors (Windows-1252) and from Linux ones
// (UTF-8). Bytes that are valid UTF-8 are taken as UTF-8; anything else is
// read as Windows-1252. The result is always valid UTF-8.
std::string DecodePhraseBytes(std::string_view bytes);

bool IsValidUtf8(std::string_view bytes);

} // namespace zelmora

#pragma once

#include <string>

namespace zelmora {

// Appends the UTF-8 bytes of the character `c` (at most U+10FFFF).
void AppendUtf8(std::string& out, char32_t c);

} // namespace zelmora

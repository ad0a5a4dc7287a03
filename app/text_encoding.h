#pragma once

#include "runtime/utf8.h"

#include <string>
#include <string_view>

namespace zelmora {

// Phrase files come from Windows editors (Windows-1252) and from Linux ones
// (UTF-8), and sometimes from both, one phrase in each. A text that is valid
// UTF-8 as a whole is UTF-8; any other is Windows-1252 as a whole, since an
// accented letter followed by a Word quote ("\xC8\x94", "È”") is valid UTF-8
// on its own and would turn into a letter of another script. The result is
// always valid UTF-8.
std::string DecodePhraseBytes(std::string_view bytes);

// A path decoded name by name, each folder or file name whole as above: the
// folders of one path may have been named on different systems.
std::string DecodePathBytes(std::string_view bytes);

// A phrase as it is shown: decoded as above, its lines joined by "\n" (the
// phrase routines join them with CR LF, as the file does).
std::string PhraseForDisplay(std::string_view phraseBytes);

// UTF-8 text made safe for a terminal: control characters other than tab and
// line feed (escape sequences above all, which could recolour or rewrite the
// user's terminal) are shown as visible symbols: C0 controls and DEL as their
// Unicode control pictures ("\x1B" as U+241B), C1 controls as U+FFFD.
std::string ShowControlCharacters(std::string_view utf8);

} // namespace zelmora

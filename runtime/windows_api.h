#pragma once

// <windows.h> as every Windows file of the program includes it: without the
// min and max macros, which would clash with the standard library's, and
// without the parts of the API nobody here uses.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include "runtime/utf8.h"

#include <string>
#include <string_view>
#include <windows.h>

namespace zelmora {

// UTF-8 text as the wide (UTF-16) text the W functions of Windows take.
inline std::wstring Wide(std::string_view utf8) {
    const std::u16string text = Utf8ToUtf16(utf8);
    return {text.begin(), text.end()};
}

} // namespace zelmora

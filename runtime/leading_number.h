#pragma once

#include <optional>
#include <string_view>

namespace zelmora {

// The number at the start of a text, as the command line and the settings
// file are read: leading blanks (spaces, tabs, line ends) are skipped, then an
// optional sign, digits, an optional decimal point with digits and an
// optional exponent are taken; whatever follows is ignored. A text that does
// not begin with a number gives 0. "12abc" is 12, " 7.9" is 7.9, "abc" is 0.
// A number too large for a double raises error 6 (overflow).
double LeadingNumber(std::string_view text);

// The whole of `text`, blanks around it aside, read as a decimal integer;
// nothing when it is anything else ("12abc", "", "1.5", a quoted text).
std::optional<long long> ExactInteger(std::string_view text);

} // namespace zelmora

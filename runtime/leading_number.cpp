#include "runtime/leading_number.h"

#include "runtime/errors.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace zelmora {

namespace {

// Blanks before a number: spaces, tabs and line ends alike.
bool isBlankOrLineEnd(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlankOrLineEnd(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlankOrLineEnd(text.back()))
        text.remove_suffix(1);
    return text;
}

// The power of ten of the first significant digit of a number written as
// `mantissa` (digits with an optional decimal point, `integerDigits` of them
// before it) and `exponent` (an optional sign and digits): 2 for "123",
// -2 for "0.05", 400 for "1" "400". Numbers of all zeros give a negative
// value.
long long decimalMagnitude(std::string_view mantissa, std::size_t integerDigits,
                           std::string_view exponent) {
    long long power = static_cast<long long>(integerDigits) - 1;
    const auto first = mantissa.find_first_not_of("0.");
    if (first == std::string_view::npos)
        return -1;
    for (const char c : mantissa.substr(0, first))
        if (c == '0')
            --power;
    bool negative = false;
    if (!exponent.empty() && (exponent.front() == '+' || exponent.front() == '-')) {
        negative = exponent.front() == '-';
        exponent.remove_prefix(1);
    }
    // Far past the range of a double either way; keeps the sum from overflowing.
    constexpr long long kLimit = 1'000'000'000;
    long long shift = 0;
    for (const char c : exponent)
        shift = std::min(kLimit, shift * 10 + (c - '0'));
    return power + (negative ? -shift : shift);
}

} // namespace

double LeadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlankOrLineEnd(text[i]))
        ++i;
    const std::size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    const std::size_t digitsStart = i;
    while (i < text.size() && isDigit(text[i]))
        ++i;
    std::size_t mantissaDigits = i - digitsStart;
    const std::size_t integerEnd = i;
    if (i < text.size() && text[i] == '.') {
        const std::size_t fractionStart = ++i;
        while (i < text.size() && isDigit(text[i]))
            ++i;
        mantissaDigits += i - fractionStart;
    }
    if (mantissaDigits == 0)
        return 0.0;
    const std::size_t mantissaEnd = i;
    // An exponent counts only when digits follow it: "5e" is 5.
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j]))
                ++j;
            i = j;
        }
    }

    // from_chars wants no '+' and an 'e' for the exponent.
    std::string number(text.substr(start, i - start));
    if (number.front() == '+')
        number.erase(0, 1);
    for (char& c : number)
        if (c == 'd' || c == 'D')
            c = 'e';
    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // from_chars leaves the value alone when it is out of range, so tell
        // a too large number (which fails) from one too close to zero (which
        // is harmless) by the power of ten of its first significant digit.
        const std::string_view exponent = mantissaEnd < i
                                              ? text.substr(mantissaEnd + 1, i - mantissaEnd - 1)
                                              : std::string_view();
        if (decimalMagnitude(text.substr(digitsStart, mantissaEnd - digitsStart),
                             integerEnd - digitsStart, exponent) < 0)
            return 0.0;
        throw RuntimeError(kOverflow);
    }
    return value;
}

std::optional<long long> ExactInteger(std::string_view text) {
    text = trimBlanks(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-')
            return std::nullopt;
    }
    if (text.empty())
        return std::nullopt;
    long long value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace zelmora

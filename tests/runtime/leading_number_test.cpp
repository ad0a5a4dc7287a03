#include "error_of.h"
#include "runtime/errors.h"
#include "runtime/leading_number.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace zelmora {
namespace {

TEST(LeadingNumber, ReadsTheNumberAtTheStartOfTheText) {
    const std::vector<std::pair<std::string, double>> cases = {
        {"12abc", 12}, {"365", 365},     {"7.9", 7.9},      {"abc", 0},   {"", 0},
        {"   42", 42}, {"\t\r\n 5x", 5}, {"-3", -3},        {"+8", 8},    {"-", 0},
        {"+-1", 0},    {".5", 0.5},      {"5.", 5},         {".", 0},     {"1e3", 1000},
        {"2E-1", 0.2}, {"1d2", 100},     {"5e", 5},         {"5e+", 5},   {"3 4", 3},
        {"0012", 12},  {"1e-400", 0},    {"0.0000e999", 0}, {"12,5", 12}, {"a12", 0},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE("\"" + text + "\"");
        EXPECT_DOUBLE_EQ(LeadingNumber(text), expected);
    }
}

TEST(LeadingNumber, NumbersTooLargeForADoubleRaiseOverflow) {
    const std::string digits400(400, '9');
    for (const std::string& text :
         {std::string("1e400"), std::string("-1e400"), std::string("1e99999999999999999999"),
          digits400, std::string("0.001e312"), "1" + std::string(400, '0') + "e-10"}) {
        SCOPED_TRACE(text.substr(0, 40));
        EXPECT_EQ(test::ErrorNumberOf([&] { LeadingNumber(text); }), kOverflow);
    }
    // Just inside the range, and too small to matter, are plain numbers.
    EXPECT_DOUBLE_EQ(LeadingNumber("1.7e308"), 1.7e308);
    EXPECT_DOUBLE_EQ(LeadingNumber("0." + std::string(400, '0') + "1"), 0.0);
    EXPECT_DOUBLE_EQ(LeadingNumber("1e-99999999999999999999"), 0.0);
}

// The start-up rounds the days down itself: the fraction and the sign reach
// it whole.
TEST(LeadingNumber, KeepsTheFractionAndTheSign) {
    EXPECT_DOUBLE_EQ(LeadingNumber("7.9"), 7.9);
    EXPECT_DOUBLE_EQ(LeadingNumber("365.99"), 365.99);
    EXPECT_DOUBLE_EQ(LeadingNumber("-7.9"), -7.9);
    EXPECT_DOUBLE_EQ(LeadingNumber(".5"), 0.5);
}

TEST(ExactInteger, AcceptsOnlyAWholeDecimalInteger) {
    const std::vector<std::pair<std::string, std::optional<long long>>> cases = {
        {"16576", 16576},        {"-2147483633", -2147483633LL},
        {"  255 \t", 255},       {"+5", 5},
        {"12abc", std::nullopt}, {"", std::nullopt},
        {"   ", std::nullopt},   {"1.5", std::nullopt},
        {"1e3", std::nullopt},   {"\"12\"", std::nullopt},
        {"+-5", std::nullopt},   {"+", std::nullopt},
        {"1 2", std::nullopt},   {"99999999999999999999", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE("\"" + text + "\"");
        EXPECT_EQ(ExactInteger(text), expected);
    }
}

} // namespace
} // namespace zelmora

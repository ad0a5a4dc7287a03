#include "app/color_settings.h"
#include "app/module1.h"
#include "error_of.h"
#include "runtime/errors.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace zelmora {
namespace {

constexpr std::int32_t kFore = Module1::kDefaultForeColor;
constexpr std::int32_t kBack = Module1::kDefaultBackColor;

TEST(DelimitedValues, SplitsValuesAtCommasAndLineEnds) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"255\r\n16777215\r\n", {"255", "16777215"}},
        {"255,16777215", {"255", "16777215"}},
        {"255\n16777215\n", {"255", "16777215"}},
        {"255\r16777215\r", {"255", "16777215"}},
        {"  255 ,\t16777215", {"255 ", "16777215"}},
        {"\"255\",\"16777215\"\r\n", {"255", "16777215"}},
        {"\"a,b\" x,c", {"a,b", "c"}},
        {"1,,2", {"1", "", "2"}},
        {"255", {"255"}},
        {"", {}},
        {"\xEF\xBB\xBF"
         "255\r\n16777215\r\n",
         {"255", "16777215"}},
        {"\xEF\xBB\xBF", {}},
        {"1,\xEF\xBB\xBF"
         "2",
         {"1", "\xEF\xBB\xBF"
               "2"}},
    };
    for (const auto& [bytes, expected] : cases) {
        SCOPED_TRACE(bytes);
        EXPECT_EQ(DelimitedValues(bytes), expected);
    }
}

TEST(ValidColor, AcceptsPlainAndSystemColoursOnly) {
    const std::vector<std::pair<long long, std::optional<std::int32_t>>> cases = {
        {0, 0},
        {16576, 16576},
        {0xFFFFFF, 0xFFFFFF},
        {0x1000000, std::nullopt},
        {-1, std::nullopt},
        {-2147483633LL, kBack},     // &H8000000F as written
        {0x8000000FLL, kBack},      // and in its unsigned form
        {-2147483648LL, INT32_MIN}, // system colour 0
        {-2147483624LL, INT32_MIN + 24},
        {-2147483623LL, std::nullopt}, // index 25 is past the last one
        {0x80000019LL, std::nullopt},
        {0x7FFFFFFFLL, std::nullopt},
        {-2147483649LL, std::nullopt},
        {1LL << 40, std::nullopt},
    };
    for (const auto& [value, expected] : cases) {
        SCOPED_TRACE(value);
        EXPECT_EQ(ValidColor(value), expected);
    }
}

TEST(ColorSettings, ReadsEachColourOrKeepsItsDefault) {
    struct Case {
        std::string bytes;
        std::int32_t fore;
        std::int32_t back;
    };
    const std::string huge(200, '9');
    const std::vector<Case> cases = {
        {"255\r\n16777215\r\n", 255, 16777215},
        {"255,16777215", 255, 16777215},
        {" 255 , 16777215 \r\n", 255, 16777215},
        {"255\n16777215", 255, 16777215},
        {"\"255\"\r\n\"16777215\"", 255, 16777215},
        {"-2147483643\r\n-2147483643\r\n", INT32_MIN + 5, INT32_MIN + 5},
        {"255\r\n", 255, kBack},
        {"255", 255, kBack},
        {"", kFore, kBack},
        {"rosso\r\n16777215\r\n", kFore, 16777215},
        {"255\r\nbianco\r\n", 255, kBack},
        {"12abc,7.5", kFore, kBack},
        {"16777216\r\n-1\r\n", kFore, kBack},
        {huge + "\r\n" + huge + "\r\n", kFore, kBack},
        {"99999999999999999999,-99999999999999999999", kFore, kBack},
        {"1" + std::string(100, ' ') + "x,2", kFore, 2},
        {"\xFF\xFE\x32\x00", kFore, kBack},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.substr(0, 60));
        MemorySource source(c.bytes);
        ColorChoice colors{kFore, kBack};
        ReadColorSettings(source, colors);
        EXPECT_EQ(colors.foreColor, c.fore);
        EXPECT_EQ(colors.backColor, c.back);
    }
}

TEST(ColorSettings, WritesOneValuePerLineAndReadsItBack) {
    EXPECT_EQ(FormatColorSettings({kFore, kBack}), "16576\r\n-2147483633\r\n");
    for (const auto& [fore, back] : {std::pair{0, 0xFFFFFF}, std::pair{0xFFFFFF, INT32_MIN + 24},
                                     std::pair{INT32_MIN, 0x0000FF}}) {
        const std::string bytes = FormatColorSettings({fore, back});
        MemorySource source(bytes);
        ColorChoice read{kFore, kBack};
        ReadColorSettings(source, read);
        EXPECT_EQ(read.foreColor, fore) << bytes;
        EXPECT_EQ(read.backColor, back) << bytes;
    }
}

// A save cut short between writing the new numbers over the old ones and
// cutting the file to their length leaves the tail of the old bytes after
// them: the file still reads as the new colours.
TEST(ColorSettings, NewNumbersFollowedByTheTailOfOldOnesReadAsTheNewColours) {
    const std::string olds[] = {
        "16777215\r\n-2147483633\r\n",
        "\xEF\xBB\xBF"
        "16777215\r\n16777215\r\nuna riga aggiunta a mano\n",
        "16777215,-2147483633\n",
        "\"16777215\"\r\n\"-2147483633\"\r\n",
    };
    for (const std::string& old : olds) {
        for (const auto& [fore, back] : {std::pair{0, 0}, std::pair{255, 65280}}) {
            std::string torn = FormatColorSettings({fore, back});
            if (torn.size() < old.size())
                torn += old.substr(torn.size());
            SCOPED_TRACE(torn);
            MemorySource source(torn);
            ColorChoice read{kFore, kBack};
            ReadColorSettings(source, read);
            EXPECT_EQ(read.foreColor, fore);
            EXPECT_EQ(read.backColor, back);
        }
    }
}

} // namespace
} // namespace zelmora

// Plain logic that only Windows needs (its UTF-16 names and console, its
// calendar), written portably and so tested on every system.

#include "runtime/platform.h"
#include "runtime/services.h"
#include "runtime/utf8.h"

#include <chrono>
#include <ctime>
#include <gtest/gtest.h>
#include <string>

namespace zelmora {
namespace {

TEST(Utf16, ConvertsEveryScriptAndALoneSurrogateBecomesAReplacement) {
    const std::u16string text = u"città l\u2019alba \u0152uvre 日本 Ελλάδα \U0001F600";
    EXPECT_EQ(Utf16ToUtf8(text), "città l\u2019alba \u0152uvre 日本 Ελλάδα \U0001F600");
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);

    // A name may hold half of a pair, which the standard conversions refuse.
    EXPECT_EQ(Utf16ToUtf8(std::u16string{u'a', 0xD83D, u'b'}), "a\uFFFDb");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{0xDE00, 0xD83D}), "\uFFFD\uFFFD");
    // Bytes that are not UTF-8 (a Latin-1 letter, an overlong slash) too.
    EXPECT_EQ(Utf8ToUtf16("caff\xE8 \xC0\xAF"), u"caff\uFFFD \uFFFD\uFFFD");
}

TEST(Utf16, ConsolePiecesNeverSplitASurrogatePair) {
    // A phrase longer than one piece, with a pair across the piece's end.
    std::u16string text(8191, u'x');
    text += u"\U0001F600 e poi altro";
    std::u16string_view rest = text;
    std::u16string joined;
    while (!rest.empty()) {
        const std::size_t piece = PieceLength(rest, 8192);
        ASSERT_GT(piece, 0u);
        ASSERT_FALSE(piece < rest.size() && rest[piece - 1] >= 0xD800 && rest[piece - 1] <= 0xDBFF)
            << "a piece ends inside a pair";
        joined += rest.substr(0, piece);
        rest.remove_prefix(piece);
    }
    EXPECT_EQ(joined, text);
    EXPECT_EQ(PieceLength(text, 8192), 8191u);
    EXPECT_EQ(PieceLength(u"ab", 8192), 2u);
}

TEST(Utf16, WindowsLineEndsAreCrLf) {
    EXPECT_EQ(WithCrLf("uno\ndue\n"), "uno\r\ndue\r\n");
    EXPECT_EQ(WithCrLf(""), "");
}

// The day rule counts from the day of the year the system gives (on Windows
// worked out from its calendar date): it must agree with the date itself,
// leap years included.
TEST(LocalNow, DayOfYearAgreesWithTheDate) {
    using namespace std::chrono;
    const std::tm now = platform::LocalNow();
    const year_month_day date{year{now.tm_year + 1900}, month{unsigned(now.tm_mon + 1)},
                              day{unsigned(now.tm_mday)}};
    ASSERT_TRUE(date.ok());
    EXPECT_EQ(now.tm_yday, (sys_days{date} - sys_days{date.year() / January / 1}).count());
}

} // namespace
} // namespace zelmora

#include "app/error_messages.h"
#include "app/text_encoding.h"
#include "archive/phrase_archive.h"
#include "runtime/byte_source.h"
#include "runtime/errors.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace zelmora {
namespace {

struct Case {
    const char* what;
    std::string bytes;
    std::string expected;
};

void ExpectDecodes(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string decoded = DecodePhraseBytes(c.bytes);
        EXPECT_EQ(decoded, c.expected);
        EXPECT_TRUE(IsValidUtf8(decoded));
    }
}

TEST(TextEncoding, KeepsValidUtf8AsItIs) {
    ExpectDecodes({
        {"plain ASCII", "Chi semina raccoglie.\r\nDue righe", "Chi semina raccoglie.\r\nDue righe"},
        {"empty", "", ""},
        {"accented letters", "caff\xC3\xA8 perch\xC3\xA9 citt\xC3\xA0",
         "caff\xC3\xA8 perch\xC3\xA9 citt\xC3\xA0"},
        {"euro sign", "10 \xE2\x82\xAC", "10 \xE2\x82\xAC"},
        {"four-byte character", "\xF0\x9F\x8C\xBB", "\xF0\x9F\x8C\xBB"},
        {"highest code point", "\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF"},
    });
}

TEST(TextEncoding, ReadsOtherBytesAsWindows1252) {
    ExpectDecodes({
        {"accented letters", "caff\xE8 perch\xE9 citt\xE0",
         "caff\xC3\xA8 perch\xC3\xA9 citt\xC3\xA0"},
        {"euro sign and quotes", "\x80 \x93x\x94", "\xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D"},
        {"unassigned byte keeps its control character", "a\x81", "a\xC2\x81"},
        {"no-break space and y with diaeresis", "\xA0\xFF", "\xC2\xA0\xC3\xBF"},
    });
}

// An accented capital or letter before the quote, dash or ellipsis Word puts
// in makes two bytes that are valid UTF-8 on their own ("\xC8\x94" is U+0214):
// the phrase is not valid UTF-8 as a whole, so all of it is Windows-1252.
TEST(TextEncoding, PhraseThatIsNotUtf8AsAWholeIsWindows1252AsAWhole) {
    ExpectDecodes({
        {"capital E grave before a closing quote",
         "\x93"
         "DIO C\x92\xC8\x94",
         "\u201CDIO C\u2019\u00C8\u201D"},
        {"i grave before an ellipsis and a quote", "\x93Ma cos\xEC\x85\x94",
         "\u201CMa cos\u00EC\u2026\u201D"},
        {"U grave before an ellipsis", "PI\xD9 GI\xD9\x85:", "PI\u00D9 GI\u00D9\u2026:"},
        {"UTF-8 beside Windows-1252", "\xC3\xA8 \xE8", "\u00C3\u00A8 \u00E8"},
    });
}

// A file that a UTF-8 editor and an older Notepad both wrote to reads right
// phrase by phrase; a path whose folders were named on different systems,
// name by name, in the messages that show it.
TEST(TextEncoding, EachPhraseOfAFileAndEachNameOfAPathIsReadInItsOwnEncoding) {
    const std::string file = "Caff\xC3\xA8 \xE2\x80\x9C"
                             "forte\xE2\x80\x9D\r\n----\r\n"
                             "\x93"
                             "DIO C\x92\xC8\x94\r\ncos\xEC\x85\x94\r\n----\r\n";
    std::vector<std::string> shown;
    for (int n = 1; n <= 2; ++n) {
        MemorySource source(file);
        std::string phrase;
        LoadPhrase(source, n, phrase);
        shown.push_back(PhraseForDisplay(phrase));
    }
    EXPECT_EQ(shown,
              (std::vector<std::string>{"Caff\u00E8 \u201Cforte\u201D",
                                        "\u201CDIO C\u2019\u00C8\u201D\ncos\u00EC\u2026\u201D"}));

    const std::string path = "/home/anna/citt\xC3\xA0/PI\xD9 GI\xD9\x85/tesmi.txt";
    const std::string decoded = "/home/anna/citt\u00E0/PI\u00D9 GI\u00D9\u2026/tesmi.txt";
    EXPECT_EQ(DecodePathBytes(path), decoded);
    EXPECT_EQ(ErrorMessage(RuntimeError(kFileNotFound, path)),
              "Il file \u201C" + decoded + "\u201D non \u00E8 stato trovato.");
}

TEST(TextEncoding, InvalidUtf8FallsBackToWindows1252) {
    ExpectDecodes({
        {"overlong slash", "\xC0\xAF", "\xC3\x80\xC2\xAF"},
        {"overlong three-byte NUL", "\xE0\x80\x80", "\xC3\xA0\xE2\x82\xAC\xE2\x82\xAC"},
        {"surrogate", "\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
        {"truncated at the end", "a\xE2\x82", "a\xC3\xA2\xE2\x80\x9A"},
        {"truncated before ASCII", "\xE2\x82z", "\xC3\xA2\xE2\x80\x9Az"},
        {"lone continuation byte", "\xA9", "\xC2\xA9"},
        {"past U+10FFFF", "\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC"},
        {"five-byte lead", "\xF8\x88\x80\x80\x80",
         "\xC3\xB8\xCB\x86\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC"},
    });
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));
    EXPECT_FALSE(IsValidUtf8("\xED\xBF\xBF"));
    EXPECT_TRUE(IsValidUtf8("\xEF\xBB\xBF"));
}

TEST(TextEncoding, PhraseForDisplayPutsEachLineOnALineOfItsOwn) {
    EXPECT_EQ(PhraseForDisplay("Prima\r\n\r\nterza caff\xE8"), "Prima\n\nterza caff\xC3\xA8");
    EXPECT_EQ(PhraseForDisplay(""), "");
}

TEST(TextEncoding, ControlCharactersBecomeVisibleForTheTerminal) {
    const std::vector<Case> cases = {
        {"colour escape", "\x1B[31mrosso\x1B[0m", "\u241B[31mrosso\u241B[0m"},
        {"title and bell", "\x1B]0;x\x07", "\u241B]0;x\u2407"},
        {"carriage return and backspace", "a\rb\x08", "a\u240Db\u2408"},
        {"C1 control sequence introducer",
         "\xC2\x9B"
         "2J",
         "\uFFFD"
         "2J"},
        {"delete", "x\x7F", "x\u2421"},
        {"tab, line end and letters stay", "a\tb\ncaff\xC3\xA8 \xE2\x82\xAC",
         "a\tb\ncaff\xC3\xA8 \xE2\x82\xAC"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ShowControlCharacters(c.bytes), c.expected);
    }
}

} // namespace
} // namespace zelmora

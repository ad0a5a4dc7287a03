#include "app/text_encoding.h"
#include "archive/phrase_archive.h"
#include "error_of.h"
#include "fuzz_bodies.h"
#include "runtime/errors.h"
#include "temp_dir.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#ifdef _WIN32
#include "runtime/windows_api.h"
#endif

namespace zelmora {
namespace {

using test::CrLfLines;
using test::TempDir;

PhraseCountValue CountOf(std::string_view bytes) {
    MemorySource source(bytes);
    PhraseCountValue count;
    CountPhrases(source, count);
    return count;
}

std::string LoadOf(std::string_view bytes, std::int64_t n) {
    MemorySource source(bytes);
    std::string text = "previous";
    LoadPhrase(source, n, text);
    return text;
}

TEST(PhraseArchive, CountsAndLoadsTheEdgeCasesOfTheFileFormat) {
    struct Case {
        const char* what;
        std::string bytes;
        std::int64_t count;
        std::vector<std::pair<std::int64_t, std::string>> loads;
    };
    const std::vector<Case> cases = {
        {"multi-line phrases joined by CR LF",
         CrLfLines({"uno", "due", "----", "tre", "----"}),
         2,
         {{1, "uno\r\ndue"}, {2, "tre"}}},
        {"last phrase without closing separator is not counted but loads",
         CrLfLines({"a", "----", "coda"}),
         1,
         {{1, "a"}, {2, "coda"}}},
        {"no line end after the last separator", "a\r\n----\r\nb\r\n----", 2, {{2, "b"}}},
        {"lines ended by LF alone", "a\nb\n----\nc\n----\n", 2, {{1, "a\r\nb"}, {2, "c"}}},
        {"lines ended by CR alone", "a\r----\rc\r----", 2, {{2, "c"}}},
        {"two separators in a row give an empty phrase",
         CrLfLines({"a", "----", "----", "c", "----"}),
         3,
         {{2, ""}, {3, "c"}}},
        {"leading empty lines dropped, a line of blanks kept",
         CrLfLines({"", "", "x", "----", "", "  ", "", "y", "----"}),
         2,
         {{1, "x"}, {2, "  \r\n\r\ny"}}},
        {"empty lines inside and before the separator kept",
         CrLfLines({"a", "", "b", "", "----"}),
         1,
         {{1, "a\r\n\r\nb\r\n"}}},
        {"four hyphens and a blank, and five hyphens, are text",
         CrLfLines({"a", "---- ", "-----", " ----", "----"}),
         1,
         {{1, "a\r\n---- \r\n-----\r\n ----"}}},
        {"N of 1, 0 and below read the first phrase",
         CrLfLines({"prima", "----", "seconda", "----"}),
         2,
         {{1, "prima"}, {0, "prima"}, {-5, "prima"}}},
        {"byte-order mark before a separator",
         "\xEF\xBB\xBF----\r\nb\r\n----\r\n",
         2,
         {{1, ""}, {2, "b"}}},
        {"no separator at all: the whole file is phrase 1",
         CrLfLines({"a", "b"}),
         0,
         {{1, "a\r\nb"}}},
        {"a byte-order mark alone holds no phrase", "\xEF\xBB\xBF", 0, {}},
        {"bytes kept as they are",
         "caff\xE8 \xE2\x82\xAC\r\n----",
         1,
         {{1, "caff\xE8 \xE2\x82\xAC"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CountOf(c.bytes), c.count);
        for (const auto& [n, expected] : c.loads) {
            SCOPED_TRACE("phrase " + std::to_string(n));
            EXPECT_EQ(LoadOf(c.bytes, n), expected);
        }
    }
}

TEST(PhraseArchive, FailedLoadsRaise62AndLeaveTheTextTheReadsLeft) {
    struct Case {
        const char* what;
        std::string bytes;
        std::int64_t n;
        std::string textAfter;
    };
    const std::vector<Case> cases = {
        {"skip runs off the end: the last line stays", CrLfLines({"a", "----", "b", "c"}), 3, "c"},
        {"far beyond the end", CrLfLines({"a", "----", "b", "c"}), 1000, "c"},
        {"skip ends right on the last separator", CrLfLines({"a", "----"}), 3, "----"},
        {"nothing after the separator before phrase N", CrLfLines({"a", "----"}), 2, ""},
        {"same, without a final line end", "a\r\n----", 2, ""},
        {"empty file, first phrase: the text is cleared", "", 1, ""},
        {"empty file, later phrase: the text is unchanged", "", 3, "previous"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemorySource source(c.bytes);
        std::string text = "previous";
        EXPECT_EQ(test::ErrorNumberOf([&] { LoadPhrase(source, c.n, text); }), kInputPastEnd);
        EXPECT_EQ(text, c.textAfter);
    }
}

TEST(PhraseArchive, LoadsAgreeWithLineByLineReadingByteByByte) {
    // Random files of separators, empty lines, blanks and text, each phrase
    // loaded a byte per read and compared with a plain line-by-line
    // load, failures and the text they leave included.
    const std::vector<std::string> pieces = {"----", "", " ", "a", "bb", "---- ", "-----"};
    const std::vector<std::string> ends = {"\r\n", "\r", "\n"};
    std::mt19937 engine(7);
    for (int round = 0; round < 90; ++round) {
        std::string bytes = round % 5 == 0 ? "\xEF\xBB\xBF" : "";
        const int lines = static_cast<int>(engine() % 12);
        for (int i = 0; i < lines; ++i) {
            bytes += pieces[engine() % pieces.size()];
            if (i + 1 < lines || engine() % 2 == 0)
                bytes += ends[engine() % ends.size()];
        }
        const auto fileLines = fuzz::ReferenceLines(bytes);
        const auto separators = std::count(fileLines.begin(), fileLines.end(), "----");
        for (std::int64_t n = 0; n <= separators + 2; ++n) {
            try {
                fuzz::CheckLoad(bytes, n, 1);
            } catch (const fuzz::InvariantFailure& failure) {
                ADD_FAILURE() << failure.what();
                return; // one reported file is enough
            }
        }
    }
}

// However the lines fall around the size limit, a long phrase in UTF-8 is
// cut on a whole character, so it still reads as UTF-8.
TEST(PhraseArchive, LongPhrasesAreCutOnAWholeCharacter) {
    for (const std::string character : {"\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"}) {
        for (std::size_t shift = 0; shift < 4; ++shift) {
            SCOPED_TRACE(fuzz::Shown(character) + " shifted by " + std::to_string(shift));
            std::string line(shift, 'a');
            while (line.size() < kMaxPhraseBytes + 16)
                line += character;
            const std::string shortLine = std::string(shift + 1, 'b');
            for (const std::string& phrase : {line, shortLine + "\r\n" + line}) {
                const std::string file = phrase + "\r\n----\r\n";
                const std::string text = LoadOf(file, 1);
                EXPECT_TRUE(IsValidUtf8(text));
                EXPECT_LE(text.size(), kMaxPhraseBytes);
                EXPECT_GT(text.size(), kMaxPhraseBytes - character.size());
                EXPECT_EQ(text, phrase.substr(0, text.size()));
                // The file's last line, left by a load past the end, likewise.
                MemorySource source(file);
                std::string last;
                EXPECT_EQ(test::ErrorNumberOf([&] { LoadPhrase(source, 3, last); }), kInputPastEnd);
                EXPECT_EQ(last, "----");
                MemorySource unclosed(phrase);
                EXPECT_EQ(test::ErrorNumberOf([&] { LoadPhrase(unclosed, 2, last); }),
                          kInputPastEnd);
                EXPECT_TRUE(IsValidUtf8(last));
                EXPECT_GT(last.size(), kMaxPhraseBytes - character.size());
            }
        }
    }
}

TEST(PhraseArchiveFile, ReadsARealFile) {
    TempDir dir;
    dir.write("tesmi.txt", CrLfLines({"Prima frase", "su due righe", "----", "Seconda", "----"}));
    PhraseCountValue count;
    CountPhrases(dir / "tesmi.txt", count);
    EXPECT_EQ(count, 2);
    std::string text;
    LoadPhrase(dir / "tesmi.txt", 2, text);
    EXPECT_EQ(text, "Seconda");
    LoadPhrase(dir / "tesmi.txt", 1, text);
    EXPECT_EQ(text, "Prima frase\r\nsu due righe");
}

TEST(PhraseArchiveFile, OpenFailuresNameTheFile) {
    TempDir dir;
    std::filesystem::create_directory(dir / "cartella.txt");
    dir.write("vuoto.txt", "");
    for (const auto& [name, error] :
         {std::pair{"tesmi.txt", kFileNotFound}, std::pair{"cartella.txt", kPathFileAccess},
          std::pair{"vuoto.txt", kInputPastEnd}}) {
        SCOPED_TRACE(name);
        PhraseCountValue count;
        const auto raised = test::ErrorOf([&] { CountPhrases(dir / name, count); });
        ASSERT_TRUE(raised) << "counting did not fail";
        EXPECT_EQ(raised->number(), error);
        EXPECT_EQ(raised->file(), (dir / name).string());
        // The count is set only once the file is open, before its first read.
        EXPECT_EQ(count, error == kInputPastEnd ? PhraseCountValue{0} : PhraseCountValue{});
        std::string text = "previous";
        EXPECT_EQ(test::ErrorNumberOf([&] { LoadPhrase(dir / name, 3, text); }), error);
        EXPECT_EQ(text, "previous");
    }
}

TEST(PhraseArchiveFile, UnreadableFileRaises75) {
    if (test::RunningAsRoot())
        GTEST_SKIP() << "root reads any file";
    TempDir dir;
    dir.write("tesmi.txt", CrLfLines({"a", "----"}));
#ifdef _WIN32
    // Permission bits only make a Windows file read-only; a file another
    // program keeps open without sharing it cannot be read.
    const HANDLE held = CreateFileW((dir / "tesmi.txt").c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
#else
    std::filesystem::permissions(dir / "tesmi.txt", std::filesystem::perms::none);
#endif
    PhraseCountValue count;
    EXPECT_EQ(test::ErrorNumberOf([&] { CountPhrases(dir / "tesmi.txt", count); }),
              kPathFileAccess);
#ifdef _WIN32
    CloseHandle(held);
#endif
}

TEST(PhraseArchiveFile, HandlesMoreThan32767PhrasesAcrossManyBlocks) {
    // Some 1.9 MB: more than one default block of the scanner.
    constexpr int kPhrases = 40000;
    std::string bytes;
    for (int i = 1; i <= kPhrases; ++i)
        bytes += "Frase numero " + std::to_string(i) + " di prova\r\nseconda riga\r\n----\r\n";
    TempDir dir;
    dir.write("tesmi.txt", bytes);
    const auto path = dir / "tesmi.txt";

    PhraseCountValue count;
    CountPhrases(path, count);
    EXPECT_EQ(count, kPhrases);

    for (const std::int64_t n :
         {std::int64_t{32767}, std::int64_t{32768}, std::int64_t{kPhrases}}) {
        std::string text;
        LoadPhrase(path, n, text);
        EXPECT_EQ(text, "Frase numero " + std::to_string(n) + " di prova\r\nseconda riga");
    }
    std::string text = "previous";
    EXPECT_EQ(test::ErrorNumberOf([&] { LoadPhrase(path, kPhrases + 1, text); }), kInputPastEnd);
    EXPECT_EQ(text, "");
    EXPECT_EQ(test::ErrorNumberOf([&] { LoadPhrase(path, kPhrases + 2, text); }), kInputPastEnd);
    EXPECT_EQ(text, "----");
}

} // namespace
} // namespace zelmora

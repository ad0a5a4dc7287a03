// Phrase files saved as UTF-16 ("Unicode" in Notepad, Windows PowerShell's
// `>` and `Out-File`) and files that turn to UTF-16 part-way (PowerShell's
// `>>`): the decoding source on its own, judged by the whole text decoded at
// once, and the phrase routines on such files, judged by the same text in
// UTF-8.

#include "archive/phrase_archive.h"
#include "error_of.h"
#include "fuzz_bodies.h"
#include "runtime/errors.h"
#include "runtime/text_source.h"
#include "runtime/utf8.h"
#include "temp_dir.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace zelmora {
namespace {

using test::CrLfLines;
using test::TempDir;
using test::Utf16File;

const std::string kReplacement = "\xEF\xBF\xBD";

// Everything `source` hands out, read into buffers of `bufferSize` bytes.
std::string ReadAll(ByteSource& source, std::size_t bufferSize) {
    std::string all;
    std::vector<char> buffer(bufferSize);
    while (const std::size_t n = source.read(buffer))
        all.append(buffer.data(), n);
    return all;
}

std::string Bytes(const std::u16string& units, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t u : units) {
        const auto low = static_cast<char>(u & 0xFF);
        const auto high = static_cast<char>(u >> 8);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

// Random UTF-16 of every kind: ASCII with line ends, hyphens and NUL
// (`ascii` in %), letters of two UTF-8 bytes (`twoBytes` in %), and the rest:
// the euro sign and the first letter of three bytes, surrogate pairs, lone
// surrogates of both halves, a unit whose second byte is ASCII's.
std::u16string RandomUnits(std::mt19937& engine, std::size_t length, unsigned ascii = 40,
                           unsigned twoBytes = 20) {
    const std::u16string plain[] = {u"a", u"-", u"\r", u"\n", std::u16string(1, u'\0'), u"\x7F"};
    const std::u16string two[] = {u"\u00E8", u"\u0080", u"\u07FF", u"\u0100"};
    const std::u16string other[] = {u"\u20AC", u"\u0800", u"\U0001F600",
                                    u"\xD800", u"\xDC00", u"\uFF80"};
    std::u16string units;
    while (units.size() < length) {
        const unsigned kind = engine() % 100;
        units += kind < ascii              ? plain[engine() % std::size(plain)]
                 : kind < ascii + twoBytes ? two[engine() % std::size(two)]
                                           : other[engine() % std::size(other)];
    }
    return units;
}

// However the file's reads and the reader's buffers cut the bytes (inside a
// code unit, between the halves of a pair, across the source's own blocks),
// what comes out with each way of decoding is the whole text decoded at once
// after UTF-8's mark, the odd last byte of a file cut short as one U+FFFD.
TEST(TextSource, HandsOnUtf16AsUtf8HoweverTheReadsCutIt) {
    std::mt19937 engine(30);
    struct Case {
        std::u16string units;
        std::vector<std::size_t> chunks;
        std::vector<std::size_t> buffers;
    };
    std::vector<Case> cases;
    for (int round = 0; round < 40; ++round)
        cases.push_back(
            {RandomUnits(engine, engine() % 24), {1, 2, 3, 5}, {1, 2, 5, 16, 17, 4096}});
    // Runs long enough for the vector paths, ended at every place by the
    // file's reads; buffers that decode in the source's block and in place.
    std::vector<std::size_t> everySize;
    for (std::size_t size = 1; size <= 80; ++size)
        everySize.push_back(size);
    cases.push_back({RandomUnits(engine, 500, 70, 28), everySize, {7, 4096, 5000}});
    // Three bytes for each unit: decoded in place, the text grows the most
    // over what is still to be read.
    std::u16string threeBytes;
    while (threeBytes.size() < 100000)
        threeBytes += u"\u20AC\u0800\uFF80\uFFFF\xDC00";
    cases.push_back({threeBytes, {4095, 100001}, {4096, 5000, 16384}});
    // Longer than the source's blocks, with reads that end at odd places too;
    // mostly ASCII, mostly letters of two bytes, and of every kind.
    for (const auto& [ascii, twoBytes] : {std::pair{40u, 20u}, {98u, 1u}, {60u, 40u}})
        cases.push_back({RandomUnits(engine, 150000, ascii, twoBytes),
                         {65535, 65536, 100001},
                         {7, 65536, 1 << 20}});
    std::vector<TextSource::Decoder> decoders;
    for (const auto decoder : {TextSource::Decoder::Portable, TextSource::Decoder::Sse2,
                               TextSource::Decoder::Avx2, TextSource::Decoder::Avx512})
        if (TextSource::runs(decoder))
            decoders.push_back(decoder);
    for (const Case& c : cases) {
        for (const bool bigEndian : {false, true}) {
            for (const bool odd : {false, true}) {
                std::string file = Bytes(c.units, bigEndian);
                std::string expected = "\xEF\xBB\xBF" + Utf16ToUtf8(c.units);
                if (odd) {
                    file += 'x';
                    expected += kReplacement;
                }
                for (const auto decoder : decoders) {
                    for (const std::size_t chunk : c.chunks) {
                        for (const std::size_t buffer : c.buffers) {
                            fuzz::TrickleSource raw(file, chunk);
                            TextSource text(raw, decoder);
                            const std::string got = ReadAll(text, buffer);
                            ASSERT_EQ(got, expected)
                                << "decoder " << static_cast<int>(decoder) << ", reads of " << chunk
                                << ", buffer " << buffer << ", file " << fuzz::Shown(file);
                            EXPECT_EQ(text.encoding(),
                                      bigEndian ? TextSource::Encoding::Utf16BigEndian
                                                : TextSource::Encoding::Utf16LittleEndian);
                            text.rewind();
                            ASSERT_EQ(ReadAll(text, buffer), expected) << "after rewinding";
                        }
                    }
                }
            }
        }
    }
}

// Stray NUL bytes are text like any control character; NUL bytes at every
// other place are UTF-16, wherever they start and however the reads cut them.
TEST(TextSource, HandsOnOtherFilesAsTheyStandButRefusesUtf16Text) {
    using namespace std::string_literals;
    for (const std::string& file :
         {""s, "\xFF"s, "\xFE\xFE-"s, "\xEF\xBB\xBF----\r\n"s, "caff\xE8\r\n----\r\n"s, "\0a"s,
          "zero\0byte\r\n\0\0\r\n\0-\0"s, "a\0b\0c"s}) {
        SCOPED_TRACE(fuzz::Shown(file));
        fuzz::TrickleSource raw(file, 1);
        TextSource text(raw);
        EXPECT_EQ(ReadAll(text, 3), file);
        EXPECT_EQ(text.encoding(), TextSource::Encoding::Bytes);
    }
    const std::string big(300000, 'a');
    for (const std::string& file :
         {"\0\0\0\0\0"s, "a\0b\0c\0"s, "ab\r\n" + Utf16File("c\r\n", false, false),
          big + Utf16File("Nuova frase\r\n----\r\n", false, false)}) {
        SCOPED_TRACE(fuzz::Shown(file));
        for (const std::size_t chunk : {std::size_t{1}, std::size_t{2}, file.size()}) {
            fuzz::TrickleSource raw(file, chunk);
            TextSource text(raw);
            const auto error = test::ErrorOf([&] { ReadAll(text, 4096); });
            ASSERT_TRUE(error) << "reads of " << chunk;
            EXPECT_EQ(error->number(), kBadFileFormat);
            EXPECT_EQ(error->cause(), Cause::PartlyUtf16);
        }
    }
}

// Every kind of line end, separators that are and are not, leading empty
// lines, letters of every length in UTF-8.
const std::string kPhrases =
    CrLfLines({"", "Per\u00F2 la citt\u00E0", "costa 5 \u20AC \U0001F600", "----", "---- ", "-----",
               "----", "seconda\rriga\nterza", "----", "coda"});

TEST(PhraseArchiveFile, ReadsUtf16FilesAsTheSameTextInUtf8) {
    TempDir dir;
    dir.write("utf8.txt", kPhrases);
    dir.write("le.txt", Utf16File(kPhrases));
    dir.write("be.txt", Utf16File(kPhrases, true));
    PhraseCountValue expectedCount;
    CountPhrases(dir / "utf8.txt", expectedCount);
    ASSERT_EQ(expectedCount, 3);
    for (const char* name : {"le.txt", "be.txt"}) {
        SCOPED_TRACE(name);
        PhraseCountValue count;
        CountPhrases(dir / name, count);
        EXPECT_EQ(count, expectedCount);
        // Every phrase, the day's of each day, and the failures past the end
        // with the text they leave.
        for (std::int64_t n = 0; n <= 6; ++n) {
            SCOPED_TRACE("phrase " + std::to_string(n));
            std::string expected = "previous";
            std::string text = "previous";
            const int expectedError =
                test::ErrorNumberOf([&] { LoadPhrase(dir / "utf8.txt", n, expected); });
            EXPECT_EQ(test::ErrorNumberOf([&] { LoadPhrase(dir / name, n, text); }), expectedError);
            EXPECT_EQ(text, expected);
        }
        const std::string phrase1 = "Per\u00F2 la citt\u00E0\r\ncosta 5 \u20AC \U0001F600";
        for (const auto& [day, expected] :
             {std::pair{1, std::string("---- \r\n-----")},
              std::pair{2, std::string("seconda\r\nriga\r\nterza")}, std::pair{3, phrase1}}) {
            std::string text;
            LoadPhrase(dir / name, DayPhraseIndex(count, 1, day), text);
            EXPECT_EQ(text, expected) << "day " << day;
        }
    }
}

// A file holding only its byte-order mark holds no phrase, in UTF-16 as in
// UTF-8; only a file of no byte at all is empty.
TEST(PhraseArchiveFile, AFileOfOnlyItsMarkHoldsNoPhrase) {
    TempDir dir;
    dir.write("utf8.txt", "\xEF\xBB\xBF");
    dir.write("le.txt", "\xFF\xFE");
    dir.write("be.txt", "\xFE\xFF");
    dir.write("empty.txt", "");
    std::string expected;
    const auto expectedError = test::ErrorOf([&] { LoadPhrase(dir / "utf8.txt", 1, expected); });
    ASSERT_TRUE(expectedError);
    for (const char* name : {"utf8.txt", "le.txt", "be.txt"}) {
        SCOPED_TRACE(name);
        PhraseCountValue count;
        EXPECT_EQ(test::ErrorNumberOf([&] { CountPhrases(dir / name, count); }), 0);
        EXPECT_EQ(count, 0);
        std::string text;
        const auto error = test::ErrorOf([&] { LoadPhrase(dir / name, 1, text); });
        ASSERT_TRUE(error);
        EXPECT_EQ(error->number(), expectedError->number());
        EXPECT_EQ(error->cause(), expectedError->cause());
        EXPECT_NE(error->cause(), Cause::EmptyFile);
        EXPECT_EQ(text, expected);
    }
    PhraseCountValue count;
    const auto empty = test::ErrorOf([&] { CountPhrases(dir / "empty.txt", count); });
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->cause(), Cause::EmptyFile);
}

// Some 3.8 MB in UTF-16: several of the scanner's blocks, many of the
// source's own.
TEST(PhraseArchiveFile, ReadsALargeUtf16FileAcrossManyBlocks) {
    TempDir dir;
    dir.write("tesmi.txt", Utf16File(test::Phrases(150000), true));
    PhraseCountValue count;
    CountPhrases(dir / "tesmi.txt", count);
    EXPECT_EQ(count, 150000);
    std::string text;
    LoadPhrase(dir / "tesmi.txt", 123457, text);
    EXPECT_EQ(text, "frase 123457");
}

// What Windows PowerShell's `>>` leaves: UTF-16 after the UTF-8 phrases,
// right after them or far into the file. Counting reads to the end, so it
// always finds it.
TEST(PhraseArchiveFile, RefusesAFileThatTurnsToUtf16PartWay) {
    TempDir dir;
    const std::string tail = Utf16File("Nuova frase\r\n----\r\n", false, false);
    dir.write("near.txt", CrLfLines({"Prima", "----"}) + tail);
    dir.write("far.txt", test::Phrases(200000) + tail);
    for (const char* name : {"near.txt", "far.txt"}) {
        SCOPED_TRACE(name);
        PhraseCountValue count;
        const auto error = test::ErrorOf([&] { CountPhrases(dir / name, count); });
        ASSERT_TRUE(error);
        EXPECT_EQ(error->number(), kBadFileFormat);
        EXPECT_EQ(error->cause(), Cause::PartlyUtf16);
        EXPECT_EQ(error->file(), (dir / name).string());
        std::string text;
        EXPECT_EQ(test::ErrorNumberOf([&] { LoadPhrase(dir / name, 200001, text); }),
                  kBadFileFormat);
    }
}

} // namespace
} // namespace zelmora

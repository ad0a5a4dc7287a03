#include "archive/phrase_scanner.h"
#include "fuzz_bodies.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace zelmora {

// The search's name in gtest's messages.
void PrintTo(PhraseScanner::Search search, std::ostream* out) {
    *out << PhraseScanner::nameOf(search);
}

namespace {

using fuzz::ReferenceLines;
using fuzz::TrickleSource;

constexpr std::size_t kWhole = std::numeric_limits<std::size_t>::max();

using Search = PhraseScanner::Search;

struct Reading {
    std::size_t blockSize;
    std::size_t chunk;
};

// Small blocks and small reads put block boundaries inside line ends,
// separators and the byte-order mark.
const std::vector<Reading> kSmallReadings = {{1, 1},  {1, 2},  {1, 3},  {7, kWhole},
                                             {16, 1}, {16, 7}, {64, 5}, {3, 2}};

std::vector<Reading> AllReadings() {
    std::vector<Reading> readings = kSmallReadings;
    readings.push_back({PhraseScanner::kDefaultBlockSize, kWhole});
    return readings;
}

std::string Described(const Reading& reading, Search search) {
    return "block " + std::to_string(reading.blockSize) + ", chunk " +
           std::to_string(reading.chunk) + ", search " + std::string(PhraseScanner::nameOf(search));
}

// Each test runs once for each search, and is skipped, saying so, where the
// processor lacks that search: the output names the searches that ran.
class PhraseScannerSearch : public testing::TestWithParam<Search> {
protected:
    void SetUp() override {
        if (!PhraseScanner::has(GetParam()))
            GTEST_SKIP() << "this processor has no " << PhraseScanner::nameOf(GetParam())
                         << " search";
    }
};

INSTANTIATE_TEST_SUITE_P(EachSearch, PhraseScannerSearch,
                         testing::ValuesIn(PhraseScanner::kSearches),
                         [](const testing::TestParamInfo<Search>& info) {
                             return std::string(PhraseScanner::nameOf(info.param));
                         });

// Checks reading, counting and skipping of `bytes` against the plain
// reading of its lines, under every block size and read size, skipping to
// every phrase and past the last.
void ExpectScannerAgreesWithReference(const std::string& bytes,
                                      const std::vector<Reading>& readings, Search search) {
    const auto lines = ReferenceLines(bytes);
    const auto separators = std::count(lines.begin(), lines.end(), "----");
    for (const Reading& reading : readings) {
        for (std::int64_t n = 1; n <= separators + 2; ++n) {
            try {
                fuzz::CheckScanner(bytes, n, reading.blockSize, reading.chunk, search);
            } catch (const fuzz::InvariantFailure& failure) {
                ADD_FAILURE() << failure.what();
                return;
            }
        }
    }
}

TEST_P(PhraseScannerSearch, ReadsNamedCasesAtEveryBlockSize) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"", {}},
        {"abc", {"abc"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\n\rb", {"a", "", "b"}}, // LF then CR: two line ends
        {"a\r\r\nb", {"a", "", "b"}},
        {"\r\n", {""}},
        {"  x \t\r\n", {"  x \t"}}, // no trimming
        {"\xEF\xBB\xBF"
         "a\r\n",
         {"a"}},
        {"\xEF\xBB\xBF", {}},
        {"\xEF\xBB", {"\xEF\xBB"}},           // not a whole mark: text
        {"a\xEF\xBB\xBF", {"a\xEF\xBB\xBF"}}, // a mark after the start is text
        {"----\r\n---- \r\n-----\r\n", {"----", "---- ", "-----"}},
    };
    for (const auto& [bytes, expected] : cases) {
        SCOPED_TRACE(fuzz::Shown(bytes));
        ASSERT_EQ(ReferenceLines(bytes), expected); // the reference itself
        ExpectScannerAgreesWithReference(bytes, AllReadings(), GetParam());
    }
}

TEST_P(PhraseScannerSearch, CountsOnlyWholeSeparatorLines) {
    const std::vector<std::pair<std::string, std::int64_t>> cases = {
        {"----", 1},
        {"----\r\n", 1},
        {"----\r", 1},
        {"----\n", 1},
        {"a\r\n----\r\nb\r\n----", 2},
        {"----\r\n----\r\n", 2},
        {"a\n----\nb\n----\n", 2},
        {"a\r----\rb", 1},
        {"---- \r\n", 0},
        {" ----\r\n", 0},
        {"-----\r\n", 0},
        {"--------", 0},
        {"x----\r\n", 0},
        {"---\r\n", 0},
        {"--\r\n--\r\n", 0},
        {"-\r\n----", 1},
        {"a----\r\n----", 1},
        {"ab-cd--ef---\r\n----\r\n-", 1},
        {"----\r\n-----\r\n----", 2},
        {"----\r\n---", 1},
        {"\xEF\xBB\xBF----\r\n", 1},
        {"\xEF\xBB\xBF-----\r\n", 0},
        {"\xEF\xBB\xBF", 0},
    };
    for (const auto& [bytes, expected] : cases) {
        SCOPED_TRACE(fuzz::Shown(bytes));
        for (const Reading& reading : AllReadings()) {
            SCOPED_TRACE(Described(reading, GetParam()));
            TrickleSource source(bytes, reading.chunk);
            PhraseScanner scanner(source, reading.blockSize, GetParam());
            EXPECT_EQ(scanner.countSeparators(), expected);
        }
    }
}

TEST_P(PhraseScannerSearch, OnlyCrAndLfEndALineAndOnlyTheHyphenMakesASeparator) {
    // Every byte value just before the hyphens, just after them and in the
    // place of one, at places across the vectors and where they meet: the
    // vector searches tell line ends and hyphens apart by tables and masks,
    // which must hold for the bytes no phrase file of ours has, NUL and
    // those of 128 or more (0x8A and 0x8D end like LF and CR) among them.
    const std::vector<Reading> readings = {{PhraseScanner::kDefaultBlockSize, kWhole}, {97, 13}};
    for (int value = 0; value < 256; ++value) {
        const std::string b(1, static_cast<char>(value));
        for (const std::size_t before : {0, 26, 31, 58, 63, 64, 123}) {
            const std::string text(before, 'a');
            for (const std::string& bytes :
                 {text + b + "----\n", text + "\n----" + b + "x", text + "\r--" + b + "-\r\n"}) {
                SCOPED_TRACE(fuzz::Shown(bytes));
                ExpectScannerAgreesWithReference(bytes, readings, GetParam());
                if (HasFailure())
                    return;
            }
        }
    }
}

TEST_P(PhraseScannerSearch, SkippingLandsOnTheLineAfterTheSeparator) {
    // The separator's CR LF may be split between two reads: the LF must not
    // be taken for an empty line of the next phrase.
    const std::string bytes = "uno\r\n----\r\ndue\r\n----\r\n\r\ntre";
    for (const Reading& reading : AllReadings()) {
        SCOPED_TRACE(Described(reading, GetParam()));
        TrickleSource source(bytes, reading.chunk);
        PhraseScanner scanner(source, reading.blockSize, GetParam());
        std::string line;
        ASSERT_EQ(scanner.skipSeparators(1), 1);
        ASSERT_TRUE(scanner.readLine(line));
        EXPECT_EQ(line, "due");
        ASSERT_EQ(scanner.skipSeparators(1), 1);
        ASSERT_TRUE(scanner.readLine(line));
        EXPECT_EQ(line, "");
        ASSERT_TRUE(scanner.readLine(line));
        EXPECT_EQ(line, "tre");
        EXPECT_FALSE(scanner.readLine(line));
        EXPECT_EQ(line, "tre") << "a failed read leaves the line as it was";
        EXPECT_EQ(scanner.skipSeparators(1), 0);
    }
}

TEST_P(PhraseScannerSearch, AgreesWithReferenceOnEveryShortInput) {
    // Every text of up to six bytes made of hyphens, line ends and a letter.
    const std::string alphabet = "-\r\nx";
    std::vector<std::string> inputs = {""};
    for (std::size_t length = 1, first = 0; length <= 6; ++length) {
        const std::size_t last = inputs.size();
        for (std::size_t i = first; i < last; ++i)
            for (const char c : alphabet)
                inputs.push_back(inputs[i] + c);
        first = last;
    }
    for (const std::string& bytes : inputs) {
        SCOPED_TRACE(fuzz::Shown(bytes));
        ExpectScannerAgreesWithReference(bytes, kSmallReadings, GetParam());
        if (HasFailure())
            return; // one reported case is enough
    }
}

TEST_P(PhraseScannerSearch, AgreesWithReferenceOnLongerInputs) {
    // Longer than the smallest buffers, so lines and separators are moved to
    // the front of the buffer while they are being read.
    const std::string alphabet = "----\r\n\r\nab \xEF\xBB\xBF";
    std::mt19937 engine(20240611);
    for (int round = 0; round < 400; ++round) {
        std::string bytes = round % 4 == 0 ? "\xEF\xBB\xBF" : "";
        const std::size_t length = 16 + engine() % 64;
        while (bytes.size() < length) {
            if (engine() % 5 == 0)
                bytes += "\r\n----";
            else
                bytes += alphabet[engine() % alphabet.size()];
        }
        SCOPED_TRACE(fuzz::Shown(bytes));
        ExpectScannerAgreesWithReference(bytes, kSmallReadings, GetParam());
        if (HasFailure())
            return;
    }
}

TEST_P(PhraseScannerSearch, AgreesWithReferenceWhenSkipsReadsAndCountsMix) {
    // Files of some hundred bytes thick with hyphens, read in blocks large
    // enough for the separator search to pass over many bytes at a time, by
    // skips and line reads in random turns, then a count of what is left.
    const std::vector<std::string> pieces = {"----", "-",  "--", "---", "-----",       "\r\n",
                                             "\r",   "\n", "ab", " ",   "\r\n----\r\n"};
    const std::vector<Reading> readings = {
        {PhraseScanner::kDefaultBlockSize, kWhole}, {256, kWhole}, {300, 7}, {133, 64}};
    std::mt19937 engine(5150);
    for (int round = 0; round < 150; ++round) {
        std::string bytes = round % 3 == 0 ? "\xEF\xBB\xBF" : "";
        const std::size_t length = 200 + engine() % 1200;
        while (bytes.size() < length)
            bytes += pieces[engine() % pieces.size()];
        const std::vector<std::string> lines = ReferenceLines(bytes);
        SCOPED_TRACE(fuzz::Shown(bytes));
        for (const Reading& reading : readings) {
            SCOPED_TRACE(Described(reading, GetParam()));
            TrickleSource source(bytes, reading.chunk);
            PhraseScanner scanner(source, reading.blockSize, GetParam());
            std::string line;
            std::size_t next = 0; // the line the scanner is at
            while (next < lines.size() && engine() % 16 != 0) {
                if (engine() % 2 == 0) {
                    ASSERT_TRUE(scanner.readLine(line));
                    ASSERT_EQ(line, lines[next++]);
                    continue;
                }
                const auto separator =
                    std::find(lines.begin() + static_cast<long>(next), lines.end(), "----");
                ASSERT_EQ(scanner.skipSeparators(1), separator != lines.end() ? 1 : 0);
                next = static_cast<std::size_t>(separator - lines.begin()) + 1;
            }
            next = std::min(next, lines.size());
            EXPECT_EQ(scanner.countSeparators(),
                      std::count(lines.begin() + static_cast<long>(next), lines.end(), "----"));
            EXPECT_TRUE(scanner.atEnd());
        }
        if (HasFailure())
            return;
    }
}

TEST_P(PhraseScannerSearch, AgreesWithReferenceWhereSeparatorsCrowdOrFallAnywhereInAVector) {
    // One separator after 0 to 299 bytes of text, with each kind of line end:
    // it falls on every byte of the vectors the wide searches compare, and of
    // the tail they leave to the portable one. Then separators one after the
    // other, many in one vector, where a skip must stop at the right one.
    const std::vector<Reading> readings = {
        {PhraseScanner::kDefaultBlockSize, kWhole}, {256, kWhole}, {97, 13}};
    std::vector<std::string> inputs;
    for (const std::string end : {"\r\n", "\r", "\n"}) {
        for (std::size_t before = 0; before < 300; before += 1 + before / 64) {
            std::string text(before, 'a');
            for (std::size_t i = 3; i < before; i += 7)
                text[i] = '-'; // hyphens that begin no separator
            inputs.push_back(text + end + "----" + end + "coda" + end + "----");
        }
        std::string crowd;
        for (int i = 0; i < 40; ++i)
            crowd += (i % 3 == 0 ? "-----" : "----") + end;
        inputs.push_back(crowd);
    }
    // As close as separators come, 13 closing in some 64 bytes, for 300 of
    // them: a skip to any of them may pass over several hundred bytes
    // without looking at the count, and must stop at the right one all the
    // same.
    for (const std::string end : {"\r", "\n"}) {
        std::string densest;
        for (int i = 0; i < 300; ++i)
            densest += "----" + end;
        inputs.push_back(densest);
        inputs.push_back("x" + densest + "x");
    }
    for (const std::string& bytes : inputs) {
        SCOPED_TRACE(fuzz::Shown(bytes));
        ExpectScannerAgreesWithReference(bytes, readings, GetParam());
        if (HasFailure())
            return;
    }
}

TEST(PhraseScanner, FastestIsTheWidestSearchOfTheProcessorOrTheOneNamed) {
    std::string has;
    for (const Search search : PhraseScanner::kSearches)
        if (PhraseScanner::has(search))
            has.append(" ").append(PhraseScanner::nameOf(search));
    const Search chosen = PhraseScanner::chosen();
    std::printf("searches of this processor:%s; fastest: %s\n", has.c_str(),
                std::string(PhraseScanner::nameOf(chosen)).c_str());

    const char* named = std::getenv("ZELMORA_SEARCH");
    if (named && PhraseScanner::nameOf(chosen) == named)
        return; // chosen by name, as the benchmark does
    const Search widest = PhraseScanner::has(Search::Avx2)   ? Search::Avx2
                          : PhraseScanner::has(Search::Sse2) ? Search::Sse2
                          : PhraseScanner::has(Search::Neon) ? Search::Neon
                                                             : Search::Portable;
    EXPECT_EQ(PhraseScanner::nameOf(chosen), PhraseScanner::nameOf(widest));
#if defined(__x86_64__) && defined(__SSE2__)
    EXPECT_TRUE(PhraseScanner::has(Search::Sse2)) << "every x86-64 processor has SSE2";
#elif defined(__aarch64__)
    EXPECT_TRUE(PhraseScanner::has(Search::Neon)) << "every 64-bit ARM processor has NEON";
#endif
}

} // namespace
} // namespace zelmora

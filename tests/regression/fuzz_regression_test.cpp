// Saved fuzz inputs and sample files, replayed through the fuzzers' checks.

#include "fuzz_bodies.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

enum class Kind {
    PhraseArchive, // a fuzz input of fuzz_phrase_archive (3 header bytes, then the file)
    ColorSettings, // a fuzz input of fuzz_color_settings (the file itself)
};

const std::vector<std::pair<std::string, Kind>> kFuzzers = {
    {"phrase_archive", Kind::PhraseArchive},
    {"color_settings", Kind::ColorSettings},
};

const fs::path kSavedInputs = ZELMORA_SAVED_INPUTS;
const fs::path kCorpus = ZELMORA_FUZZ_CORPUS;

// Listed when the test runs, not when it is built, so an input saved by
// scripts/run-fuzzers is replayed at once.
std::vector<fs::path> filesIn(const fs::path& directory) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(directory, ec))
        if (entry.is_regular_file() && entry.path().filename().string().front() != '.')
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs one check on the bytes of `path`, reporting a broken invariant with the
// file's name and going on with the next file.
template <typename Check> void replay(const fs::path& path, Check check) {
    const std::string bytes = readBytes(path);
    try {
        check(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    } catch (const zelmora::fuzz::InvariantFailure& e) {
        ADD_FAILURE() << path.string() << ": " << e.what();
    } catch (const std::exception& e) {
        ADD_FAILURE() << path.string() << ": exception " << e.what();
    }
}

// Every input saved under `root`/<fuzzer>/ through that fuzzer's checks.
int replayFuzzInputs(const fs::path& root) {
    int replayed = 0;
    for (const auto& [fuzzer, kind] : kFuzzers) {
        for (const auto& path : filesIn(root / fuzzer)) {
            if (kind == Kind::PhraseArchive)
                replay(path, zelmora::fuzz::PhraseArchiveInput);
            else
                replay(path, zelmora::fuzz::ColorSettingsInput);
            ++replayed;
        }
    }
    return replayed;
}

// A whole file through the phrase checks: every phrase number around the
// file's phrases, with block sizes that put the block ends everywhere.
void checkPlainFile(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto lines = zelmora::fuzz::ReferenceLines(bytes);
    const auto separators = std::count(lines.begin(), lines.end(), "----");
    const std::int64_t last = std::min<std::int64_t>(separators + 2, 100);
    for (std::int64_t n = -1; n <= last; ++n)
        zelmora::fuzz::CheckPhraseFile(bytes, n, {1, 3, 11, 17, 256, std::size_t{1} << 20});
    zelmora::fuzz::ColorSettingsInput(data, size);
}

TEST(FuzzRegression, SavedCrashesKeepTheInvariants) {
    EXPECT_GT(replayFuzzInputs(kSavedInputs / "crashes"), 0)
        << "no saved input found under " << kSavedInputs / "crashes";
}

TEST(FuzzRegression, SeedCorporaKeepTheInvariants) {
    EXPECT_GT(replayFuzzInputs(kCorpus), 0) << "no seed found under " << kCorpus;
}

TEST(FuzzRegression, DataFilesKeepTheInvariants) {
    int replayed = 0;
    for (const auto& path : filesIn(kSavedInputs)) {
        if (path.extension() == ".txt") {
            replay(path, checkPlainFile);
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0) << "no phrase file found under " << kSavedInputs;
}

// A crash saved under a directory no fuzzer owns would never be replayed.
TEST(FuzzRegression, EveryCrashDirectoryBelongsToAFuzzer) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(kSavedInputs / "crashes", ec)) {
        const std::string name = entry.path().filename().string();
        const bool known = std::any_of(kFuzzers.begin(), kFuzzers.end(),
                                       [&](const auto& fuzzer) { return fuzzer.first == name; });
        EXPECT_TRUE(known && entry.is_directory()) << entry.path() << " is replayed by no test";
    }
}

// The reference line splitter the fuzzers judge the scanner by.
TEST(ReferenceLines, SplitsAtEveryLineEndAndDropsTheByteOrderMark) {
    using Lines = std::vector<std::string>;
    using zelmora::fuzz::ReferenceLines;
    EXPECT_EQ(ReferenceLines(""), Lines{});
    EXPECT_EQ(ReferenceLines("\xEF\xBB\xBF"), Lines{});
    EXPECT_EQ(ReferenceLines("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(ReferenceLines("a\r\n"), Lines{"a"});
    EXPECT_EQ(ReferenceLines("\n\r\r\n"), (Lines{"", "", ""}));
    EXPECT_EQ(ReferenceLines("\r\r\n"), (Lines{"", ""}));
    EXPECT_EQ(ReferenceLines("\xEF\xBB\xBF----\r\n\xEF\xBB\xBF"), (Lines{"----", "\xEF\xBB\xBF"}));
}

} // namespace

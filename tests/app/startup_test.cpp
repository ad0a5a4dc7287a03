#include "app/startup.h"
#include "runtime/errors.h"
#include "temp_dir.h"
#include "test_doubles.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace zelmora {
namespace {

using test::CrLfLines;

constexpr const char* kTenPhrases = "1\r\n----\r\n2\r\n----\r\n3\r\n----\r\n4\r\n----\r\n5\r\n"
                                    "----\r\n6\r\n----\r\n7\r\n----\r\n8\r\n----\r\n9\r\n----\r\n"
                                    "10\r\n----\r\n";

class StartupTest : public ::testing::Test {
protected:
    // Runs the start-up in the temporary directory with `commandLine`.
    bool Start(const std::string& commandLine = {}) {
        return Main(state, {dir.path(), commandLine, clock, random},
                    [this] {
                        ++windowsShown;
                        if (windowFails)
                            throw RuntimeError(kFileNotFound, "finestra");
                    })
            .phraseFileFound;
    }

    std::string Position() const { return PositionText(state.CurrentIndex, state.PhraseCount); }

    test::TempDir dir;
    test::FixedClock clock{100, 30000.25};
    test::ScriptedRandom random;
    Module1 state;
    int windowsShown = 0;
    bool windowFails = false;
};

TEST_F(StartupTest, TakesTheDaysPerPhraseFromTheCommandLine) {
    dir.write("tesmi.txt", kTenPhrases);
    const std::vector<std::pair<std::string, int>> cases = {
        {"", 1},    {"365", 365},  {"366", 1},   {"0", 1},        {"-3", 1},
        {"abc", 1}, {"12abc", 12}, {"7.9", 7},   {"365.99", 365}, {" 7", 7},
        {"0.5", 1}, {"1e2", 100},  {"1e400", 1}, {"1e308", 1},    {"9 5", 9},
    };
    for (const auto& [commandLine, holdDays] : cases) {
        SCOPED_TRACE("\"" + commandLine + "\"");
        state = Module1{};
        state.HoldDays = 42;
        EXPECT_TRUE(Start(commandLine));
        EXPECT_EQ(state.HoldDays, holdDays);
        // Day 100 with ten phrases: each phrase stays `holdDays` days.
        EXPECT_EQ(state.CurrentIndex, DayPhraseIndex(10, holdDays, 100));
        EXPECT_EQ(state.PhraseText, std::to_string(state.CurrentIndex));
    }
}

TEST_F(StartupTest, LoadsTodaysPhraseAndSeedsTheRandomSequence) {
    dir.write("tesmi.txt", kTenPhrases);
    clock.setDay(9);
    EXPECT_TRUE(Start());
    EXPECT_EQ(state.PhraseFile, "tesmi.txt");
    EXPECT_EQ(state.PhraseCount, 10);
    EXPECT_EQ(state.CurrentIndex, 10);
    EXPECT_EQ(state.PhraseText, "10");
    EXPECT_EQ(Position(), "10 / 10");
    EXPECT_TRUE(random.seeded());
    EXPECT_EQ(random.seedValue(), 30000.25);
    // No settings file: the default colours.
    EXPECT_EQ(state.ForeColorSetting, 16576);
    EXPECT_EQ(state.BackColorSetting, -2147483633);
}

TEST_F(StartupTest, MissingPhraseFileShowsTheNoPhraseText) {
    dir.write("opzioni.txt", "255\r\n16777215\r\n");
    EXPECT_FALSE(Start("7"));
    EXPECT_EQ(state.PhraseText, "--- NESSUNA FRASE IN ARCHIVIO ---");
    EXPECT_EQ(state.CurrentIndex, 0);
    EXPECT_FALSE(state.PhraseCount.has_value());
    EXPECT_EQ(Position(), "0 / ");
    // The settings are still read.
    EXPECT_EQ(state.ForeColorSetting, 255);
    EXPECT_EQ(state.BackColorSetting, 16777215);
    EXPECT_EQ(windowsShown, 1);
}

TEST_F(StartupTest, DirectoryInPlaceOfThePhraseFileShowsNothing) {
    std::filesystem::create_directory(dir / "tesmi.txt");
    EXPECT_TRUE(Start());
    EXPECT_EQ(state.PhraseText, "");
    EXPECT_FALSE(state.PhraseCount.has_value());
    EXPECT_EQ(state.CurrentIndex, 0);
    EXPECT_EQ(Position(), "0 / ");
    EXPECT_EQ(windowsShown, 1);
}

TEST_F(StartupTest, FileWithoutSeparatorLoadsByTheCommandLineNumber) {
    dir.write("tesmi.txt", CrLfLines({"prima riga", "", "ultima riga"}));
    struct Case {
        std::string commandLine;
        std::int64_t index;
        std::string text;
    };
    const std::string whole = "prima riga\r\n\r\nultima riga";
    const std::vector<Case> cases = {
        {"", 0, whole},
        {"1", 1, whole},
        {"0", 0, whole},
        {"-3", -3, whole},
        {"abc", 0, whole},
        {"2", 2, "ultima riga"},
        {"400", 400, "ultima riga"}, // beyond 365: not a hold, still the index
        {"7.9", 7, "ultima riga"},
        {"1e30", 0, "ultima riga"}, // no index can hold it
        {"1e400", 0, whole},        // too large to read at all: as if absent
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("\"" + c.commandLine + "\"");
        state = Module1{};
        EXPECT_TRUE(Start(c.commandLine));
        EXPECT_EQ(state.PhraseCount, 0);
        EXPECT_EQ(state.CurrentIndex, c.index);
        EXPECT_EQ(state.PhraseText, c.text);
    }
}

TEST_F(StartupTest, EmptyPhraseFileShowsNoPhrase) {
    dir.write("tesmi.txt", "");
    for (const auto& [commandLine, index] : {std::pair<std::string, std::int64_t>{"", 0},
                                             std::pair<std::string, std::int64_t>{"5", 5}}) {
        SCOPED_TRACE("\"" + commandLine + "\"");
        state = Module1{};
        EXPECT_TRUE(Start(commandLine));
        EXPECT_EQ(state.PhraseCount, 0);
        EXPECT_EQ(state.CurrentIndex, index);
        EXPECT_EQ(state.PhraseText, "");
        EXPECT_EQ(Position(), std::to_string(index) + " / 0");
    }
}

TEST_F(StartupTest, ReadsTheColourSettingsOrKeepsTheDefaults) {
    dir.write("tesmi.txt", kTenPhrases);
    struct Case {
        const char* what;
        std::optional<std::string> bytes;
        std::int32_t fore;
        std::int32_t back;
    };
    const std::vector<Case> cases = {
        {"missing", std::nullopt, 16576, -2147483633},
        {"empty", "", 16576, -2147483633},
        {"one value", "255\r\n", 255, -2147483633},
        {"one per line", "255\r\n16777215\r\n", 255, 16777215},
        {"comma form", "255,16777215", 255, 16777215},
        {"garbage", "rosso\r\n\x01\x02\r\n", 16576, -2147483633},
        {"out of range", "16777216\r\n2147483647\r\n", 16576, -2147483633},
        {"system colours", "-2147483643\r\n-2147483632\r\n", -2147483643, -2147483632},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(dir / "opzioni.txt");
        if (c.bytes)
            dir.write("opzioni.txt", *c.bytes);
        state = Module1{};
        state.ForeColorSetting = 1;
        state.BackColorSetting = 2;
        EXPECT_TRUE(Start());
        EXPECT_EQ(state.ForeColorSetting, c.fore);
        EXPECT_EQ(state.BackColorSetting, c.back);
        EXPECT_EQ(state.PhraseText, std::to_string(state.CurrentIndex)) << "phrase still loaded";
    }
}

TEST_F(StartupTest, DirectoryInPlaceOfTheSettingsKeepsTheDefaults) {
    dir.write("tesmi.txt", kTenPhrases);
    std::filesystem::create_directory(dir / "opzioni.txt");
    EXPECT_TRUE(Start());
    EXPECT_EQ(state.ForeColorSetting, 16576);
    EXPECT_EQ(state.BackColorSetting, -2147483633);
}

TEST_F(StartupTest, ShowsTheMainWindowOnceWithEverythingInPlace) {
    dir.write("tesmi.txt", kTenPhrases);
    dir.write("opzioni.txt", "255,16777215");
    std::string seen;
    const bool found = Main(state, {dir.path(), "", clock, random}, [&] {
                           ++windowsShown;
                           seen = state.PhraseText + " " +
                                  PositionText(state.CurrentIndex, state.PhraseCount) + " " +
                                  std::to_string(state.ForeColorSetting) + " " +
                                  std::to_string(state.BackColorSetting);
                       }).phraseFileFound;
    EXPECT_TRUE(found);
    EXPECT_EQ(windowsShown, 1);
    EXPECT_EQ(seen, "1 1 / 10 255 16777215"); // day 100: (100 mod 10) + 1

    // A failing window is absorbed like any other failing step.
    windowFails = true;
    windowsShown = 0;
    EXPECT_NO_THROW(EXPECT_TRUE(Start()));
    EXPECT_EQ(windowsShown, 1);
}

TEST(JoinArguments, JoinsTheArgumentsAfterTheProgramName) {
    const char* none[] = {"zelmora"};
    const char* two[] = {"zelmora", "7", "giorni"};
    EXPECT_EQ(JoinArguments(1, none), "");
    EXPECT_EQ(JoinArguments(3, two), "7 giorni");
}

} // namespace
} // namespace zelmora

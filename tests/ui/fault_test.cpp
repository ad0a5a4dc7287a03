// The program against damaged and unusual files: phrase files that change
// under the running window, huge files, strange bytes, and broken settings.
// Each case must end in a clear Italian message or the usual defaults, with
// the window still working. What only Unix has is in fault_unix_test.cpp.

#include "app/error_messages.h"
#include "app/phrase_commands.h"
#include "app/startup.h"
#include "app/text_encoding.h"
#include "app/texts.h"
#include "qt_doubles.h"
#include "running_program.h"
#include "temp_dir.h"
#include "ui/form1.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <fstream>
#include <gtest/gtest.h>

namespace zelmora {
namespace {

using test::Doubles;
using test::FixedClock;
using test::Phrases;
using test::ReadFile;
using test::RunningProgram;
using test::TempDir;
using test::WriteFile;

enum class Damage { Removed, Emptied, Shrunk, Directory, Unreadable };

struct DamageCase {
    const char* name;
    Damage damage;
    const char* button;
    // Whether the command fails and says so.
    bool messageDue;
};

void PrintTo(const DamageCase& c, std::ostream* os) {
    *os << c.name;
}

class PhraseFileDamagedWhileRunning : public RunningProgram,
                                      public ::testing::WithParamInterface<DamageCase> {
protected:
    void damage(Damage how) {
        const auto file = dir_ / "tesmi.txt";
        switch (how) {
        case Damage::Removed:
            std::filesystem::remove(file);
            break;
        case Damage::Emptied:
            dir_.write("tesmi.txt", "");
            break;
        case Damage::Shrunk:
            dir_.write("tesmi.txt", Phrases(1));
            break;
        case Damage::Directory:
            std::filesystem::remove(file);
            std::filesystem::create_directory(file);
            break;
        case Damage::Unreadable:
            std::filesystem::permissions(file, std::filesystem::perms::none);
            break;
        }
    }

    // What the command itself says of the file as it is now, on a copy of
    // the program state and with the same draw: the message the window must
    // show, or nothing when the command works.
    std::optional<std::string> commandMessage(const std::string& button, double draw) {
        Module1 copy = state_;
        test::ScriptedRandom random;
        random.setDraws({draw});
        try {
            if (button == "aggiorna")
                Recount(copy, dir_.path());
            else
                DrawAtRandom(copy, dir_.path(), random);
        } catch (const RuntimeError& error) {
            return ErrorMessage(error);
        }
        return std::nullopt;
    }
};

TEST_P(PhraseFileDamagedWhileRunning, TellsTheUserAndKeepsWorking) {
    const DamageCase& c = GetParam();
#ifdef _WIN32
    if (c.damage == Damage::Unreadable)
        GTEST_SKIP() << "Windows files have no such permission bits";
#endif
    if (c.damage == Damage::Unreadable && test::RunningAsRoot())
        GTEST_SKIP() << "root reads every file";
    dir_.write("tesmi.txt", Phrases(5));
    start();
    ASSERT_EQ(shown("Label2"), QStringLiteral("2 / 5"));
    doubles_.random.setDraws({0.99}); // "Casuale" goes for phrase 5

    damage(c.damage);
    const std::optional<std::string> expected = commandMessage(c.button, 0.99);
    ASSERT_EQ(expected.has_value(), c.messageDue);
    click(c.button);

    if (c.messageDue) {
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_EQ(messages().front().title, QString::fromUtf8(kProgramName));
        const QString text = messages().front().text;
        EXPECT_TRUE(text.contains(QStringLiteral("tesmi.txt"))) << text.toStdString();
        EXPECT_EQ(text, QString::fromStdString(*expected));
        EXPECT_EQ(shown("Label1"), QStringLiteral("frase 2"));
    } else {
        EXPECT_TRUE(messages().empty());
    }

    // Once the file is right again, both commands work.
    std::filesystem::permissions(dir_.path(), std::filesystem::perms::owner_all);
    std::error_code ec;
    std::filesystem::permissions(dir_ / "tesmi.txt", std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(dir_ / "tesmi.txt");
    dir_.write("tesmi.txt", Phrases(3));
    click("aggiorna");
    EXPECT_TRUE(shown("Label2").endsWith(QStringLiteral(" / 3")));
    doubles_.random.setDraws({0.0});
    click("ancora");
    EXPECT_EQ(shown("Label1"), QStringLiteral("frase %1").arg(state_.CurrentIndex));
}

INSTANTIATE_TEST_SUITE_P(
    AllDamages, PhraseFileDamagedWhileRunning,
    ::testing::Values(DamageCase{"RemovedThenRecount", Damage::Removed, "aggiorna", true},
                      DamageCase{"RemovedThenDraw", Damage::Removed, "ancora", true},
                      DamageCase{"EmptiedThenRecount", Damage::Emptied, "aggiorna", true},
                      DamageCase{"EmptiedThenDraw", Damage::Emptied, "ancora", true},
                      DamageCase{"ShrunkThenRecount", Damage::Shrunk, "aggiorna", false},
                      DamageCase{"ShrunkThenDraw", Damage::Shrunk, "ancora", true},
                      DamageCase{"DirectoryThenRecount", Damage::Directory, "aggiorna", true},
                      DamageCase{"DirectoryThenDraw", Damage::Directory, "ancora", true},
                      DamageCase{"UnreadableThenRecount", Damage::Unreadable, "aggiorna", true},
                      DamageCase{"UnreadableThenDraw", Damage::Unreadable, "ancora", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RunningProgram, HugeSingleLineIsShownCutToASizeTheWindowCanHold) {
    {
        std::ofstream out(dir_ / "tesmi.txt", std::ios::binary);
        const std::string piece(1 << 20, 'x');
        for (int i = 0; i < 100; ++i)
            out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
        out << "\r\n----\r\n";
    }
    start();
    EXPECT_EQ(state_.PhraseCount, 1);
    EXPECT_LE(state_.PhraseText.size(), kMaxPhraseBytes);
    EXPECT_FALSE(shown("Label1").isEmpty());

    // No separator at all: the whole file is one phrase, cut all the same.
    dir_.write("tesmi.txt", std::string(3 << 20, 'y'));
    state_ = Module1{};
    window_.reset();
    start();
    EXPECT_EQ(state_.PhraseCount, 0);
    EXPECT_LE(state_.PhraseText.size(), kMaxPhraseBytes);
}

TEST_F(RunningProgram, NulBytesAndInvalidUtf8AreShownWithoutHarm) {
    const std::string phrases = std::string("zero\0byte", 9) + "\r\n----\r\n" +
                                "caff\xE8 \xC3\x28 \xFF\r\n----\r\n" + "\xEF\xBB\xBF----\r\n";
    dir_.write("tesmi.txt", phrases);
    start();
    // A byte-order mark only counts at the start of the file: here it is text.
    EXPECT_EQ(state_.PhraseCount, 2);
    EXPECT_EQ(shown("Label1"), QString::fromUtf8("caffè Ã( ÿ"));

    doubles_.random.setDraws({0.0});
    click("ancora");
    EXPECT_EQ(state_.CurrentIndex, 1);
    EXPECT_TRUE(shown("Label1").startsWith(QStringLiteral("zero")));
    EXPECT_TRUE(messages().empty());
}

struct SettingsCase {
    const char* name;
    std::string bytes; // empty: a directory named "opzioni.txt"
    std::int32_t fore;
    std::int32_t back;
};

void PrintTo(const SettingsCase& c, std::ostream* os) {
    *os << c.name;
}

class BrokenSettings : public RunningProgram, public ::testing::WithParamInterface<SettingsCase> {};

TEST_P(BrokenSettings, FallBackToTheDefaultColours) {
    const SettingsCase& c = GetParam();
    dir_.write("tesmi.txt", Phrases(2));
    if (c.bytes.empty())
        std::filesystem::create_directory(dir_ / "opzioni.txt");
    else
        dir_.write("opzioni.txt", c.bytes);
    start();
    EXPECT_EQ(state_.ForeColorSetting, c.fore);
    EXPECT_EQ(state_.BackColorSetting, c.back);
    EXPECT_EQ(shown("Label1"), QStringLiteral("frase 2"));
    EXPECT_TRUE(messages().empty());
}

constexpr std::int32_t kFore = Module1::kDefaultForeColor;
constexpr std::int32_t kBack = Module1::kDefaultBackColor;

INSTANTIATE_TEST_SUITE_P(
    AllBreakages, BrokenSettings,
    ::testing::Values(
        SettingsCase{"Directory", "", kFore, kBack},
        SettingsCase{"Garbage", "ciao\r\nmondo\r\n", kFore, kBack},
        SettingsCase{"HugeNumbers", "99999999999999999999\r\n-1e300\r\n", kFore, kBack},
        SettingsCase{"OutOfRangeColours", "16777216\r\n-2147483000\r\n", kFore, kBack},
        SettingsCase{"BinaryNoise", std::string("\x00\xFF\x01,\x80", 5), kFore, kBack},
        SettingsCase{"OneGoodOneBad", "255\r\nblu\r\n", 255, kBack}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RunningProgram, UnreadableSettingsKeepTheDefaultColours) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows files have no such permission bits";
#endif
    if (test::RunningAsRoot())
        GTEST_SKIP() << "root reads every file";
    dir_.write("opzioni.txt", "255\r\n16777215\r\n");
    std::filesystem::permissions(dir_ / "opzioni.txt", std::filesystem::perms::none);
    start();
    EXPECT_EQ(state_.ForeColorSetting, kFore);
    EXPECT_EQ(state_.BackColorSetting, kBack);
}

TEST_F(RunningProgram, SettingsWithAByteOrderMarkKeepTheirFirstColour) {
    dir_.write("tesmi.txt", Phrases(2));
    dir_.write("opzioni.txt", "\xEF\xBB\xBF"
                              "255\r\n16777215\r\n");
    start();
    EXPECT_EQ(state_.ForeColorSetting, 255);
    EXPECT_EQ(state_.BackColorSetting, 16777215);
}

// --- A failed "Casuale" ---------------------------------------------------

TEST_F(RunningProgram, FailedDrawLeavesThePhraseItsIndexAndThePositionAsTheyWere) {
    dir_.write("tesmi.txt", Phrases(2));
    clock_.setDay(2); // phrase 1 of 2
    start();
    ASSERT_EQ(shown("Label1"), QStringLiteral("frase 1"));
    std::filesystem::rename(dir_ / "tesmi.txt", dir_ / "altrove.txt");
    click("ancora");
    EXPECT_EQ(messages().size(), 1u);
    EXPECT_EQ(state_.CurrentIndex, 1);
    EXPECT_EQ(shown("Label1"), QStringLiteral("frase 1"));
    EXPECT_EQ(shown("Label2"), QStringLiteral("1 / 2"));

    // Back in place: the next draw still never shows the same phrase again.
    std::filesystem::rename(dir_ / "altrove.txt", dir_ / "tesmi.txt");
    click("ancora");
    EXPECT_EQ(shown("Label1"), QStringLiteral("frase 2"));
    click("aggiorna");
    EXPECT_EQ(shown("Label2"), QStringLiteral("2 / 2"));
}

// --- A phrase line longer than the program keeps --------------------------

TEST_F(RunningProgram, LongLineOfEuroSignsIsCutOnACharacterAndShownAsUtf8) {
    std::string euros;
    for (int i = 0; i < 30000; ++i)
        euros += "\xE2\x82\xAC";
    dir_.write("tesmi.txt", euros + "\r\n----\r\n");
    start();
    EXPECT_TRUE(IsValidUtf8(state_.PhraseText));
    EXPECT_GE(state_.PhraseText.size(), kMaxPhraseBytes - 3);
    EXPECT_TRUE(shown("Label1").startsWith(QString::fromUtf8("\u20AC\u20AC\u20AC")));
    EXPECT_FALSE(shown("Label1").contains(QChar(0xFFFD)));
}

} // namespace
} // namespace zelmora

// The program against damaged and unusual files: phrase files that change
// under the running window, huge files, strange bytes, and broken settings.
// Each case must end in a clear Italian message or the usual defaults, with
// the window still working.

#include "form1.h"
#include "qt_doubles.h"
#include "startup.h"
#include "temp_dir.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <fstream>
#include <gtest/gtest.h>

namespace zelmora {
namespace {

using test::Doubles;
using test::FixedClock;
using test::Phrases;
using test::TempDir;

// The program as a user has it: started by the start-up on the files of a
// directory, with its main window open.
class RunningProgram : public ::testing::Test {
protected:
    void start() {
        Main(state_, {dir_.path(), {}, clock_, doubles_.random}, [this] {
            window_ = std::make_unique<Form1>(state_, dir_.path(), doubles_.services());
        });
        ASSERT_NE(window_, nullptr);
    }

    void click(const char* name) {
        QTest::mouseClick(window_->findChild<QPushButton*>(QLatin1String(name)), Qt::LeftButton);
    }
    QString shown(const char* label) {
        return window_->findChild<QLabel*>(QLatin1String(label))->text();
    }
    const std::vector<test::RecordingMessages::Message>& messages() {
        return doubles_.messages.messages;
    }

    TempDir dir_;
    FixedClock clock_{1}; // 1 January: phrase 2 of several
    Module1 state_;
    Doubles doubles_;
    std::unique_ptr<Form1> window_;
};

enum class Damage { Removed, Emptied, Shrunk, Directory, Unreadable };

struct DamageCase {
    const char* name;
    Damage damage;
    const char* button;
    // The words the message must hold; nullptr when no message is due.
    const char* expectedWords;
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
};

TEST_P(PhraseFileDamagedWhileRunning, TellsTheUserAndKeepsWorking) {
    const DamageCase& c = GetParam();
    if (c.damage == Damage::Unreadable && test::RunningAsRoot())
        GTEST_SKIP() << "root reads every file";
    dir_.write("tesmi.txt", Phrases(5));
    start();
    ASSERT_EQ(shown("Label2"), QStringLiteral("2 / 5"));
    doubles_.random.setDraws({0.99}); // "Casuale" goes for phrase 5

    damage(c.damage);
    click(c.button);

    if (c.expectedWords) {
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_EQ(messages().front().title, QStringLiteral("Zelmora"));
        const QString text = messages().front().text;
        EXPECT_TRUE(text.contains(QStringLiteral("tesmi.txt"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QString::fromUtf8(c.expectedWords))) << text.toStdString();
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
    ::testing::Values(
        DamageCase{"RemovedThenRecount", Damage::Removed, "aggiorna", "non è stato trovato"},
        DamageCase{"RemovedThenDraw", Damage::Removed, "ancora", "non è stato trovato"},
        DamageCase{"EmptiedThenRecount", Damage::Emptied, "aggiorna", "finito prima"},
        DamageCase{"EmptiedThenDraw", Damage::Emptied, "ancora", "finito prima"},
        DamageCase{"ShrunkThenRecount", Damage::Shrunk, "aggiorna", nullptr},
        DamageCase{"ShrunkThenDraw", Damage::Shrunk, "ancora", "finito prima"},
        DamageCase{"DirectoryThenRecount", Damage::Directory, "aggiorna", "cartella"},
        DamageCase{"DirectoryThenDraw", Damage::Directory, "ancora", "cartella"},
        DamageCase{"UnreadableThenRecount", Damage::Unreadable, "aggiorna", "Impossibile aprire"},
        DamageCase{"UnreadableThenDraw", Damage::Unreadable, "ancora", "Impossibile aprire"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RunningProgram, GigabytePhraseFileIsCountedAndDrawnFrom) {
    // 1 GiB of phrases, written in large pieces.
    const std::string block = Phrases(4096);
    const std::uint64_t target = std::uint64_t{1} << 30;
    std::uint64_t blocks = target / block.size() + 1;
    {
        std::ofstream out(dir_ / "tesmi.txt", std::ios::binary);
        for (std::uint64_t i = 0; i < blocks; ++i)
            out.write(block.data(), static_cast<std::streamsize>(block.size()));
        ASSERT_TRUE(out.good());
    }
    const std::int64_t count = static_cast<std::int64_t>(blocks) * 4096;

    start();
    EXPECT_EQ(state_.PhraseCount, count);
    EXPECT_EQ(shown("Label1"), QStringLiteral("frase 2"));

    doubles_.random.setDraws({0.999999999});
    click("ancora");
    EXPECT_TRUE(messages().empty());
    EXPECT_GT(state_.CurrentIndex, count - 4096);
    EXPECT_EQ(shown("Label1"),
              QStringLiteral("frase %1").arg((state_.CurrentIndex - 1) % 4096 + 1));

    click("aggiorna");
    EXPECT_EQ(shown("Label2"), QStringLiteral("%1 / %2").arg(state_.CurrentIndex).arg(count));
}

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
    if (test::RunningAsRoot())
        GTEST_SKIP() << "root reads every file";
    dir_.write("opzioni.txt", "255\r\n16777215\r\n");
    std::filesystem::permissions(dir_ / "opzioni.txt", std::filesystem::perms::none);
    start();
    EXPECT_EQ(state_.ForeColorSetting, kFore);
    EXPECT_EQ(state_.BackColorSetting, kBack);
}

} // namespace
} // namespace zelmora

// The program against damaged and unusual files: phrase files that change
// under the running window, huge files, strange bytes, and broken settings.
// Each case must end in a clear Italian message or the usual defaults, with
// the window still working.

#include "app/startup.h"
#include "app/text_encoding.h"
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
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

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
        DamageCase{"EmptiedThenRecount", Damage::Emptied, "aggiorna", "è vuoto"},
        DamageCase{"EmptiedThenDraw", Damage::Emptied, "ancora", "è vuoto"},
        DamageCase{"ShrunkThenRecount", Damage::Shrunk, "aggiorna", nullptr},
        DamageCase{"ShrunkThenDraw", Damage::Shrunk, "ancora", "finito prima"},
        DamageCase{"DirectoryThenRecount", Damage::Directory, "aggiorna", "cartella"},
        DamageCase{"DirectoryThenDraw", Damage::Directory, "ancora", "cartella"},
        DamageCase{"UnreadableThenRecount", Damage::Unreadable, "aggiorna", "Impossibile aprire"},
        DamageCase{"UnreadableThenDraw", Damage::Unreadable, "ancora", "Impossibile aprire"}),
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

// --- Files that are not ordinary files ------------------------------------
// A FIFO may never answer and a device may never end: both programs refuse
// them at once, as files that cannot be read.

enum class Special { Fifo, DevZeroLink, Socket };

struct SpecialCase {
    const char* name;
    Special kind;
};

void PrintTo(const SpecialCase& c, std::ostream* os) {
    *os << c.name;
}

void MakeSpecial(const std::filesystem::path& path, Special kind) {
    switch (kind) {
    case Special::Fifo:
        ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
        break;
    case Special::DevZeroLink:
        std::filesystem::create_symlink("/dev/zero", path);
        break;
    case Special::Socket: {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_GE(fd, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        ASSERT_LT(path.native().size(), sizeof address.sun_path);
        std::copy(path.native().begin(), path.native().end(), address.sun_path);
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
        break;
    }
    }
}

class NotAnOrdinaryFile : public RunningProgram,
                          public ::testing::WithParamInterface<SpecialCase> {};

TEST_P(NotAnOrdinaryFile, PhraseFileIsRefusedAtOnceAndTheCommandsSayWhy) {
    MakeSpecial(dir_ / "tesmi.txt", GetParam().kind);
    startWithin(std::chrono::seconds(5));
    // Found, but refused: no phrase and no count, as for any refused file.
    EXPECT_EQ(state_.PhraseText, "");
    EXPECT_FALSE(state_.PhraseCount.has_value());
    EXPECT_TRUE(messages().empty());

    for (const char* command : {"aggiorna", "ancora"}) {
        SCOPED_TRACE(command);
        doubles_.messages.messages.clear();
        click(command);
        ASSERT_EQ(messages().size(), 1u);
        const QString text = messages().front().text;
        EXPECT_TRUE(text.contains(QString::fromStdString((dir_ / "tesmi.txt").string())))
            << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("non è un file ordinario"))) << text.toStdString();
        EXPECT_EQ(shown("Label2"), QStringLiteral("0 / "));
    }
}

TEST_P(NotAnOrdinaryFile, SettingsFileIsPassedOverWithTheDefaultColours) {
    dir_.write("tesmi.txt", Phrases(2));
    MakeSpecial(dir_ / "opzioni.txt", GetParam().kind);
    startWithin(std::chrono::seconds(5));
    EXPECT_EQ(shown("Label1"), QStringLiteral("frase 2"));
    EXPECT_EQ(state_.ForeColorSetting, kFore);
    EXPECT_EQ(state_.BackColorSetting, kBack);
}

INSTANTIATE_TEST_SUITE_P(AllKinds, NotAnOrdinaryFile,
                         ::testing::Values(SpecialCase{"Fifo", Special::Fifo},
                                           SpecialCase{"DevZeroLink", Special::DevZeroLink},
                                           SpecialCase{"Socket", Special::Socket}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RunningProgram, SymbolicLinkToAnOrdinaryFileIsRead) {
    dir_.write("frasi-vere.txt", Phrases(3));
    std::filesystem::create_symlink(dir_ / "frasi-vere.txt", dir_ / "tesmi.txt");
    start();
    EXPECT_EQ(shown("Label1"), QStringLiteral("frase 2"));
    EXPECT_EQ(shown("Label2"), QStringLiteral("2 / 3"));
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

// --- A full disk ----------------------------------------------------------

// A 64 KiB tmpfs mounted on a fresh folder for one test, filled up to the
// last byte after the given files are written. Only root can mount one.
class FullDisk {
public:
    explicit FullDisk(const std::filesystem::path& where)
        : where_(where) {
        std::filesystem::create_directory(where_);
        mounted_ = ::mount("zelmora-test", where_.c_str(), "tmpfs", 0, "size=64k") == 0;
    }
    ~FullDisk() {
        if (mounted_)
            ::umount2(where_.c_str(), MNT_DETACH);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    bool mounted() const { return mounted_; }

    void fill() const {
        std::ofstream out(where_ / "riempitivo", std::ios::binary);
        const std::string block(4096, 'x');
        while (out.write(block.data(), static_cast<std::streamsize>(block.size())))
            out.flush();
        // Whatever the block writes left, byte by byte.
        out.clear();
        for (int i = 0; i < 4096 && out.put('x') && out.flush(); ++i) {
        }
    }

private:
    std::filesystem::path where_;
    bool mounted_ = false;
};

TEST_F(RunningProgram, FullDiskKeepsTheSettingsFileAndTheDialogSaysWhy) {
    const std::filesystem::path disk = dir_ / "disco";
    FullDisk full(disk);
    if (!full.mounted())
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root); the write failure is "
                        "tested through a size limit in SaveColorSettings' own tests";
    const std::string old = "255\r\n16777215\r\n";
    WriteFile(disk / "tesmi.txt", Phrases(2));
    WriteFile(disk / "opzioni.txt", old);
    full.fill();

    Main(state_, {disk, {}, clock_, doubles_.random},
         [this, &disk] { window_ = std::make_unique<Form1>(state_, disk, doubles_.services()); });
    ASSERT_NE(window_, nullptr);
    doubles_.picker.answers = {QColor(0, 0, 255)};
    bool stayedOpen = false;
    test::WhenModalOpens([&](QWidget* modal) {
        auto& dialog = *qobject_cast<QDialog*>(modal);
        dialog.findChild<QPushButton*>(QStringLiteral("pp"))->click();
        dialog.findChild<QPushButton*>(QStringLiteral("OKButton"))->click();
        stayedOpen = dialog.isVisible();
        dialog.reject();
    });
    click("opzioni");

    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(messages().size(), 1u);
    const QString text = messages().front().text;
    EXPECT_TRUE(text.contains(QString::fromStdString((disk / "opzioni.txt").string())))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("spazio esaurito"))) << text.toStdString();
    EXPECT_EQ(ReadFile(disk / "opzioni.txt"), old);
    EXPECT_EQ(state_.ForeColorSetting, 255);
    EXPECT_EQ(state_.BackColorSetting, 16777215);
}

// --- A folder whose name is not UTF-8 --------------------------------------

// Works in a folder named "caff\xE8" (Latin-1, as an older system made it),
// as the program does: with that folder as the working folder, whose files
// it opens by their bare names.
class NonUtf8Folder : public RunningProgram {
protected:
    std::filesystem::path folder_ = [this] {
        std::filesystem::create_directory(dir_ / "caff\xE8");
        return dir_ / "caff\xE8";
    }();
    test::InWorkingFolder here_{folder_};
};

TEST_F(NonUtf8Folder, EveryCommandThatTouchesAPathWorks) {
    test::FakeNotepad notepad;
    DesktopProgramStarter starter(doubles_.messages);
    WriteFile(folder_ / "tesmi.txt", Phrases(3));
    Main(state_, {{}, {}, clock_, doubles_.random}, [&] {
        window_ = std::make_unique<Form1>(
            state_, std::filesystem::path(),
            WindowServices{doubles_.messages, starter, doubles_.random, doubles_.picker});
    });
    ASSERT_NE(window_, nullptr);
    EXPECT_EQ(shown("Label1"), QStringLiteral("frase 2"));

    // "Apri file": the editor runs in the folder, on the phrase file.
    click("aprifile");
    EXPECT_EQ(notepad.WaitForReport(), folder_.string() + "\n1\ntesmi.txt\n");

    // The colours dialog saves into the folder.
    test::WhenModalOpens([](QWidget* modal) {
        modal->findChild<QPushButton*>(QStringLiteral("OKButton"))->click();
        if (modal->isVisible())
            qobject_cast<QDialog*>(modal)->reject();
    });
    click("opzioni");
    ASSERT_EQ(messages().size(), 1u) << messages().back().text.toStdString();
    EXPECT_EQ(ReadFile(folder_ / "opzioni.txt"), "16576\r\n-2147483633\r\n");

    // "Altre INFO" opens the guide with the editor in the folder.
    test::WhenModalOpens([](QWidget* modal) {
        modal->findChild<QPushButton*>(QStringLiteral("altreinfo"))->click();
    });
    QTest::mouseClick(window_->findChild<QWidget*>(QStringLiteral("Image1")), Qt::LeftButton);
    EXPECT_EQ(notepad.WaitForReport(), folder_.string() + "\n1\ntesmiLeggimi.txt\n");

    // A message about a file there names its folder readably.
    std::filesystem::remove(folder_ / "tesmi.txt");
    click("aggiorna");
    ASSERT_EQ(messages().size(), 2u) << "the information box of \"Apri file\", then this";
    EXPECT_TRUE(messages().back().text.contains(QString::fromUtf8("caff\u00E8")))
        << messages().back().text.toStdString();
}

// --- The working folder, renamed or deleted while the program runs --------

// The program in a working folder of its own, started as zelmora starts it:
// its files by their bare names.
class InItsWorkingFolder : public RunningProgram {
protected:
    void startThere() {
        Main(state_, {{}, {}, clock_, doubles_.random}, [this] {
            window_ = std::make_unique<Form1>(state_, std::filesystem::path(), doubles_.services());
        });
        ASSERT_NE(window_, nullptr);
    }

    std::filesystem::path folder_ = [this] {
        std::filesystem::create_directory(dir_ / "g4");
        return dir_ / "g4";
    }();
    test::InWorkingFolder here_{folder_};
};

TEST_F(InItsWorkingFolder, ARenamedFolderKeepsEveryCommandWorkingAndMessagesUseItsNewName) {
    WriteFile(folder_ / "tesmi.txt", Phrases(3));
    startThere();
    ASSERT_EQ(shown("Label2"), QStringLiteral("2 / 3"));
    const auto renamed = dir_ / "g4-nuovo";
    std::filesystem::rename(folder_, renamed);
    WriteFile(renamed / "tesmi.txt", Phrases(4));

    click("aggiorna");
    EXPECT_EQ(shown("Label2"), QStringLiteral("2 / 4"));
    doubles_.random.setDraws({0.99});
    click("ancora");
    EXPECT_EQ(shown("Label1"), QStringLiteral("frase 4"));
    click("aprifile");
    EXPECT_EQ(doubles_.starter.starts.back().commandLine, QStringLiteral("notepad tesmi.txt"));
    ASSERT_EQ(messages().size(), 1u) << "only the instructions of \"Apri file\"";

    std::filesystem::remove(renamed / "tesmi.txt");
    click("aggiorna");
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_TRUE(
        messages().back().text.contains(QString::fromStdString((renamed / "tesmi.txt").string())))
        << messages().back().text.toStdString();
}

TEST_F(InItsWorkingFolder, ADeletedFolderIsToldAsSuch) {
    WriteFile(folder_ / "tesmi.txt", Phrases(3));
    startThere();
    std::filesystem::remove_all(folder_);
    for (const char* command : {"aggiorna", "ancora"}) {
        SCOPED_TRACE(command);
        doubles_.messages.messages.clear();
        click(command);
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_EQ(messages().front().text,
                  QString::fromUtf8("Il file \u201Ctesmi.txt\u201D non \u00E8 stato trovato.\n"
                                    "Motivo: la cartella di lavoro non esiste pi\u00F9."));
        EXPECT_EQ(shown("Label2"), QStringLiteral("2 / 3"));
    }
}

} // namespace
} // namespace zelmora

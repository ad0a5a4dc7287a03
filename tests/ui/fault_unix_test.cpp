// The program against what only Unix systems have: FIFOs, sockets and
// devices in place of its files, a disk that fills up, a folder named in
// another encoding, and a working folder renamed or deleted while the
// program runs (Windows refuses to rename or delete a folder a program
// works in).

#include "app/error_messages.h"
#include "app/startup.h"
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

using test::Phrases;
using test::ReadFile;
using test::RunningProgram;
using test::WriteFile;

constexpr std::int32_t kFore = Module1::kDefaultForeColor;
constexpr std::int32_t kBack = Module1::kDefaultBackColor;

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
        EXPECT_TRUE(text.contains(QString::fromStdString(
            CauseText(RuntimeError(kPathFileAccess, {}, Cause::NotOrdinaryFile)))))
            << text.toStdString();
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

// The numbers of a file that is there are written over in the blocks it has:
// on a full disk the save needs no new space and takes the new colours. A new
// file finds no room: the save says why and leaves nothing of it behind.
TEST_F(RunningProgram, FullDiskStillSavesOverTheFileAndSaysWhyANewOneFindsNoRoom) {
    const std::filesystem::path disk = dir_ / "disco";
    FullDisk full(disk);
    if (!full.mounted())
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root); the write failure is "
                        "tested through a size limit in SaveColorSettings' own tests";
    WriteFile(disk / "tesmi.txt", Phrases(2));
    WriteFile(disk / "opzioni.txt", "255\r\n16777215\r\n");
    full.fill();

    Main(state_, {disk, {}, clock_, doubles_.random},
         [this, &disk] { window_ = std::make_unique<Form1>(state_, disk, doubles_.services()); });
    ASSERT_NE(window_, nullptr);
    // "scegli PRIMO PIANO" gives blue, then "OK": whether the dialog stayed open.
    const auto saveBlue = [this] {
        doubles_.picker.answers = {QColor(0, 0, 255)};
        bool stayedOpen = false;
        test::WhenModalOpens([&](QWidget* modal) {
            auto& dialog = *qobject_cast<QDialog*>(modal);
            dialog.findChild<QPushButton*>(QStringLiteral("pp"))->click();
            dialog.findChild<QPushButton*>(QStringLiteral("OKButton"))->click();
            stayedOpen = dialog.isVisible();
            if (stayedOpen)
                dialog.reject();
        });
        click("opzioni");
        return stayedOpen;
    };

    EXPECT_FALSE(saveBlue());
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(ReadFile(disk / "opzioni.txt"), "16711680\r\n-2147483633\r\n");
    EXPECT_EQ(state_.ForeColorSetting, 16711680);

    std::filesystem::remove(disk / "opzioni.txt");
    full.fill();
    EXPECT_TRUE(saveBlue());
    ASSERT_EQ(messages().size(), 1u);
    const QString text = messages().front().text;
    EXPECT_TRUE(text.contains(QString::fromStdString((disk / "opzioni.txt").string())))
        << text.toStdString();
    EXPECT_TRUE(text.contains(
        QString::fromStdString(CauseText(RuntimeError(kDeviceIo, {}, Cause::NoSpace)))))
        << text.toStdString();
    EXPECT_FALSE(std::filesystem::exists(disk / "opzioni.txt"));
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
        window_ =
            std::make_unique<Form1>(state_, std::filesystem::path(),
                                    WindowServices{doubles_.messages, starter, doubles_.random,
                                                   doubles_.picker, doubles_.clock});
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
    EXPECT_EQ(state_.LineText, "notepad tesmi.txt");
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
                  QString::fromStdString(ErrorMessage(
                      RuntimeError(kFileNotFound, "tesmi.txt", Cause::WorkingFolderGone))));
        EXPECT_EQ(shown("Label2"), QStringLiteral("2 / 3"));
    }
}

} // namespace
} // namespace zelmora

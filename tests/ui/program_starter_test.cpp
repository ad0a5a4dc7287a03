// Opening a file in the text editor: "notepad" where there is one, else the
// desktop's opener, watched until it says whether an editor took the file.

#include "error_of.h"
#include "qt_doubles.h"
#include "runtime/errors.h"
#include "temp_dir.h"
#include "ui/program_starter.h"

#include <QByteArray>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace zelmora {
namespace {

using test::ErrorOf;
using test::FakeNotepad;
using test::InWorkingFolder;
using test::RecordingMessages;
using test::TempDir;
using Missing = ProgramStarter::Missing;

TEST(DesktopProgramStarter, StartsNotepadOnTheBareNameInTheWorkingFolder) {
    FakeNotepad notepad;
    TempDir work;
    InWorkingFolder here(work.path());
    RecordingMessages messages;
    DesktopProgramStarter starter(messages);
    starter.start(QStringLiteral("notepad tesmi.txt"), Missing::CreateEmpty);
    EXPECT_EQ(notepad.WaitForReport(),
              std::filesystem::canonical(work.path()).string() + "\n1\ntesmi.txt\n");
    EXPECT_FALSE(work.exists("tesmi.txt")) << "notepad offers to create it itself";

    starter.start(QStringLiteral("notepad nome con spazi; $HOME.txt"), Missing::Report);
    EXPECT_EQ(notepad.WaitForReport(), std::filesystem::canonical(work.path()).string() +
                                           "\n1\nnome con spazi; $HOME.txt\n");
}

TEST(DesktopProgramStarter, MissingProgramRaisesFileNotFound) {
    RecordingMessages messages;
    const auto error = ErrorOf([&] {
        DesktopProgramStarter(messages).start(
            QStringLiteral("zelmora-programma-che-non-esiste tesmi.txt"), Missing::Report);
    });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), kFileNotFound);
    EXPECT_EQ(error->file(), "zelmora-programma-che-non-esiste");
}

#ifndef _WIN32
// The desktop's opener of Linux, xdg-open, stood in for by scripts.

// A PATH of one folder holding only the programs a test gives it (no
// notepad, unless a test puts one there), in a working folder of its own.
class WithoutNotepad : public ::testing::Test {
protected:
    void SetUp() override { qputenv("PATH", QByteArray::fromStdString(bin_.path().string())); }
    void TearDown() override { qputenv("PATH", oldPath_); }

    // An xdg-open that reports its argument and exits with `status`; with
    // `untilReleased`, only once release() is called. (Its PATH is this
    // folder alone: other programs go by their whole names.)
    void installOpener(int status, bool untilReleased = false) {
        const std::string report = (bin_ / "opened.txt").string();
        std::string script = "#!/bin/sh\nprintf '%s\\n' \"$1\" > '" + report + ".part'\n/bin/mv '" +
                             report + ".part' '" + report + "'\n";
        if (untilReleased)
            script += "while [ ! -e '" + (bin_ / "go").string() +
                      "' ]; do /bin/sleep 0.05; done\n: > '" + (bin_ / "done").string() + "'\n";
        script += "exit " + std::to_string(status) + "\n";
        test::WriteFile(bin_ / "xdg-open", script);
        std::filesystem::permissions(bin_ / "xdg-open", std::filesystem::perms::owner_all);
    }
    void release() const { test::WriteFile(bin_ / "go", ""); }
    bool waitFor(const char* name) const {
        return QTest::qWaitFor([&] { return std::filesystem::exists(bin_ / name); }, 20000);
    }
    std::string opened() const {
        if (!waitFor("opened.txt"))
            return {};
        std::string text = test::ReadFile(bin_ / "opened.txt");
        std::filesystem::remove(bin_ / "opened.txt");
        return text;
    }
    bool waitForMessage() {
        return QTest::qWaitFor([&] { return !messages_.messages.empty(); }, 20000);
    }

    TempDir bin_;
    QByteArray oldPath_ = qgetenv("PATH");
    TempDir work_;
    InWorkingFolder here_{work_.path()};
    RecordingMessages messages_;
    std::unique_ptr<DesktopProgramStarter> starter_ =
        std::make_unique<DesktopProgramStarter>(messages_);
};

TEST_F(WithoutNotepad, AMissingPhraseFileIsCreatedEmptyAndOpenedByItsBareName) {
    installOpener(0);
    starter_->start(QStringLiteral("notepad tesmi.txt"), Missing::CreateEmpty);
    EXPECT_EQ(opened(), "tesmi.txt\n");
    EXPECT_EQ(work_.read("tesmi.txt"), "");
    QTest::qWait(50);
    EXPECT_TRUE(messages_.messages.empty());

    // One that exists is opened as it is, never emptied.
    work_.write("tesmi.txt", "frase\r\n----\r\n");
    starter_->start(QStringLiteral("notepad tesmi.txt"), Missing::CreateEmpty);
    EXPECT_EQ(opened(), "tesmi.txt\n");
    EXPECT_EQ(work_.read("tesmi.txt"), "frase\r\n----\r\n");
}

// A folder whose name is not UTF-8, as the working folder: the opener runs
// there and gets the file's bare name, which it can spell.
TEST_F(WithoutNotepad, AFolderNamedInAnotherEncodingStillGetsItsFileOpened) {
    installOpener(0);
    const auto folder = work_ / "caff\xE8";
    std::filesystem::create_directory(folder);
    InWorkingFolder there(folder);
    starter_->start(QStringLiteral("notepad tesmi.txt"), Missing::CreateEmpty);
    EXPECT_EQ(opened(), "tesmi.txt\n");
    EXPECT_TRUE(std::filesystem::exists(folder / "tesmi.txt"));
    EXPECT_TRUE(messages_.messages.empty());
}

TEST_F(WithoutNotepad, ANotepadThatCannotStartLeavesTheFileToTheDesktop) {
    installOpener(0);
    // First on the PATH, before the opener's folder.
    FakeNotepad broken(FakeNotepad::Kind::CannotStart);
    starter_->start(QStringLiteral("notepad tesmi.txt"), Missing::CreateEmpty);
    EXPECT_EQ(opened(), "tesmi.txt\n");
    EXPECT_TRUE(messages_.messages.empty());
}

TEST_F(WithoutNotepad, AnOpenerThatFailsIsReportedWithTheWholePath) {
    installOpener(3);
    starter_->start(QStringLiteral("notepad tesmi.txt"), Missing::CreateEmpty);
    ASSERT_TRUE(waitForMessage());
    const QString text = messages_.messages.front().text;
    EXPECT_TRUE(text.contains(QString::fromStdString((work_ / "tesmi.txt").string())))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("xdg-utils"))) << text.toStdString();
}

TEST_F(WithoutNotepad, OpenersStillAtWorkWhenTheProgramEndsRunOnUntoldOf) {
    installOpener(3, true);
    starter_->start(QStringLiteral("notepad tesmi.txt"), Missing::CreateEmpty);
    ASSERT_EQ(opened(), "tesmi.txt\n");
    starter_.reset(); // the program ends
    release();
    EXPECT_TRUE(waitFor("done")) << "the opener was stopped";
    QTest::qWait(50);
    EXPECT_TRUE(messages_.messages.empty());
}

TEST_F(WithoutNotepad, TheGuideFallsBackToTheInstalledOneAndIsNeverMade) {
    installOpener(0);
    TempDir prefix;
    const auto installed = prefix / "tesmiLeggimi.txt";
    test::WriteFile(installed, "Guida\r\n");
    starter_->start(QStringLiteral("notepad tesmiLeggimi.txt"), Missing::Report, installed);
    EXPECT_EQ(opened(), installed.string() + "\n");
    work_.write("tesmiLeggimi.txt", "La mia guida\r\n");
    starter_->start(QStringLiteral("notepad tesmiLeggimi.txt"), Missing::Report, installed);
    EXPECT_EQ(opened(), "tesmiLeggimi.txt\n");

    std::filesystem::remove(work_ / "tesmiLeggimi.txt");
    const auto error = ErrorOf([&] {
        starter_->start(QStringLiteral("notepad tesmiLeggimi.txt"), Missing::Report,
                        prefix / "manca.txt");
    });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), kFileNotFound);
    EXPECT_EQ(error->file(), (work_ / "tesmiLeggimi.txt").string());
    EXPECT_FALSE(work_.exists("tesmiLeggimi.txt"));
}

TEST_F(WithoutNotepad, ALinkToNothingIsToldAsSuchAndNothingIsMade) {
    installOpener(0);
    std::filesystem::create_symlink("altrove/frasi.txt", work_ / "tesmi.txt");
    const auto error = ErrorOf(
        [&] { starter_->start(QStringLiteral("notepad tesmi.txt"), Missing::CreateEmpty); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->cause(), Cause::DanglingLink);
    EXPECT_EQ(error->systemText(), "altrove/frasi.txt");
    EXPECT_FALSE(std::filesystem::exists(work_ / "altrove"));
    EXPECT_FALSE(std::filesystem::exists(bin_ / "opened.txt"));
}

TEST_F(WithoutNotepad, NothingToOpenWithIsReported) {
    starter_->start(QStringLiteral("notepad tesmi.txt"), Missing::CreateEmpty);
    ASSERT_TRUE(waitForMessage());
    EXPECT_TRUE(messages_.messages.front().text.contains(QStringLiteral("Nessun editor")));
}

#endif

} // namespace
} // namespace zelmora

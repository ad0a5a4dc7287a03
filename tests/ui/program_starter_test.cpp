// Opening a file in the text editor: "notepad" where there is one, else the
// desktop's opener, watched until it says whether an editor took the file.

#include "error_of.h"
#include "qt_doubles.h"
#include "runtime/errors.h"
#include "runtime/platform.h"
#include "temp_dir.h"
#include "ui/program_starter.h"

#include <QByteArray>
#include <QTest>
#include <QWidget>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#ifndef _WIN32
#include <sys/stat.h>
#endif

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
    starter.start({"tesmi.txt", Missing::CreateEmpty, {}}, nullptr);
    EXPECT_EQ(notepad.WaitForReport(),
              std::filesystem::canonical(work.path()).string() + "\n1\ntesmi.txt\n");
    EXPECT_FALSE(work.exists("tesmi.txt")) << "notepad offers to create it itself";

    starter.start({"nome con spazi; $HOME.txt", Missing::Report, {}}, nullptr);
    EXPECT_EQ(notepad.WaitForReport(), std::filesystem::canonical(work.path()).string() +
                                           "\n1\nnome con spazi; $HOME.txt\n");
}

// A folder without a guide of its own gets the installed one, notepad too
// (which would otherwise offer to create an empty file); a guide in the
// folder keeps its bare name.
TEST(DesktopProgramStarter, NotepadGetsTheInstalledGuideWhereTheFolderHasNone) {
    FakeNotepad notepad;
    TempDir work;
    InWorkingFolder here(work.path());
    TempDir data;
    const auto installed = data / "tesmiLeggimi.txt";
    test::WriteFile(installed, "Guida\r\n");
    RecordingMessages messages;
    DesktopProgramStarter starter(messages);
    starter.start({"tesmiLeggimi.txt", Missing::Report, installed}, nullptr);
    const std::string report = notepad.WaitForReport();
    const std::string folder = std::filesystem::canonical(work.path()).string() + "\n1\n";
    ASSERT_EQ(report.substr(0, folder.size()), folder);
    // The whole path as the system writes it.
    EXPECT_EQ(
        platform::PathFromText(report.substr(folder.size(), report.size() - folder.size() - 1)),
        installed.lexically_normal().make_preferred());
    EXPECT_FALSE(work.exists("tesmiLeggimi.txt"));

    work.write("tesmiLeggimi.txt", "La mia guida\r\n");
    starter.start({"tesmiLeggimi.txt", Missing::Report, installed}, nullptr);
    EXPECT_EQ(notepad.WaitForReport(), folder + "tesmiLeggimi.txt\n");
}

// Without notepad, a file that is missing and not to be made is reported by
// its whole path, whatever the desktop could open; nothing is made.
TEST(DesktopProgramStarter, WithoutNotepadAMissingFileIsReportedAndNotMade) {
    TempDir work;
    InWorkingFolder here(work.path());
    TempDir bin;
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(bin.path().string()));
    RecordingMessages messages;
    const auto error = ErrorOf([&] {
        DesktopProgramStarter(messages).start({"tesmiLeggimi.txt", Missing::Report, {}}, nullptr);
    });
    qputenv("PATH", oldPath);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), kFileNotFound);
    EXPECT_EQ(error->file(), (work / "tesmiLeggimi.txt").string());
    EXPECT_FALSE(work.exists("tesmiLeggimi.txt"));
    EXPECT_TRUE(messages.messages.empty());
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
    void installOpener(int status, bool untilReleased = false, const char* before = "") {
        const std::string report = (bin_ / "opened.txt").string();
        std::string script = "#!/bin/sh\nprintf '%s\\n' \"$1\" > '" + report + ".part'\n/bin/mv '" +
                             report + ".part' '" + report + "'\n";
        if (untilReleased)
            script += "while [ ! -e '" + (bin_ / "go").string() +
                      "' ]; do /bin/sleep 0.05; done\n: > '" + (bin_ / "done").string() + "'\n";
        script += std::string(before) + "exit " + std::to_string(status) + "\n";
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
    // An editor is in the user's hands after a fifth of a second here.
    std::unique_ptr<DesktopProgramStarter> starter_ =
        std::make_unique<DesktopProgramStarter>(messages_, std::chrono::milliseconds(200));
};

TEST_F(WithoutNotepad, AMissingPhraseFileIsCreatedEmptyAndOpenedByItsBareName) {
    installOpener(0);
    starter_->start({"tesmi.txt", Missing::CreateEmpty, {}}, nullptr);
    EXPECT_EQ(opened(), "tesmi.txt\n");
    EXPECT_EQ(work_.read("tesmi.txt"), "");
    QTest::qWait(50);
    EXPECT_TRUE(messages_.messages.empty());

    // One that exists is opened as it is, never emptied.
    work_.write("tesmi.txt", "frase\r\n----\r\n");
    starter_->start({"tesmi.txt", Missing::CreateEmpty, {}}, nullptr);
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
    starter_->start({"tesmi.txt", Missing::CreateEmpty, {}}, nullptr);
    EXPECT_EQ(opened(), "tesmi.txt\n");
    EXPECT_TRUE(std::filesystem::exists(folder / "tesmi.txt"));
    EXPECT_TRUE(messages_.messages.empty());
}

TEST_F(WithoutNotepad, ANotepadThatCannotStartLeavesTheFileToTheDesktop) {
    installOpener(0);
    // First on the PATH, before the opener's folder.
    FakeNotepad broken(FakeNotepad::Kind::CannotStart);
    starter_->start({"tesmi.txt", Missing::CreateEmpty, {}}, nullptr);
    EXPECT_EQ(opened(), "tesmi.txt\n");
    EXPECT_TRUE(messages_.messages.empty());
}

TEST_F(WithoutNotepad, AnOpenerThatFailsIsReportedWithTheWholePath) {
    installOpener(4);
    starter_->start({"tesmi.txt", Missing::CreateEmpty, {}}, nullptr);
    ASSERT_TRUE(waitForMessage());
    const QString text = messages_.messages.front().text;
    EXPECT_TRUE(text.contains(QString::fromStdString((work_ / "tesmi.txt").string())))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Nessun editor"))) << text.toStdString();
}

TEST_F(WithoutNotepad, OpenersStillAtWorkWhenTheProgramEndsRunOnUntoldOf) {
    installOpener(3, true);
    starter_->start({"tesmi.txt", Missing::CreateEmpty, {}}, nullptr);
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
    starter_->start({"tesmiLeggimi.txt", Missing::Report, installed}, nullptr);
    EXPECT_EQ(opened(), installed.string() + "\n");
    work_.write("tesmiLeggimi.txt", "La mia guida\r\n");
    starter_->start({"tesmiLeggimi.txt", Missing::Report, installed}, nullptr);
    EXPECT_EQ(opened(), "tesmiLeggimi.txt\n");

    std::filesystem::remove(work_ / "tesmiLeggimi.txt");
    const auto error = ErrorOf([&] {
        starter_->start({"tesmiLeggimi.txt", Missing::Report, prefix / "manca.txt"}, nullptr);
    });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), kFileNotFound);
    EXPECT_EQ(error->file(), (work_ / "tesmiLeggimi.txt").string());
    EXPECT_FALSE(work_.exists("tesmiLeggimi.txt"));
}

TEST_F(WithoutNotepad, ALinkToNothingIsToldAsSuchAndNothingIsMade) {
    installOpener(0);
    std::filesystem::create_symlink("altrove/frasi.txt", work_ / "tesmi.txt");
    const auto error = ErrorOf([&] {
        starter_->start({"tesmi.txt", Missing::CreateEmpty, {}}, nullptr);
    });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->cause(), Cause::DanglingLink);
    EXPECT_EQ(error->systemText(), "altrove/frasi.txt");
    EXPECT_FALSE(std::filesystem::exists(work_ / "altrove"));
    EXPECT_FALSE(std::filesystem::exists(bin_ / "opened.txt"));
}

// Nothing to open the file with: the user is told, and no empty phrase file
// is left behind to show "0 / 0" at every later start.
TEST_F(WithoutNotepad, NothingToOpenWithIsReportedAndNothingIsMade) {
    starter_->start({"tesmi.txt", Missing::CreateEmpty, {}}, nullptr);
    ASSERT_TRUE(waitForMessage());
    const QString text = messages_.messages.front().text;
    EXPECT_TRUE(text.contains(QStringLiteral("Nessun editor"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("xdg-utils"))) << text.toStdString();
    EXPECT_FALSE(work_.exists("tesmi.txt"));
}

// The opener, and the editor it may run in the foreground, write nowhere they
// could be stuck or killed: not into a pipe that nobody reads, which would
// fill this program's memory while it runs and break once it has ended.
TEST_F(WithoutNotepad, TheOpenerWritesWhereNothingCanStopIt) {
    const std::string report = (bin_ / "outputs.txt").string();
    test::WriteFile(bin_ / "xdg-open",
                    "#!/bin/sh\n"
                    "for fd in 1 2; do\n"
                    "  if [ -p /dev/fd/$fd ]; then echo pipe; else echo other; fi\n"
                    "done > '" +
                        report +
                        ".part'\n"
                        "/bin/mv '" +
                        report + ".part' '" + report + "'\n");
    std::filesystem::permissions(bin_ / "xdg-open", std::filesystem::perms::owner_all);
    starter_->start({"tesmi.txt", Missing::CreateEmpty, {}}, nullptr);
    ASSERT_TRUE(waitFor("outputs.txt"));
    EXPECT_EQ(test::ReadFile(report), "other\nother\n");
}

// xdg-open is there but knows no program for text files (its status 3): the
// user is told that none is set up and what to install, not to install the
// opener they have.
TEST_F(WithoutNotepad, AnOpenerThatKnowsNoProgramSaysWhatToInstall) {
    installOpener(3);
    starter_->start({"tesmi.txt", Missing::CreateEmpty, {}}, nullptr);
    ASSERT_TRUE(waitForMessage());
    const QString text = messages_.messages.front().text;
    EXPECT_TRUE(text.contains(QStringLiteral("nessun programma"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("gedit"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("xdg-utils"))) << text.toStdString();
}

// xdg-open runs the editor in the foreground on many desktops, and then ends
// with the editor's status: an editor the user has used for a while and
// that ends badly is no news about opening the file.
TEST_F(WithoutNotepad, AnEditorThatEndsBadlyOnceInUseIsNotReported) {
    installOpener(1, false, "/bin/sleep 0.6\n");
    starter_->start({"tesmi.txt", Missing::CreateEmpty, {}}, nullptr);
    ASSERT_EQ(opened(), "tesmi.txt\n");
    QTest::qWait(1500);
    EXPECT_TRUE(messages_.messages.empty());
}

// The report that comes later stands over the window that started the
// opener, not in the middle of the screen.
TEST_F(WithoutNotepad, TheReportStandsOverTheWindowThatAsked) {
    installOpener(4);
    QWidget window;
    starter_->start({"tesmi.txt", Missing::CreateEmpty, {}}, &window);
    ASSERT_TRUE(waitForMessage());
    EXPECT_EQ(messages_.messages.front().parent, &window);
}

// A folder, or a pipe, where the file should be is refused with the reason,
// as every other command refuses it; nothing is started.
TEST_F(WithoutNotepad, AFolderOrAPipeInPlaceOfTheFileIsRefused) {
    installOpener(0);
    std::filesystem::create_directory(work_ / "tesmi.txt");
    const auto folder = ErrorOf([&] {
        starter_->start({"tesmi.txt", Missing::CreateEmpty, {}}, nullptr);
    });
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->number(), kPathFileAccess);
    EXPECT_EQ(folder->cause(), Cause::IsFolder);
    EXPECT_EQ(folder->file(), (work_ / "tesmi.txt").string());

    ASSERT_EQ(::mkfifo((work_ / "tesmiLeggimi.txt").c_str(), 0600), 0);
    const auto pipe = ErrorOf([&] {
        starter_->start({"tesmiLeggimi.txt", Missing::Report, {}}, nullptr);
    });
    ASSERT_TRUE(pipe);
    EXPECT_EQ(pipe->cause(), Cause::NotOrdinaryFile);
    QTest::qWait(100);
    EXPECT_FALSE(std::filesystem::exists(bin_ / "opened.txt"));
}

#endif

} // namespace
} // namespace zelmora

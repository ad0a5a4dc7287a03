// Opening a file in the text editor: "notepad" where there is one, else the
// desktop's opener, watched until it says whether an editor took the file.

#include "qt_doubles.h"
#include "runtime/errors.h"
#include "temp_dir.h"
#include "ui/program_starter.h"

#include <QByteArray>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace zelmora {
namespace {

using test::FakeNotepad;
using test::RecordingMessages;
using test::TempDir;
using Missing = ProgramStarter::Missing;

TEST(DesktopProgramStarter, StartsNotepadOnTheFileInTheGivenDirectory) {
    FakeNotepad notepad;
    TempDir work;
    RecordingMessages messages;
    DesktopProgramStarter starter(messages);
    starter.start(QStringLiteral("notepad tesmi.txt"), work.path(), Missing::CreateEmpty);
    EXPECT_EQ(notepad.WaitForReport(),
              std::filesystem::canonical(work.path()).string() + "\n1\ntesmi.txt\n");
    EXPECT_FALSE(work.exists("tesmi.txt")) << "notepad offers to create it itself";

    starter.start(QStringLiteral("notepad nome con spazi; $HOME.txt"), work.path(),
                  Missing::Report);
    EXPECT_EQ(notepad.WaitForReport(), std::filesystem::canonical(work.path()).string() +
                                           "\n1\nnome con spazi; $HOME.txt\n");
}

// A PATH of one folder holding only the programs a test gives it: no notepad,
// and an xdg-open that records its argument and exits with `status`.
class WithoutNotepad : public ::testing::Test {
protected:
    void SetUp() override { qputenv("PATH", QByteArray::fromStdString(bin_.path().string())); }
    void TearDown() override { qputenv("PATH", oldPath_); }

    // The report is written beside its place and moved there whole: the
    // test waits for it to appear, and must not read it half written. (mv
    // by its path: the PATH holds this folder alone.)
    void installOpener(int status) {
        const std::string report = (bin_ / "opened.txt").string();
        test::WriteFile(bin_ / "xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$1\" > '" + report +
                                               ".part'\n/bin/mv '" + report + ".part' '" + report +
                                               "'\nexit " + std::to_string(status) + "\n");
        std::filesystem::permissions(bin_ / "xdg-open", std::filesystem::perms::owner_all);
    }
    std::string opened() const {
        const auto report = bin_ / "opened.txt";
        if (!QTest::qWaitFor([&] { return std::filesystem::exists(report); }, 20000))
            return {};
        return test::ReadFile(report);
    }
    bool waitForMessage() {
        return QTest::qWaitFor([&] { return !messages_.messages.empty(); }, 20000);
    }

    TempDir bin_;
    QByteArray oldPath_ = qgetenv("PATH");
    TempDir work_;
    RecordingMessages messages_;
    DesktopProgramStarter starter_{messages_};
};

TEST_F(WithoutNotepad, AMissingPhraseFileIsCreatedEmptyAndOpened) {
    installOpener(0);
    starter_.start(QStringLiteral("notepad tesmi.txt"), work_.path(), Missing::CreateEmpty);
    EXPECT_EQ(opened(), (work_ / "tesmi.txt").string() + "\n");
    EXPECT_EQ(work_.read("tesmi.txt"), "");
    QTest::qWait(50);
    EXPECT_TRUE(messages_.messages.empty());

    // One that exists is opened as it is, never emptied.
    work_.write("tesmi.txt", "frase\r\n----\r\n");
    std::filesystem::remove(bin_ / "opened.txt");
    starter_.start(QStringLiteral("notepad tesmi.txt"), work_.path(), Missing::CreateEmpty);
    EXPECT_EQ(opened(), (work_ / "tesmi.txt").string() + "\n");
    EXPECT_EQ(work_.read("tesmi.txt"), "frase\r\n----\r\n");
}

// A folder whose name is not UTF-8, as the working directory: the opener
// runs there and gets the file's name, which it can spell.
TEST_F(WithoutNotepad, AFolderNamedInAnotherEncodingStillGetsItsFileOpened) {
    installOpener(0);
    const auto folder = work_ / "caff\xE8";
    std::filesystem::create_directory(folder);
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    starter_.start(QStringLiteral("notepad tesmi.txt"), folder, Missing::CreateEmpty);
    const std::string argument = opened();
    std::filesystem::current_path(previous);
    EXPECT_EQ(argument, "tesmi.txt\n");
    EXPECT_TRUE(std::filesystem::exists(folder / "tesmi.txt"));
    EXPECT_TRUE(messages_.messages.empty());
}

TEST_F(WithoutNotepad, AnOpenerThatFailsIsReportedWithTheWholePath) {
    installOpener(3);
    starter_.start(QStringLiteral("notepad tesmi.txt"), work_.path(), Missing::CreateEmpty);
    ASSERT_TRUE(waitForMessage());
    const QString text = messages_.messages.front().text;
    EXPECT_TRUE(text.contains(QString::fromStdString((work_ / "tesmi.txt").string())))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("xdg-utils"))) << text.toStdString();
}

TEST_F(WithoutNotepad, NothingToOpenWithIsReportedAndAMissingGuideRaises) {
    starter_.start(QStringLiteral("notepad tesmi.txt"), work_.path(), Missing::CreateEmpty);
    ASSERT_TRUE(waitForMessage());
    EXPECT_TRUE(messages_.messages.front().text.contains(QStringLiteral("Nessun editor")));

    installOpener(0);
    try {
        starter_.start(QStringLiteral("notepad tesmiLeggimi.txt"), work_.path(), Missing::Report);
        ADD_FAILURE() << "nothing was raised";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), kFileNotFound);
        EXPECT_EQ(error.file(), (work_ / "tesmiLeggimi.txt").string());
    }
    EXPECT_FALSE(work_.exists("tesmiLeggimi.txt"));
}

TEST(DesktopProgramStarter, MissingProgramRaisesFileNotFound) {
    TempDir work;
    RecordingMessages messages;
    try {
        DesktopProgramStarter(messages).start(
            QStringLiteral("zelmora-programma-che-non-esiste tesmi.txt"), work.path(),
            Missing::Report);
        ADD_FAILURE() << "nothing was raised";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), kFileNotFound);
        EXPECT_EQ(error.file(), "zelmora-programma-che-non-esiste");
    }
}

} // namespace
} // namespace zelmora

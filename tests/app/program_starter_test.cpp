#include "desktop_services.h"
#include "runtime/errors.h"
#include "temp_dir.h"

#include <QByteArray>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace zelmora {
namespace {

using test::TempDir;

// A stand-in for the text editor, first on the PATH while the test runs:
// it writes its working directory, its argument count and its first
// argument to `report`, whole or not at all.
class FakeNotepad {
public:
    FakeNotepad()
        : oldPath_(qgetenv("PATH")) {
        const std::string report = (bin_ / "report.txt").string();
        std::string script = "#!/bin/sh\n";
        script += "printf '%s\\n%s\\n%s\\n' \"$(pwd -P)\" \"$#\" \"$1\" > '" + report + ".part'\n";
        script += "mv '" + report + ".part' '" + report + "'\n";
        test::WriteFile(bin_ / "notepad", script);
        std::filesystem::permissions(bin_ / "notepad", std::filesystem::perms::owner_all);
        qputenv("PATH", QByteArray::fromStdString(bin_.path().string()) + ':' + oldPath_);
    }
    ~FakeNotepad() { qputenv("PATH", oldPath_); }
    FakeNotepad(const FakeNotepad&) = delete;
    FakeNotepad& operator=(const FakeNotepad&) = delete;

    // Waits for the report of the started program; empty when none came.
    std::string WaitForReport() const {
        const auto report = bin_ / "report.txt";
        if (!QTest::qWaitFor([&] { return std::filesystem::exists(report); }, 20000))
            return {};
        return test::ReadFile(report);
    }

private:
    TempDir bin_;
    QByteArray oldPath_;
};

TEST(DetachedProgramStarter, StartsTheEditorOnTheFileInTheGivenDirectory) {
    FakeNotepad notepad;
    TempDir work;
    DetachedProgramStarter().start(QStringLiteral("notepad tesmi.txt"), work.path());
    EXPECT_EQ(notepad.WaitForReport(),
              std::filesystem::canonical(work.path()).string() + "\n1\ntesmi.txt\n");
}

TEST(DetachedProgramStarter, PassesTheRestOfTheLineAsOneArgument) {
    FakeNotepad notepad;
    TempDir work;
    DetachedProgramStarter().start(QStringLiteral("notepad nome con spazi; $HOME.txt"),
                                   work.path());
    EXPECT_EQ(notepad.WaitForReport(), std::filesystem::canonical(work.path()).string() +
                                           "\n1\nnome con spazi; $HOME.txt\n");
}

TEST(DetachedProgramStarter, MissingProgramRaisesFileNotFound) {
    TempDir work;
    try {
        DetachedProgramStarter().start(QStringLiteral("zelmora-programma-che-non-esiste tesmi.txt"),
                                       work.path());
        ADD_FAILURE() << "nothing was raised";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), kFileNotFound);
        EXPECT_EQ(error.file(), "zelmora-programma-che-non-esiste");
    }
}

} // namespace
} // namespace zelmora

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
using test::TempDir;

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

// Saving "opzioni.txt": replaced whole, or left as it was with the reason.

#include "app/color_settings.h"
#include "error_of.h"
#include "runtime/errors.h"
#include "temp_dir.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>

#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace zelmora {
namespace {

using test::TempDir;

std::set<std::string> Entries(const std::filesystem::path& directory) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        names.insert(entry.path().filename().string());
    return names;
}

// Saves and expects error 75 naming the settings file; gives its cause.
Cause ExpectSaveRefused(const std::filesystem::path& directory) {
    const auto error = test::ErrorOf([&] { SaveColorSettings(directory, {255, 16777215}); });
    if (!error) {
        ADD_FAILURE() << "the save did not fail";
        return Cause::None;
    }
    EXPECT_EQ(error->number(), kPathFileAccess);
    EXPECT_EQ(error->file(), (directory / "opzioni.txt").string());
    return error->cause();
}

TEST(SaveColorSettings, WritesExactlyTheTwoLines) {
    TempDir dir;
    SaveColorSettings(dir.path(), {16576, -2147483633});
    EXPECT_EQ(dir.read("opzioni.txt"), "16576\r\n-2147483633\r\n");
    EXPECT_EQ(Entries(dir.path()), std::set<std::string>{"opzioni.txt"});
}

TEST(SaveColorSettings, ReplacesALongerFileWhole) {
    TempDir dir;
    dir.write("opzioni.txt", "16777215\r\n-2147483633\r\nriga in pi\xC3\xB9\r\n");
    SaveColorSettings(dir.path(), {0, 255});
    EXPECT_EQ(dir.read("opzioni.txt"), "0\r\n255\r\n");
}

TEST(SaveColorSettings, ReadOnlyDirectoryRaises75AndKeepsTheOldFile) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows folders have no such permission bits";
#endif
    if (test::RunningAsRoot())
        GTEST_SKIP() << "root writes into any directory";
    TempDir dir;
    const std::string old = "16576\r\n-2147483633\r\n";
    dir.write("opzioni.txt", old);
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read |
                                                 std::filesystem::perms::owner_exec);
    EXPECT_EQ(ExpectSaveRefused(dir.path()), Cause::PermissionDenied);
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
    EXPECT_EQ(dir.read("opzioni.txt"), old);
    EXPECT_EQ(Entries(dir.path()), std::set<std::string>{"opzioni.txt"});
}

TEST(SaveColorSettings, DirectoryInPlaceOfTheFileRaises75AndStays) {
    TempDir dir;
    std::filesystem::create_directory(dir / "opzioni.txt");
    dir.write("opzioni.txt/dentro.txt", "resta");
    EXPECT_EQ(ExpectSaveRefused(dir.path()), Cause::IsFolder);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "opzioni.txt"));
    EXPECT_EQ(dir.read("opzioni.txt/dentro.txt"), "resta");
    EXPECT_EQ(Entries(dir.path()), std::set<std::string>{"opzioni.txt"}) << "no temporary left";
}

// A write that fails part-way (a full disk, here a file size limit of a few
// bytes) must fail the save before the new file takes the old one's place.
TEST(SaveColorSettings, FailedWriteRaises75AndKeepsTheOldFileByteForByte) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no file size limit to set; the full disk is tried on Linux";
#else
    TempDir dir;
    const std::string old = "255\r\n16777215\r\n";
    dir.write("opzioni.txt", old);
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto previousSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tiny = previous;
    tiny.rlim_cur = 4;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    ExpectSaveRefused(dir.path());
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousSignal);
    EXPECT_EQ(dir.read("opzioni.txt"), old);
    EXPECT_EQ(Entries(dir.path()), std::set<std::string>{"opzioni.txt"}) << "no temporary left";
#endif
}

// The program saves by the bare name: into its working folder, whatever
// the folder is called by then.
TEST(SaveColorSettings, SavesIntoTheWorkingFolderWhateverItIsCalledNow) {
    TempDir dir;
    std::filesystem::create_directory(dir / "prima");
    {
        test::InWorkingFolder here(dir / "prima");
#ifndef _WIN32 // Windows does not rename a folder a program works in.
        std::filesystem::rename(dir / "prima", dir / "dopo");
#endif
        SaveColorSettings({}, {255, 16777215});
    }
#ifdef _WIN32
    EXPECT_EQ(test::ReadFile(dir / "prima" / "opzioni.txt"), "255\r\n16777215\r\n");
#else
    EXPECT_EQ(test::ReadFile(dir / "dopo" / "opzioni.txt"), "255\r\n16777215\r\n");

    // A working folder deleted meanwhile is told as such.
    std::filesystem::create_directory(dir / "sparita");
    test::InWorkingFolder gone(dir / "sparita");
    std::filesystem::remove(dir / "sparita");
    const auto error = test::ErrorOf([] { SaveColorSettings({}, {255, 16777215}); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->cause(), Cause::WorkingFolderGone);
    EXPECT_EQ(error->file(), "opzioni.txt");
#endif
}

TEST(SaveColorSettings, MissingDirectoryRaises75) {
    TempDir dir;
    ExpectSaveRefused(dir / "manca");
    EXPECT_FALSE(std::filesystem::exists(dir / "manca"));
}

} // namespace
} // namespace zelmora

#include "runtime/errors.h"
#include "temp_dir.h"
#include "ui/settings_writer.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <sys/resource.h>

namespace zelmora {
namespace {

using test::TempDir;

std::set<std::string> Entries(const std::filesystem::path& directory) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        names.insert(entry.path().filename().string());
    return names;
}

// Saves and expects error 75 naming the settings file.
void ExpectSaveRefused(const std::filesystem::path& directory) {
    try {
        SaveColorSettings(directory, 255, 16777215);
        ADD_FAILURE() << "the save did not fail";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), kPathFileAccess);
        EXPECT_EQ(error.file(), (directory / "opzioni.txt").string());
    }
}

TEST(SaveColorSettings, WritesExactlyTheTwoLines) {
    TempDir dir;
    SaveColorSettings(dir.path(), 16576, -2147483633);
    EXPECT_EQ(dir.read("opzioni.txt"), "16576\r\n-2147483633\r\n");
    EXPECT_EQ(Entries(dir.path()), std::set<std::string>{"opzioni.txt"});
}

TEST(SaveColorSettings, ReplacesALongerFileWhole) {
    TempDir dir;
    dir.write("opzioni.txt", "16777215\r\n-2147483633\r\nriga in pi\xC3\xB9\r\n");
    SaveColorSettings(dir.path(), 0, 255);
    EXPECT_EQ(dir.read("opzioni.txt"), "0\r\n255\r\n");
}

TEST(SaveColorSettings, ReadOnlyDirectoryRaises75AndKeepsTheOldFile) {
    if (test::RunningAsRoot())
        GTEST_SKIP() << "root writes into any directory";
    TempDir dir;
    const std::string old = "16576\r\n-2147483633\r\n";
    dir.write("opzioni.txt", old);
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read |
                                                 std::filesystem::perms::owner_exec);
    ExpectSaveRefused(dir.path());
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
    EXPECT_EQ(dir.read("opzioni.txt"), old);
    EXPECT_EQ(Entries(dir.path()), std::set<std::string>{"opzioni.txt"});
}

TEST(SaveColorSettings, DirectoryInPlaceOfTheFileRaises75AndStays) {
    TempDir dir;
    std::filesystem::create_directory(dir / "opzioni.txt");
    dir.write("opzioni.txt/dentro.txt", "resta");
    ExpectSaveRefused(dir.path());
    EXPECT_TRUE(std::filesystem::is_directory(dir / "opzioni.txt"));
    EXPECT_EQ(dir.read("opzioni.txt/dentro.txt"), "resta");
    EXPECT_EQ(Entries(dir.path()), std::set<std::string>{"opzioni.txt"}) << "no temporary left";
}

// A write that fails part-way (a full disk, here a file size limit of a few
// bytes) must fail the save before the new file takes the old one's place.
TEST(SaveColorSettings, FailedWriteRaises75AndKeepsTheOldFileByteForByte) {
    TempDir dir;
    const std::string old = "255\r\n16777215\r\n";
    dir.write("opzioni.txt", old);
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto previousSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tiny = previous;
    tiny.rlim_cur = 4;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    try {
        SaveColorSettings(dir.path(), 16576, -2147483633);
        ADD_FAILURE() << "the save did not fail";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), kPathFileAccess);
        EXPECT_EQ(error.file(), (dir / "opzioni.txt").string());
    }
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousSignal);
    EXPECT_EQ(dir.read("opzioni.txt"), old);
    EXPECT_EQ(Entries(dir.path()), std::set<std::string>{"opzioni.txt"}) << "no temporary left";
}

TEST(SaveColorSettings, MissingDirectoryRaises75) {
    TempDir dir;
    ExpectSaveRefused(dir / "manca");
    EXPECT_FALSE(std::filesystem::exists(dir / "manca"));
}

} // namespace
} // namespace zelmora

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
#include <sys/stat.h>
#include <unistd.h>
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

// What the user set up around "opzioni.txt" (its permissions, a link to a
// file kept elsewhere) is respected: the save follows it or is refused, and
// never replaces it with a plain file of its own.
namespace fs = std::filesystem;
constexpr const char* kOld = "16576\r\n-2147483633\r\n";
constexpr const char* kNew = "255\r\n16777215\r\n";

fs::perms ModeOf(const fs::path& file) {
    return fs::symlink_status(file).permissions() & fs::perms::all;
}

TEST(SaveRespectsWhatTheUserSetUp, AReadOnlyFileIsRefusedAndKeptWithItsMode) {
    if (test::RunningAsRoot())
        GTEST_SKIP() << "root writes into read-only files";
    TempDir dir;
    dir.write("opzioni.txt", kOld);
    fs::permissions(dir / "opzioni.txt",
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const fs::perms mode = ModeOf(dir / "opzioni.txt");
    EXPECT_EQ(ExpectSaveRefused(dir.path()), Cause::PermissionDenied);
    EXPECT_EQ(dir.read("opzioni.txt"), kOld);
    EXPECT_EQ(ModeOf(dir / "opzioni.txt"), mode);
    EXPECT_EQ(Entries(dir.path()), std::set<std::string>{"opzioni.txt"});
}

#ifndef _WIN32
TEST(SaveRespectsWhatTheUserSetUp, ALinkIsFollowedToTheFileItNamesAndStaysALink) {
    TempDir dir;
    fs::create_directory(dir / "dotfiles");
    dir.write("dotfiles/opzioni.txt", kOld);
    fs::permissions(dir / "dotfiles/opzioni.txt", fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink("dotfiles/opzioni.txt", dir / "opzioni.txt");
    SaveColorSettings(dir.path(), {255, 16777215});
    ASSERT_TRUE(fs::is_symlink(dir / "opzioni.txt"));
    EXPECT_EQ(fs::read_symlink(dir / "opzioni.txt"), "dotfiles/opzioni.txt");
    EXPECT_EQ(dir.read("dotfiles/opzioni.txt"), kNew);
    EXPECT_EQ(ModeOf(dir / "dotfiles/opzioni.txt"), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(Entries(dir.path()), (std::set<std::string>{"dotfiles", "opzioni.txt"}));
    EXPECT_EQ(Entries(dir / "dotfiles"), std::set<std::string>{"opzioni.txt"});

    // A link to a link, the last one absolute, reaches the same file.
    TempDir other;
    fs::create_symlink(dir / "opzioni.txt", other / "opzioni.txt");
    SaveColorSettings(other.path(), {0, 255});
    EXPECT_EQ(dir.read("dotfiles/opzioni.txt"), "0\r\n255\r\n");
    EXPECT_TRUE(fs::is_symlink(other / "opzioni.txt"));
}

TEST(SaveRespectsWhatTheUserSetUp, ALinkToNothingOrToADeviceAndAPipeAreRefusedAndNothingIsMade) {
    TempDir dir;
    fs::create_symlink("altrove/opzioni.txt", dir / "opzioni.txt");
    const auto dangling = test::ErrorOf([&] { SaveColorSettings(dir.path(), {0, 0}); });
    ASSERT_TRUE(dangling);
    EXPECT_EQ(dangling->number(), kPathFileAccess);
    EXPECT_EQ(dangling->cause(), Cause::DanglingLink);
    EXPECT_EQ(dangling->systemText(), "altrove/opzioni.txt");
    EXPECT_EQ(Entries(dir.path()), std::set<std::string>{"opzioni.txt"});
    EXPECT_FALSE(fs::exists(dir / "altrove"));

    fs::remove(dir / "opzioni.txt");
    fs::create_symlink("/dev/null", dir / "opzioni.txt");
    EXPECT_EQ(ExpectSaveRefused(dir.path()), Cause::NotOrdinaryFile);
    EXPECT_EQ(fs::read_symlink(dir / "opzioni.txt"), "/dev/null");
    EXPECT_EQ(Entries(dir.path()), std::set<std::string>{"opzioni.txt"});

    fs::remove(dir / "opzioni.txt");
    ASSERT_EQ(::mkfifo((dir / "opzioni.txt").c_str(), 0600), 0);
    EXPECT_EQ(ExpectSaveRefused(dir.path()), Cause::NotOrdinaryFile);
    EXPECT_TRUE(fs::is_fifo(dir / "opzioni.txt"));
    EXPECT_EQ(Entries(dir.path()), std::set<std::string>{"opzioni.txt"});
}

TEST(SaveRespectsWhatTheUserSetUp, ANewFileHasTheModeTheUmaskGives) {
    TempDir dir;
    const mode_t previous = ::umask(027);
    SaveColorSettings(dir.path(), {255, 16777215});
    ::umask(previous);
    EXPECT_EQ(ModeOf(dir / "opzioni.txt"),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// A folder the user may not write, holding a file the user may: the file is
// rewritten where it stands. With no file to rewrite, the folder is named.
TEST(SaveRespectsWhatTheUserSetUp, AReadOnlyFolderStillLetsAWritableFileBeRewritten) {
    if (test::RunningAsRoot())
        GTEST_SKIP() << "root writes into read-only folders";
    TempDir dir;
    dir.write("opzioni.txt", "16777215\r\n-2147483633\r\nuna riga in pi\xC3\xB9\r\n");
    fs::permissions(dir / "opzioni.txt", fs::perms::all);
    fs::permissions(dir.path(), fs::perms::owner_write | fs::perms::group_write,
                    fs::perm_options::remove);
    SaveColorSettings(dir.path(), {255, 16777215});
    EXPECT_EQ(dir.read("opzioni.txt"), kNew);
    EXPECT_EQ(ModeOf(dir / "opzioni.txt"), fs::perms::all);

    fs::permissions(dir.path(), fs::perms::owner_write, fs::perm_options::add);
    fs::remove(dir / "opzioni.txt");
    fs::permissions(dir.path(), fs::perms::owner_write, fs::perm_options::remove);
    const auto error = test::ErrorOf([&] { SaveColorSettings(dir.path(), {0, 0}); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), kPathFileAccess);
    EXPECT_EQ(error->cause(), Cause::FolderRefusesNewFiles);
    EXPECT_EQ(error->systemText(), dir.path().string());
    EXPECT_TRUE(Entries(dir.path()).empty());
}

// A save cut short (a crash, a power cut) leaves its temporary file behind;
// the next save takes away those whose program is gone.
TEST(SaveRespectsWhatTheUserSetUp, LeftoversOfSavesCutShortAreTakenAwayByTheNextOne) {
    TempDir dir;
    dir.write(".opzioni.txt.99999999-0-123456", "1\r\n"); // no such process
    dir.write(".opzioni.txt.1-4-42", "2\r\n");            // a live one: still saving
    dir.write(".opzioni.txt.bak", "3\r\n");               // not of ours
    dir.write(".tesmi.txt.99999999-0-1", "4\r\n");        // another file's
    SaveColorSettings(dir.path(), {255, 16777215});
    EXPECT_EQ(Entries(dir.path()),
              (std::set<std::string>{".opzioni.txt.1-4-42", ".opzioni.txt.bak",
                                     ".tesmi.txt.99999999-0-1", "opzioni.txt"}));
}
#endif

} // namespace
} // namespace zelmora

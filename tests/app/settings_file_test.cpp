// Saving "opzioni.txt": written where it stands, or left as it was with the
// reason; nothing beside it is made or removed.

#include "app/color_settings.h"
#include "app/error_messages.h"
#include "error_of.h"
#include "runtime/errors.h"
#include "temp_dir.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>

#ifndef _WIN32
#include "run_program.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

namespace zelmora {
namespace {

using test::TempDir;
namespace fs = std::filesystem;

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
    EXPECT_EQ(Entries(dir.path()), std::set<std::string>{"opzioni.txt"})
        << "nothing made beside it";
}

// A write that fails (a full disk, here a file size limit) fails the save
// before any byte changes: the room for the new numbers is taken first. A
// file the save was making is taken away again.
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
    tiny.rlim_cur = old.size();
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    // Longer than the old numbers: the file would have to grow.
    const auto grown = test::ErrorOf([&] { SaveColorSettings(dir.path(), {16576, -2147483633}); });
    const std::string kept = dir.read("opzioni.txt");
    fs::remove(dir / "opzioni.txt");
    const auto made = test::ErrorOf([&] { SaveColorSettings(dir.path(), {16576, -2147483633}); });
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousSignal);
    ASSERT_TRUE(grown && made);
    EXPECT_EQ(grown->number(), kPathFileAccess);
    EXPECT_EQ(made->number(), kPathFileAccess);
    EXPECT_EQ(kept, old);
    EXPECT_TRUE(Entries(dir.path()).empty()) << "the file the save made is taken away";
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

// What the user set up around "opzioni.txt" (its permissions, its access
// list, a link or a hard link to it, other files beside it) stays as it was:
// the file is written where it stands, or the save is refused.
constexpr const char* kOld = "16576\r\n-2147483633\r\n";
constexpr const char* kNew = "255\r\n16777215\r\n";

fs::perms ModeOf(const fs::path& file) {
    return fs::symlink_status(file).permissions() & fs::perms::all;
}

// No one may write it, so no one's save changes it: also root's, whom the
// system would let write (the read-only attribute on Windows).
TEST(SaveRespectsWhatTheUserSetUp, AReadOnlyFileIsRefusedAndKeptWithItsMode) {
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

// A second name of the file sees the new colours: it is still the same file.
TEST(SaveRespectsWhatTheUserSetUp, AHardLinkSeesTheNewColoursAndTheFileStaysTheSame) {
    TempDir dir;
    fs::create_directory(dir / "copie");
    dir.write("opzioni.txt", kOld);
    fs::create_hard_link(dir / "opzioni.txt", dir / "copie/opzioni.txt");
    SaveColorSettings(dir.path(), {255, 16777215});
    EXPECT_EQ(dir.read("copie/opzioni.txt"), kNew);
    // The same inode (Windows: file index) under both names.
    EXPECT_TRUE(fs::equivalent(dir / "opzioni.txt", dir / "copie/opzioni.txt"));
}

// Whatever is named like the file, beside it, is the user's: a dated copy, a
// folder, a link, even a name an earlier version gave its temporary files.
TEST(SaveRespectsWhatTheUserSetUp, NothingBesideTheFileIsMadeOrRemoved) {
    TempDir dir;
    dir.write(".opzioni.txt.2024-12-08", kOld);
    dir.write(".opzioni.txt.99999999-0-123456", kOld);
    fs::create_directory(dir / ".opzioni.txt.99999998-1-1");
#ifndef _WIN32
    fs::create_symlink("opzioni.txt", dir / ".opzioni.txt.99999997-2-2");
#endif
    std::set<std::string> expected = Entries(dir.path());
    expected.insert("opzioni.txt");
    SaveColorSettings(dir.path(), {0, 0});          // makes the file
    SaveColorSettings(dir.path(), {255, 16777215}); // writes over it
    EXPECT_EQ(Entries(dir.path()), expected);
    EXPECT_EQ(dir.read(".opzioni.txt.2024-12-08"), kOld);
    EXPECT_EQ(dir.read("opzioni.txt"), kNew);
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

    fs::rename(dir / "opzioni.txt", dir / "tubo");
    fs::create_symlink("tubo", dir / "opzioni.txt");
    EXPECT_EQ(ExpectSaveRefused(dir.path()), Cause::NotOrdinaryFile);

    fs::remove(dir / "opzioni.txt");
    fs::create_directory(dir / "cartella");
    fs::create_symlink("cartella", dir / "opzioni.txt");
    EXPECT_EQ(ExpectSaveRefused(dir.path()), Cause::IsFolder);
    EXPECT_TRUE(fs::is_empty(dir / "cartella"));
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

// A link that cannot be followed is told for what stops it: the missing file
// at the end of the chain, or links that loop, also in the folder part.
TEST(SaveRespectsWhatTheUserSetUp, ALinkToNothingNamesTheEndOfItsChainAndALoopIsToldAsSuch) {
    TempDir dir;
    fs::create_symlink("mid", dir / "opzioni.txt");
    fs::create_symlink("nowhere.txt", dir / "mid");
    const auto dangling = test::ErrorOf([&] { SaveColorSettings(dir.path(), {0, 0}); });
    ASSERT_TRUE(dangling);
    EXPECT_EQ(dangling->file(), (dir / "opzioni.txt").string());
    EXPECT_EQ(dangling->cause(), Cause::DanglingLink);
    EXPECT_EQ(dangling->systemText(), "nowhere.txt");
    EXPECT_NE(SaveFailureMessage(*dangling).find("\u201Cnowhere.txt\u201D"), std::string::npos);
    EXPECT_EQ(Entries(dir.path()), (std::set<std::string>{"mid", "opzioni.txt"}));

    fs::remove(dir / "opzioni.txt");
    fs::create_symlink("ciclo/opzioni.txt", dir / "opzioni.txt");
    fs::create_symlink("ciclo", dir / "ciclo");
    EXPECT_EQ(ExpectSaveRefused(dir.path()), Cause::TooManyLinks);
    fs::remove(dir / "opzioni.txt");
    fs::create_symlink("opzioni.txt", dir / "opzioni.txt");
    EXPECT_EQ(ExpectSaveRefused(dir.path()), Cause::TooManyLinks);
    EXPECT_EQ(Entries(dir.path()), (std::set<std::string>{"ciclo", "mid", "opzioni.txt"}));
}

// The file is there, behind a folder the user may not enter.
TEST(SaveRespectsWhatTheUserSetUp, ALinkThroughAnUnreadableFolderIsPermissionDenied) {
    if (test::RunningAsRoot())
        GTEST_SKIP() << "root enters every folder";
    TempDir dir;
    fs::create_directory(dir / "chiusa");
    dir.write("chiusa/opzioni.txt", kOld);
    fs::create_symlink("chiusa/opzioni.txt", dir / "opzioni.txt");
    fs::permissions(dir / "chiusa", fs::perms::owner_read);
    EXPECT_EQ(ExpectSaveRefused(dir.path()), Cause::PermissionDenied);
    fs::permissions(dir / "chiusa", fs::perms::owner_all);
    EXPECT_EQ(dir.read("chiusa/opzioni.txt"), kOld);
}

// An extended attribute's bytes, empty when the file has none of that name.
std::string Attribute(const fs::path& file, const char* name) {
    char value[512];
    const ssize_t size = ::getxattr(file.c_str(), name, value, sizeof value);
    return size > 0 ? std::string(value, static_cast<std::size_t>(size)) : std::string();
}

// A file shared with a second user through its access list: the entry, the
// mask the group bits show, and any other extended attribute stay.
TEST(SaveRespectsWhatTheUserSetUp, TheAccessListAndExtendedAttributesStay) {
    TempDir dir;
    dir.write("opzioni.txt", kOld);
    fs::permissions(dir / "opzioni.txt", fs::perms::owner_read | fs::perms::owner_write);
    // env finds setfacl on PATH, and says 127 when it is not there.
    const test::ProgramRun run = test::RunProgram(
        "/usr/bin/env", {"setfacl", "-m", "u:65534:rw", "opzioni.txt"}, dir.path());
    if (run.exitCode == 127)
        GTEST_SKIP() << "setfacl is not installed (Debian package acl)";
    if (run.exitCode != 0)
        GTEST_SKIP() << "no access lists on this file system: " << run.err;
    const bool userAttribute =
        ::setxattr((dir / "opzioni.txt").c_str(), "user.zelmora", "prova", 5, 0) == 0;
    const std::string acl = Attribute(dir / "opzioni.txt", "system.posix_acl_access");
    ASSERT_FALSE(acl.empty());
    const fs::perms mode = ModeOf(dir / "opzioni.txt");

    SaveColorSettings(dir.path(), {255, 16777215});
    EXPECT_EQ(dir.read("opzioni.txt"), kNew);
    EXPECT_EQ(Attribute(dir / "opzioni.txt", "system.posix_acl_access"), acl);
    EXPECT_EQ(ModeOf(dir / "opzioni.txt"), mode);
    if (userAttribute) {
        EXPECT_EQ(Attribute(dir / "opzioni.txt", "user.zelmora"), "prova");
    }
}
#endif

} // namespace
} // namespace zelmora

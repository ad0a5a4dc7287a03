#include "error_of.h"
#include "runtime/byte_source.h"
#include "runtime/errors.h"
#include "runtime/platform.h"
#include "temp_dir.h"

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

#ifdef _WIN32
#include "runtime/windows_api.h"
#endif

namespace zelmora {
namespace {

using test::TempDir;

// The error InputFile raises for `path`, or an empty one when it opens.
RuntimeError OpenError(const std::filesystem::path& path) {
    return test::ErrorOf([&] { InputFile file(path); }).value_or(RuntimeError(0));
}

// Phrase files live in the user's folders, whatever script their names are
// in; messages name them in UTF-8.
TEST(PlatformFiles, OpensFilesInFoldersNamedInAnyScript) {
    TempDir dir;
    const std::string separator(1, static_cast<char>(std::filesystem::path::preferred_separator));
    for (const char8_t* name : {u8"città", u8"日本"}) {
        const std::string utf8(reinterpret_cast<const char*>(name));
        SCOPED_TRACE(utf8);
        const std::filesystem::path folder = dir.path() / name;
        ASSERT_TRUE(std::filesystem::create_directory(folder));
        test::WriteFile(folder / "tesmi.txt", "ciao");

        InputFile file(folder / "tesmi.txt");
        char buffer[16];
        EXPECT_EQ(std::string(buffer, file.read(buffer)), "ciao");
        EXPECT_NE(file.name().find(separator + utf8 + separator + "tesmi.txt"), std::string::npos)
            << file.name();

        const RuntimeError missing = OpenError(folder / "opzioni.txt");
        EXPECT_EQ(missing.number(), kFileNotFound);
        EXPECT_NE(missing.file().find(separator + utf8 + separator + "opzioni.txt"),
                  std::string::npos)
            << missing.file();
    }
}

#ifdef _WIN32
// Devices and pipes may never answer or never end: refused at once, as FIFOs
// and /dev/zero are on Linux.
TEST(PlatformFiles, RefusesDevicesAndPipesAtOnce) {
    const std::wstring pipeName =
        L"\\\\.\\pipe\\zelmora-test-" + std::to_wstring(GetCurrentProcessId());
    const HANDLE pipe = CreateNamedPipeW(pipeName.c_str(), PIPE_ACCESS_OUTBOUND,
                                         PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    TempDir dir;
    for (const std::filesystem::path& path :
         {std::filesystem::path(L"NUL"), dir / "NUL", std::filesystem::path(pipeName),
          std::filesystem::path(L"CON")}) {
        SCOPED_TRACE(path.string());
        const auto begin = std::chrono::steady_clock::now();
        const RuntimeError refused = OpenError(path);
        EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(1));
        EXPECT_EQ(refused.number(), kPathFileAccess);
        // CON is the console: a program without one, as under ctest, cannot
        // even open it, and is told so by Windows.
        if (path != L"CON") {
            EXPECT_EQ(refused.cause(), Cause::NotOrdinaryFile) << refused.systemText();
        }
    }
    CloseHandle(pipe);
}

// The day comes from Windows' own clock, with a day-of-year count of ours;
// the C runtime's calendar, in the same time zone when no TZ is set, must
// agree with it.
TEST(PlatformClock, TheDayIsTheLocalCalendarDay) {
    if (std::getenv("TZ"))
        GTEST_SKIP() << "the C runtime would follow TZ rather than the Windows time zone";
    for (int attempt = 0; attempt < 3; ++attempt) {
        const std::tm ours = platform::LocalNow();
        const std::time_t now = std::time(nullptr);
        std::tm runtime{};
        ASSERT_EQ(localtime_s(&runtime, &now), 0);
        if (ours.tm_hour == 23 && runtime.tm_hour == 0)
            continue; // midnight came in between
        EXPECT_EQ(ours.tm_year, runtime.tm_year);
        EXPECT_EQ(ours.tm_mon, runtime.tm_mon);
        EXPECT_EQ(ours.tm_mday, runtime.tm_mday);
        EXPECT_EQ(ours.tm_yday, runtime.tm_yday);
        EXPECT_EQ(ours.tm_wday, runtime.tm_wday);
        return;
    }
}
#endif

} // namespace
} // namespace zelmora

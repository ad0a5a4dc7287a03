#include "app/oggi.h"
#include "archive/phrase_archive.h"
#include "run_program.h"
#include "runtime/services.h"
#include "temp_dir.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace zelmora {
namespace {

using test::CrLfLines;
using test::TempDir;

// The line end of text files and of output into files and pipes.
#ifdef _WIN32
constexpr std::string_view kLineEnd = "\r\n";
#else
constexpr std::string_view kLineEnd = "\n";
#endif

// Output with the system's line ends turned into '\n', so that expectations
// read the same everywhere; any other line end fails the test.
std::string WithNewlines(const std::string& bytes) {
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes.compare(i, kLineEnd.size(), kLineEnd) == 0) {
            text += '\n';
            i += kLineEnd.size() - 1;
        } else if (bytes[i] == '\n') {
            ADD_FAILURE() << "a line end that is not the system's in: " << bytes;
            return bytes;
        } else {
            text += bytes[i];
        }
    }
    return text;
}

// Runs zelmora-oggi in `directory` as a user would from a terminal there.
test::ProgramRun RunOggi(const std::filesystem::path& directory,
                         const std::vector<std::string>& arguments = {}) {
    test::ProgramRun run = test::RunProgram(ZELMORA_OGGI, arguments, directory);
    run.out = WithNewlines(run.out);
    run.err = WithNewlines(run.err);
    return run;
}

TEST(ZelmoraOggi, PrintsTheOnlyPhraseLineByLineAndItsPosition) {
    TempDir dir;
    dir.write("tesmi.txt", CrLfLines({"", "Chi va piano", "", "va sano e va lontano.", "----"}));
    const test::ProgramRun run = RunOggi(dir.path());
    EXPECT_EQ(run.out, "Chi va piano\n\nva sano e va lontano.\n1 / 1\n");
    EXPECT_EQ(run.exitCode, 0);
}

TEST(ZelmoraOggi, PrintsTodaysPhraseForTheDaysGiven) {
    TempDir dir;
    std::string bytes;
    for (int i = 1; i <= 120; ++i)
        bytes += CrLfLines({"Frase " + std::to_string(i), "fine", "----"});
    dir.write("tesmi.txt", bytes);
    const SystemClock clock;
    for (const int holdDays : {1, 7}) {
        SCOPED_TRACE(holdDays);
        // The run may fall on either side of midnight.
        const int before = DayPhraseIndex(120, holdDays, clock.dayOfYear());
        const test::ProgramRun run = RunOggi(dir.path(), {std::to_string(holdDays)});
        const int after = DayPhraseIndex(120, holdDays, clock.dayOfYear());
        const auto expected = [](int index) {
            return "Frase " + std::to_string(index) + "\nfine\n" + std::to_string(index) +
                   " / 120\n";
        };
        EXPECT_TRUE(run.out == expected(before) || run.out == expected(after)) << run.out;
        EXPECT_EQ(run.exitCode, 0);
    }
}

// Into a file or a pipe: UTF-8 bytes, with CR LF line ends on Windows.
TEST(ZelmoraOggi, PrintsWindows1252AsUtf8WithTheSystemsLineEnds) {
    TempDir dir;
    dir.write("tesmi.txt", "Un caff\xE8 costa 1 \x80\r\n----\r\n");
    const test::ProgramRun run = test::RunProgram(ZELMORA_OGGI, {}, dir.path());
    EXPECT_EQ(run.out, "Un caff\xC3\xA8 costa 1 \xE2\x82\xAC" + std::string(kLineEnd) + "1 / 1" +
                           std::string(kLineEnd));
    EXPECT_EQ(run.exitCode, 0);
}

TEST(ZelmoraOggi, ReadsItsFileInAFolderNamedInAnyScript) {
    TempDir dir;
    for (const char8_t* name : {u8"città", u8"日本"}) {
        const std::filesystem::path folder = dir.path() / name;
        ASSERT_TRUE(std::filesystem::create_directory(folder));
        test::WriteFile(folder / "tesmi.txt", CrLfLines({"Un caff\xE8", "----"}));
        const test::ProgramRun run = RunOggi(folder);
        EXPECT_EQ(run.out, "Un caff\xC3\xA8\n1 / 1\n");
        EXPECT_EQ(run.exitCode, 0);
    }
}

TEST(ZelmoraOggi, ReportsAMissingOrUnreadablePhraseFile) {
    TempDir missing;
    const test::ProgramRun none = RunOggi(missing.path());
    EXPECT_EQ(none.out, "--- NESSUNA FRASE IN ARCHIVIO ---\n0 / \n");
    EXPECT_EQ(none.exitCode, 1);

    // A directory in its place is found but cannot be read: not a success.
    TempDir refused;
    std::filesystem::create_directory(refused / "tesmi.txt");
    const test::ProgramRun unreadable = RunOggi(refused.path());
    EXPECT_EQ(unreadable.out, "\n0 / \n");
    EXPECT_EQ(unreadable.exitCode, 1);

    // An empty file is read fine and simply holds no phrase.
    TempDir empty;
    empty.write("tesmi.txt", "");
    const test::ProgramRun nothing = RunOggi(empty.path());
    EXPECT_EQ(nothing.out, "\n0 / 0\n");
    EXPECT_EQ(nothing.exitCode, 0);
}

TEST(ZelmoraOggi, AnswersAtOnceWhenItsFilesAreNotOrdinaryFiles) {
#ifdef _WIN32
    GTEST_SKIP()
        << "FIFOs and /dev/zero are Unix's; runtime_tests refuse Windows devices and pipes";
#else
    TempDir fifos;
    ASSERT_EQ(::mkfifo((fifos / "tesmi.txt").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((fifos / "opzioni.txt").c_str(), 0600), 0);
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(RunOggi(fifos.path()).exitCode, 1);
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(1));

    TempDir device;
    std::filesystem::create_symlink("/dev/zero", device / "tesmi.txt");
    EXPECT_EQ(RunOggi(device.path()).exitCode, 1);

    // The colours are none of its business: a FIFO there changes nothing.
    TempDir settings;
    settings.write("tesmi.txt", CrLfLines({"Uno", "----"}));
    ASSERT_EQ(::mkfifo((settings / "opzioni.txt").c_str(), 0600), 0);
    const test::ProgramRun run = RunOggi(settings.path());
    EXPECT_EQ(run.out, "Uno\n1 / 1\n");
    EXPECT_EQ(run.exitCode, 0);
#endif
}

// A phrase file holding escape sequences must not reach a terminal as such;
// into a pipe the text goes as it is.
TEST(ZelmoraOggi, ShowsControlCharactersOnATerminalAndKeepsThemInAPipe) {
    TempDir dir;
    dir.write("tesmi.txt", CrLfLines({"\x1B[2J\x1B]0;preso\x07"
                                      "ciao",
                                      "----"}));
    EXPECT_EQ(RunOggi(dir.path()).out, "\x1B[2J\x1B]0;preso\x07"
                                       "ciao\n1 / 1\n");

#ifdef _WIN32
    GTEST_SKIP() << "script(1) is Unix's; the console test of the cross build shows a console";
#endif
    // script(1) gives the program a terminal of its own.
    const test::ProgramRun terminal =
        test::RunProgram("/usr/bin/script", {"-qec", ZELMORA_OGGI, "/dev/null"}, dir.path());
    const std::string& shown = terminal.out;
    EXPECT_NE(shown.find("\u241B[2J\u241B]0;preso\u2407"
                         "ciao"),
              std::string::npos)
        << shown;
    EXPECT_EQ(shown.find('\x1B'), std::string::npos) << shown;
}

TEST(ZelmoraOggi, ReadsItsOptionsAsATerminalProgramShould) {
    using Options = OggiOptions;
    const auto parsed = [](std::vector<std::string> arguments) {
        return ParseOggiArguments(arguments);
    };
    const auto options = [&](std::vector<std::string> arguments) {
        const auto result = parsed(std::move(arguments));
        EXPECT_TRUE(std::holds_alternative<Options>(result));
        return std::holds_alternative<Options>(result) ? std::get<Options>(result) : Options{};
    };
    EXPECT_EQ(options({"7"}).commandLine, "7");
    EXPECT_EQ(options({"-5"}).commandLine, "-5") << "a negative number is a number";
    EXPECT_EQ(options({"12abc", "x"}).commandLine, "12abc x");
    EXPECT_EQ(options({"--", "-q"}).commandLine, "-q");
    const Options all = options({"-q", "-C", "/tmp/x y", "3"});
    EXPECT_TRUE(all.quiet);
    EXPECT_EQ(all.directory, "/tmp/x y");
    EXPECT_EQ(all.commandLine, "3");
    EXPECT_EQ(options({"-C~"}).directory, "~");
    EXPECT_TRUE(options({"--help"}).help);
    EXPECT_TRUE(options({"--version"}).version);
    for (const std::vector<std::string>& wrong :
         {std::vector<std::string>{"-x"}, {"--quiet"}, {"-C"}, {"3", "-h"}}) {
        const auto result = parsed(wrong);
        ASSERT_TRUE(std::holds_alternative<std::string>(result)) << wrong.front();
        const std::string& complaint = std::get<std::string>(result);
        EXPECT_EQ(complaint.find('\n'), complaint.size() - 1) << "one line: " << complaint;
    }
}

TEST(ZelmoraOggi, OptionsAndExitStatusesOfTheRealProgram) {
    TempDir phrases;
    phrases.write("tesmi.txt", CrLfLines({"Uno", "due", "----"}));
    TempDir elsewhere;

    const auto help = RunOggi(elsewhere.path(), {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("Uso: zelmora-oggi", 0), 0u) << help.out;
    EXPECT_EQ(RunOggi(elsewhere.path(), {"--version"}).out, "zelmora-oggi 2.0\n");

    const auto wrong = RunOggi(elsewhere.path(), {"--colori"});
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_EQ(wrong.out, "");
    EXPECT_EQ(std::count(wrong.err.begin(), wrong.err.end(), '\n'), 1) << wrong.err;

    // -C reads the phrases of another folder, from anywhere.
    const auto other = RunOggi(elsewhere.path(), {"-C", phrases.path().string()});
    EXPECT_EQ(other.out, "Uno\ndue\n1 / 1\n");
    EXPECT_EQ(other.err, "");
    EXPECT_EQ(other.exitCode, 0);

    // -q: the phrase alone; nothing at all without a phrase file.
    EXPECT_EQ(RunOggi(phrases.path(), {"-q"}).out, "Uno\ndue\n");
    const auto none = RunOggi(elsewhere.path(), {"-q"});
    EXPECT_EQ(none.out + none.err, "");
    EXPECT_EQ(none.exitCode, 1);

    // Without -q the texts stay as they were; the reason goes to standard error.
    const auto missing = RunOggi(elsewhere.path());
    EXPECT_EQ(missing.out, "--- NESSUNA FRASE IN ARCHIVIO ---\n0 / \n");
    EXPECT_NE(missing.err.find("non \u00E8 stato trovato"), std::string::npos) << missing.err;
    std::filesystem::create_directory(elsewhere / "tesmi.txt");
    const auto refused = RunOggi(elsewhere.path(), {"-q"});
    EXPECT_EQ(refused.out, "");
    EXPECT_NE(refused.err.find((elsewhere / "tesmi.txt").string()), std::string::npos)
        << refused.err;
    EXPECT_NE(refused.err.find("\u00E8 una cartella"), std::string::npos) << refused.err;
    EXPECT_EQ(refused.exitCode, 1);
}

} // namespace
} // namespace zelmora

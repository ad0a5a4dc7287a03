// zelmora-oggi: what it prints for a folder, through the library with a
// fixed day; and, where only the real program can show it, the program
// itself (its output's bytes, its command line, its exit statuses).

#include "oggi/oggi.h"
#include "run_program.h"
#include "runtime/platform.h"
#include "temp_dir.h"
#include "test_doubles.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#ifndef _WIN32
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
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

// Runs the real zelmora-oggi in `directory`, as a user would from a terminal
// there.
test::ProgramRun RunProgram(const std::filesystem::path& directory,
                            const std::vector<std::string>& arguments = {},
                            test::Output output = test::Output::Captured) {
    test::ProgramRun run = test::RunProgram(ZELMORA_OGGI, arguments, directory, output);
    run.out = WithNewlines(run.out);
    run.err = WithNewlines(run.err);
    return run;
}

// The library on the phrases of `directory` (by -C), on day `day`.
OggiResult Today(const std::filesystem::path& directory, std::vector<std::string> arguments = {},
                 int day = 100) {
    arguments.insert(arguments.begin(), {"-C", platform::PathText(directory)});
    const auto parsed = ParseOggiArguments(arguments);
    if (!std::holds_alternative<OggiOptions>(parsed)) {
        ADD_FAILURE() << std::get<std::string>(parsed);
        return {};
    }
    const test::FixedClock clock(day);
    test::ScriptedRandom random;
    return RunOggi(std::get<OggiOptions>(parsed), clock, random);
}

TEST(ZelmoraOggi, PrintsTheOnlyPhraseLineByLineAndItsPosition) {
    TempDir dir;
    dir.write("tesmi.txt", CrLfLines({"", "Chi va piano", "", "va sano e va lontano.", "----"}));
    const OggiResult result = Today(dir.path());
    EXPECT_EQ(result.out, "Chi va piano\n\nva sano e va lontano.\n1 / 1\n");
    EXPECT_EQ(result.status, kOggiFound);
}

TEST(ZelmoraOggi, PrintsTodaysPhraseForTheDaysGiven) {
    TempDir dir;
    std::string bytes;
    for (int i = 1; i <= 120; ++i)
        bytes += CrLfLines({"Frase " + std::to_string(i), "fine", "----"});
    dir.write("tesmi.txt", bytes);
    // Day 100: phrase 101 one a day, phrase 15 (ceil(101 / 7)) seven days each.
    EXPECT_EQ(Today(dir.path(), {"1"}).out, "Frase 101\nfine\n101 / 120\n");
    EXPECT_EQ(Today(dir.path(), {"7"}).out, "Frase 15\nfine\n15 / 120\n");
    EXPECT_EQ(Today(dir.path(), {"400"}).out, "Frase 101\nfine\n101 / 120\n");
}

TEST(ZelmoraOggi, ReportsAMissingOrUnreadablePhraseFile) {
    TempDir missing;
    const OggiResult none = Today(missing.path());
    EXPECT_EQ(none.out, "--- NESSUNA FRASE IN ARCHIVIO ---\n0 / \n");
    EXPECT_EQ(none.err, "zelmora-oggi: il file \u201C" + platform::PathText(missing / "tesmi.txt") +
                            "\u201D non \u00E8 stato trovato.\n");
    EXPECT_EQ(none.status, kOggiMissing);

    // A directory in its place is found but cannot be read: not a success.
    TempDir refused;
    std::filesystem::create_directory(refused / "tesmi.txt");
    const OggiResult unreadable = Today(refused.path());
    EXPECT_EQ(unreadable.out, "\n0 / \n");
    EXPECT_NE(unreadable.err.find("\u00E8 una cartella"), std::string::npos) << unreadable.err;
    EXPECT_EQ(unreadable.status, kOggiMissing);

    // An empty file is read fine and simply holds no phrase.
    TempDir empty;
    empty.write("tesmi.txt", "");
    const OggiResult nothing = Today(empty.path());
    EXPECT_EQ(nothing.out, "\n0 / 0\n");
    EXPECT_EQ(nothing.status, kOggiFound);

    // -C given a file rather than a folder.
    const OggiResult file = Today(empty / "tesmi.txt");
    EXPECT_EQ(file.err, "zelmora-oggi: \u201C" + platform::PathText(empty / "tesmi.txt") +
                            "\u201D non \u00E8 una cartella.\n");
    EXPECT_EQ(file.out, "");
    EXPECT_EQ(file.status, kOggiMissing);

    // -C given a folder that is not there: the folder is what is missing.
    const OggiResult nowhere = Today(missing / "non-esiste");
    EXPECT_EQ(nowhere.err, "zelmora-oggi: la cartella \u201C" +
                               platform::PathText(missing / "non-esiste") + "\u201D non esiste.\n");
    EXPECT_EQ(nowhere.out, "--- NESSUNA FRASE IN ARCHIVIO ---\n0 / \n");
    EXPECT_EQ(nowhere.status, kOggiMissing);
}

// A link to nothing is named as the window names it, not as a missing file.
TEST(ZelmoraOggi, CallsALinkToNothingAsTheWindowDoes) {
#ifdef _WIN32
    GTEST_SKIP() << "symbolic links are tried on Unix: Wine makes none to rely on";
#else
    TempDir dir;
    std::filesystem::create_symlink(dir / "altrove.txt", dir / "tesmi.txt");
    const OggiResult result = Today(dir.path());
    EXPECT_EQ(result.err, "zelmora-oggi: il file \u201C" + platform::PathText(dir / "tesmi.txt") +
                              "\u201D \u00E8 un collegamento a un file che non esiste (\u201C" +
                              platform::PathText(dir / "altrove.txt") + "\u201D).\n");
    EXPECT_EQ(result.status, kOggiMissing);
#endif
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
    EXPECT_EQ(Today(fifos.path()).status, kOggiMissing);
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(1));

    TempDir device;
    std::filesystem::create_symlink("/dev/zero", device / "tesmi.txt");
    EXPECT_EQ(Today(device.path()).status, kOggiMissing);

    // The colours are none of its business: a FIFO there changes nothing.
    TempDir settings;
    settings.write("tesmi.txt", CrLfLines({"Uno", "----"}));
    ASSERT_EQ(::mkfifo((settings / "opzioni.txt").c_str(), 0600), 0);
    const OggiResult result = Today(settings.path());
    EXPECT_EQ(result.out, "Uno\n1 / 1\n");
    EXPECT_EQ(result.status, kOggiFound);
#endif
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
    // Grouped as getopt takes them.
    for (const auto& grouped : {std::vector<std::string>{"-qC", "/tmp/x"}, {"-qC/tmp/x"}}) {
        const Options both = options(grouped);
        EXPECT_TRUE(both.quiet);
        EXPECT_EQ(both.directory, "/tmp/x");
    }
    EXPECT_TRUE(options({"--help"}).help);
    EXPECT_TRUE(options({"-h"}).help);
    EXPECT_TRUE(options({"-qh"}).help);
    EXPECT_TRUE(options({"--version"}).version);
    for (const std::vector<std::string>& wrong :
         {std::vector<std::string>{"-x"}, {"--quiet"}, {"-C"}, {"-qC"}, {"3", "-qx"}}) {
        const auto result = parsed(wrong);
        ASSERT_TRUE(std::holds_alternative<std::string>(result)) << wrong.back();
        const std::string& complaint = std::get<std::string>(result);
        EXPECT_EQ(complaint.find('\n'), complaint.size() - 1) << "one line: " << complaint;
    }
    EXPECT_NE(std::get<std::string>(parsed({"-C"})).find("richiede una cartella"),
              std::string::npos);
}

// --- The real program ------------------------------------------------------

// Into a file or a pipe: UTF-8 bytes, with CR LF line ends on Windows.
// --casuale, --una-volta, "/?" and the folder conventions of -C.
TEST(ZelmoraOggi, ReadsTheDailyOptionsAndTheSystemsFolderConventions) {
    const auto options = [](std::vector<std::string> arguments) {
        const auto result = ParseOggiArguments(arguments);
        EXPECT_TRUE(std::holds_alternative<OggiOptions>(result));
        return std::holds_alternative<OggiOptions>(result) ? std::get<OggiOptions>(result)
                                                           : OggiOptions{};
    };
    const OggiOptions both = options({"--una-volta", "-qC", "x", "--casuale", "7"});
    EXPECT_TRUE(both.random && both.onceADay && both.quiet);
    EXPECT_EQ(both.commandLine, "7");
    EXPECT_FALSE(options({"--", "--casuale"}).random);
#ifdef _WIN32
    EXPECT_TRUE(options({"/?"}).help);
    EXPECT_EQ(platform::FolderFromArgument("C:\\Frasi\""), platform::PathFromText("C:\\Frasi"));
#else
    EXPECT_EQ(options({"/?"}).commandLine, "/?") << "a name like any other on Linux";
#endif

    // -C '' is the working folder, as with git: what is missing is the file.
    TempDir here;
    test::InWorkingFolder inside(here.path());
    const test::FixedClock clock(100);
    test::ScriptedRandom random;
    const OggiResult none = RunOggi(options({"-C", ""}), clock, random);
    EXPECT_EQ(none.err, "zelmora-oggi: il file \u201C" + platform::PathText("tesmi.txt") +
                            "\u201D non \u00E8 stato trovato.\n");
    here.write("tesmi.txt", CrLfLines({"Qui", "----"}));
    EXPECT_EQ(RunOggi(options({"-C", ""}), clock, random).out, "Qui\n1 / 1\n");
}

TEST(ZelmoraOggi, DrawsAtRandomAmongAllThePhrasesTodaysToo) {
    TempDir dir;
    dir.write("tesmi.txt", CrLfLines({"Uno", "----", "Due", "----", "Tre", "----"}));
    const test::FixedClock clock(2); // today's is phrase 2
    test::ScriptedRandom random({0.4, 0.99, 0.0});
    OggiOptions options;
    options.directory = platform::PathText(dir.path());
    options.random = true;
    EXPECT_EQ(RunOggi(options, clock, random).out, "Due\n2 / 3\n");
    EXPECT_EQ(RunOggi(options, clock, random).out, "Tre\n3 / 3\n");
    options.quiet = true;
    const OggiResult quiet = RunOggi(options, clock, random);
    EXPECT_EQ(quiet.out, "Uno\n");
    EXPECT_EQ(quiet.status, kOggiFound);

    // Nothing to draw from: as without --casuale.
    dir.write("tesmi.txt", "");
    options.quiet = false;
    const OggiResult empty = RunOggi(options, clock, random);
    EXPECT_EQ(empty.out, "\n0 / 0\n");
    EXPECT_EQ(empty.status, kOggiFound);
    std::filesystem::remove(dir / "tesmi.txt");
    EXPECT_EQ(RunOggi(options, clock, random).status, kOggiMissing);
}

// The day --una-volta keeps: only the same day counts as shown, and a state
// that cannot be read or written never stops the phrase.
TEST(OnceADay, ThePhraseIsShownAtTheDaysFirstRunOnly) {
    std::tm day{};
    day.tm_year = 2026 - 1900;
    day.tm_mon = 0;
    day.tm_mday = 5;
    EXPECT_EQ(DayStamp(day), "2026-01-05");

    TempDir state;
    const std::filesystem::path file = state / "zelmora" / kOnceADayFileName;
    EXPECT_FALSE(ShownAlreadyOn(file, "2026-01-05")) << "no state yet";
    RememberShownOn(file, "2026-01-05");
    EXPECT_TRUE(ShownAlreadyOn(file, "2026-01-05"));
    EXPECT_FALSE(ShownAlreadyOn(file, "2026-01-06"));
    RememberShownOn(file, "2026-01-06");
    EXPECT_EQ(state.read("zelmora/ultimo-giorno"), "2026-01-06\n");
    state.write("zelmora/ultimo-giorno", "2026-01-06\r\n");
    EXPECT_TRUE(ShownAlreadyOn(file, "2026-01-06")) << "saved again by an editor";
    state.write("zelmora/ultimo-giorno", "\x01\xFF garbage longer than any day stamp could be");
    EXPECT_FALSE(ShownAlreadyOn(file, "2026-01-06"));

    // A folder in the file's place: read as "not shown", written not at all.
    std::filesystem::remove(file);
    std::filesystem::create_directory(file);
    RememberShownOn(file, "2026-01-06");
    EXPECT_FALSE(ShownAlreadyOn(file, "2026-01-06"));
    EXPECT_TRUE(std::filesystem::is_empty(file));
#ifndef _WIN32
    // Written where it stands: a link stays a link, its file gets the day.
    TempDir elsewhere;
    elsewhere.write("giorno", "2025-12-31\n");
    std::filesystem::create_symlink(elsewhere / "giorno", state / "collegamento");
    RememberShownOn(state / "collegamento", "2026-01-07");
    EXPECT_TRUE(std::filesystem::is_symlink(state / "collegamento"));
    EXPECT_EQ(elsewhere.read("giorno"), "2026-01-07\n");
    // A link to nothing: its target is not made.
    std::filesystem::create_symlink(elsewhere / "nessuno", state / "rotto");
    RememberShownOn(state / "rotto", "2026-01-07");
    EXPECT_FALSE(elsewhere.exists("nessuno"));
#endif
}

TEST(WrapToColumns, BreaksLongLinesBetweenWordsOnly) {
    const struct {
        const char* text;
        int columns;
        const char* wrapped;
    } cases[] = {
        {"corta\n1 / 3\n", 10, "corta\n1 / 3\n"},
        {"uno due tre quattro\n", 10, "uno due\ntre\nquattro\n"},
        {"uno due tre quattro\n", 7, "uno due\ntre\nquattro\n"},
        {"abcdefghijkl mn\n", 5, "abcde\nfghij\nkl mn\n"},
        {"città è più\n", 5, "città\nè più\n"},
        {"a  b   c\n", 2, "a\nb\nc\n"},
        {"parola  lunga\n", 20, "parola  lunga\n"},
        {"senza fine", 6, "senza\nfine"},
        {"\n\nx y\n", 1, "\n\nx\ny\n"},
        {"uno due\n", 0, "uno due\n"},
    };
    for (const auto& example : cases)
        EXPECT_EQ(WrapToColumns(example.text, example.columns), example.wrapped)
            << example.text << " in " << example.columns;
}

TEST(ZelmoraOggiProgram, PrintsWindows1252AsUtf8WithTheSystemsLineEnds) {
    TempDir dir;
    dir.write("tesmi.txt", "Un caff\xE8 costa 1 \x80\r\n----\r\n");
    const test::ProgramRun run = test::RunProgram(ZELMORA_OGGI, {}, dir.path());
    EXPECT_EQ(run.out, "Un caff\xC3\xA8 costa 1 \xE2\x82\xAC" + std::string(kLineEnd) + "1 / 1" +
                           std::string(kLineEnd));
    EXPECT_EQ(run.exitCode, 0);

    // A UTF-8 file with a phrase an older Notepad added in Windows-1252:
    // both read right, the sample's accents too.
    dir.write("tesmi.txt", "\xEF\xBB\xBF"
                           "caff\xC3\xA8\r\n----\r\nperch\xE9\r\n----\r\n");
    EXPECT_EQ(Today(dir.path(), {"-q"}, 2).out, "caff\xC3\xA8\n");
    EXPECT_EQ(Today(dir.path(), {"-q"}, 1).out, "perch\xC3\xA9\n");
}

// Working in such a folder, and naming it with -C: on Windows the command
// line must arrive as UTF-16, not through the ANSI code page.
TEST(ZelmoraOggiProgram, ReadsItsFileInAFolderNamedInAnyScript) {
    TempDir dir;
    for (const char8_t* name : {u8"città", u8"l\u2019alba", u8"\u0152uvre", u8"日本", u8"Ελλάδα"}) {
        const std::string utf8(reinterpret_cast<const char*>(name));
        SCOPED_TRACE(utf8);
        const std::filesystem::path folder = dir.path() / name;
        ASSERT_TRUE(std::filesystem::create_directory(folder));
        test::WriteFile(folder / "tesmi.txt", CrLfLines({"Un caff\xE8", "----"}));
        const test::ProgramRun inside = RunProgram(folder);
        EXPECT_EQ(inside.out, "Un caff\xC3\xA8\n1 / 1\n");
        const test::ProgramRun named = RunProgram(dir.path(), {"-C", utf8});
        EXPECT_EQ(named.out, "Un caff\xC3\xA8\n1 / 1\n");
        EXPECT_EQ(named.err, "");
        EXPECT_EQ(named.exitCode, 0);
    }
}

// Files Notepad saved as "Unicode" read as any other, little- or big-endian,
// printed in UTF-8; one that PowerShell's `>>` turned to UTF-16 half-way is
// a file that could not be read, said so, and not a success.
TEST(ZelmoraOggiProgram, ReadsUtf16FilesAndRefusesAUtf16Tail) {
    TempDir dir;
    const std::string phrases =
        CrLfLines({"Per\u00F2 la citt\u00E0", "\u20AC \U0001F600", "----", "Seconda", "----"});
    for (const bool bigEndian : {false, true}) {
        dir.write("tesmi.txt", test::Utf16File(phrases, bigEndian));
        EXPECT_EQ(Today(dir.path(), {}, 101).out, "Seconda\n2 / 2\n");
        EXPECT_EQ(Today(dir.path(), {}, 100).out,
                  "Per\u00F2 la citt\u00E0\n\u20AC \U0001F600\n1 / 2\n");
        // The real program's day is today's: a file of one phrase.
        dir.write("tesmi.txt", test::Utf16File("Per\u00F2\r\n----\r\n", bigEndian));
        const test::ProgramRun run = RunProgram(dir.path());
        EXPECT_EQ(run.out, "Per\u00F2\n1 / 1\n");
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.exitCode, 0);
    }

    dir.write("tesmi.txt",
              CrLfLines({"Prima", "----"}) + test::Utf16File("Nuova\r\n----\r\n", false, false));
    const test::ProgramRun mixed = RunProgram(dir.path());
    EXPECT_EQ(mixed.exitCode, kOggiMissing);
    EXPECT_EQ(mixed.err.rfind("zelmora-oggi: il file \u201C", 0), 0u) << mixed.err;
    EXPECT_NE(mixed.err.find("in un\u2019altra codifica"), std::string::npos) << mixed.err;
    EXPECT_NE(mixed.err.find("salvalo di nuovo in UTF-8"), std::string::npos) << mixed.err;
    EXPECT_EQ(RunProgram(dir.path(), {"-q"}).out, "");
}

#ifndef _WIN32
// Whether a pseudo-terminal can be opened, as script(1) needs: not in a bare
// chroot or a container without /dev/pts.
bool TerminalAvailable() {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0)
        return false;
    bool available = false;
    if (::grantpt(master) == 0 && ::unlockpt(master) == 0) {
        if (const char* name = ::ptsname(master)) {
            const int slave = ::open(name, O_RDWR | O_NOCTTY);
            available = slave >= 0;
            if (slave >= 0)
                ::close(slave);
        }
    }
    ::close(master);
    return available;
}
#endif

// A phrase file holding escape sequences must not reach a terminal as such;
// into a pipe the text goes as it is.
TEST(ZelmoraOggiProgram, ShowsControlCharactersOnATerminalAndKeepsThemInAPipe) {
    TempDir dir;
    dir.write("tesmi.txt", CrLfLines({"\x1B[2J\x1B]0;preso\x07"
                                      "ciao",
                                      "----"}));
    EXPECT_EQ(RunProgram(dir.path()).out, "\x1B[2J\x1B]0;preso\x07"
                                          "ciao\n1 / 1\n");

#ifdef _WIN32
    GTEST_SKIP() << "script(1) is Unix's; the console test of the cross build shows a console";
#else
    if (!TerminalAvailable())
        GTEST_SKIP() << "no terminal can be had here (/dev/pts is not mounted)";
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

TEST(ZelmoraOggiProgram, OptionsAndExitStatuses) {
    TempDir phrases;
    phrases.write("tesmi.txt", CrLfLines({"Uno", "due", "----"}));
    TempDir elsewhere;

    for (const char* help : {"--help", "-h"}) {
        const auto run = RunProgram(elsewhere.path(), {help});
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.out.rfind("Uso: zelmora-oggi", 0), 0u) << run.out;
    }
    EXPECT_EQ(RunProgram(elsewhere.path(), {"--version"}).out, "zelmora-oggi 2.0\n");

    const auto wrong = RunProgram(elsewhere.path(), {"--colori"});
    EXPECT_EQ(wrong.exitCode, kOggiUsage);
    EXPECT_EQ(wrong.out, "");
    EXPECT_EQ(std::count(wrong.err.begin(), wrong.err.end(), '\n'), 1) << wrong.err;

    // -C reads the phrases of another folder, from anywhere.
    const auto other = RunProgram(elsewhere.path(), {"-qC", platform::PathText(phrases.path())});
    EXPECT_EQ(other.out, "Uno\ndue\n");
    EXPECT_EQ(other.exitCode, 0);

    // -q: nothing at all without a phrase file.
    const auto none = RunProgram(elsewhere.path(), {"-q"});
    EXPECT_EQ(none.out + none.err, "");
    EXPECT_EQ(none.exitCode, kOggiMissing);
}

// Output that cannot be written is told, as the standard tools tell it, and
// is never a success.
TEST(ZelmoraOggiProgram, OutputThatCannotBeWrittenIsToldAndFails) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no device that is always full, and Wine gives a program "
                    "started without standard output its own";
#else
    TempDir phrases;
    phrases.write("tesmi.txt", CrLfLines({"Uno", "----"}));
    const auto closed = RunProgram(phrases.path(), {}, test::Output::Closed);
    EXPECT_EQ(closed.exitCode, kOggiWriteFailed);
    EXPECT_EQ(closed.err, "zelmora-oggi: errore di scrittura: l\u2019uscita \u00E8 chiusa\n");
    const auto full = RunProgram(phrases.path(), {}, test::Output::FullDisk);
    EXPECT_EQ(full.exitCode, kOggiWriteFailed);
    EXPECT_EQ(full.err, "zelmora-oggi: errore di scrittura: spazio esaurito sul disco\n");
#endif
}

#ifndef _WIN32
// --una-volta keeps its day in $XDG_STATE_HOME/zelmora, never beside the
// phrases; a state folder it cannot use is no error. On a terminal a long
// phrase wraps to its width; into a pipe it goes as it is.
TEST(ZelmoraOggiProgram, OnceADayAndTheTerminalsWidth) {
    TempDir phrases;
    TempDir state;
    const std::string phrase = "Chi semina pazienza raccoglie giornate pi\u00F9 lunghe";
    phrases.write("tesmi.txt", CrLfLines({phrase, "----"}));
    const std::string oldState = std::getenv("XDG_STATE_HOME") ? std::getenv("XDG_STATE_HOME") : "";
    ::setenv("XDG_STATE_HOME", platform::PathText(state.path()).c_str(), 1);
    const auto first = RunProgram(phrases.path(), {"--una-volta", "-q"});
    const auto second = RunProgram(phrases.path(), {"--una-volta", "-q"});
    EXPECT_EQ(first.out, phrase + "\n");
    EXPECT_EQ(second.out + second.err, "");
    EXPECT_EQ(second.exitCode, kOggiFound);
    EXPECT_TRUE(state.exists("zelmora/ultimo-giorno"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(phrases.path()), {}), 1);

    state.write("file", "");
    ::setenv("XDG_STATE_HOME", platform::PathText(state / "file").c_str(), 1);
    for (int run = 0; run < 2; ++run) {
        const auto unusable = RunProgram(phrases.path(), {"--una-volta", "-q"});
        EXPECT_EQ(unusable.out, phrase + "\n");
        EXPECT_EQ(unusable.err, "");
        EXPECT_EQ(unusable.exitCode, kOggiFound);
    }
    if (oldState.empty())
        ::unsetenv("XDG_STATE_HOME");
    else
        ::setenv("XDG_STATE_HOME", oldState.c_str(), 1);

    if (!TerminalAvailable())
        GTEST_SKIP() << "no terminal can be had here (/dev/pts is not mounted)";
    const std::string command = "stty cols 20; " + std::string(ZELMORA_OGGI) + " -q";
    const test::ProgramRun terminal =
        test::RunProgram("/usr/bin/script", {"-qec", command, "/dev/null"}, phrases.path());
    EXPECT_EQ(terminal.out, "Chi semina pazienza\r\nraccoglie giornate\r\npi\u00F9 lunghe\r\n");
}
#endif

#ifndef _WIN32
// A working folder whose path is longer than the system lets a file name be
// is still the working folder: its files are opened by their bare names.
TEST(ZelmoraOggiProgram, WorksInAFolderWhosePathIsLongerThanAnyFileName) {
    TempDir dir;
    const std::string level(200, 'c');
    {
        test::InWorkingFolder start(dir.path());
        for (int i = 0; i < 25; ++i) {
            std::filesystem::create_directory(level);
            std::filesystem::current_path(level);
        }
        test::WriteFile("tesmi.txt", CrLfLines({"Lontano", "----"}));
        const test::ProgramRun run = test::RunProgram(ZELMORA_OGGI, {}, ".");
        EXPECT_EQ(run.out, "Lontano\n1 / 1\n");
        EXPECT_EQ(run.err, "");
        // Taken down from inside: the path is too long to be named whole.
        std::filesystem::remove("tesmi.txt");
        for (int i = 0; i < 25; ++i) {
            std::filesystem::current_path("..");
            std::filesystem::remove(level);
        }
    }
}
#endif

} // namespace
} // namespace zelmora

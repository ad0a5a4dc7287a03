#pragma once

// The terminal program zelmora-oggi without its main: its command line, its
// help, and what it prints for a folder of phrases. It goes into shell
// start-up files, so it is quiet, fast and predictable: standard output holds
// only the texts, problems go to standard error in Italian.
//
//   zelmora-oggi [-q] [-C CARTELLA] [--casuale] [--una-volta] [giorni]
//   zelmora-oggi -h | --help | --version   (and /? on Windows)
//
// Exit status: 0 the phrase file was found and read, 1 it is missing or
// cannot be read, 2 a usage error, 3 the output could not be written.

#include "app/error_messages.h"
#include "runtime/services.h"

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace zelmora {

inline constexpr int kOggiFound = 0;
inline constexpr int kOggiMissing = 1;
inline constexpr int kOggiUsage = 2;
inline constexpr int kOggiWriteFailed = kWriteFailedStatus;

struct OggiOptions {
    bool help = false;
    bool version = false;
    // -q: the phrase alone, and nothing when there is no phrase file.
    bool quiet = false;
    // -C CARTELLA (UTF-8): where tesmi.txt is read instead of the working
    // folder; an empty name is the working folder, as with git -C ''.
    std::optional<std::string> directory;
    // --casuale: a phrase drawn at random instead of today's.
    bool random = false;
    // --una-volta: the phrase only at the first run of the day for this user.
    bool onceADay = false;
    // The arguments that are not options, joined by blanks: the days each
    // phrase stays on show, read as the window reads its command line.
    std::string commandLine;
};

// Reads the arguments after the program's name as getopt does: short
// options may be grouped ("-qC CARTELLA", "-qCCARTELLA"), "--" ends the
// options. An argument that starts with "-" and a digit or a point is a
// number ("-5"), not an option. Gives the one-line Italian complaint of a
// usage error instead of options.
std::variant<OggiOptions, std::string>
ParseOggiArguments(const std::vector<std::string>& arguments);

struct OggiResult {
    std::string out; // the texts, one line per phrase line
    std::string err; // Italian explanations, one per problem
    int status = kOggiFound;
};

// Today's phrase and its position for the working folder (or the one the
// options name), as the window would show them at start; with --casuale a
// phrase drawn at random among all, and its position.
OggiResult RunOggi(const OggiOptions& options, const Clock& clock, RandomSource& random);

// --una-volta keeps the day of the last phrase shown in this file of the
// user's state folder (platform::UserStateFolder), never beside the phrases.
inline constexpr const char* kOnceADayFileName = "ultimo-giorno";

// The day as --una-volta keeps it: "2026-12-08".
std::string DayStamp(const std::tm& day);

// Whether the file at `stateFile` says that the phrase was shown on the day
// `stamp` already. Anything else (another day, a damaged file, a file that
// is missing or cannot be read) says no: the phrase is shown.
bool ShownAlreadyOn(const std::filesystem::path& stateFile, const std::string& stamp);

// Notes in `stateFile` that the phrase was shown on the day `stamp`,
// writing the file where it stands (made when missing). A state that cannot
// be written is no error: the next run shows the phrase again.
void RememberShownOn(const std::filesystem::path& stateFile, const std::string& stamp);

// `text` (UTF-8, lines ended by '\n') for a terminal `columns` characters
// wide: each line longer than that is broken at the blank before the first
// character that would not fit, the blank itself giving way to the line
// end; a word longer than a whole line is cut where the line ends. Lines
// that fit stay as they are.
std::string WrapToColumns(std::string_view text, int columns);

// The whole program on its arguments, with the system's clock, standard
// output and standard error; gives the exit status. A failed write to
// standard output is told on standard error (quietly for a reader that went
// away: a closed pipe is no news).
int OggiMain(const std::vector<std::string>& arguments);

} // namespace zelmora

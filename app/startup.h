#pragma once

#include "app/module1.h"
#include "runtime/errors.h"
#include "runtime/services.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace zelmora {

struct StartupEnvironment {
    // Where "tesmi.txt" and "opzioni.txt" are looked for. The programs leave
    // it empty: the working folder, in which the files are opened by their
    // bare names, whatever the folder is called by the time they are.
    std::filesystem::path directory;
    // The program's arguments joined by blanks; empty when there are none.
    std::string commandLine;
    const Clock& clock;
    RandomSource& random;
    // The terminal program shows no colours and leaves "opzioni.txt" alone.
    bool readColorSettings = true;
};

// The program's arguments after its name, joined by blanks.
std::string JoinArguments(int argc, const char* const* argv);

// What the start-up found of the phrase file, for the terminal program.
struct StartupOutcome {
    bool phraseFileFound = false;
    // The phrase file was there but could not be opened or read (refused,
    // not an ordinary file, a read error, text partly in another encoding):
    // the first such failure. The window shows nothing of it; the terminal
    // program tells the user.
    std::optional<RuntimeError> phraseFileProblem;
};

// The start-up: gives the program state its defaults, takes the days per
// phrase from the command line (1 to 365; anything else is ignored), seeds
// the random sequence, counts the phrases, selects and loads today's phrase,
// reads the colour settings, and finally calls `showMainWindow` (when given).
//
// From the seeding on, a step that fails is skipped and the next one runs; a
// "file not found" marks the file as missing. So a missing phrase file shows
// "--- NESSUNA FRASE IN ARCHIVIO ---", a damaged one whatever could be read,
// and a missing or damaged settings file the default colours. No message is
// shown for any of this.
StartupOutcome Main(Module1& state, const StartupEnvironment& environment,
                    const std::function<void()>& showMainWindow = {});

} // namespace zelmora

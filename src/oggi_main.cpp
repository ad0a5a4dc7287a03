// zelmora-oggi [giorni]: prints today's phrase and its position, as the
// window would show them at start, for shell start-up files and login
// messages. Exit status 0 when the phrase file was read, 1 when it is missing
// or cannot be read.

#include "app/startup.h"
#include "app/text_encoding.h"
#include "runtime/platform.h"

#include <cstdio>
#include <filesystem>
#include <string>

int main(int argc, char* argv[]) {
    zelmora::SystemClock clock;
    zelmora::DefaultRandom random;
    std::error_code ec;
    const std::filesystem::path directory = std::filesystem::current_path(ec);

    zelmora::Module1 state;
    zelmora::StartupEnvironment environment{directory, zelmora::JoinArguments(argc, argv), clock,
                                            random};
    environment.readColorSettings = false;
    const bool found = zelmora::Main(state, environment);

    std::string out = zelmora::PhraseForDisplay(state.PhraseText);
    out += '\n';
    out += zelmora::PositionText(state.CurrentIndex, state.PhraseCount);
    out += '\n';
    // On a terminal a phrase must not be able to send escape sequences; into
    // a pipe or a file its text goes as it is.
    if (zelmora::platform::standardOutputIsTerminal())
        out = zelmora::ShowControlCharacters(out);
    zelmora::platform::writeStandardOutput(out);
    // A file that is there but could not be opened (a folder, no permission)
    // was never counted.
    const bool read = found && state.PhraseCount.has_value();
    return std::fflush(stdout) == 0 && read ? 0 : 1;
}

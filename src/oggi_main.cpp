// zelmora-oggi [giorni]: prints today's phrase and its position, as the
// window would show them at start, for shell start-up files and login
// messages. Exit status 0 when the phrase file was read, 1 when it is missing
// or cannot be read.

#include "startup.h"
#include "text_encoding.h"

#include <cstdio>
#include <filesystem>
#include <string>

int main(int argc, char* argv[]) {
    zelmora::SystemClock clock;
    zelmora::DefaultRandom random;
    std::error_code ec;
    const std::filesystem::path directory = std::filesystem::current_path(ec);

    zelmora::Module1 state;
    const bool found =
        zelmora::Main(state, {directory, zelmora::JoinArguments(argc, argv), clock, random});

    std::string phrase = zelmora::DecodePhraseBytes(state.PhraseText);
    std::string out;
    out.reserve(phrase.size() + 32);
    for (std::size_t i = 0; i < phrase.size(); ++i) {
        if (phrase[i] == '\r' && i + 1 < phrase.size() && phrase[i + 1] == '\n')
            continue; // the phrase's lines are joined by CR LF; print them one per line
        out += phrase[i];
    }
    out += '\n';
    out += zelmora::PositionText(state.CurrentIndex, state.PhraseCount);
    out += '\n';
    std::fwrite(out.data(), 1, out.size(), stdout);
    // A file that is there but could not be opened (a folder, no permission)
    // was never counted.
    const bool read = found && state.PhraseCount.has_value();
    return std::fflush(stdout) == 0 && read ? 0 : 1;
}

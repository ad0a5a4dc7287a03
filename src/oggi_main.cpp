// zelmora-oggi: today's phrase in the terminal, for shell start-up files and
// login messages. Its options and exit statuses are in app/oggi.h.

#include "app/oggi.h"
#include "app/text_encoding.h"
#include "runtime/platform.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <variant>
#include <vector>

int main(int argc, char* argv[]) {
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    const auto parsed = zelmora::ParseOggiArguments(arguments);
    if (const auto* complaint = std::get_if<std::string>(&parsed)) {
        zelmora::platform::writeStandardError(zelmora::ShowControlCharacters(*complaint));
        return zelmora::kOggiUsage;
    }

    zelmora::SystemClock clock;
    zelmora::DefaultRandom random;
    std::error_code ec;
    const std::filesystem::path here = std::filesystem::current_path(ec);
    zelmora::OggiResult result =
        zelmora::RunOggi(std::get<zelmora::OggiOptions>(parsed), here, clock, random);

    // On a terminal a phrase must not be able to send escape sequences; into
    // a pipe or a file its text goes as it is. Messages are for people only.
    if (zelmora::platform::standardOutputIsTerminal())
        result.out = zelmora::ShowControlCharacters(result.out);
    zelmora::platform::writeStandardError(zelmora::ShowControlCharacters(result.err));
    const bool written = zelmora::platform::writeStandardOutput(result.out);
    if (!written || std::fflush(stdout) != 0)
        return zelmora::kOggiMissing;
    return result.status;
}

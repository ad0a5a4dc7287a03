// zelmora-fake-notepad: the text editor of the tests, copied into a folder
// of its own as "notepad". It reports the folder it runs in, how many
// arguments it got and the first of them, one per line, into the file that
// ZELMORA_FAKE_NOTEPAD_REPORT names, whole or not at all, and ends.

#include "runtime/platform.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

int main(int argc, char* argv[]) {
    const char* report = std::getenv("ZELMORA_FAKE_NOTEPAD_REPORT");
    if (!report)
        return 2;
    std::error_code ec;
    const std::filesystem::path here = std::filesystem::current_path(ec);
    const std::vector<std::string> arguments = zelmora::platform::Arguments(argc, argv);
    const std::filesystem::path whole = zelmora::platform::PathFromText(report);
    std::filesystem::path part = whole;
    part += ".part";
    {
        std::ofstream out(part, std::ios::binary);
        out << zelmora::platform::PathText(here) << '\n'
            << arguments.size() << '\n'
            << (arguments.empty() ? std::string() : arguments.front()) << '\n';
        if (!out)
            return 1;
    }
    std::filesystem::rename(part, whole, ec);
    return ec ? 1 : 0;
}

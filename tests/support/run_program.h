#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zelmora::test {

struct ProgramRun {
    std::string out;
    std::string err;
    int exitCode = -1; // -1 when the program did not end by itself
};

// Runs `program` with `arguments` in `directory`, as a user would from a
// terminal there, with nothing on its standard input; waits at most a minute.
ProgramRun RunProgram(const std::filesystem::path& program,
                      const std::vector<std::string>& arguments,
                      const std::filesystem::path& directory);

} // namespace zelmora::test

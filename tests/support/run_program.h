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

// Where the program's standard output goes.
enum class Output {
    Captured, // into ProgramRun::out
    FullDisk, // /dev/full, where every write fails as on a full disk (Unix only)
    Closed,   // nowhere: closed before the program starts (Unix only)
};

// Runs `program` with `arguments` in `directory`, as a user would from a
// terminal there, with nothing on its standard input; waits at most a minute.
ProgramRun RunProgram(const std::filesystem::path& program,
                      const std::vector<std::string>& arguments,
                      const std::filesystem::path& directory, Output output = Output::Captured);

} // namespace zelmora::test

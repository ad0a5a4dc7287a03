#pragma once

// The few operating-system calls that differ between Linux and Windows live
// behind these functions, so the rest of the program is plain standard C++.

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>

namespace zelmora::platform {

// Opens a file for binary reading with unbuffered stdio (the callers read in
// large blocks of their own). Returns nullptr and sets errno on failure.
std::FILE* openForReading(const std::filesystem::path& path);

// True when the last failed open meant "no such file" rather than "refused".
bool isNotFoundError(int error);

// The operating system's own text for an errno value, in the user's locale.
std::string errorText(int error);

// The current local calendar time.
std::tm localNow();

// Seconds since local midnight, with the sub-second part.
double secondsSinceMidnight();

} // namespace zelmora::platform

#pragma once

#include <cstdint>
#include <filesystem>

namespace zelmora {

// Writes "opzioni.txt" in `directory` with the two colours. The file is
// replaced whole: the new content goes to a temporary file beside it, which
// then takes its place, so a full disk or a crash leaves the old file as it
// was. Raises error 75 naming the file and the reason when it cannot be saved.
void SaveColorSettings(const std::filesystem::path& directory, std::int32_t foreColor,
                       std::int32_t backColor);

} // namespace zelmora

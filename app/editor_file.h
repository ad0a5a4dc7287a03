#pragma once

// Which file the text editor is handed for a file of the working folder.

#include <filesystem>

namespace zelmora {

// The file to open for `name`, a bare name in `folder` (empty: the working
// folder). `name` itself while anything stands there, also what the caller
// then refuses (a link to nothing, a folder, a pipe) or cannot look at;
// where nothing does, `installed`, when that is an ordinary file (the guide
// installed with the program, for a folder that keeps no guide of its own);
// otherwise `name`, which the caller reports missing or makes. Any editor
// gets the result: none is left to offer to create an empty file while an
// installed one exists.
std::filesystem::path EditorFile(const std::filesystem::path& folder,
                                 const std::filesystem::path& name,
                                 const std::filesystem::path& installed);

} // namespace zelmora

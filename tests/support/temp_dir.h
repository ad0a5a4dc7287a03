#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zelmora::test {

// A fresh directory under the system's temporary folder, removed with all it
// holds when the object goes. Tests write their phrase and settings files
// here and never touch the user's.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

    // Writes `bytes` exactly as given (no line-end translation).
    void write(std::string_view name, std::string_view bytes) const;
    std::string read(std::string_view name) const;
    bool exists(std::string_view name) const;

private:
    std::filesystem::path path_;
};

// Makes `folder` the working folder while it lives, as the user's cd before
// starting a program does, and goes back to the one before.
class InWorkingFolder {
public:
    explicit InWorkingFolder(const std::filesystem::path& folder);
    ~InWorkingFolder();
    InWorkingFolder(const InWorkingFolder&) = delete;
    InWorkingFolder& operator=(const InWorkingFolder&) = delete;

private:
    std::filesystem::path previous_;
};

// Writes a file's bytes exactly as given.
void WriteFile(const std::filesystem::path& file, std::string_view bytes);
std::string ReadFile(const std::filesystem::path& file);

// Phrase file text from its lines, each ended by CR LF.
std::string CrLfLines(std::initializer_list<std::string_view> lines);

// A phrase file of `count` phrases "frase 1", "frase 2", ... in CR LF lines.
std::string Phrases(int count);

// UTF-8 text as a file saved in UTF-16 (little-endian unless `bigEndian`),
// with the byte-order mark Notepad puts first unless `mark` is false.
std::string Utf16File(std::string_view utf8, bool bigEndian = false, bool mark = true);

// Running as root reads every file whatever its permissions, so tests of
// refused files are skipped there.
bool RunningAsRoot();

} // namespace zelmora::test

#include "temp_dir.h"

#include "runtime/utf8.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#ifdef _WIN32
#include <atomic>
#include <chrono>
#include <process.h>
#else
#include <unistd.h>
#endif

namespace zelmora::test {

#ifdef _WIN32

TempDir::TempDir() {
    // Windows has no mkdtemp: a name from the process id, a counter and the
    // clock, tried until create_directory makes a folder that was not there.
    static std::atomic<unsigned> counter{0};
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto tick = std::chrono::steady_clock::now().time_since_epoch().count();
        const std::filesystem::path candidate =
            base / ("zelmora-test-" + std::to_string(::_getpid()) + "-" +
                    std::to_string(counter++) + "-" + std::to_string(tick % 1000000));
        std::error_code ec;
        if (std::filesystem::create_directory(candidate, ec)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary directory");
}

#else

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zelmora-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary directory");
    path_ = pattern;
}

#endif

TempDir::~TempDir() {
    std::error_code ec;
    // Tests may have taken permissions away; give them back before removing.
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ec))
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

void TempDir::write(std::string_view name, std::string_view bytes) const {
    WriteFile(path_ / name, bytes);
}

std::string TempDir::read(std::string_view name) const {
    return ReadFile(path_ / name);
}

bool TempDir::exists(std::string_view name) const {
    return std::filesystem::exists(path_ / name);
}

InWorkingFolder::InWorkingFolder(const std::filesystem::path& folder)
    : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
}

InWorkingFolder::~InWorkingFolder() {
    std::error_code ec;
    std::filesystem::current_path(previous_, ec);
}

void WriteFile(const std::filesystem::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
}

std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + file.string());
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string CrLfLines(std::initializer_list<std::string_view> lines) {
    std::string text;
    for (const auto line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

std::string Phrases(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += "frase " + std::to_string(i) + "\r\n----\r\n";
    return text;
}

std::string Utf16File(std::string_view utf8, bool bigEndian, bool mark) {
    std::string bytes;
    const auto put = [&](char16_t unit) {
        const auto low = static_cast<char>(unit & 0xFF);
        const auto high = static_cast<char>(unit >> 8);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    };
    if (mark)
        put(0xFEFF);
    for (const char16_t unit : Utf8ToUtf16(utf8))
        put(unit);
    return bytes;
}

bool RunningAsRoot() {
#ifdef _WIN32
    return false;
#else
    return geteuid() == 0;
#endif
}

} // namespace zelmora::test

#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace zelmora {

// A sequence of bytes read front to back in blocks: an open file, or bytes
// already in memory (tests and fuzzing feed the phrase routines this way).
class ByteSource {
public:
    virtual ~ByteSource() = default;

    // Fills up to buffer.size() bytes; returns how many were read, 0 only at
    // the end. Throws RuntimeError when the underlying read fails.
    virtual std::size_t read(std::span<char> buffer) = 0;

    // Starts again from the first byte.
    virtual void rewind() = 0;

    // The name that errors about this source mention (a file's path).
    virtual std::string name() const { return {}; }
};

class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::string_view bytes)
        : bytes_(bytes) {}

    std::size_t read(std::span<char> buffer) override;
    void rewind() override { pos_ = 0; }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

// A file opened for sequential input, closed when the object goes, so a read
// that fails part-way never leaves it open.
//
// Opening never waits. It raises error 53 when the file does not exist (or
// is a symbolic link to nothing) and error 75 when it exists but cannot be
// read: no permission, a folder, or anything that is not an ordinary file (a
// FIFO, a socket, a device such as /dev/zero), which might never answer or
// never end. A relative path is looked up in the working folder; errors name
// the file by its whole path as the folder is named when it is opened.
class InputFile final : public ByteSource {
public:
    explicit InputFile(const std::filesystem::path& path);
    ~InputFile() override;

    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    std::size_t read(std::span<char> buffer) override;
    void rewind() override;
    std::string name() const override { return name_; }

private:
    std::intptr_t file_;
    std::filesystem::path path_;
    std::string name_;
};

} // namespace zelmora

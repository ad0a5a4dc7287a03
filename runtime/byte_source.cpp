#include "runtime/byte_source.h"

#include "runtime/errors.h"
#include "runtime/platform.h"

#include <algorithm>
#include <cstring>

namespace zelmora {

std::size_t MemorySource::read(std::span<char> buffer) {
    const std::size_t n = std::min(buffer.size(), bytes_.size() - pos_);
    if (n > 0)
        std::memcpy(buffer.data(), bytes_.data() + pos_, n);
    pos_ += n;
    return n;
}

InputFile::InputFile(const std::filesystem::path& path)
    : path_(path)
    , name_(platform::PathText(path)) {
    const platform::OpenResult result = platform::OpenForReading(path);
    if (!result.opened) {
        if (result.cause == Cause::Missing) {
            if (const auto target = platform::DanglingLinkTarget(path))
                throw RuntimeError(kFileNotFound, name_, Cause::DanglingLink, *target);
            throw platform::FileError(kFileNotFound, path, result.error);
        }
        if (result.error != 0)
            throw platform::FileError(kPathFileAccess, path, result.error);
        throw RuntimeError(kPathFileAccess, name_, result.cause); // a folder, a FIFO, a device
    }
    file_ = result.file;
}

InputFile::~InputFile() {
    platform::Close(file_);
}

std::size_t InputFile::read(std::span<char> buffer) {
    int error = 0;
    const std::ptrdiff_t n = platform::ReadBlock(file_, buffer.data(), buffer.size(), error);
    if (n < 0)
        throw platform::FileError(kDeviceIo, path_, error);
    return static_cast<std::size_t>(n);
}

void InputFile::rewind() {
    int error = 0;
    if (!platform::Rewind(file_, error))
        throw platform::FileError(kDeviceIo, path_, error);
}

} // namespace zelmora

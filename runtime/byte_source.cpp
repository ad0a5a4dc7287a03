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
    : name_(platform::pathText(path)) {
    const platform::OpenResult result = platform::openForReading(path);
    if (!result.opened) {
        if (result.cause == Cause::Missing)
            throw RuntimeError(kFileNotFound, name_, Cause::Missing);
        if (result.error != 0)
            throw platform::fileError(kPathFileAccess, name_, result.error);
        throw RuntimeError(kPathFileAccess, name_, result.cause); // a folder, a FIFO, a device
    }
    file_ = result.file;
}

InputFile::~InputFile() {
    platform::closeFile(file_);
}

std::size_t InputFile::read(std::span<char> buffer) {
    int error = 0;
    const std::ptrdiff_t n = platform::readFile(file_, buffer.data(), buffer.size(), error);
    if (n < 0)
        throw platform::fileError(kDeviceIo, name_, error);
    return static_cast<std::size_t>(n);
}

void InputFile::rewind() {
    int error = 0;
    if (!platform::rewindFile(file_, error))
        throw platform::fileError(kDeviceIo, name_, error);
}

} // namespace zelmora

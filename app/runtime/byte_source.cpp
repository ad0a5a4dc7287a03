#include "byte_source.h"

#include "errors.h"
#include "platform.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

namespace zelmora {

std::size_t MemorySource::read(std::span<char> buffer) {
    const std::size_t n = std::min(buffer.size(), bytes_.size() - pos_);
    if (n > 0)
        std::memcpy(buffer.data(), bytes_.data() + pos_, n);
    pos_ += n;
    return n;
}

InputFile::InputFile(const std::filesystem::path& path, std::string displayName)
    : name_(displayName.empty() ? path.filename().string() : std::move(displayName)) {
    std::error_code ec;
    const bool isDirectory = std::filesystem::is_directory(path, ec);
    if (isDirectory)
        throw RuntimeError(kPathFileAccess, name_, "è una cartella, non un file");

    errno = 0;
    file_ = platform::openForReading(path);
    if (!file_) {
        const int error = errno;
        if (platform::isNotFoundError(error))
            throw RuntimeError(kFileNotFound, name_);
        throw RuntimeError(kPathFileAccess, name_, platform::errorText(error));
    }
}

InputFile::~InputFile() {
    if (file_)
        std::fclose(file_);
}

std::size_t InputFile::read(std::span<char> buffer) {
    const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), file_);
    if (n < buffer.size() && std::ferror(file_)) {
        const int error = errno;
        std::clearerr(file_);
        throw RuntimeError(kDeviceIo, name_, platform::errorText(error));
    }
    return n;
}

void InputFile::rewind() {
    std::clearerr(file_);
    if (std::fseek(file_, 0, SEEK_SET) != 0)
        throw RuntimeError(kDeviceIo, name_, platform::errorText(errno));
}

} // namespace zelmora

#include "platform.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <type_traits>

namespace zelmora::platform {

std::FILE* openForReading(const std::filesystem::path& path) {
#ifdef _WIN32
    std::FILE* file = nullptr;
    if (_wfopen_s(&file, path.c_str(), L"rb") != 0)
        return nullptr;
#else
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return nullptr;
#endif
    std::setvbuf(file, nullptr, _IONBF, 0);
    return file;
}

bool isNotFoundError(int error) {
    return error == ENOENT || error == ENOTDIR;
}

std::string errorText(int error) {
#ifdef _WIN32
    char buffer[256] = {};
    strerror_s(buffer, sizeof buffer, error);
    return buffer;
#else
    char buffer[256] = {};
    // GNU strerror_r may return a static string instead of filling the buffer.
    auto text = strerror_r(error, buffer, sizeof buffer);
    if constexpr (std::is_same_v<decltype(text), char*>)
        return text;
    else
        return buffer;
#endif
}

std::tm localNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return local;
}

double secondsSinceMidnight() {
    const std::tm local = localNow();
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count() % 1000;
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec +
           static_cast<double>(millis) / 1000.0;
}

} // namespace zelmora::platform

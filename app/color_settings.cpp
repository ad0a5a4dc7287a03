#include "app/color_settings.h"

#include "app/module1.h"
#include "runtime/errors.h"
#include "runtime/leading_number.h"
#include "runtime/platform.h"
#include "runtime/utf8.h"

#include <algorithm>
#include <limits>

namespace zelmora {

namespace {

constexpr long long kSystemColorBase = 0x80000000LL;
// Highest index of the system colours (the tooltip background).
constexpr std::int32_t kLastSystemColorIndex = 24;
// Settings files are a few bytes long; anything past this is not ours.
constexpr std::size_t kMaxBytesRead = 64 * 1024;

// Blanks inside a line; a line end is no blank here, it ends a value.
bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool endsValue(char c) {
    return c == ',' || IsLineEnd(c);
}

} // namespace

std::optional<std::int32_t> ValidColor(long long value) {
    if (value >= 0 && value <= 0xFFFFFF)
        return static_cast<std::int32_t>(value);
    constexpr long long signedBase = std::numeric_limits<std::int32_t>::min();
    if (value >= signedBase && value <= signedBase + kLastSystemColorIndex)
        return static_cast<std::int32_t>(value);
    if (value >= kSystemColorBase && value <= kSystemColorBase + kLastSystemColorIndex)
        return static_cast<std::int32_t>(value - kSystemColorBase + signedBase);
    return std::nullopt;
}

std::vector<std::string> DelimitedValues(std::string_view bytes) {
    // Windows editors start a file saved as UTF-8 with a byte-order mark; it
    // is not part of the first value.
    SkipByteOrderMark(bytes);
    std::vector<std::string> values;
    std::size_t at = 0;
    while (true) {
        while (at < bytes.size() && isBlank(bytes[at]))
            ++at;
        if (at == bytes.size())
            return values;
        std::string value;
        if (bytes[at] == '"') {
            const std::size_t close = bytes.find('"', at + 1);
            value = bytes.substr(at + 1, close == std::string_view::npos ? close : close - at - 1);
            at = close == std::string_view::npos ? bytes.size() : close + 1;
            while (at < bytes.size() && !endsValue(bytes[at]))
                ++at;
        } else {
            // Kept whole: a value cut short could pass for a number it is
            // not, "1   ...   x" for 1.
            const std::size_t start = at;
            while (at < bytes.size() && !endsValue(bytes[at]))
                ++at;
            value = bytes.substr(start, at - start);
        }
        values.push_back(std::move(value));
        if (at < bytes.size()) {
            const bool cr = bytes[at] == '\r';
            ++at;
            if (cr && at < bytes.size() && bytes[at] == '\n')
                ++at;
        }
    }
}

void ReadColorSettings(ByteSource& source, ColorChoice& colors) {
    std::string bytes;
    try {
        char block[4096];
        while (bytes.size() < kMaxBytesRead) {
            const std::size_t n = source.read(
                std::span<char>(block, std::min(sizeof block, kMaxBytesRead - bytes.size())));
            if (n == 0)
                break;
            bytes.append(block, n);
        }
    } catch (const RuntimeError&) {
        // A read that fails: what came before it is all there is.
    }
    const std::vector<std::string> values = DelimitedValues(bytes);
    std::int32_t* const targets[] = {&colors.foreColor, &colors.backColor};
    for (std::size_t i = 0; i < 2 && i < values.size(); ++i)
        if (const auto number = ExactInteger(values[i]))
            if (const auto valid = ValidColor(*number))
                *targets[i] = *valid;
}

std::string FormatColorSettings(const ColorChoice& colors) {
    return std::to_string(colors.foreColor) + "\r\n" + std::to_string(colors.backColor) + "\r\n";
}

void SaveColorSettings(const std::filesystem::path& directory, const ColorChoice& colors) {
    platform::SaveInPlace(directory / Module1::kSettingsFileName, FormatColorSettings(colors));
}

} // namespace zelmora

#include "app/color_settings.h"

#include "app/module1.h"
#include "runtime/errors.h"
#include "runtime/leading_number.h"
#include "runtime/platform.h"

#include <limits>

namespace zelmora {

namespace {

constexpr long long kSystemColorBase = 0x80000000LL;
// Settings files are a few bytes long; anything past this is not ours.
constexpr std::size_t kMaxBytesRead = 64 * 1024;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
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

DelimitedReader::DelimitedReader(ByteSource& source)
    : source_(source) {}

bool DelimitedReader::peek(char& c) {
    if (pos_ == end_) {
        if (eof_ || consumed_ >= kMaxBytesRead) {
            eof_ = true;
            return false;
        }
        end_ = source_.read(std::span<char>(buffer_, sizeof buffer_));
        pos_ = 0;
        // Windows editors start a file saved as UTF-8 with a byte-order mark;
        // it is not part of the first value.
        if (consumed_ == 0 && end_ >= 3 && std::string_view(buffer_, 3) == "\xEF\xBB\xBF")
            pos_ = 3;
        consumed_ += end_;
        if (end_ == 0) {
            eof_ = true;
            return false;
        }
        if (pos_ == end_)
            return peek(c);
    }
    c = buffer_[pos_];
    return true;
}

void DelimitedReader::advance() {
    ++pos_;
}

std::string DelimitedReader::next() {
    char c = 0;
    while (peek(c) && isBlank(c))
        advance();
    if (!peek(c))
        throw RuntimeError(kInputPastEnd, source_.name());

    std::string value;
    if (c == '"') {
        // A quoted text runs to the closing quote; what follows up to the
        // delimiter is dropped.
        advance();
        while (peek(c) && c != '"') {
            value += c;
            advance();
        }
        while (peek(c) && c != ',' && !isLineEnd(c))
            advance();
    } else {
        // Kept whole (the reader stops after kMaxBytesRead anyway): a cut
        // value could pass for a number it is not, "1   ...   x" for 1.
        while (peek(c) && c != ',' && !isLineEnd(c)) {
            value += c;
            advance();
        }
    }
    if (peek(c)) {
        advance();
        char lf = 0;
        if (c == '\r' && peek(lf) && lf == '\n')
            advance();
    }
    return value;
}

void ReadColorSettings(ByteSource& source, std::int32_t& foreColor, std::int32_t& backColor) {
    DelimitedReader reader(source);
    for (std::int32_t* color : {&foreColor, &backColor}) {
        std::string text;
        try {
            text = reader.next();
        } catch (const RuntimeError&) {
            return; // the file ended: the remaining colours keep their values
        }
        if (const auto number = ExactInteger(text))
            if (const auto valid = ValidColor(*number))
                *color = *valid;
    }
}

std::string FormatColorSettings(std::int32_t foreColor, std::int32_t backColor) {
    return std::to_string(foreColor) + "\r\n" + std::to_string(backColor) + "\r\n";
}

void SaveColorSettings(const std::filesystem::path& directory, const ColorChoice& colors) {
    platform::ReplaceWhole(directory / Module1::kSettingsFileName,
                           FormatColorSettings(colors.foreColor, colors.backColor));
}

} // namespace zelmora

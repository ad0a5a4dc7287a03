#include "fuzz_bodies.h"

#include "app/color_settings.h"
#include "app/text_encoding.h"
#include "archive/phrase_archive.h"
#include "archive/phrase_scanner.h"
#include "reference.h"
#include "runtime/byte_source.h"
#include "runtime/errors.h"
#include "runtime/text_source.h"
#include "runtime/utf8.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

namespace zelmora::fuzz {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

[[noreturn]] void fail(const std::string& what) {
    throw InvariantFailure(what);
}

std::string shown(std::string_view bytes) {
    return Shown(bytes);
}

std::string shown(const std::vector<std::string>& lines) {
    std::string out = "{";
    for (std::size_t i = 0; i < lines.size() && i < 8; ++i)
        out += (i ? ", " : "") + shown(lines[i]);
    if (lines.size() > 8)
        out += ", ... (" + std::to_string(lines.size()) + " lines)";
    return out + "}";
}

// The lines of a file and where its separators are.
struct Model {
    std::vector<std::string> lines;
    std::vector<std::size_t> separators; // indexes into lines

    std::int64_t count() const { return static_cast<std::int64_t>(separators.size()); }

    // The lines of phrase k (1-based, k <= count() + 1): after separator k-1,
    // up to separator k or the end of the file.
    std::vector<std::string> phraseLines(std::int64_t k) const {
        const auto index = static_cast<std::size_t>(k);
        const std::size_t first = index == 1 ? 0 : separators[index - 2] + 1;
        const std::size_t last = index <= separators.size() ? separators[index - 1] : lines.size();
        return {lines.begin() + static_cast<std::ptrdiff_t>(first),
                lines.begin() + static_cast<std::ptrdiff_t>(last)};
    }
};

Model modelOf(std::string_view file) {
    Model model;
    model.lines = ReferenceLines(file);
    for (std::size_t i = 0; i < model.lines.size(); ++i)
        if (model.lines[i] == PhraseScanner::kSeparator)
            model.separators.push_back(i);
    return model;
}

// A phrase's text: its lines joined by CR LF, leading empty lines dropped.
std::string phraseText(const std::vector<std::string>& lines) {
    auto first = std::find_if(lines.begin(), lines.end(), [](const auto& l) { return !l.empty(); });
    std::string text;
    for (auto it = first; it != lines.end(); ++it) {
        if (it != first)
            text += "\r\n";
        text += *it;
    }
    return text;
}

// Whether `text` is what the phrase routines keep of `expected`: all of it,
// or for a text longer than kMaxPhraseBytes its start, cut on a whole
// character when it is UTF-8 (so never more than three bytes short).
bool keptOf(const std::string& expected, const std::string& text) {
    if (expected.size() <= kMaxPhraseBytes)
        return text == expected;
    return text.size() <= kMaxPhraseBytes && text.size() + 4 > kMaxPhraseBytes &&
           expected.compare(0, text.size(), text) == 0 &&
           (!IsValidUtf8(expected) || IsValidUtf8(text));
}

void checkCount(std::string_view file, const Model& model) {
    MemorySource source(file);
    PhraseCountValue count;
    try {
        CountPhrases(source, count);
    } catch (const RuntimeError& e) {
        if (!file.empty())
            fail("CountPhrases raised error " + std::to_string(e.number()) + " on " + shown(file));
        if (e.number() != kInputPastEnd || count != 0)
            fail("CountPhrases on the empty file: error " + std::to_string(e.number()) +
                 ", count " + (count ? std::to_string(*count) : "unset") +
                 " (expected error 62, count 0)");
        return;
    }
    if (file.empty())
        fail("CountPhrases did not raise error 62 on the empty file");
    if (count != model.count())
        fail("CountPhrases gave " + (count ? std::to_string(*count) : "unset") + ", expected " +
             std::to_string(model.count()) + " for " + shown(file));
}

void checkLoad(std::string_view file, const Model& model, std::int64_t n, std::size_t chunk) {
    const std::int64_t k = std::max<std::int64_t>(n, 1);
    const std::string sentinel = "\x01(untouched)";
    std::string text = sentinel;
    std::optional<int> error;
    TrickleSource source(file, chunk);
    try {
        LoadPhrase(source, n, text);
    } catch (const RuntimeError& e) {
        error = e.number();
    }

    const std::string where = "LoadPhrase(" + std::to_string(n) + ") with " +
                              std::to_string(model.count()) + " phrases in " + shown(file);
    const std::string got =
        error ? "error " + std::to_string(*error) + ", text " + shown(text) : "text " + shown(text);

    if (k <= model.count() + 1) {
        const auto lines = model.phraseLines(k);
        // Phrase count + 1 is the text after the last separator, when there is any.
        if (k == model.count() + 1 && lines.empty()) {
            if (error != kInputPastEnd || !text.empty())
                fail(where + ": got " + got + ", expected error 62 and the empty text");
            return;
        }
        const std::string expected = phraseText(lines);
        if (error || !keptOf(expected, text))
            fail(where + ": got " + got + ", expected text " + shown(expected));
        return;
    }
    // Past the end: error 62, the text holding the file's last line.
    const std::string expected = model.lines.empty() ? sentinel : model.lines.back();
    if (error != kInputPastEnd || !keptOf(expected, text))
        fail(where + ": got " + got + ", expected error 62 and text " + shown(expected));
}

// Reads every line left; fails when readLine does not stop.
std::vector<std::string> readAll(PhraseScanner& scanner, std::size_t limit) {
    std::vector<std::string> lines;
    std::string line;
    while (scanner.readLine(line)) {
        lines.push_back(line);
        if (lines.size() > limit)
            fail("readLine returned more lines than the file has bytes");
    }
    if (!lines.empty() && line != lines.back())
        fail("readLine changed the line when it returned false");
    if (!scanner.atEnd())
        fail("atEnd is false after readLine returned false");
    return lines;
}

void checkScanner(std::string_view file, const Model& model, std::int64_t n, std::size_t blockSize,
                  std::size_t chunk, PhraseScanner::Search search) {
    const std::string where =
        " (block size " + std::to_string(blockSize) + ", reads of " + std::to_string(chunk) +
        ", search " + std::string(PhraseScanner::nameOf(search)) + ", file " + shown(file) + ")";
    const std::size_t limit = file.size() + 1;
    {
        TrickleSource source(file, chunk);
        PhraseScanner scanner(source, blockSize, search);
        if (scanner.sourceIsEmpty() != file.empty())
            fail("sourceIsEmpty is wrong" + where);
        const auto lines = readAll(scanner, limit);
        if (lines != model.lines)
            fail("readLine gave " + shown(lines) + ", expected " + shown(model.lines) + where);
    }
    {
        TrickleSource source(file, chunk);
        PhraseScanner scanner(source, blockSize, search);
        const std::int64_t count = scanner.countSeparators();
        if (count != model.count())
            fail("countSeparators gave " + std::to_string(count) + ", expected " +
                 std::to_string(model.count()) + where);
    }
    {
        // Skip to the separator before phrase n, then read what follows.
        const std::int64_t skips = std::clamp<std::int64_t>(n - 1, 0, model.count());
        TrickleSource source(file, chunk);
        PhraseScanner scanner(source, blockSize, search);
        const std::int64_t skipped = scanner.skipSeparators(skips);
        if (skipped != skips)
            fail("skipSeparators(" + std::to_string(skips) + ") skipped " +
                 std::to_string(skipped) + where);
        const std::size_t from =
            skips == 0 ? 0 : model.separators[static_cast<std::size_t>(skips - 1)] + 1;
        const std::vector<std::string> expected(
            model.lines.begin() + static_cast<std::ptrdiff_t>(from), model.lines.end());
        const auto lines = readAll(scanner, limit);
        if (lines != expected)
            fail("after " + std::to_string(skips) + " skips readLine gave " + shown(lines) +
                 ", expected " + shown(expected) + where);
    }
    {
        TrickleSource source(file, chunk);
        PhraseScanner scanner(source, blockSize, search);
        for (std::int64_t i = 0; i < model.count(); ++i)
            if (scanner.skipSeparators(1) != 1)
                fail("skipSeparators(1) failed on separator " + std::to_string(i + 1) + " of " +
                     std::to_string(model.count()) + where);
        if (scanner.skipSeparators(1) != 0)
            fail("skipSeparators(1) found a separator past the last one" + where);
    }
}

} // namespace

void CheckPhraseFile(std::string_view file, std::int64_t n,
                     std::initializer_list<std::size_t> blockSizes) {
    const Model model = modelOf(file);
    // CountPhrases and LoadPhrase each read with a 1 MiB block, which costs far
    // more than the rest under the sanitizers: one call of each per input.
    checkCount(file, model);
    checkLoad(file, model, n, file.size() + 1);
    // Each search the processor has, on the same input, against the model.
    for (const std::size_t blockSize : blockSizes)
        for (const auto search : PhraseScanner::kSearches)
            if (PhraseScanner::has(search))
                checkScanner(file, model, n, blockSize, file.size() + 1, search);
}

void CheckScanner(std::string_view file, std::int64_t n, std::size_t blockSize, std::size_t chunk,
                  PhraseScanner::Search search) {
    checkScanner(file, modelOf(file), n, blockSize, chunk, search);
}

void CheckLoad(std::string_view file, std::int64_t n, std::size_t chunk) {
    checkLoad(file, modelOf(file), n, chunk);
}

void PhraseArchiveInput(const std::uint8_t* data, std::size_t size) {
    std::uint8_t header[3] = {0, 0, 0};
    const std::size_t headerSize = std::min(size, sizeof header);
    if (headerSize > 0)
        std::memcpy(header, data, headerSize);
    const std::int64_t n = (std::int64_t{header[0]} << 8 | header[1]) - 2;
    const std::size_t blockSize = std::size_t{header[2]} + 1;
    const std::string_view file(reinterpret_cast<const char*>(data) + headerSize,
                                size - headerSize);
    // Blocks of 10..14 bytes shift the block ends across five consecutive
    // bytes, the separator and its line end.
    CheckPhraseFile(file, n, {blockSize, 10, 11, 12, 13, 14});
    CheckTextSource(file, blockSize);
}

void CheckTextSource(std::string_view file, std::size_t chunk) {
    const bool little = file.starts_with("\xFF\xFE");
    std::string expected(file);
    if (little || file.starts_with("\xFE\xFF")) {
        std::u16string units;
        for (std::size_t i = 2; i + 1 < file.size(); i += 2) {
            const auto first = static_cast<unsigned char>(file[i]);
            const auto second = static_cast<unsigned char>(file[i + 1]);
            units += static_cast<char16_t>(little ? first | second << 8 : first << 8 | second);
        }
        // The mark is handed on as UTF-8's.
        expected = "\xEF\xBB\xBF" + Utf16ToUtf8(units);
        if (file.size() % 2 != 0)
            expected += "\xEF\xBF\xBD";
    }
    // Outside UTF-16, three NUL bytes two apart are refused.
    bool refused = false;
    for (std::size_t i = 0; expected == file && i + 4 < file.size() && !refused; ++i)
        refused = file[i] == '\0' && file[i + 2] == '\0' && file[i + 4] == '\0';
    // Small reads decode through the source's own block, large ones in place.
    for (const std::size_t size : {std::size_t{7}, std::size_t{5000}}) {
        TrickleSource raw(file, chunk);
        TextSource text(raw);
        std::string got;
        std::vector<char> buffer(size);
        try {
            while (const std::size_t n = text.read(buffer))
                got.append(buffer.data(), n);
        } catch (const RuntimeError& e) {
            if (!refused || e.number() != kBadFileFormat)
                fail("TextSource raised error " + std::to_string(e.number()) + " on " +
                     shown(file));
            continue;
        }
        if (refused || got != expected)
            fail("TextSource gave " + shown(got) + ", expected " +
                 (refused ? "error 321" : shown(expected)) + " for " + shown(file));
    }
}

void ColorSettingsInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    auto isValid = [](std::int32_t color) {
        const auto valid = ValidColor(color);
        return valid && *valid == color;
    };

    ColorChoice colors{0x336699, -2147483633}; // the button face behind
    MemorySource source(file);
    ReadColorSettings(source, colors);
    const std::int32_t fore = colors.foreColor;
    const std::int32_t back = colors.backColor;
    if (!isValid(fore) || !isValid(back))
        fail("ReadColorSettings gave " + std::to_string(fore) + ", " + std::to_string(back) +
             ", not valid colours, for " + shown(file));

    // One byte-order mark in front changes nothing: the file read with it and
    // without it gives the same colours. (A second mark is text.)
    const std::string_view bare = file.starts_with(kBom) ? file.substr(kBom.size()) : file;
    if (!bare.starts_with(kBom)) {
        const auto read = [](std::string_view bytes) {
            ColorChoice colors{0x336699, -2147483633};
            MemorySource source(bytes);
            ReadColorSettings(source, colors);
            return std::pair(colors.foreColor, colors.backColor);
        };
        const std::string marked = std::string(kBom) + std::string(bare);
        const auto withMark = read(marked);
        const auto without = read(bare);
        if (withMark != without)
            fail("ReadColorSettings gave " + std::to_string(withMark.first) + ", " +
                 std::to_string(withMark.second) + " for " + shown(marked) + " but " +
                 std::to_string(without.first) + ", " + std::to_string(without.second) + " for " +
                 shown(bare));
    }

    // Whatever was read, written back, reads back the same.
    const std::string written = FormatColorSettings(colors);
    ColorChoice again{0, 0};
    MemorySource writtenSource(written);
    ReadColorSettings(writtenSource, again);
    if (again.foreColor != fore || again.backColor != back)
        fail("FormatColorSettings " + shown(written) + " read back as " +
             std::to_string(again.foreColor) + ", " + std::to_string(again.backColor));
}

} // namespace zelmora::fuzz

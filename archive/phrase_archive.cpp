#include "archive/phrase_archive.h"

#include "runtime/errors.h"
#include "runtime/text_source.h"
#include "runtime/utf8.h"

#include <algorithm>
#include <cmath>

namespace zelmora {

void CountPhrases(ByteSource& source, PhraseCountValue& count, PhraseScanner::Search search) {
    count = 0;
    PhraseScanner scanner(source, PhraseScanner::kDefaultBlockSize, search);
    if (scanner.sourceIsEmpty())
        throw RuntimeError(kInputPastEnd, source.name(), Cause::EmptyFile);
    count = scanner.countSeparators();
}

void CountPhrases(const std::filesystem::path& file, PhraseCountValue& count) {
    InputFile input(file);
    TextSource text(input);
    CountPhrases(text, count);
}

namespace {

// Cuts a phrase that was cut short, or is longer than kMaxPhraseBytes, so
// that it ends on a whole character: a UTF-8 character that lost its last
// bytes in the cut is dropped, so a phrase in UTF-8 stays valid UTF-8 and is
// shown as such. Text in another encoding may lose up to three more bytes,
// which at this length nobody will miss.
void cutToSize(std::string& text) {
    if (text.size() > kMaxPhraseBytes)
        text.resize(kMaxPhraseBytes);
    // The last character's first byte lies at most three bytes back.
    std::size_t lead = text.size();
    while (lead > 0 && text.size() - lead < 4 && IsUtf8Continuation(text[lead - 1]))
        --lead;
    if (lead > 0 && lead - 1 + Utf8LengthFromLead(text[lead - 1]) > text.size())
        text.resize(lead - 1);
}

// When the skip runs off the end, every line of the file has passed through
// the phrase text on the way, so it holds the last one. Reading the file a
// second time finds that line without keeping any line during the fast skip.
void keepLastLine(ByteSource& source, std::string& phraseText) {
    source.rewind();
    PhraseScanner scanner(source);
    std::string line;
    bool any = false;
    std::size_t length = 0;
    while (scanner.readLine(line, kMaxPhraseBytes, &length))
        any = true;
    if (any) {
        if (length > line.size())
            cutToSize(line);
        phraseText = std::move(line);
    }
}

} // namespace

void LoadPhrase(ByteSource& source, std::int64_t n, std::string& phraseText,
                PhraseScanner::Search search) {
    PhraseScanner scanner(source, PhraseScanner::kDefaultBlockSize, search);
    const auto pastEnd = [&] {
        return RuntimeError(kInputPastEnd, source.name(),
                            scanner.sourceIsEmpty() ? Cause::EmptyFile : Cause::None);
    };
    const std::int64_t skips = std::max<std::int64_t>(n, 1) - 1;
    if (scanner.skipSeparators(skips) < skips) {
        keepLastLine(source, phraseText);
        throw pastEnd();
    }

    phraseText.clear();
    std::string line;
    std::size_t length = 0;
    bool full = false;
    for (;;) {
        // Enough of each line to recognise a separator; beyond that, no more
        // than the phrase still has room for.
        const std::size_t room = full ? 0 : kMaxPhraseBytes - phraseText.size();
        if (!scanner.readLine(line, std::max(room, PhraseScanner::kSeparator.size()), &length))
            throw pastEnd();
        if (length == PhraseScanner::kSeparator.size() && line == PhraseScanner::kSeparator)
            return;
        if (!full) {
            // While nothing has been collected, an empty line adds nothing:
            // the phrase's leading empty lines are dropped.
            if (phraseText.empty()) {
                phraseText = line;
            } else {
                phraseText += "\r\n";
                phraseText += line;
            }
            if (length > line.size() || phraseText.size() >= kMaxPhraseBytes) {
                cutToSize(phraseText);
                full = true;
            }
        }
        if (scanner.atEnd())
            return;
    }
}

void LoadPhrase(const std::filesystem::path& file, std::int64_t n, std::string& phraseText) {
    InputFile input(file);
    TextSource text(input);
    LoadPhrase(text, n, phraseText);
}

int DayPhraseIndex(const PhraseCountValue& count, int holdDays, int dayOfYear) {
    const std::int64_t phrases = count.value_or(0);
    const std::int64_t cycle = static_cast<std::int64_t>(holdDays) * phrases;
    if (cycle == 0)
        throw RuntimeError(kDivisionByZero);
    const std::int64_t m = dayOfYear % cycle + 1;
    // The smallest whole number not below m / holdDays.
    return static_cast<int>((m + holdDays - 1) / holdDays);
}

} // namespace zelmora

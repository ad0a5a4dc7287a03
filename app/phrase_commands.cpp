#include "app/phrase_commands.h"

#include "archive/phrase_archive.h"
#include "runtime/errors.h"

#include <algorithm>
#include <cmath>

namespace zelmora {

void Recount(Module1& state, const std::filesystem::path& directory) {
    PhraseCountValue count;
    try {
        CountPhrases(directory / state.PhraseFile, count);
    } catch (const RuntimeError& error) {
        // An emptied file holds no phrase: zero is its true count, and a
        // later draw must not reach for phrases that are gone.
        if (error.number() == kInputPastEnd)
            state.PhraseCount = count;
        throw;
    }
    state.PhraseCount = count;
}

void ShowTodaysPhrase(Module1& state, const std::filesystem::path& directory, int dayOfYear) {
    Recount(state, directory);
    const std::int64_t index = DayPhraseIndex(state.PhraseCount, state.HoldDays, dayOfYear);
    std::string text;
    LoadPhrase(directory / state.PhraseFile, index, text);
    state.CurrentIndex = index;
    state.PhraseText = std::move(text);
}

std::optional<std::int64_t> DrawOther(const Module1& state, RandomSource& random) {
    const std::int64_t count = std::max<std::int64_t>(state.PhraseCount.value_or(0), 0);
    // Int(r * k) + 1 for a draw 0 <= r < 1: one of 1 to k (1 when k is 0),
    // kept below k + 1 where the product rounds up for huge counts.
    const auto drawUpTo = [&random](std::int64_t k) {
        const auto scaled =
            static_cast<std::int64_t>(std::floor(random.next() * static_cast<double>(k)));
        return std::min(scaled, std::max<std::int64_t>(k - 1, 0)) + 1;
    };
    if (count >= 2 && state.CurrentIndex >= 1 && state.CurrentIndex <= count) {
        // One of the other count - 1 phrases, each as likely: draw among them
        // and step over the one on show.
        std::int64_t n = drawUpTo(count - 1);
        if (n >= state.CurrentIndex)
            ++n;
        return n;
    }
    const std::int64_t n = drawUpTo(count);
    if (n == state.CurrentIndex)
        return std::nullopt;
    return n;
}

bool DrawAtRandom(Module1& state, const std::filesystem::path& directory, RandomSource& random) {
    const std::optional<std::int64_t> n = DrawOther(state, random);
    if (!n)
        return false;
    std::string text;
    LoadPhrase(directory / state.PhraseFile, *n, text);
    state.CurrentIndex = *n;
    state.PhraseText = std::move(text);
    return true;
}

} // namespace zelmora

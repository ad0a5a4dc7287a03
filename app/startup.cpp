#include "app/startup.h"

#include "app/color_settings.h"
#include "app/texts.h"
#include "runtime/errors.h"
#include "runtime/leading_number.h"

#include <cmath>
#include <limits>
#include <optional>

namespace zelmora {

std::string JoinArguments(int argc, const char* const* argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            line += ' ';
        line += argv[i];
    }
    return line;
}

namespace {

// The phrase number the start-up works with: the command-line number, then
// today's phrase number once the day rule gave one. Empty counts as 0.
using WorkValue = std::optional<double>;

std::int64_t toIndex(const WorkValue& work) {
    const double value = work.value_or(0.0);
    // 2^63 is exactly representable; anything from there on does not fit.
    if (!(value > -0x1p63 && value < 0x1p63))
        throw RuntimeError(kOverflow);
    return static_cast<std::int64_t>(value);
}

// The phrase number handed to the loader: any number beyond the file reads
// to its end, so a huge one is as good as the largest index.
std::int64_t toPhraseNumber(const WorkValue& work) {
    const double value = work.value_or(0.0);
    if (value >= 0x1p63)
        return std::numeric_limits<std::int64_t>::max();
    if (!(value > -0x1p63))
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(value);
}

} // namespace

StartupOutcome Main(Module1& state, const StartupEnvironment& environment,
                    const std::function<void()>& showMainWindow) {
    state.ForeColorSetting = Module1::kDefaultForeColor;
    state.BackColorSetting = Module1::kDefaultBackColor;
    state.HoldDays = 1;

    WorkValue work;
    if (!environment.commandLine.empty()) {
        try {
            work = std::floor(LeadingNumber(environment.commandLine));
        } catch (const RuntimeError&) {
            // A number too large for any use is ignored like any other
            // number outside 1 to 365.
        }
        if (work && *work > 0 && *work < 366)
            state.HoldDays = static_cast<int>(*work);
    }

    StartupOutcome outcome;
    bool fileFound = true;
    bool readingPhrases = false;
    // Every step from here on runs guarded: a failure skips the rest
    // of the step, records "file not found", and the next step runs.
    const auto step = [&](auto&& action) {
        try {
            action();
        } catch (const RuntimeError& error) {
            if (error.number() == kFileNotFound)
                fileFound = false;
            else if (readingPhrases && !outcome.phraseFileProblem &&
                     (error.number() == kPathFileAccess || error.number() == kDeviceIo ||
                      error.number() == kBadFileFormat))
                outcome.phraseFileProblem = error;
        }
    };

    step([&] { environment.random.seed(environment.clock.secondsSinceMidnight()); });

    fileFound = true;
    state.PhraseFile = Module1::kPhraseFileName;
    const std::filesystem::path phrasePath = environment.directory / state.PhraseFile;
    readingPhrases = true;
    step([&] { InputFile probe(phrasePath); });
    if (fileFound) {
        step([&] { CountPhrases(phrasePath, state.PhraseCount); });
        step([&] {
            work = DayPhraseIndex(state.PhraseCount, state.HoldDays, environment.clock.dayOfYear());
        });
        step([&] { state.CurrentIndex = toIndex(work); });
        step([&] { LoadPhrase(phrasePath, toPhraseNumber(work), state.PhraseText); });
    } else {
        state.PhraseText = kNoPhraseText;
    }
    readingPhrases = false;
    outcome.phraseFileFound = fileFound;

    if (environment.readColorSettings) {
        fileFound = true;
        std::optional<InputFile> settings;
        step([&] { settings.emplace(environment.directory / Module1::kSettingsFileName); });
        if (fileFound && settings)
            step([&] {
                ColorChoice colors{state.ForeColorSetting, state.BackColorSetting};
                ReadColorSettings(*settings, colors);
                state.ForeColorSetting = colors.foreColor;
                state.BackColorSetting = colors.backColor;
            });
    }

    if (showMainWindow)
        step(showMainWindow);
    return outcome;
}

} // namespace zelmora

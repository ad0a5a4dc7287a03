#pragma once

#include "archive/phrase_archive.h"

#include <cstdint>
#include <string>

namespace zelmora {

// The program state: filled by the start-up, read and changed by the windows,
// alive for the whole run.
struct Module1 {
    static constexpr std::int32_t kDefaultForeColor = 16576;                    // &H000040C0
    static constexpr std::int32_t kDefaultBackColor = std::int32_t(0x8000000F); // button face
    static constexpr const char* kPhraseFileName = "tesmi.txt";
    static constexpr const char* kSettingsFileName = "opzioni.txt";
    static constexpr const char* kReadmeFileName = "tesmiLeggimi.txt";

    // The phrase on show, bytes as in the file, lines joined by CR LF.
    std::string PhraseText;
    // The phrase file's bare name, looked up in the working directory.
    std::string PhraseFile = kPhraseFileName;
    // Scratch text of the main window (its instructions and editor command).
    std::string LineText;
    // Consecutive days each phrase stays on show, 1 to 365.
    int HoldDays = 1;
    // Separator lines of the phrase file; empty until first counted.
    PhraseCountValue PhraseCount;
    // 1-based number of the phrase on show; 0 until set. Wider than the
    // phrase file format ever needed, so very long files keep working.
    std::int64_t CurrentIndex = 0;
    std::int32_t ForeColorSetting = kDefaultForeColor;
    std::int32_t BackColorSetting = kDefaultBackColor;
};

// The position text: the index, " / " and the count, with nothing after the
// blank while the count is empty ("0 / ").
std::string PositionText(std::int64_t index, const PhraseCountValue& count);

} // namespace zelmora

#include "app/module1.h"

namespace zelmora {

std::string PositionText(std::int64_t index, const PhraseCountValue& count) {
    std::string text = std::to_string(index) + " / ";
    if (count)
        text += std::to_string(*count);
    return text;
}

} // namespace zelmora

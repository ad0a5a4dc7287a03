#include "runtime/errors.h"

namespace zelmora {

namespace {

std::string describe(int number, const std::string& file) {
    std::string text = "run-time error " + std::to_string(number);
    if (!file.empty())
        text += " (" + file + ")";
    return text;
}

} // namespace

RuntimeError::RuntimeError(int number, std::string file, Cause cause, std::string systemText)
    : std::runtime_error(describe(number, file))
    , number_(number)
    , file_(std::move(file))
    , cause_(cause)
    , systemText_(std::move(systemText)) {}

} // namespace zelmora

#pragma once

#include "runtime/errors.h"

#include <optional>

namespace zelmora::test {

// The run-time error `action` raised, or nothing when it raised none.
template <typename Action> std::optional<RuntimeError> ErrorOf(Action&& action) {
    try {
        action();
    } catch (const RuntimeError& error) {
        return error;
    }
    return std::nullopt;
}

// The number of the run-time error `action` raised, or 0.
template <typename Action> int ErrorNumberOf(Action&& action) {
    const std::optional<RuntimeError> error = ErrorOf(action);
    return error ? error->number() : 0;
}

} // namespace zelmora::test

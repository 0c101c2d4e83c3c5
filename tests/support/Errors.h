#pragma once

#include "platform/OrvError.h"

#include <functional>
#include <optional>

// The error an action throws, or nothing.
inline std::optional<OrvError> ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const OrvError& error) {
        return error;
    }
    return std::nullopt;
}

// The number of the error an action throws, or 0 when it throws none.
inline long ErrorNumberOf(const std::function<void()>& action) {
    const auto error = ErrorOf(action);
    return error ? error->Number() : 0;
}

#pragma once
// The test seam QUARN_CLOCK: when the variable is set, the engine's clock stands still at that
// many seconds since the epoch, so a whole run of quarn writes the same dates every time.

#include <string>

inline constexpr const char* kClockVariable = "QUARN_CLOCK";

// `value` is the variable's text, or null when it is not set (the clock is left alone). A value
// that is not a whole number of seconds leaves the clock alone and returns false with `error`.
bool ApplyClockOverride(const char* value, std::string* error);

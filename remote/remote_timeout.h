#pragma once
// The test seam QUARN_NET_TIMEOUT_MS, as quarn's clients have it: when the variable is set,
// remote waits that many milliseconds instead of 60 s for a connect, a send or a reply (never for
// a job's reply), so a test of a stalling server ends quickly.

#include <string>

inline constexpr const char* kRemoteTimeoutVariable = "QUARN_NET_TIMEOUT_MS";

// `value` is the variable's text, or null when it is not set (the time-out is left alone). A
// value that is not a positive whole number leaves it alone and returns false with `error`.
bool ApplyRemoteTimeoutOverride(const char* value, std::string* error);

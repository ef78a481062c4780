#pragma once
// The test seam QUARN_NET_TIMEOUT_MS: when the variable is set, the network clients wait that many
// milliseconds instead of their 60 s for any connect, send or receive, so a test of a stalling
// server ends quickly.

#include <string>

inline constexpr const char* kNetTimeoutVariable = "QUARN_NET_TIMEOUT_MS";

// `value` is the variable's text, or null when it is not set (the time-outs are left alone). A
// value that is not a positive whole number leaves them alone and returns false with `error`.
bool ApplyNetTimeoutOverride(const char* value, std::string* error);

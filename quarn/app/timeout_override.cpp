#include "quarn/app/timeout_override.h"

#include <charconv>
#include <chrono>
#include <cstring>

#include "quarn/services/pop3_session.h"

bool ApplyNetTimeoutOverride(const char* value, std::string* error) {
    if (value == nullptr) return true;
    const char* end = value + std::strlen(value);
    long long milliseconds = 0;
    const auto [stop, ec] = std::from_chars(value, end, milliseconds);
    if (ec != std::errc() || stop != end || milliseconds <= 0) {
        if (error)
            *error =
                std::string(kNetTimeoutVariable) + " is not a number of milliseconds: " + value;
        return false;
    }
    CPop3Session::SetTimeout(std::chrono::milliseconds(milliseconds));
    return true;
}

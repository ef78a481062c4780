#include "remote/remote_timeout.h"

#include <charconv>
#include <cstring>

#include "remote/remote_session.h"

bool ApplyRemoteTimeoutOverride(const char* value, std::string* error) {
    if (value == nullptr) return true;
    const char* end = value + std::strlen(value);
    long long milliseconds = 0;
    const auto [stop, ec] = std::from_chars(value, end, milliseconds);
    if (ec != std::errc() || stop != end || milliseconds <= 0) {
        *error = std::string(kRemoteTimeoutVariable) + " is not a number of milliseconds: " + value;
        return false;
    }
    CRemoteSession::SetTimeout(std::chrono::milliseconds(milliseconds));
    return true;
}

#include "quarn/app/clock_override.h"

#include <atomic>
#include <charconv>
#include <cstring>
#include <ctime>

#include "platform/clock.h"

namespace {

std::atomic<std::time_t> g_fixedTime{0};

std::time_t FixedTime() {
    return g_fixedTime.load(std::memory_order_relaxed);
}

}  // namespace

bool ApplyClockOverride(const char* value, std::string* error) {
    if (value == nullptr) return true;
    const char* end = value + std::strlen(value);
    long long seconds = 0;
    const auto [stop, ec] = std::from_chars(value, end, seconds);
    if (ec != std::errc() || stop != end || stop == value) {
        if (error) *error = std::string(kClockVariable) + " is not a number of seconds: " + value;
        return false;
    }
    g_fixedTime.store(static_cast<std::time_t>(seconds), std::memory_order_relaxed);
    platform::SetTimeSource(&FixedTime);
    return true;
}

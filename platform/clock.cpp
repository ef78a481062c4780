#include "platform/clock.h"

#include <atomic>

namespace platform {

namespace {

std::atomic<TimeSource> g_source{nullptr};

}  // namespace

std::time_t CurrentTime() {
    const TimeSource source = g_source.load(std::memory_order_acquire);
    return source ? source() : std::time(nullptr);
}

TimeSource SetTimeSource(TimeSource source) {
    return g_source.exchange(source, std::memory_order_acq_rel);
}

}  // namespace platform

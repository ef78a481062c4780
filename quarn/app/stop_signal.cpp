#include "quarn/app/stop_signal.h"

#include <signal.h>

#include <atomic>

#include "quarn/services/program_context.h"

namespace {

static_assert(std::atomic<bool>::is_always_lock_free, "the flags are set by a signal handler");

extern "C" void RequestStop(int) {
    // In this order: ClearCancelRequest relies on it.
    g_bStopRequested = true;
    g_bCancelRequested = true;
}

}  // namespace

void StopOnSignal() {
    struct sigaction action {};
    action.sa_handler = RequestStop;
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

bool StopRequested() {
    return g_bStopRequested;
}

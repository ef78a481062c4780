#include "tests/fuzz/watched_run.h"

#include <pthread.h>

#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>

#include "quarn/services/program_context.h"

namespace fuzz {

namespace {

constexpr std::size_t kTaskStackBytes = 64u << 20;
constexpr std::string_view kComplete = "Script execution complete.";
constexpr std::string_view kCancelled = "Script execution terminated by user.";

// Shared by the watchdog and the run's thread; a hung thread keeps its own reference.
struct RunState {
    const script_testing::ScriptTestProject* project = nullptr;
    std::string scriptName;
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    script_testing::ScriptRun run;
};

void* RunThread(void* arg) {
    std::shared_ptr<RunState> state(*static_cast<std::shared_ptr<RunState>*>(arg));
    delete static_cast<std::shared_ptr<RunState>*>(arg);
    script_testing::ScriptRun run = state->project->RunFile(state->scriptName);
    const std::lock_guard lock(state->mutex);
    state->run = std::move(run);
    state->finished = true;
    state->done.notify_all();
    return nullptr;
}

bool StartDetached(const std::shared_ptr<RunState>& state, pthread_t& thread, std::string& error) {
    pthread_attr_t attr;
    if (pthread_attr_init(&attr) != 0) {
        error = "pthread_attr_init failed";
        return false;
    }
    auto* arg = new std::shared_ptr<RunState>(state);
    int failed = pthread_attr_setstacksize(&attr, kTaskStackBytes);
    if (failed == 0) failed = pthread_create(&thread, &attr, RunThread, arg);
    pthread_attr_destroy(&attr);
    if (failed != 0) {
        delete arg;
        error = std::string("cannot start the run's thread: ") + std::strerror(failed);
        return false;
    }
    return true;
}

}  // namespace

WatchedRun RunWatched(const script_testing::ScriptTestProject& project,
                      std::string_view scriptName) {
    auto state = std::make_shared<RunState>();
    state->project = &project;
    state->scriptName = scriptName;
    WatchedRun watched;
    pthread_t thread;
    std::string error;
    if (!StartDetached(state, thread, error)) {
        watched.finished = true;
        watched.run.message = error;
        return watched;
    }
    {
        std::unique_lock lock(state->mutex);
        const auto started = std::chrono::steady_clock::now();
        if (!state->done.wait_until(lock, started + kCancelAfter,
                                    [&] { return state->finished; })) {
            g_bCancelRequested = true;
            watched.cancelled = true;
            state->done.wait_until(lock, started + kCancelAfter + kGiveUpAfter,
                                   [&] { return state->finished; });
        }
        watched.finished = state->finished;
        if (watched.finished) watched.run = state->run;
    }
    if (!watched.finished) {
        pthread_detach(thread);
        return watched;
    }
    pthread_join(thread, nullptr);
    g_bCancelRequested = false;
    return watched;
}

std::string OutcomeFault(const WatchedRun& watched, bool mayDieWithText) {
    if (!watched.finished) {
        return "no return " + std::to_string(kGiveUpAfter.count()) +
               " s after the cancel, raised " + std::to_string(kCancelAfter.count()) +
               " s into the run";
    }
    const script_testing::ScriptRun& run = watched.run;
    if (run.result == 1) {
        return run.message == kComplete ? "" : "succeeded with the message \"" + run.message + "\"";
    }
    if (run.result != 0) return "returned " + std::to_string(run.result);
    if (run.message.starts_with("ERROR")) return "";
    if (watched.cancelled && run.message == kCancelled) return "";
    if (mayDieWithText) return "";
    return "failed with the message \"" + run.message + "\"";
}

}  // namespace fuzz

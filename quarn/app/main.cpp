// quarn: start-up, the task thread, then the job the command line asks for; without a job the
// main window when there is a display, else a service that runs the jobs that arrive until
// SIGTERM or SIGINT.

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "quarn/app/clock_override.h"
#include "quarn/app/command_line.h"
#include "quarn/app/command_line_job.h"
#include "quarn/app/headless_window.h"
#include "quarn/app/process_priority.h"
#include "quarn/app/project_paths.h"
#include "quarn/app/publish_scheduler_thread.h"
#include "quarn/app/startup.h"
#include "quarn/app/svr_thread.h"
#include "quarn/app/task_thread.h"
#include "quarn/app/timeout_override.h"
#include "quarn/app/ui/windowed_run.h"
#include "quarn/services/program_context.h"

namespace {

void Print(const std::string& line) {
    std::fprintf(stdout, "%s\n", line.c_str());
    std::fflush(stdout);
}

static_assert(std::atomic<bool>::is_always_lock_free, "the flags are set by a signal handler");
std::atomic<bool> g_stopRequested{false};

extern "C" void RequestStop(int) {
    g_stopRequested = true;
    g_bCancelRequested = true;
}

// SIGINT and SIGTERM cancel the running job as the Cancel command does (an upload stops after
// its block, a retry pause within a second) and end the program once it has answered. A second
// signal ends the program at once.
void StopOnSignal() {
    struct sigaction action {};
    action.sa_handler = RequestStop;
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    // A closed peer or reader must fail a send, never end the program.
    ::signal(SIGPIPE, SIG_IGN);

    std::string error;
    if (!ApplyClockOverride(std::getenv(kClockVariable), &error))
        std::fprintf(stderr, "quarn: %s\n", error.c_str());
    if (!ApplyNetTimeoutOverride(std::getenv(kNetTimeoutVariable), &error))
        std::fprintf(stderr, "quarn: %s\n", error.c_str());

    const std::string startDir = CurrentDirectory();
    const StartupPaths paths{ProgramDirectory(startDir),
                             platform::SingleInstanceLock::DefaultDirectory()};
    platform::SingleInstanceLock lock;
    std::vector<std::string> notices;
    const StartupResult started = StartQuarn(paths, lock, notices);
    for (const std::string& notice : notices)
        Print(notice);
    if (started != StartupResult::kReady) return 1;

    const CommandLine line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    TaskJob job;
    std::string message;
    if (line.runFromCommandLine && !PrepareCommandLineJob(line, startDir, job, message)) {
        Print(message);
        return 1;
    }

    // Before the threads start, so that they begin with it.
    if (!SetProcessPriorityFromSettings(&message)) Print(message);
    if (!line.runFromCommandLine && HasDisplay()) return RunWindowed(argc, argv, Print);
    CHeadlessWindow window(stdout);
    Ctaskthread tasks(window.Queue());
    CSvrThread server(tasks, &window.Queue());
    tasks.ReportJobsTo(&server);
    if (!tasks.Start(&error)) {
        Print(error);
        return 1;
    }
    if (!server.Start()) Print(server.Message());
    CPublishSchedulerThread scheduler(tasks);
    if (!scheduler.Start() || !scheduler.m_strMessage.empty()) Print(scheduler.m_strMessage);
    StopOnSignal();

    int ok = 1;
    if (line.runFromCommandLine) {
        tasks.PostJob(job);
        ok = window.WaitForFirstJob();
    } else {
        window.PumpUntil([] { return g_stopRequested.load(); });
    }
    scheduler.Stop();
    // The running job ends first (cancelled by a signal), and its last line is still written.
    tasks.RequestStop();
    window.PumpUntil([&tasks] { return tasks.Ended(); });
    tasks.Join();
    server.Stop();
    return ok ? 0 : 1;
}

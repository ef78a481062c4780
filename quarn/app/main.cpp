// quarn: start-up, the task thread, then the job the command line asks for; without a job the
// main window when there is a display, else a service that runs the jobs that arrive until
// SIGTERM or SIGINT. A start that finds quarn running brings that one forward (with a display)
// and ends. "--help" only prints the usage.

#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/program_directory.h"
#include "quarn/app/clock_override.h"
#include "quarn/app/command_line.h"
#include "quarn/app/command_line_job.h"
#include "quarn/app/headless_window.h"
#include "quarn/app/process_priority.h"
#include "quarn/app/project_paths.h"
#include "quarn/app/quarn_threads.h"
#include "quarn/app/startup.h"
#include "quarn/app/stop_signal.h"
#include "quarn/app/timeout_override.h"
#include "quarn/app/ui/windowed_run.h"
#include "quarn/services/program_context.h"

namespace {

void Print(const std::string& line) {
    std::fprintf(stdout, "%s\n", line.c_str());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    // A closed peer or reader must fail a send, never end the program.
    ::signal(SIGPIPE, SIG_IGN);
    // First, so that a stop signal during start-up ends the program as one later does, never by
    // the signal's default action.
    StopOnSignal();

    const CommandLine line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (line.help) {
        std::fputs(std::string(kCommandLineUsage).c_str(), stdout);
        return 0;
    }

    std::string error;
    if (!ApplyClockOverride(std::getenv(kClockVariable), &error))
        std::fprintf(stderr, "quarn: %s\n", error.c_str());
    if (!ApplyNetTimeoutOverride(std::getenv(kNetTimeoutVariable), &error))
        std::fprintf(stderr, "quarn: %s\n", error.c_str());

    const std::string startDir = CurrentDirectory();
    const StartupPaths paths{platform::ProgramDirectory(startDir),
                             platform::SingleInstanceLock::DefaultDirectory()};
    platform::SingleInstanceLock lock;
    std::vector<std::string> notices;
    const StartupResult started = StartQuarn(paths, lock, notices);
    for (const std::string& notice : notices)
        Print(notice);
    const std::string channelPath = InstanceChannelPath(paths.lockDir.path);
    if (started == StartupResult::kAlreadyRunning && HasDisplay())
        return RunAlreadyRunning(argc, argv, channelPath);
    if (started != StartupResult::kReady) return 1;

    TaskJob job;
    std::string message;
    if (line.runFromCommandLine && !PrepareCommandLineJob(line, startDir, job, message)) {
        Print(message);
        return 1;
    }

    // Before the threads start, so that they begin with it.
    if (!SetProcessPriorityFromSettings(&message)) Print(message);
    if (!line.runFromCommandLine && HasDisplay())
        return RunWindowed(argc, argv, lock.Held() ? channelPath : std::string(), Print);
    CHeadlessWindow window(stdout);
    CQuarnThreads threads(window.Queue());
    if (!threads.Start(Print)) return 1;

    int ok = 1;
    if (line.runFromCommandLine) {
        // A stop signal that came first cancels the job as soon as it begins.
        threads.Tasks().PostJob(job);
        ok = window.WaitForFirstJob();
    } else {
        window.PumpUntil(StopRequested);
    }
    // The running job ends first (cancelled by a signal), and its last line is still written.
    threads.Stop([&window](const std::function<bool()>& ended) { window.PumpUntil(ended); });
    return ok ? 0 : 1;
}

// quarn: start-up, then the job the command line asks for.

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
#include "quarn/app/headless_run.h"
#include "quarn/app/project_paths.h"
#include "quarn/app/startup.h"
#include "quarn/services/program_context.h"

namespace {

void Print(const std::string& line) {
    std::fprintf(stdout, "%s\n", line.c_str());
    std::fflush(stdout);
}

static_assert(std::atomic<bool>::is_always_lock_free, "the cancel flag is set by a signal handler");

extern "C" void RequestCancel(int) {
    g_bCancelRequested = true;
}

// SIGINT and SIGTERM cancel the job as the Cancel command does: an upload stops after its block
// and a retry pause within a second. A second signal ends the program at once.
void CancelOnInterrupt() {
    struct sigaction action {};
    action.sa_handler = RequestCancel;
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
    if (!line.runFromCommandLine) {
        std::fprintf(stderr, "usage: quarn SCRIPT | quarn /p [PROJECT]\n");
        return 1;
    }
    CommandLineJob job;
    std::string message;
    if (!PrepareCommandLineJob(line, startDir, job, message)) {
        Print(message);
        return 1;
    }
    CancelOnInterrupt();
    const int ok =
        RunHeadless([&job](platform::MessageQueue& window,
                           std::string& result) { return RunCommandLineJob(job, window, result); },
                    stdout);
    return ok ? 0 : 1;
}

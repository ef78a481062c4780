#pragma once
// The job quarn's command line asks for, and running it. Preparing happens on the main thread
// after start-up; running is the job thread's work, with `window` the queue of whoever shows the
// status lines.

#include <string>

#include "platform/message_queue.h"
#include "quarn/app/command_line.h"
#include "quarn/app/task_job.h"

struct CommandLineJob {
    enum class Type { kRunScript, kPublish };
    Type type = Type::kRunScript;
    std::string scriptPath;  // kRunScript: absolute, or as given when the start directory is ""
};

// Turns `line` (which asks for a job: line.runFromCommandLine) into its job. A script name that
// is not absolute is joined to `startDir`. "/p PROJECT" first makes PROJECT the active project:
// it must be a valid project name listed in the project list ("profile0", "profile1", ...)
// whose directory below "projects" can be entered; then it becomes the current directory,
// g_szProjectDir, g_strProject and the settings key defprofile. "/p" alone publishes the active
// project. Returns 0 with `message` when no job can be made: a project that cannot be switched
// to, or a script path or project name longer than kMaxPath bytes.
int PrepareCommandLineJob(const CommandLine& line, const std::string& startDir, CommandLineJob& job,
                          std::string& message);

// The task thread's job for `job`.
TaskJob ToTaskJob(const CommandLineJob& job);

// Runs `job` on the calling thread. Returns 1 or 0 with the job's final text in `result`.
int RunCommandLineJob(const CommandLineJob& job, platform::MessageQueue& window,
                      std::string& result);

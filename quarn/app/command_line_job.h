#pragma once
// The job quarn's command line asks for. It is prepared on the main thread after start-up and
// posted to the task thread.

#include <string>

#include "quarn/app/command_line.h"
#include "quarn/app/task_job.h"

// Turns `line` (which asks for a job: line.runFromCommandLine) into its job. A script name that
// is not absolute is joined to `startDir`. "/p PROJECT" first makes PROJECT the active project:
// it must be a valid project name listed in the project list ("profile0", "profile1", ...)
// whose directory below "projects" can be entered; then it becomes the current directory,
// g_szProjectDir, g_strProject and the settings key defprofile. "/p" alone publishes the active
// project. Returns 0 with `message` when no job can be made: a project that cannot be switched
// to, or a script path or project name longer than kMaxPath bytes.
int PrepareCommandLineJob(const CommandLine& line, const std::string& startDir, TaskJob& job,
                          std::string& message);

#pragma once
// The script work of quarn's jobs: running one script file, and publishing the active project.
// Both run on the job thread with the active project's directory as the current directory, and
// hand their status lines to `window` with PostStatusText.

#include <string>
#include <string_view>

#include "platform/message_queue.h"

// Posts the status line "Running script file " + the quoted file name, then runs the script at
// `path` (relative to the project directory unless absolute) at nesting `level`. Returns 1 or
// 0; `result` holds the run's final text ("Script execution complete." or the error).
int RunScriptFile(platform::MessageQueue& window, std::string_view path, int level,
                  std::string& result);

// Publishes the active project: runs the first publish script (project keys runscriptcheck and
// scriptfilename), then the second (runscript2check and script2filename), both at level 1, so
// that the two runs form one set of output lists: the lists are rotated before the first script
// that runs, and stale output is deleted after the last when the project key delh is set. With
// no script to run nothing is rotated or deleted. Returns 1 with "Publish operation complete.",
// or 0 with the failing step's text, in `result`.
int PublishProject(platform::MessageQueue& window, std::string& result);

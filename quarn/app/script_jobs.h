#pragma once
// Running one script file, as quarn's jobs do: on the job thread, with the active project's
// directory as the current directory, handing the status line to `window` with PostStatusText.

#include <string>
#include <string_view>

#include "platform/message_queue.h"

// Posts the status line "Running script file " + the quoted file name, then runs the script at
// `path` (relative to the project directory unless absolute) at nesting `level`: with the
// project key useexternalscript through the external parser (scriptexec), else with the
// interpreter. Returns 1 or 0; `result` holds the run's final text ("Script execution
// complete." or the error).
int RunScriptFile(platform::MessageQueue& window, std::string_view path, int level,
                  std::string& result);

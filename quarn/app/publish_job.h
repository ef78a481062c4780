#pragma once
// Publishing the active project: its publish scripts, the clean-up of stale output, the upload to
// the web server with retries, and the command run at the end. Plain functions for the job
// thread; they run with the active project's directory as the current directory, read the
// active project's keys, and hand their status lines to `window` with PostStatusText. Dialling
// up before the upload is not part of them.

#include <string>
#include <string_view>

#include "platform/message_queue.h"

inline constexpr std::string_view kUploadFailedPausing = "Upload failed! Pausing before re-try...";

// Waits `minutes` minutes in steps of one second, looking at g_bCancelRequested before each step;
// below 1 it does not wait. Returns 0 when the cancel flag is set at its end, 1 otherwise.
int PauseBeforeRetry(int minutes);

// Uploads with `type` (RunUploadAttempt) until an attempt succeeds, the project key ftpretry
// attempts were made (below 1: no limit) or the user cancels, posting kUploadFailedPausing and
// pausing ftpretrypause minutes between attempts. Returns 1 or 0 with the last attempt's text in
// `result`; a cancel flag set after any attempt or during a pause gives 0 with "ERROR 31- upload
// cancelled by user.".
int UploadWithRetries(platform::MessageQueue& window, int type, std::string& result);

// Publishes the active project:
//   1. the first publish script (project keys runscriptcheck and scriptfilename) and the second
//      (runscript2check and script2filename), both at level 1, so that the two runs form one set
//      of output lists: the lists are rotated before the first script that runs, and after the
//      last stale output is deleted when the project key delh is set; with no script to run
//      nothing is rotated or deleted;
//   2. with the project key ftpcheck, UploadWithRetries of the project key uploadchg's type;
//   3. with the project key execcheck, the command execname through /bin/sh -c in the project
//      directory, waited for; its exit status is not looked at, and its standard output goes to
//      standard error (standard output is the status lines').
// The first failing step ends the job. Returns 1 with "Publish operation complete.", or 0 with the
// failing step's text, in `result`.
int PublishProject(platform::MessageQueue& window, std::string& result);

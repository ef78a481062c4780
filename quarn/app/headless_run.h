#pragma once
// Runs one job without a main window: the job runs on a CJobThread, as the task thread runs it,
// while the calling thread stands in for the main window. It empties the status mailbox for every
// FRAME_STATUS_TEXT and writes each line to `out`, and it returns once the job has ended and its
// last line is written.

#include <cstdio>
#include <functional>
#include <string>

#include "platform/message_queue.h"

// The job's body: runs on the job thread, posts its status lines to `window` and returns 1 or 0
// with its final text in `result`.
using HeadlessJob = std::function<int(platform::MessageQueue& window, std::string& result)>;

// Returns the job's result. Its final text is written as the last line. When the job thread
// cannot start, the reason is written instead and the result is 0.
int RunHeadless(const HeadlessJob& job, std::FILE* out);

#pragma once
// The event log "logfile.txt" in the program directory: one line per event, appended by the task
// thread after a job and by scripts. Each line is the local date and time ("%m/%d/%y %H:%M:%S"),
// two blanks, "<" + project + "> ", the event text and CR LF. Every writer opens the file, appends
// its line with one write and closes it, so lines of concurrent writers never mix.

#include <ctime>
#include <string>
#include <string_view>

// The program directory + "/logfile.txt".
std::string EventLogPath();

// The line for an event of `project` at `when`, CR LF included.
std::string EventLogLine(std::time_t when, std::string_view project, std::string_view text);

// Appends the line for `text` of the active project, stamped with the engine's clock, to the
// event log (created when missing). False when the file cannot be opened or written.
bool AppendEventLog(std::string_view text);
// The same for an event of `project`.
bool AppendEventLog(std::string_view project, std::string_view text);

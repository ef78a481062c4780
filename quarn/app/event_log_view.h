#pragma once
// What the System Event Log window shows of "logfile.txt" (event_log.h writes it): each line cut
// into date, time, project and event, filtered by the window's two check boxes. A line that does
// not follow the format still shows, with the columns it has.

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

struct EventLogEntry {
    std::string date;
    std::string time;
    std::string project;
    std::string event;
    bool operator==(const EventLogEntry&) const = default;
};

struct EventLogFilter {
    bool errorsOnly = false;    // only events whose text holds "ERROR" (exact case)
    bool lastFiveDays = false;  // only events dated within five days (5 x 86400 s) of now
};

// The columns of one line (its line end removed): the date before the first blank; the time up
// to "<"; the project up to ">"; the event after ">" and its blank; each trimmed. A part whose
// separator is missing is empty.
EventLogEntry SplitLogLine(std::string_view line);

// Midnight (local time) of a "mm/dd/yy" date. A year below 39 gets "20" put in front, any other
// "19"; a day or month out of range reads as 1; the year is clamped to 1970..2038. A day past the
// month's end runs into the next month ("02/30/05" is 2 March 2005).
std::time_t ParseLogDate(std::string_view text);

// The entries of the log file `path` that pass `filter`, in file order; `now` is the time the
// five days count back from. A missing or unreadable file gives none.
std::vector<EventLogEntry> LoadLog(const std::string& path, EventLogFilter filter, std::time_t now);

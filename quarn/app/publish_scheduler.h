#pragma once
// Publishes the chosen project by itself at the times of the weekly timetable in the settings
// ("autopub", the weekday flags, "numberoftimes", "ctime0" ...). Each Check() is one wake-up: it
// reads the timetable afresh, so an edit takes effect at the next check, and posts one
// TASK_AUTOPUBLISH job for every time of today that has come since the previous post. Times
// already past when the scheduler first runs on a day (start-up, midnight, autopub switched on)
// are published together by a single job.
//
// Not thread-safe: one thread owns the object and calls Check(). The timetable is read and the
// job posted under g_csSchedule, which the Program Settings sheet holds while it writes it.

#include "quarn/app/task_job.h"

class CPublishScheduler {
public:
    explicit CPublishScheduler(ITaskPoster& taskThread) : m_taskThread(taskThread) {}

    // Does nothing while autopub is 0 (the count of fired times is kept). Otherwise, under
    // g_csSchedule: on a calendar date other than the previous check's, no time has fired yet;
    // when today's weekday flag is set, every not yet fired time at or before the current minute
    // counts as fired, and if there was one, one job is posted. The times are taken in key order
    // and are expected ascending; the first one still ahead ends the check.
    void Check();

private:
    // The local date as year * 10000 + month * 100 + day; none before the first check.
    static constexpr int kNoDate = -1;

    void CheckTimes(int currentMinute);

    ITaskPoster& m_taskThread;
    int m_lastDate = kNoDate;
    // How many of today's times have fired: the index of the next time to test.
    int m_fired = 0;
};

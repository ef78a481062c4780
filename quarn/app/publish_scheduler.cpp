#include "quarn/app/publish_scheduler.h"

#include <cstddef>
#include <ctime>
#include <mutex>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "quarn/app/time_of_day.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"

namespace {

// global_key::kWeekdayTimers runs Monday to Sunday; tm_wday counts from Sunday.
const IntKey& TodaysFlag(const std::tm& now) {
    return global_key::kWeekdayTimers[(now.tm_wday + 6) % 7];
}

}  // namespace

void CPublishScheduler::Check() {
    if (g_settings.GetGlobal(global_key::autopub) == 0) return;
    std::lock_guard lock(g_csSchedule);

    const std::time_t seconds = platform::CurrentTime();
    std::tm now{};
    if (!localtime_r(&seconds, &now)) return;
    // The date, not the weekday: after a week without checks the same weekday is a new day.
    const int date = (now.tm_year + 1900) * 10000 + (now.tm_mon + 1) * 100 + now.tm_mday;
    if (date != m_lastDate) {
        m_lastDate = date;
        m_fired = 0;
    }
    if (g_settings.GetGlobal(TodaysFlag(now)) == 0) return;
    CheckTimes(now.tm_hour * 60 + now.tm_min);
}

void CPublishScheduler::CheckTimes(int currentMinute) {
    const std::vector<std::string> times = g_settings.ReadScheduleTimes();
    bool posted = false;
    while (static_cast<std::size_t>(m_fired) < times.size() &&
           ParseTime(times[m_fired]) <= currentMinute) {
        ++m_fired;
        if (!posted) {
            m_taskThread.PostJob(TaskJob{TASK_AUTOPUBLISH, 0, "", kNoRequester});
            posted = true;
        }
    }
}

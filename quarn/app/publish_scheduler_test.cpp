#include "quarn/app/publish_scheduler.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "quarn/app/app_test_support.h"
#include "quarn/services/settings.h"

namespace {

using testing::ElementsAre;
using testing::IsEmpty;

std::atomic<std::time_t> g_now{0};

std::time_t FakeNow() {
    return g_now.load();
}

// Local time on a day of January 2026: the 5th and the 12th are Mondays, the 6th a Tuesday.
std::time_t January2026(int day, int hour, int minute) {
    std::tm local{};
    local.tm_year = 2026 - 1900;
    local.tm_mon = 0;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

std::string LocalLabel(std::time_t seconds) {
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[32];
    std::strftime(text, sizeof text, "%a %d %H:%M", &local);
    return text;
}

// Records when each job came, by the fake clock.
class RecordingPoster : public ITaskPoster {
public:
    void PostJob(TaskJob job) override {
        EXPECT_EQ(job.code, TASK_AUTOPUBLISH);
        EXPECT_EQ(job.param, 0);
        EXPECT_EQ(job.scriptPath, "");
        EXPECT_EQ(job.requester, kNoRequester);
        m_posts.push_back(LocalLabel(platform::CurrentTime()));
    }
    // The posts since the previous call.
    std::vector<std::string> Take() { return std::exchange(m_posts, {}); }

private:
    std::vector<std::string> m_posts;
};

class PublishSchedulerTest : public ProgramDirTest {
protected:
    void SetUp() override {
        ProgramDirTest::SetUp();
        m_previousClock = platform::SetTimeSource(FakeNow);
    }
    void TearDown() override {
        platform::SetTimeSource(m_previousClock);
        ProgramDirTest::TearDown();
    }

    // One check a minute, from `first` to `last` inclusive.
    void CheckEveryMinute(std::time_t first, std::time_t last) {
        for (std::time_t now = first; now <= last; now += 60) {
            g_now = now;
            m_scheduler.Check();
        }
    }

    void Set(const IntKey& key, int value) {
        ASSERT_EQ(g_settings.Set(kGlobalSection, key, value), 1);
    }
    void SetTimes(const std::vector<std::string>& times) {
        Set(global_key::numberoftimes, static_cast<int>(times.size()));
        for (std::size_t i = 0; i < times.size(); ++i) {
            ASSERT_EQ(g_settings.Set(kGlobalSection, {ScheduleTimeKey(static_cast<int>(i)), ""},
                                     times[i]),
                      1);
        }
    }

    RecordingPoster m_poster;
    CPublishScheduler m_scheduler{m_poster};

private:
    platform::TimeSource m_previousClock = nullptr;
};

TEST_F(PublishSchedulerTest, StartedAfterTodaysTimesPublishesOnceForAll) {
    Set(global_key::autopub, 1);
    Set(global_key::timermon, 1);
    SetTimes({"8:00", "12:00"});
    // Started at 13:05: the first check comes a minute later; Tuesday has no flag.
    CheckEveryMinute(January2026(5, 13, 6), January2026(6, 23, 59));
    EXPECT_THAT(m_poster.Take(), ElementsAre("Mon 05 13:06"));
}

TEST_F(PublishSchedulerTest, EachTimePublishesAtItsMinute) {
    Set(global_key::autopub, 1);
    Set(global_key::timermon, 1);
    SetTimes({"8:00", "8:00", "12:30", "23:59"});
    CheckEveryMinute(January2026(5, 0, 0), January2026(5, 23, 59));
    EXPECT_THAT(m_poster.Take(), ElementsAre("Mon 05 08:00", "Mon 05 12:30", "Mon 05 23:59"));
}

TEST_F(PublishSchedulerTest, MidnightFiresAtTheFirstCheckOfTheDay) {
    Set(global_key::autopub, 1);
    Set(global_key::timermon, 1);
    Set(global_key::timertues, 1);
    SetTimes({"0:00"});
    CheckEveryMinute(January2026(5, 23, 50), January2026(6, 0, 10));
    EXPECT_THAT(m_poster.Take(), ElementsAre("Mon 05 23:50", "Tue 06 00:00"));
    // A check that skips midnight still fires on the new day.
    g_now = January2026(7, 0, 3);
    Set(global_key::timerwed, 1);
    m_scheduler.Check();
    EXPECT_THAT(m_poster.Take(), ElementsAre("Wed 07 00:03"));
}

TEST_F(PublishSchedulerTest, AutopubOffStopsPostingAndOnAgainCatchesUpOnce) {
    Set(global_key::autopub, 1);
    Set(global_key::timermon, 1);
    SetTimes({"8:00", "12:00", "18:00"});
    CheckEveryMinute(January2026(5, 7, 0), January2026(5, 8, 59));
    Set(global_key::autopub, 0);
    CheckEveryMinute(January2026(5, 9, 0), January2026(5, 18, 59));
    Set(global_key::autopub, 1);
    CheckEveryMinute(January2026(5, 19, 0), January2026(5, 23, 59));
    EXPECT_THAT(m_poster.Take(), ElementsAre("Mon 05 08:00", "Mon 05 19:00"));
}

TEST_F(PublishSchedulerTest, NoTimesNeverPublish) {
    for (const IntKey& day : global_key::kWeekdayTimers)
        Set(day, 1);
    Set(global_key::autopub, 1);
    ASSERT_EQ(g_settings.Set(kGlobalSection, {ScheduleTimeKey(0), ""}, "0:00"), 1);
    // numberoftimes missing, then 0, then negative: ctime0 is never read.
    CheckEveryMinute(January2026(5, 0, 0), January2026(5, 1, 0));
    for (const int count : {0, -3}) {
        Set(global_key::numberoftimes, count);
        CheckEveryMinute(January2026(6, 0, 0), January2026(6, 1, 0));
    }
    EXPECT_THAT(m_poster.Take(), IsEmpty());
}

TEST_F(PublishSchedulerTest, AnEditedTimetableTakesEffectAtTheNextCheck) {
    Set(global_key::autopub, 1);
    Set(global_key::timermon, 1);
    SetTimes({"8:00"});
    CheckEveryMinute(January2026(5, 7, 0), January2026(5, 9, 59));
    SetTimes({"8:00", "11:00"});
    CheckEveryMinute(January2026(5, 10, 0), January2026(5, 11, 29));
    SetTimes({"8:00", "11:00", "11:45"});
    CheckEveryMinute(January2026(5, 11, 30), January2026(5, 11, 59));
    Set(global_key::timermon, 0);
    SetTimes({"8:00", "11:00", "11:45", "13:00"});
    CheckEveryMinute(January2026(5, 12, 0), January2026(5, 13, 59));
    EXPECT_THAT(m_poster.Take(), ElementsAre("Mon 05 08:00", "Mon 05 11:00", "Mon 05 11:45"));
}

TEST_F(PublishSchedulerTest, TheSameWeekdayAWeekLaterIsANewDay) {
    Set(global_key::autopub, 1);
    Set(global_key::timermon, 1);
    SetTimes({"8:00"});
    CheckEveryMinute(January2026(5, 7, 59), January2026(5, 8, 1));
    // No check for a week (suspended, or autopub off): the next Monday still publishes.
    CheckEveryMinute(January2026(12, 9, 0), January2026(12, 9, 5));
    EXPECT_THAT(m_poster.Take(), ElementsAre("Mon 05 08:00", "Mon 12 09:00"));
}

}  // namespace

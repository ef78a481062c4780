#include "quarn/app/publish_scheduler_thread.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "quarn/app/app_test_support.h"
#include "quarn/services/settings.h"

namespace {

using namespace std::chrono_literals;

// Counts the jobs and notes the nice value of the thread that posted the first one.
class WaitingPoster : public ITaskPoster {
public:
    void PostJob(TaskJob) override {
        std::lock_guard lock(m_mutex);
        if (m_count++ == 0) m_posterNice = ::getpriority(PRIO_PROCESS, ::gettid());
        m_posted.notify_all();
    }
    // False when no job came within `limit`.
    bool WaitForJob(std::chrono::seconds limit) {
        std::unique_lock lock(m_mutex);
        return m_posted.wait_for(lock, limit, [this] { return m_count > 0; });
    }
    int Count() {
        std::lock_guard lock(m_mutex);
        return m_count;
    }
    int PosterNice() {
        std::lock_guard lock(m_mutex);
        return m_posterNice;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_posted;
    int m_count = 0;
    int m_posterNice = 0;
};

class PublishSchedulerThreadTest : public ProgramDirTest {
protected:
    // "0:00" on every day has come at any time of the day, so the first check posts.
    void SetUp() override {
        ProgramDirTest::SetUp();
        WriteSettings(
            "[global]\nautopub=1\nnumberoftimes=1\nctime0=0:00\ntimermon=1\ntimertues=1\n"
            "timerwed=1\ntimerthurs=1\ntimerfri=1\ntimersat=1\ntimersun=1\n");
    }

    WaitingPoster m_poster;
};

TEST_F(PublishSchedulerThreadTest, ChecksAtIdlePriority) {
    const int ownNice = ::getpriority(PRIO_PROCESS, ::gettid());
    CPublishSchedulerThread thread(m_poster, 1ms);
    ASSERT_EQ(thread.Start(), 1) << thread.m_strMessage;
    ASSERT_TRUE(m_poster.WaitForJob(60s));
    thread.Stop();
    if (thread.m_strMessage.empty()) {
        EXPECT_EQ(m_poster.PosterNice(), 19);
    } else {
        EXPECT_NE(thread.m_strMessage.find("normal priority"), std::string::npos);
    }
    EXPECT_EQ(::getpriority(PRIO_PROCESS, ::gettid()), ownNice) << "only the scheduler's thread";
}

TEST_F(PublishSchedulerThreadTest, StopEndsTheWaitAtOnce) {
    CPublishSchedulerThread thread(m_poster);
    ASSERT_EQ(thread.Start(), 1) << thread.m_strMessage;
    EXPECT_EQ(thread.Start(), 1) << "a second start leaves the running thread alone";
    const auto before = std::chrono::steady_clock::now();
    thread.Stop();
    // Waiting out the minute would take the whole interval.
    EXPECT_LT(std::chrono::steady_clock::now() - before,
              CPublishSchedulerThread::kCheckInterval / 2);
    EXPECT_EQ(m_poster.Count(), 0) << "the first check comes one interval after the start";
    thread.Stop();
}

}  // namespace

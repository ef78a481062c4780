#include "quarn/app/job_thread.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>

namespace {

TEST(JobThread, RunsTheBodyOnALargeStack) {
    std::size_t stackSize = 0;
    std::atomic<bool> ran{false};
    CJobThread thread([&] {
        pthread_attr_t attr;
        ASSERT_EQ(::pthread_getattr_np(::pthread_self(), &attr), 0);
        ::pthread_attr_getstacksize(&attr, &stackSize);
        ::pthread_attr_destroy(&attr);
        ran = true;
    });
    std::string error;
    ASSERT_TRUE(thread.Start(&error)) << error;
    thread.Join();
    EXPECT_TRUE(ran);
    EXPECT_GE(stackSize, CJobThread::kStackSize);
}

TEST(JobThread, DestroyingWaitsForTheBody) {
    std::atomic<int> steps{0};
    {
        CJobThread thread([&] {
            for (int i = 0; i < 1000; ++i)
                ++steps;
        });
        ASSERT_TRUE(thread.Start(nullptr));
    }
    EXPECT_EQ(steps, 1000);
}

}  // namespace

#include "platform/message_queue.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

using platform::MessageQueue;
using platform::PostedMessage;

TEST(MessageQueue, DeliversInPostingOrder) {
    MessageQueue queue;
    for (unsigned i = 0; i < 5; ++i)
        queue.Post(100 + i, i, -static_cast<std::intptr_t>(i));
    for (unsigned i = 0; i < 5; ++i) {
        PostedMessage m;
        ASSERT_TRUE(queue.TryTake(m));
        EXPECT_EQ(m.message, 100 + i);
        EXPECT_EQ(m.wParam, i);
        EXPECT_EQ(m.lParam, -static_cast<std::intptr_t>(i));
    }
    PostedMessage m;
    EXPECT_FALSE(queue.TryTake(m));
    EXPECT_FALSE(queue.WaitTake(m, std::chrono::milliseconds(10)));
}

TEST(MessageQueue, ManyPostersOneReceiverLoseNothing) {
    MessageQueue queue;
    constexpr int kThreads = 8, kEach = 2000;
    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t)
        posters.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i)
                queue.Post(1, t, i);
        });
    std::vector<int> next(kThreads, 0);
    for (int n = 0; n < kThreads * kEach; ++n) {
        PostedMessage m = queue.Take();
        // Each poster's messages arrive in its own order.
        ASSERT_EQ(m.lParam, next[m.wParam]++);
    }
    for (auto& p : posters)
        p.join();
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(next[t], kEach);
}

// A wake-up given before the wait is kept for it, so a receiver that checked its state just before
// another thread changed it does not sleep through the whole timeout; it is used up once.
TEST(MessageQueue, AWakeEndsOneWaitWithoutAMessage) {
    MessageQueue queue;
    PostedMessage m;
    queue.Wake();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(queue.WaitTake(m, std::chrono::seconds(30)));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_FALSE(queue.WaitTake(m, std::chrono::milliseconds(10))) << "used up";

    std::thread waker([&] { queue.Wake(); });
    EXPECT_FALSE(queue.WaitTake(m, std::chrono::seconds(30)));
    waker.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));

    queue.Post(7, 0, 0);
    queue.Wake();
    ASSERT_TRUE(queue.WaitTake(m, std::chrono::seconds(30))) << "a message still comes first";
    EXPECT_EQ(m.message, 7u);
}

}  // namespace

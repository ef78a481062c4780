#include "quarn/services/program_context.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>
#include <vector>

#include "quarn/services/notifications.h"

namespace {

// The clear at a job's start against a stop signal that came just before it.
TEST(ClearCancelRequest, KeepsOnlyAStopSignalsCancel) {
    for (const bool stop : {false, true}) {
        g_bStopRequested = stop;
        g_bCancelRequested = true;
        ClearCancelRequest();
        EXPECT_EQ(g_bCancelRequested.load(), stop);
    }
    g_bStopRequested = false;
    g_bCancelRequested = false;
}

TEST(ApplyProgramTitle, ReplacesTheExactWordOnly) {
    struct Case {
        const char* title;
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"Quarn Pro", "no product word here", "no product word here"},
        {"Web", "Quarn Quarn", "Web Web"},
        {"Web", "restart Quarn.", "restart Web."},
        {"Web", "quarn QUARN Quar n", "quarn QUARN Quar n"},
        {"Web", "QuarnQuarn", "WebWeb"},
        {"Quarn Pro", "restart Quarn.", "restart Quarn Pro."},
        {"Quarn Quarn", "a Quarn b Quarn", "a Quarn Quarn b Quarn Quarn"},
        {"xQuarn", "Quarnn", "xQuarnn"},
        {"", "Quarn!", "!"},
        {"Web", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.title) + " / " + c.text);
        g_strProgramTitle.Set(c.title);
        std::string text = c.text;
        ApplyProgramTitle(text);
        EXPECT_EQ(text, c.expected);
    }
}

class StatusMailboxTest : public ::testing::Test {
protected:
    void TearDown() override { g_szStatusMailbox.Take(); }

    // The main window's side: on each FRAME_STATUS_TEXT, take the mailbox line.
    std::vector<std::string> Drain(std::size_t lines) {
        std::vector<std::string> shown;
        while (shown.size() < lines) {
            platform::PostedMessage m = window.Take();
            EXPECT_EQ(m.message, WM_FRAMENOTIFY);
            EXPECT_EQ(m.wParam, FRAME_STATUS_TEXT);
            EXPECT_EQ(m.lParam, 0);
            shown.push_back(g_szStatusMailbox.Take());
        }
        return shown;
    }

    // Until the poster has either finished or is blocked on the full slot: its state decides
    // which, not how long it was given.
    static void WaitUntilPostedOrWaiting(const std::atomic<bool>& posted) {
        while (!posted && g_szStatusMailbox.WaitingWriters() == 0)
            std::this_thread::yield();
    }

    platform::MessageQueue window;
};

TEST_F(StatusMailboxTest, SecondLineWaitsUntilTheFirstIsShown) {
    EXPECT_EQ(PostStatusText(window, "first"), 1);
    std::atomic<bool> second_posted{false};
    std::thread poster([&] {
        PostStatusText(window, "second");
        second_posted = true;
    });
    WaitUntilPostedOrWaiting(second_posted);
    EXPECT_FALSE(second_posted);  // the slot is still full
    EXPECT_EQ(Drain(2), (std::vector<std::string>{"first", "second"}));
    poster.join();
    EXPECT_TRUE(g_szStatusMailbox.IsEmpty());
}

TEST_F(StatusMailboxTest, TryPostNeverWaitsAndKeepsTheRefusedLine) {
    std::string first = "first", second = "second";
    EXPECT_EQ(TryPostStatusText(window, first), 1);
    EXPECT_EQ(TryPostStatusText(window, second), 0);
    EXPECT_EQ(second, "second");
    EXPECT_EQ(Drain(1), (std::vector<std::string>{"first"}));
    EXPECT_EQ(TryPostStatusText(window, second), 1);
    EXPECT_EQ(Drain(1), (std::vector<std::string>{"second"}));
    platform::PostedMessage extra;
    EXPECT_FALSE(window.TryTake(extra));  // one notification per line shown
}

// An empty line holds the slot like any other, so the line after it is neither swapped with it
// nor lost.
TEST_F(StatusMailboxTest, EmptyLineHoldsTheSlotToo) {
    EXPECT_EQ(PostStatusText(window, ""), 1);
    EXPECT_FALSE(g_szStatusMailbox.IsEmpty());
    std::atomic<bool> second_posted{false};
    std::thread poster([&] {
        PostStatusText(window, "second");
        second_posted = true;
    });
    WaitUntilPostedOrWaiting(second_posted);
    EXPECT_FALSE(second_posted);
    EXPECT_EQ(Drain(2), (std::vector<std::string>{"", "second"}));
    poster.join();
}

TEST_F(StatusMailboxTest, LongLineIsCutAtACharacterBoundary) {
    std::string text(CStatusMailbox::kMaxText - 1, 'a');
    text += "\xC3\xA4tail";  // a two-byte character across the limit
    PostStatusText(window, text);
    std::string shown = Drain(1)[0];
    EXPECT_EQ(shown, std::string(CStatusMailbox::kMaxText - 1, 'a'));
}

TEST_F(StatusMailboxTest, ContendedPostersLoseAndInterleaveNothing) {
    constexpr int kThreads = 4, kEach = 25;
    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t)
        posters.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                // Long lines make a torn copy visible.
                std::string line(2000, static_cast<char>('A' + t));
                line += ":" + std::to_string(i);
                PostStatusText(window, line);
            }
        });
    std::vector<std::string> shown = Drain(kThreads * kEach);
    for (auto& p : posters)
        p.join();

    std::map<char, int> next;
    for (const std::string& line : shown) {
        ASSERT_GT(line.size(), 2000u);
        const char who = line[0];
        ASSERT_EQ(line.substr(0, 2000), std::string(2000, who)) << "torn line";
        EXPECT_EQ(line.substr(2001), std::to_string(next[who]++)) << "lost or reordered line";
    }
    EXPECT_EQ(next.size(), static_cast<std::size_t>(kThreads));
    platform::PostedMessage extra;
    EXPECT_FALSE(window.TryTake(extra));
}

}  // namespace

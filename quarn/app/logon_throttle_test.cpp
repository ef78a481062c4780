#include "quarn/app/logon_throttle.h"

#include <gtest/gtest.h>

namespace {

using std::chrono::milliseconds;
using std::chrono::minutes;
using std::chrono::seconds;
using TimePoint = CLogonThrottle::TimePoint;

constexpr std::uint32_t kGuesser = 0x7F000002;
constexpr std::uint32_t kOther = 0x7F000003;
const TimePoint kStart = TimePoint() + std::chrono::hours(1);

// The wait a connection from `address` arriving at `now` is given.
milliseconds WaitAt(CLogonThrottle& throttle, std::uint32_t address, TimePoint now) {
    return std::chrono::duration_cast<milliseconds>(throttle.GreetingTime(address, now) - now);
}

void Fail(CLogonThrottle& throttle, std::uint32_t address, int times, TimePoint at) {
    for (int i = 0; i < times; ++i)
        throttle.OnFailure(address, at);
}

TEST(LogonThrottleTest, WaitDoublesFromTheTenthFailureUpToAMinute) {
    struct Case {
        int failures;
        milliseconds wait, waitFromTenth;
    };
    const Case cases[] = {
        {0, milliseconds(0), milliseconds(0)}, {9, milliseconds(0), milliseconds(0)},
        {10, seconds(1), milliseconds(100)},   {11, seconds(2), milliseconds(200)},
        {12, seconds(4), milliseconds(400)},   {13, seconds(8), milliseconds(800)},
        {14, seconds(16), milliseconds(1600)}, {15, seconds(32), milliseconds(3200)},
        {16, seconds(60), milliseconds(6400)}, {17, seconds(60), milliseconds(12800)},
        {1000, seconds(60), seconds(60)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failures);
        EXPECT_EQ(CLogonThrottle::WaitAfter(c.failures, seconds(1)), c.wait);
        EXPECT_EQ(CLogonThrottle::WaitAfter(c.failures, milliseconds(100)), c.waitFromTenth);
    }
}

TEST(LogonThrottleTest, EachFurtherFailureDoublesTheNextWait) {
    CLogonThrottle throttle;
    TimePoint now = kStart;
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(WaitAt(throttle, kGuesser, now), milliseconds(0)) << i;
        throttle.OnFailure(kGuesser, now);
        now += seconds(1);
    }
    for (const seconds expected : {seconds(1), seconds(2), seconds(4), seconds(8), seconds(16)}) {
        EXPECT_EQ(WaitAt(throttle, kGuesser, now), expected);
        now += expected;
        throttle.OnFailure(kGuesser, now);
    }
    EXPECT_EQ(WaitAt(throttle, kOther, now), milliseconds(0));
}

TEST(LogonThrottleTest, ShorterFirstWaitStillDoublesUpToAMinute) {
    CLogonThrottle throttle(milliseconds(100));
    Fail(throttle, kGuesser, 17, kStart);
    EXPECT_EQ(WaitAt(throttle, kGuesser, kStart), milliseconds(12800));
    Fail(throttle, kGuesser, 1000, kStart + seconds(1));
    EXPECT_EQ(WaitAt(throttle, kGuesser, kStart + minutes(2)), seconds(60));
}

TEST(LogonThrottleTest, OnlyFailuresWithinTenMinutesCount) {
    CLogonThrottle throttle;
    Fail(throttle, kGuesser, 10, kStart);
    EXPECT_EQ(WaitAt(throttle, kGuesser, kStart + minutes(10) - seconds(1)), seconds(1));
    EXPECT_EQ(WaitAt(throttle, kGuesser, kStart + minutes(10)), milliseconds(0));
    EXPECT_EQ(throttle.Addresses(), 0u);  // nothing left to remember

    // The window slides: the one old failure drops out on its own.
    throttle.OnFailure(kGuesser, kStart);
    Fail(throttle, kGuesser, 9, kStart + minutes(5));
    EXPECT_EQ(WaitAt(throttle, kGuesser, kStart + minutes(9)), seconds(1));
    EXPECT_EQ(WaitAt(throttle, kGuesser, kStart + minutes(10)), milliseconds(0));
    EXPECT_EQ(WaitAt(throttle, kGuesser, kStart + minutes(15)), milliseconds(0));
}

TEST(LogonThrottleTest, AcceptedLogonForgetsTheFailures) {
    CLogonThrottle throttle;
    Fail(throttle, kGuesser, 14, kStart);
    Fail(throttle, kOther, 10, kStart);
    throttle.OnSuccess(kGuesser);
    EXPECT_EQ(WaitAt(throttle, kGuesser, kStart), milliseconds(0));
    EXPECT_EQ(WaitAt(throttle, kOther, kStart), seconds(1));
    Fail(throttle, kGuesser, 9, kStart);
    EXPECT_EQ(WaitAt(throttle, kGuesser, kStart), milliseconds(0));
}

TEST(LogonThrottleTest, ConnectionsArrivingTogetherAreGreetedOneWaitApart) {
    CLogonThrottle throttle;
    Fail(throttle, kGuesser, 11, kStart);
    EXPECT_EQ(WaitAt(throttle, kGuesser, kStart), seconds(2));
    EXPECT_EQ(WaitAt(throttle, kGuesser, kStart), seconds(4));
    EXPECT_EQ(WaitAt(throttle, kGuesser, kStart + seconds(1)), seconds(5));
    // Once those are past, a connection waits from its own arrival again.
    EXPECT_EQ(WaitAt(throttle, kGuesser, kStart + seconds(30)), seconds(2));
}

TEST(LogonThrottleTest, FloodOfAddressesKeepsTheTableBounded) {
    CLogonThrottle throttle(CLogonThrottle::kFirstWait, 100);
    for (std::uint32_t address = 1; address <= 1000; ++address)
        throttle.OnFailure(address, kStart + milliseconds(address));
    EXPECT_EQ(throttle.Addresses(), 100u);
    // The addresses that failed last are the ones kept.
    const TimePoint later = kStart + seconds(2);
    Fail(throttle, 1000, 9, later);
    EXPECT_EQ(WaitAt(throttle, 1000, later), seconds(1));
    Fail(throttle, 1, 9, later);
    EXPECT_EQ(WaitAt(throttle, 1, later), milliseconds(0));
    EXPECT_EQ(throttle.Addresses(), 100u);

    // Once the window has passed, a new address finds the old ones gone.
    throttle.OnFailure(5000, later + minutes(10));
    EXPECT_EQ(throttle.Addresses(), 1u);
}

}  // namespace

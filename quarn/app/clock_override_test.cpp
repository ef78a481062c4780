#include "quarn/app/clock_override.h"

#include <gtest/gtest.h>

#include "platform/clock.h"

namespace {

class ClockOverrideTest : public testing::Test {
protected:
    void TearDown() override { platform::SetTimeSource(nullptr); }
};

TEST_F(ClockOverrideTest, AFixedValueStopsTheClock) {
    std::string error;
    ASSERT_TRUE(ApplyClockOverride("1767323045", &error)) << error;
    EXPECT_EQ(platform::CurrentTime(), 1767323045);
    ASSERT_TRUE(ApplyClockOverride("-86400", &error)) << error;
    EXPECT_EQ(platform::CurrentTime(), -86400);
}

TEST_F(ClockOverrideTest, UnsetOrMalformedLeavesTheClockAlone) {
    for (const char* value : {static_cast<const char*>(nullptr), "", "12x", " 12", "1.5", "x"}) {
        SCOPED_TRACE(value ? value : "(unset)");
        std::string error;
        EXPECT_EQ(ApplyClockOverride(value, &error), value == nullptr);
        if (value) {
            EXPECT_NE(error.find("QUARN_CLOCK"), std::string::npos) << error;
        }
        EXPECT_EQ(platform::SetTimeSource(nullptr), nullptr) << "the system clock stays";
    }
}

}  // namespace

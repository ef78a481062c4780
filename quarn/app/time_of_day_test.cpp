#include "quarn/app/time_of_day.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(TimeOfDayTest, ParseTimeReadsHoursAndMinutes) {
    const struct {
        std::string_view text;
        int minutes;
    } cases[] = {
        {"0:00", 0},
        {"", 0},
        {":", 0},
        {"8:00", 480},
        {"12:00", 720},
        {"7:05", 425},
        {"23:59", 1439},
        {" 7:30", 450},
        {"\t7: 30", 450},
        {"+7:+30", 450},
        {":30", 30},
        {"1:", 60},
        {"ab:30", 30},
        {"7h30", 420},
        {"7", 420},
        {"730", 43800},
        {"7:30:45", 450},
        {"7:30xyz", 450},
        {"25:99", 1599},
        {"-1:00", -60},
        {"0:-5", -5},
        {"99999999999:00", INT_MAX},
        {"-99999999999:00", INT_MIN},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseTime(c.text), c.minutes);
    }
}

TEST(TimeOfDayTest, SplitTimeKeepsTheParts) {
    const TimeOfDay time = SplitTime(" 7:60");
    EXPECT_EQ(time.hours, 7);
    EXPECT_EQ(time.minutes, 60);
    const TimeOfDay noColon = SplitTime("24");
    EXPECT_EQ(noColon.hours, 24);
    EXPECT_EQ(noColon.minutes, 0);
}

}  // namespace

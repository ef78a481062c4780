#include "quarn/app/event_log_view.h"

#include <gtest/gtest.h>

#include <fstream>

#include "quarn/services/event_log.h"
#include "tests/fixtures/temp_dir.h"

namespace {

std::time_t LocalTime(int year, int month, int day, int hour = 0, int minute = 0) {
    std::tm date{};
    date.tm_year = year - 1900;
    date.tm_mon = month - 1;
    date.tm_mday = day;
    date.tm_hour = hour;
    date.tm_min = minute;
    date.tm_isdst = -1;
    return std::mktime(&date);
}

class EventLogViewTest : public testing::Test {
protected:
    void Write(const std::string& text) { std::ofstream(m_path, std::ios::binary) << text; }
    fixtures::TempDir m_dir{"event_log_view"};
    std::string m_path = m_dir.File("logfile.txt");
};

TEST(EventLogSplit, LinesWrittenByTheLogAndMalformedOnes) {
    const struct {
        std::string line;
        EventLogEntry entry;
    } rows[] = {
        {"05/10/24 12:00:01  <default> Script execution complete.",
         {"05/10/24", "12:00:01", "default", "Script execution complete."}},
        {"05/10/24 12:00:01  <my web site> ERROR 77- x  ",
         {"05/10/24", "12:00:01", "my web site", "ERROR 77- x"}},
        {"05/10/24 12:00:01  <shop>", {"05/10/24", "12:00:01", "shop", ""}},
        {"05/10/24 12:00:01  <shop>x", {"05/10/24", "12:00:01", "shop", "x"}},
        {"05/10/24 12:00:01 no project here", {"05/10/24", "", "", ""}},
        {"05/10/24 12:00:01  <open ended", {"05/10/24", "12:00:01", "", ""}},
        {"nothing", {"", "", "", ""}},
        {"", {"", "", "", ""}},
        {" <p> text", {"", "", "p", "text"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        EXPECT_EQ(SplitLogLine(row.line), row.entry);
    }
}

TEST(EventLogSplit, ReadsBackWhatTheLogWrites) {
    const std::time_t when = LocalTime(2024, 5, 10, 9, 5);
    std::string line = EventLogLine(when + 7, "my site", "ERROR 12- bad");
    ASSERT_EQ(line.substr(line.size() - 2), "\r\n");
    line.resize(line.size() - 2);
    EXPECT_EQ(SplitLogLine(line),
              (EventLogEntry{"05/10/24", "09:05:07", "my site", "ERROR 12- bad"}));
}

TEST(EventLogDate, YearPivotClampsAndNormalising) {
    const struct {
        const char* text;
        std::time_t expected;
    } rows[] = {
        {"12/31/99", LocalTime(1999, 12, 31)},
        {"01/15/38", LocalTime(2038, 1, 15)},
        {"01/01/00", LocalTime(2000, 1, 1)},
        {"06/01/39", LocalTime(1970, 6, 1)},
        {"02/30/05", LocalTime(2005, 3, 2)},
        {"00/00/24", LocalTime(2024, 1, 1)},
        {"13/32/24", LocalTime(2024, 1, 1)},
        {"-3/-4/24", LocalTime(2024, 1, 1)},
        {"05/10/2024", LocalTime(2038, 5, 10)},
        {"garbage", LocalTime(1970, 1, 1)},
        {"", LocalTime(1970, 1, 1)},
        {"05/10/99999999999999", LocalTime(2038, 5, 10)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(ParseLogDate(row.text), row.expected);
    }
}

TEST_F(EventLogViewTest, MissingOrUnreadableFileListsNothing) {
    EXPECT_TRUE(LoadLog(m_path, {}, 0).empty());
    EXPECT_TRUE(LoadLog(m_dir.Path(), {}, 0).empty());
}

TEST_F(EventLogViewTest, FiltersByErrorTextAndByAge) {
    const std::time_t now = LocalTime(2024, 5, 10, 12);
    std::string text;
    for (int daysBack = 0; daysBack <= 6; ++daysBack)
        text += EventLogLine(now - daysBack * 86400, "p" + std::to_string(daysBack),
                             daysBack % 2 ? "ERROR 77- failed" : "Script execution complete.");
    text += "05/09/24 10:00:00  <site> only error in lower case\n";
    text += "malformed line without columns\r";
    Write(text);
    const auto projects = [&](EventLogFilter filter, std::time_t at) {
        std::vector<std::string> names;
        for (const EventLogEntry& entry : LoadLog(m_path, filter, at))
            names.push_back(entry.project);
        return names;
    };
    using Names = std::vector<std::string>;
    EXPECT_EQ(projects({}, now), (Names{"p0", "p1", "p2", "p3", "p4", "p5", "p6", "site", ""}));
    EXPECT_EQ(projects({true, false}, now), (Names{"p1", "p3", "p5"}));
    EXPECT_EQ(projects({false, true}, now), (Names{"p0", "p1", "p2", "p3", "p4", "site"}));
    EXPECT_EQ(projects({true, true}, now), (Names{"p1", "p3"}));
    // At midnight exactly, the fifth day back is still inside the five days.
    EXPECT_EQ(projects({false, true}, LocalTime(2024, 5, 10)),
              (Names{"p0", "p1", "p2", "p3", "p4", "p5", "site"}));
}

TEST_F(EventLogViewTest, HugeLogGivesTheExactRows) {
    const std::time_t now = LocalTime(2024, 5, 20, 12);
    constexpr int kLines = 200000;
    std::string text;
    text.reserve(kLines * 64);
    for (int i = 0; i < kLines; ++i) {
        const bool error = i % 7 == 0;
        text += EventLogLine(
            now - (i % 10) * 86400, "project " + std::to_string(i % 3),
            error ? "ERROR 29- Network error " + std::to_string(i) : "Script execution complete.");
        if (i % 1000 == 999) text += "garbage line\r\n";
    }
    Write(text);
    int errors = 0;
    int recent = 0;
    int both = 0;
    for (int i = 0; i < kLines; ++i) {
        errors += i % 7 == 0;
        recent += i % 10 <= 4;
        both += i % 7 == 0 && i % 10 <= 4;
    }
    EXPECT_EQ(LoadLog(m_path, {}, now).size(), size_t(kLines + kLines / 1000));
    EXPECT_EQ(LoadLog(m_path, {true, false}, now).size(), size_t(errors));
    EXPECT_EQ(LoadLog(m_path, {false, true}, now).size(), size_t(recent));
    const std::vector<EventLogEntry> rows = LoadLog(m_path, {true, true}, now);
    ASSERT_EQ(rows.size(), size_t(both));
    EXPECT_EQ(rows.front().event, "ERROR 29- Network error 0");
    EXPECT_EQ(rows.back().event, "ERROR 29- Network error 199990");
    EXPECT_EQ(rows.back().project, "project 1");
}

}  // namespace

#include "quarn/services/event_log.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "platform/clock.h"
#include "quarn/services/program_context.h"
#include "tests/fixtures/temp_dir.h"

namespace {

constexpr std::time_t kFixedTime = 1767323045;  // 2026-01-02 03:04:05 UTC

std::time_t FixedClock() {
    return kFixedTime;
}

// TZ set for the test's duration.
class ZoneOverride {
public:
    explicit ZoneOverride(const char* zone) {
        if (const char* old = std::getenv("TZ")) m_old = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ZoneOverride() {
        if (m_old) {
            ::setenv("TZ", m_old->c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }

private:
    std::optional<std::string> m_old;
};

TEST(EventLogTest, LineFormat) {
    const ZoneOverride utc("UTC");
    EXPECT_EQ(EventLogLine(kFixedTime, "default", "Script execution complete."),
              "01/02/26 03:04:05  <default> Script execution complete.\r\n");
    EXPECT_EQ(EventLogLine(0, "", ""), "01/01/70 00:00:00  <> \r\n");
    // 2038-01-19 03:14:07, the last second a 32-bit clock holds; and the year after.
    EXPECT_EQ(EventLogLine(2147483647, "a b", "t"), "01/19/38 03:14:07  <a b> t\r\n");
    EXPECT_EQ(EventLogLine(2147483647 + 31536000LL, "p", "t"), "01/19/39 03:14:07  <p> t\r\n");
    const ZoneOverride ahead("JST-9");
    EXPECT_EQ(EventLogLine(kFixedTime, "p", "t"), "01/02/26 12:04:05  <p> t\r\n");
}

TEST(EventLogTest, AppendsToTheProgramDirectorysLog) {
    fixtures::TempDir dir("event_log");
    ASSERT_TRUE(dir.Ok()) << dir.Error();
    const std::string oldDir = g_strProgramDir;
    const std::string oldProject = g_strProject.Get();
    const platform::TimeSource oldClock = platform::SetTimeSource(FixedClock);
    const ZoneOverride utc("UTC");
    g_strProgramDir = dir.Path();
    g_strProject.Set("site");

    EXPECT_EQ(EventLogPath(), dir.Path() + "/logfile.txt");
    EXPECT_TRUE(AppendEventLog("first"));
    EXPECT_TRUE(AppendEventLog("second"));
    std::ifstream in(EventLogPath(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(),
              "01/02/26 03:04:05  <site> first\r\n01/02/26 03:04:05  <site> second\r\n");

    g_strProgramDir = dir.File("missing");
    EXPECT_FALSE(AppendEventLog("lost"));

    g_strProgramDir = oldDir;
    g_strProject.Set(oldProject);
    platform::SetTimeSource(oldClock);
}

}  // namespace

#include "quarn/app/program_settings.h"

#include <gtest/gtest.h>

#include "quarn/app/app_test_support.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"

namespace {

class ProgramSettingsTest : public ProgramDirTest {
protected:
    std::string Settings() const { return FileText(ProgramDir() + "/Quarn.ini"); }
};

TEST(ProgramSettingsTimeTest, TheScheduleTakesOnlyHoursAndMinutesInRange) {
    const struct {
        std::string_view text;
        bool accepted;
    } cases[] = {
        {"7:05", true},     {"23:59", true},        {" 7:30", true},
        {":30", true},      {"1:", true},           {"0:00", true},
        {"-0:30", true},    {"+7:+30", true},       {"24:00", false},
        {"7:60", false},    {"7-30", false},        {"7h30", false},
        {"7:30:00", false}, {"730", false},         {"", false},
        {"-1:00", false},   {"7:-1", false},        {"a7:30", false},
        {"7:3a", false},    {"\xc3\xa9:00", false}, {"99999999999:00", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(IsScheduleTime(c.text), c.accepted);
    }
}

TEST(ProgramSettingsTimeTest, TimesSortEarliestFirstAndEqualTimesKeepTheirOrder) {
    EXPECT_EQ(SortScheduleTimes({"12:00", "7:30", " 7:30", "0:15", "07:30"}),
              (std::vector<std::string>{"0:15", "7:30", " 7:30", "07:30", "12:00"}));
    EXPECT_EQ(SortScheduleTimes({}), std::vector<std::string>{});
}

TEST(ProgramSettingsPortTest, ThePortIsAnIntegerFromZeroTo10000) {
    const struct {
        std::string_view text;
        int port;  // -1: refused
        std::string_view message;
    } cases[] = {
        {"0", 0, ""},
        {"10000", 10000, ""},
        {" 124 ", 124, ""},
        {"+80", 80, ""},
        {"-1", -1, "Please enter an integer between 0 and 10000."},
        {"10001", -1, "Please enter an integer between 0 and 10000."},
        {"", -1, "Please enter an integer."},
        {"abc", -1, "Please enter an integer."},
        {"12abc", -1, "Please enter an integer."},
        {"1 2", -1, "Please enter an integer."},
        {"99999999999", -1, "Please enter an integer between 0 and 10000."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        int port = -7;
        std::string message;
        EXPECT_EQ(ParseIntField(c.text, kNcPortRange, port, message), c.port >= 0 ? 1 : 0);
        EXPECT_EQ(message, c.message);
        EXPECT_EQ(port, c.port >= 0 ? c.port : -7);
    }
}

TEST_F(ProgramSettingsTest, AnEmptyFileShowsTheDefaultsAndTheFirstSaveWritesEveryKey) {
    const ProgramSettingsValues values = LoadProgramSettings();
    EXPECT_EQ(values.texted, "tolvane");
    EXPECT_EQ(values.listviewer, "xdg-open");
    EXPECT_EQ(values.ncport, 124);
    EXPECT_EQ(values.progtitle, "Quarn Pro");
    EXPECT_TRUE(values.times.empty());

    std::string message;
    ASSERT_EQ(SaveProgramSettings(values, &message), 1) << message;
    EXPECT_EQ(Settings(),
              "[global]\r\ntexted=tolvane\r\nwebb=\r\nlistviewer=xdg-open\r\npriority=1\r\n"
              "closewin=1\r\nhidewindow=0\r\nswonerror=0\r\nlogen=1\r\nallowmultiinst=0\r\n"
              "numretry=3\r\naddressbook=\r\nisplogon=\r\nisppassword=\r\ntimermon=0\r\n"
              "timertues=0\r\ntimerwed=0\r\ntimerthurs=0\r\ntimerfri=0\r\ntimersat=0\r\n"
              "timersun=0\r\nautopub=0\r\nautopubproj=\r\nncen=0\r\nncport=124\r\n"
              "numberoftimes=0\r\nshowapptitledlg=0\r\nprogtitle=Quarn Pro\r\n"
              "welcmsg=Welcome!\\nChoose a project and run its script to build and publish your "
              "web site.\r\nsplashscr=1\r\n");
    EXPECT_EQ(LoadProgramSettings(), values);
}

TEST_F(ProgramSettingsTest, TimesAreWrittenSortedAndALongerOldListIsNotRead) {
    WriteSettings(
        "[global]\r\nnumberoftimes=5\r\nctime0=1:00\r\nctime1=2:00\r\nctime2=3:00\r\n"
        "ctime3=4:00\r\nctime4=5:00\r\n");
    ProgramSettingsValues values = LoadProgramSettings();
    EXPECT_EQ(values.times, (std::vector<std::string>{"1:00", "2:00", "3:00", "4:00", "5:00"}));
    values.times = {"12:00", "7:30", "7:30", "0:15"};
    std::string message;
    ASSERT_EQ(SaveProgramSettings(values, &message), 1) << message;
    EXPECT_EQ(g_settings.GetGlobal(global_key::numberoftimes), 4);
    EXPECT_EQ(g_settings.ReadScheduleTimes(),
              (std::vector<std::string>{"0:15", "7:30", "7:30", "12:00"}));
    EXPECT_EQ(g_settings.File().GetString(kGlobalSection, "ctime4", ""), "5:00");
}

TEST_F(ProgramSettingsTest, EveryValueRoundTripsAndTheTitleFollows) {
    ProgramSettingsValues values;
    values.texted = "/usr/bin/vi";
    values.webb = "firefox";
    values.listviewer = "less";
    values.priority = 2;
    values.closewin = 0;
    values.hidewindow = 1;
    values.swonerror = 1;
    values.logen = 0;
    values.allowmultiinst = 1;
    values.times = {"9:00"};
    values.weekdays = {1, 0, 1, 0, 1, 0, 1};
    values.numretry = 999;
    values.addressbook = "Home DSL";
    values.isplogon = "me";
    values.isppassword = "p w=x";
    values.autopub = 1;
    values.autopubproj = "shop";
    values.ncen = 1;
    values.ncport = 10000;
    values.showapptitledlg = 1;
    values.progtitle = "Site Builder";
    values.welcmsg = "Hello";
    values.splashscr = 0;
    std::string message;
    ASSERT_EQ(SaveProgramSettings(values, &message), 1) << message;
    EXPECT_EQ(LoadProgramSettings(), values);
    EXPECT_EQ(g_strProgramTitle.Get(), "Site Builder");
}

TEST_F(ProgramSettingsTest, AFailedWriteIsReportedAndLeavesTheTitle) {
    g_settings.SetPath(ProgramDir() + "/missing/Quarn.ini");
    ProgramSettingsValues values;
    values.progtitle = "Other";
    std::string message;
    EXPECT_EQ(SaveProgramSettings(values, &message), 0);
    EXPECT_EQ(message, "The settings file " + ProgramDir() +
                           "/missing/Quarn.ini could not be written: no such file or directory.");
    EXPECT_EQ(g_strProgramTitle.Get(), "Quarn Pro");
}

}  // namespace

#include "quarn/services/settings.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct StringRow {
    std::string_view name;
    StringKey key;
    std::string_view expected;
};

struct IntRow {
    std::string_view name;
    IntKey key;
    int expected;
};

const std::vector<StringRow> kGlobalStrings = {
    {"texted", global_key::texted, "tolvane"},
    {"webb", global_key::webb, ""},
    {"listviewer", global_key::listviewer, "xdg-open"},
    {"addressbook", global_key::addressbook, ""},
    {"isplogon", global_key::isplogon, ""},
    {"isppassword", global_key::isppassword, ""},
    {"autopubproj", global_key::autopubproj, ""},
    {"progtitle", global_key::progtitle, "Quarn Pro"},
    {"defprofile", global_key::defprofile, "default"},
    {"erstat", global_key::erstat, "   "},
};

const std::vector<IntRow> kGlobalInts = {
    {"priority", global_key::priority, 1},
    {"closewin", global_key::closewin, 1},
    {"hidewindow", global_key::hidewindow, 0},
    {"swonerror", global_key::swonerror, 0},
    {"logen", global_key::logen, 1},
    {"allowmultiinst", global_key::allowmultiinst, 0},
    {"numretry", global_key::numretry, 3},
    {"timermon", global_key::timermon, 0},
    {"timertues", global_key::timertues, 0},
    {"timerwed", global_key::timerwed, 0},
    {"timerthurs", global_key::timerthurs, 0},
    {"timerfri", global_key::timerfri, 0},
    {"timersat", global_key::timersat, 0},
    {"timersun", global_key::timersun, 0},
    {"numberoftimes", global_key::numberoftimes, 0},
    {"autopub", global_key::autopub, 0},
    {"ncen", global_key::ncen, 0},
    {"ncport", global_key::ncport, 124},
    {"splashscr", global_key::splashscr, 1},
    {"showapptitledlg", global_key::showapptitledlg, 0},
    {"lasterrorline", global_key::lasterrorline, -1},
    {"logfilt", global_key::logfilt, 0},
    {"logfiltd", global_key::logfiltd, 0},
    {"readme", global_key::readme, 1},
    {"windowx", global_key::windowx, 440},
    {"windowy", global_key::windowy, 360},
    {"pswindowx1", global_key::pswindowx1, 120},
    {"pswindowy1", global_key::pswindowy1, 222},
    {"pswindowvis", global_key::pswindowvis, 4},
};

const std::vector<StringRow> kProjectStrings = {
    {"scriptfilename", project_key::scriptfilename, "Script1.scp"},
    {"script2filename", project_key::script2filename, ""},
    {"execname", project_key::execname, ""},
    {"wsname", project_key::wsname, ""},
    {"wslogon", project_key::wslogon, ""},
    {"wspasswd", project_key::wspasswd, ""},
    {"wsaccount", project_key::wsaccount, ""},
    {"wsfilepath", project_key::wsfilepath, ""},
    {"proxyname", project_key::proxyname, ""},
    {"proxylogon", project_key::proxylogon, ""},
    {"proxypass", project_key::proxypass, ""},
    {"roothtml", project_key::roothtml, "html"},
    {"pscriptdir", project_key::pscriptdir, ""},
    {"database", project_key::database, ""},
    {"errorscript", project_key::errorscript, ""},
    {"scriptexec", project_key::scriptexec, ""},
    {"scriptdir", project_key::scriptdir, ""},
    {"lstprojerrmsg", project_key::lstprojerrmsg, ""},
    {"htmltop", project_key::htmltop, ""},
};

const std::vector<IntRow> kProjectInts = {
    {"runscriptcheck", project_key::runscriptcheck, 1},
    {"dialupen", project_key::dialupen, 0},
    {"runscript2check", project_key::runscript2check, 0},
    {"runscript2check", project_key::runscript2checkInPublish, 1},
    {"ftpcheck", project_key::ftpcheck, 0},
    {"execcheck", project_key::execcheck, 0},
    {"ftpport", project_key::ftpport, 21},
    {"ftppasv", project_key::ftppasv, 0},
    {"useproxy", project_key::useproxy, 0},
    {"proxyport", project_key::proxyport, 21},
    {"uploadchg", project_key::uploadchg, 1},
    {"wsclean", project_key::wsclean, 0},
    {"lfnferror", project_key::lfnferror, 0},
    {"resumefailedupload", project_key::resumefailedupload, 0},
    {"ftpretry", project_key::ftpretry, 1},
    {"ftpretrypause", project_key::ftpretrypause, 1},
    {"delh", project_key::delh, 1},
    {"listen", project_key::listen, 1},
    {"eofnnf", project_key::eofnnf, 1},
    {"odbccolsize", project_key::odbccolsize, 64},
    {"odbccursorlib", project_key::odbccursorlib, 1},
    {"errorscripten", project_key::errorscripten, 0},
    {"useexternalscript", project_key::useexternalscript, 0},
    {"resetupload", project_key::resetupload, 0},
    {"sco", project_key::sco, 0},
    {"addedit2chg", project_key::addedit2chg, 0},
};

constexpr std::string_view kProject = "My Project";

class SettingsTest : public testing::Test {
protected:
    void SetUp() override {
        std::string dir = testing::TempDir() + "settings_test_XXXXXX";
        ASSERT_NE(mkdtemp(dir.data()), nullptr);
        m_dir = dir;
        m_path = m_dir + "/Quarn.ini";
        m_settings.SetPath(m_path);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    void WriteFile(std::string_view text) const { std::ofstream(m_path, std::ios::binary) << text; }
    std::string ReadFile() const {
        std::ostringstream text;
        text << std::ifstream(m_path, std::ios::binary).rdbuf();
        return text.str();
    }
    // Every key of every table under section "elsewhere", with a value no default has.
    static std::string ElsewhereSection() {
        std::string text = "[elsewhere]\r\n";
        for (const auto* table : {&kGlobalStrings, &kProjectStrings})
            for (const auto& row : *table)
                text += std::string(row.name) + "=999\r\n";
        for (const auto* table : {&kGlobalInts, &kProjectInts})
            for (const auto& row : *table)
                text += std::string(row.name) + "=999\r\n";
        return text;
    }
    void ExpectDefaults(std::string_view section, const std::vector<StringRow>& strings,
                        const std::vector<IntRow>& ints) const {
        for (const auto& row : strings) {
            SCOPED_TRACE(row.name);
            EXPECT_EQ(row.key.name, row.name);
            EXPECT_EQ(m_settings.Get(section, row.key), row.expected);
        }
        for (const auto& row : ints) {
            SCOPED_TRACE(row.name);
            EXPECT_EQ(row.key.name, row.name);
            EXPECT_EQ(m_settings.Get(section, row.key), row.expected);
        }
    }

    std::string m_dir;
    std::string m_path;
    CSettings m_settings;
};

TEST_F(SettingsTest, FileWithoutKeysGivesEveryDefault) {
    struct FileCase {
        const char* label;
        std::string text;  // empty: no file at all
    };
    const std::vector<FileCase> cases = {
        {"no file", ""},
        {"empty sections", "[global]\r\n[My Project]\r\n"},
        {"keys only in another section",
         ElsewhereSection() + "[global]\r\n[My Project]\r\n[other project]\r\nwsname=x\r\n"},
    };
    for (const auto& file : cases) {
        SCOPED_TRACE(file.label);
        std::filesystem::remove(m_path);
        if (!file.text.empty()) WriteFile(file.text);
        ExpectDefaults(kGlobalSection, kGlobalStrings, kGlobalInts);
        ExpectDefaults(kProject, kProjectStrings, kProjectInts);
        EXPECT_TRUE(m_settings.ReadProjectList().empty());
        EXPECT_TRUE(m_settings.ReadScheduleTimes().empty());
        if (file.text.empty()) {
            EXPECT_FALSE(std::filesystem::exists(m_path)) << "reading must not create the file";
        }
    }
}

TEST_F(SettingsTest, WelcomeBannerIsTwoLinesSeparatedByBackslashN) {
    const std::string banner(global_key::welcmsg.defaultValue);
    EXPECT_EQ(global_key::welcmsg.name, "welcmsg");
    EXPECT_EQ(m_settings.GetGlobal(global_key::welcmsg), banner);
    const auto separator = banner.find("\\n");
    ASSERT_NE(separator, std::string::npos);
    EXPECT_GT(separator, 0u);
    EXPECT_LT(separator + 2, banner.size()) << "the second line must not be empty";
    EXPECT_EQ(banner.find("\\n", separator + 2), std::string::npos);
    EXPECT_EQ(banner.find('\n'), std::string::npos);
}

TEST_F(SettingsTest, ComputedDefaultsComeFromTheReader) {
    const std::vector<std::pair<std::string_view, IntKey>> keys = {
        {"windowx2", global_key::windowx2},
        {"windowy2", global_key::windowy2},
        {"pswindowx2", global_key::pswindowx2},
        {"pswindowy2", global_key::pswindowy2},
    };
    for (const auto& [name, key] : keys) {
        SCOPED_TRACE(name);
        EXPECT_EQ(key.name, name);
        EXPECT_EQ(m_settings.GetGlobal(WithDefault(key, -123)), -123);
        ASSERT_EQ(m_settings.Set(kGlobalSection, key, 55), 1);
        EXPECT_EQ(m_settings.GetGlobal(WithDefault(key, -123)), 55);
    }
}

TEST_F(SettingsTest, WrittenRunScript2CheckWinsOverBothDefaults) {
    ASSERT_EQ(m_settings.Set(kProject, project_key::runscript2check, 0), 1);
    EXPECT_EQ(m_settings.Get(kProject, project_key::runscript2checkInPublish), 0);
    ASSERT_EQ(m_settings.Set(kProject, project_key::runscript2check, 1), 1);
    EXPECT_EQ(m_settings.Get(kProject, project_key::runscript2check), 1);
}

TEST_F(SettingsTest, WeekdayTimersRunMondayToSunday) {
    const std::vector<std::string_view> expected = {
        "timermon", "timertues", "timerwed", "timerthurs", "timerfri", "timersat", "timersun"};
    ASSERT_EQ(global_key::kWeekdayTimers.size(), expected.size());
    for (std::size_t day = 0; day < expected.size(); ++day)
        EXPECT_EQ(global_key::kWeekdayTimers[day].name, expected[day]) << "day " << day;
}

TEST_F(SettingsTest, LastErrorLineMinusOneRoundTrips) {
    ASSERT_EQ(m_settings.Set(kGlobalSection, global_key::lasterrorline, 17), 1);
    EXPECT_EQ(m_settings.GetGlobal(global_key::lasterrorline), 17);
    ASSERT_EQ(m_settings.Set(kGlobalSection, global_key::lasterrorline, -1), 1);
    EXPECT_EQ(m_settings.GetGlobal(global_key::lasterrorline), -1);
    EXPECT_NE(ReadFile().find("lasterrorline=-1\r\n"), std::string::npos) << ReadFile();
}

TEST_F(SettingsTest, ProjectKeysArePerSection) {
    ASSERT_EQ(m_settings.Set("alpha", project_key::wsname, "alpha.example"), 1);
    ASSERT_EQ(m_settings.Set("alpha", project_key::ftpport, 2121), 1);
    ASSERT_EQ(m_settings.Set("beta", project_key::wsname, "beta.example"), 1);

    EXPECT_EQ(m_settings.Get("alpha", project_key::wsname), "alpha.example");
    EXPECT_EQ(m_settings.Get("beta", project_key::wsname), "beta.example");
    EXPECT_EQ(m_settings.Get("alpha", project_key::ftpport), 2121);
    EXPECT_EQ(m_settings.Get("beta", project_key::ftpport), 21);
    EXPECT_EQ(m_settings.GetGlobal(project_key::wsname), "");
}

TEST_F(SettingsTest, RefusedWriteReturnsZeroWithReason) {
    ASSERT_EQ(m_settings.Set(kGlobalSection, global_key::progtitle, "Kept"), 1);
    const std::string before = ReadFile();
    std::string error;
    EXPECT_EQ(m_settings.Set("bad]name", project_key::wsname, "x", &error), 0);
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_EQ(m_settings.Set("bad]name", project_key::ftpport, 1, &error), 0);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadFile(), before);
}

TEST_F(SettingsTest, ProjectListStopsAtFirstEmptyName) {
    struct Case {
        const char* label;
        std::string_view text;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"contiguous",
         "[global]\r\nprofile0=default\r\nprofile1=shop\r\nprofile2=club\r\n",
         {"default", "shop", "club"}},
        {"profile1 empty",
         "[global]\r\nprofile0=default\r\nprofile1=\r\nprofile2=shop\r\nprofile3=club\r\n",
         {"default"}},
        {"profile1 missing", "[global]\r\nprofile0=default\r\nprofile2=shop\r\n", {"default"}},
        {"profile0 empty", "[global]\r\nprofile0=\r\nprofile1=shop\r\n", {}},
        {"names in another section", "[global]\r\n[shop]\r\nprofile0=shop\r\n", {}},
        {"LF line ends", "[global]\nprofile0=a\nprofile1=b\n", {"a", "b"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        WriteFile(c.text);
        EXPECT_EQ(m_settings.ReadProjectList(), c.expected);
    }
}

TEST_F(SettingsTest, ScheduleTimesReadUpToNumberOfTimes) {
    struct Case {
        const char* label;
        std::string_view text;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"as typed, in key order",
         "[global]\r\nnumberoftimes=3\r\nctime0=0:15\r\nctime1=7:30\r\nctime2=12:00\r\n",
         {"0:15", "7:30", "12:00"}},
        {"negative count", "[global]\r\nnumberoftimes=-2\r\nctime0=7:30\r\n", {}},
        {"no count", "[global]\r\nctime0=7:30\r\n", {}},
        {"missing time reads empty",
         "[global]\r\nnumberoftimes=3\r\nctime0=7:05\r\nctime2=23:59\r\n",
         {"7:05", "", "23:59"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        WriteFile(c.text);
        EXPECT_EQ(m_settings.ReadScheduleTimes(), c.expected);
    }
}

TEST_F(SettingsTest, ShorterTimesListLeavesLaterKeysUnread) {
    const std::vector<std::string> times = {"0:15", "7:30", "7:30", "12:00", "23:59"};
    auto write = [&](int count) {
        ASSERT_EQ(m_settings.Set(kGlobalSection, global_key::numberoftimes, count), 1);
        for (int index = 0; index < count; ++index) {
            const std::string key = ScheduleTimeKey(index);
            ASSERT_EQ(m_settings.Set(kGlobalSection, StringKey{key, ""}, times[index]), 1);
        }
    };
    write(5);
    write(2);

    EXPECT_EQ(m_settings.ReadScheduleTimes(), (std::vector<std::string>{"0:15", "7:30"}));
    for (int index = 2; index < 5; ++index) {
        const std::string key = ScheduleTimeKey(index);
        EXPECT_EQ(m_settings.GetGlobal(StringKey{key, ""}), times[index]) << key;
    }
}

TEST_F(SettingsTest, HugeTimesCountIsCapped) {
    WriteFile("[global]\r\nnumberoftimes=2000000000\r\nctime0=7:30\r\n");
    const auto times = m_settings.ReadScheduleTimes();
    ASSERT_EQ(times.size(), static_cast<std::size_t>(kMaxScheduleTimes));
    EXPECT_EQ(times.front(), "7:30");
    EXPECT_EQ(times.back(), "");
}

TEST(FirewallSchemeTest, NamesFollowTheRadioOrder) {
    const std::vector<std::pair<FirewallScheme, std::string_view>> expected = {
        {FIREWALL_NONE, "None"},
        {FIREWALL_SITE_HOSTNAME, "SITE hostname"},
        {FIREWALL_USER_AFTER_LOGON, "USER after logon"},
        {FIREWALL_PROXY_OPEN, "Proxy OPEN"},
        {FIREWALL_TRANSPARENT, "Transparent"},
        {FIREWALL_USER_WITH_NO_LOGON, "USER with no logon"},
        {FIREWALL_USER_FIREID_AT_REMOTEHOST, "USER FireID@Remotehost"},
        {FIREWALL_USER_REMOTEID_AT_REMOTEHOST_FIREID, "USER RemoteID@Remotehost fireID"},
        {FIREWALL_USER_REMOTEID_AT_FIREID_AT_REMOTEHOST, "USER remoteID@FireID@Remotehost"},
    };
    ASSERT_EQ(kFirewallSchemeNames.size(), expected.size());
    for (std::size_t number = 0; number < expected.size(); ++number) {
        SCOPED_TRACE(expected[number].second);
        EXPECT_EQ(static_cast<std::size_t>(expected[number].first), number);
        EXPECT_EQ(kFirewallSchemeNames[expected[number].first], expected[number].second);
    }
}

}  // namespace

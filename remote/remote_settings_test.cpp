#include "remote/remote_settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/fixtures/temp_dir.h"

namespace {

TEST(RemoteSettingsTest, TheFileLiesUnderTheConfigDirectory) {
    EXPECT_EQ(RemoteSettingsPath("/x/cfg", "/home/ann"), "/x/cfg/Tarnby/remote.ini");
    EXPECT_EQ(RemoteSettingsPath("", "/home/ann"), "/home/ann/.config/Tarnby/remote.ini");
    EXPECT_EQ(RemoteSettingsPath(nullptr, "/home/ann"), "/home/ann/.config/Tarnby/remote.ini");
    EXPECT_EQ(RemoteSettingsPath(nullptr, nullptr), "");
}

TEST(RemoteSettingsTest, MissingValuesReadAsTheirDefaults) {
    fixtures::TempDir dir("remote_settings");
    const CRemoteSettingsStore store(dir.File("Tarnby/remote.ini"));
    EXPECT_EQ(store.Load(), RemoteSettings{});
    EXPECT_EQ(store.Load().serverPort, 124);
    EXPECT_EQ(CRemoteSettingsStore("").Load(), RemoteSettings{});
}

TEST(RemoteSettingsTest, SaveWritesTheSixValuesPrivatelyAndLoadReadsThemBack) {
    fixtures::TempDir dir("remote_settings");
    CRemoteSettingsStore store(dir.File("cfg/Tarnby/remote.ini"));
    const RemoteSettings settings{"quarn.example", 4124, "ann", " pass word ", "s.scp", "shop"};
    ASSERT_EQ(store.Save(settings), 1) << store.m_strMessage;
    EXPECT_EQ(store.Load(), settings);
    EXPECT_EQ(fixtures::ReadTextFile(store.Path()),
              "[config]\r\nserverip=quarn.example\r\nserverport=4124\r\nusername=ann\r\n"
              "password= pass word \r\nscript=s.scp\r\nproject=shop\r\n");
    struct stat info {};
    ASSERT_EQ(::stat(store.Path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(dir.File("cfg/Tarnby").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0077, 0u);
}

TEST(RemoteSettingsTest, SaveFailsWithAMessageWhereNoFileCanBeWritten) {
    fixtures::TempDir dir("remote_settings");
    ASSERT_TRUE(fixtures::WriteTextFile(dir.File("file"), "", nullptr));
    for (const std::string& path : {std::string(), dir.File("file/Tarnby/remote.ini")}) {
        SCOPED_TRACE(path);
        CRemoteSettingsStore store(path);
        EXPECT_EQ(store.Save(RemoteSettings{}), 0);
        EXPECT_FALSE(store.m_strMessage.empty());
    }
}

TEST(RemoteSettingsTest, ThePortFieldTakesWholeNumbersFromOneToTenThousand) {
    const std::string kRange = "Please enter an integer between 1 and 10000.";
    const std::string kInteger = "Please enter an integer.";
    struct Case {
        const char* text;
        int port;  // 0: refused
        std::string message;
    };
    for (const Case& c : std::vector<Case>{{"1", 1, ""},
                                           {"124", 124, ""},
                                           {" 10000 ", 10000, ""},
                                           {"0", 0, kRange},
                                           {"10001", 0, kRange},
                                           {"-1", 0, kRange},
                                           {"99999999999", 0, kRange},
                                           {"", 0, kInteger},
                                           {"12a", 0, kInteger},
                                           {"port", 0, kInteger},
                                           {"1.5", 0, kInteger}}) {
        SCOPED_TRACE(c.text);
        int port = 7;
        std::string message;
        EXPECT_EQ(ParseRemotePort(c.text, &port, &message), c.port != 0 ? 1 : 0);
        EXPECT_EQ(port, c.port != 0 ? c.port : 7);
        EXPECT_EQ(message, c.message);
    }
}

}  // namespace

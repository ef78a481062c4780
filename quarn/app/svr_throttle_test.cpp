// The remote-control server against a password guesser: the growing waits before the greeting,
// other addresses served meanwhile, and the refused logons in the event log and the window.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "quarn/app/svr_test_support.h"
#include "quarn/services/event_log.h"
#include "quarn/services/notifications.h"
#include "quarn/services/program_context.h"

namespace {

using fixtures::LineClient;
using std::chrono::milliseconds;

constexpr const char* kGuesser = "127.0.0.2";
constexpr const char* kNeighbour = "127.0.0.3";
constexpr std::string_view kGreeting = "220 Hi from Quarn Pro\r\n";
constexpr std::string_view kDenied = "530 Access denied\r\n";

class SvrThrottleTest : public SvrTest {
protected:
    // One refused logon from `source`, greeted at once.
    void Refused(const char* source, std::string_view user = kUser) {
        LineClient client;
        Connect(client, source);
        ASSERT_EQ(Ask(client, "USER " + std::string(user)).substr(0, 3), "331");
        ASSERT_EQ(Ask(client, "PASS wrong"), kDenied);
        EXPECT_TRUE(client.ServerClosed());
    }

    // The next `count` status lines the server hands to the main window.
    std::vector<std::string> StatusLines(std::size_t count) {
        std::vector<std::string> lines;
        platform::PostedMessage message;
        while (lines.size() < count && m_window.WaitTake(message, std::chrono::seconds(10))) {
            if (message.message == WM_FRAMENOTIFY && message.wParam == FRAME_STATUS_TEXT)
                lines.push_back(g_szStatusMailbox.Take());
        }
        return lines;
    }
};

TEST_F(SvrThrottleTest, GuesserWaitsLongerEachTimeWhileAnotherAddressLogsOnAtOnce) {
    const milliseconds firstWait(100);
    StartServer(CSvrListenSocket::kMaxConnections, firstWait);
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        Refused(kGuesser);
    }
    for (int slowed = 0; slowed < 5; ++slowed) {
        SCOPED_TRACE(slowed);
        const milliseconds wait = firstWait * (1 << slowed);
        LineClient guesser;
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(guesser.Connect(m_nPort, kGuesser));
        // Sent before the greeting, read only after it: the wait cannot be skipped.
        ASSERT_TRUE(guesser.Send("USER bob\r\nPASS wrong\r\n"));
        if (slowed == 4) {
            LineClient neighbour;
            ConnectAndLogOn(neighbour, kUser, kPassword, kNeighbour);
            EXPECT_EQ(Ask(neighbour, "STATE", 2), "System state 2\r\n200 OK\r\n");
            EXPECT_TRUE(guesser.Silent(milliseconds(0))) << "greeted before its wait was over";
        }
        EXPECT_EQ(guesser.Line(), kGreeting);
        EXPECT_GE(std::chrono::steady_clock::now() - start, wait);
        EXPECT_EQ(guesser.Lines(2), "331 Password required for bob\r\n" + std::string(kDenied));
        EXPECT_TRUE(guesser.ServerClosed());
    }
}

TEST_F(SvrThrottleTest, AcceptedLogonForgetsTheAddressesRefusals) {
    // With a minute's wait, a connection that is greeted within the client's time-out was not
    // slowed.
    StartServer(CSvrListenSocket::kMaxConnections, std::chrono::minutes(1));
    for (int i = 0; i < 9; ++i)
        Refused(kGuesser);
    {
        LineClient client;
        ConnectAndLogOn(client, kUser, kPassword, kGuesser);
    }
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        Refused(kGuesser);
    }
    LineClient slowed;
    ASSERT_TRUE(slowed.Connect(m_nPort, kGuesser));
    EXPECT_TRUE(slowed.Silent(milliseconds(200)));
    // Giving up while waiting ends the connection; the other address is served as ever.
    slowed.Close();
    LineClient neighbour;
    ConnectAndLogOn(neighbour, kUser, kPassword, kNeighbour);
}

TEST_F(SvrThrottleTest, RefusedLogonsAreLoggedAndShownWithoutThePassword) {
    static constexpr std::time_t kNow = 1'700'000'000;
    const platform::TimeSource saved = platform::SetTimeSource([] { return kNow; });
    const std::string hostile = "e\tv\x1b[2Je\r!";
    const std::string longName(100, 'x');
    const std::vector<std::string> expected = {
        "Remote logon refused for user \"e\\x09v\\x1B[2Je\\x0D!\" from 127.0.0.2",
        "Remote logon refused for user \"" + std::string(64, 'x') + "...\" from 127.0.0.2",
        "Remote logon refused for user \"bob\" from 127.0.0.3",
    };
    for (const bool logged : {true, false}) {
        SCOPED_TRACE(logged);
        std::filesystem::remove(EventLogPath());
        WriteServerSettings(logged ? "" : "logen=0\r\n");
        StartServer();
        Refused(kGuesser, hostile);
        Refused(kGuesser, longName);
        Refused(kNeighbour);
        // The window shows each one as a status line, logen or not.
        EXPECT_EQ(StatusLines(3), expected);
        m_server.reset();
        EXPECT_EQ(FileText(EventLogPath()), logged ? EventLogLine(kNow, "alpha", expected[0]) +
                                                         EventLogLine(kNow, "alpha", expected[1]) +
                                                         EventLogLine(kNow, "alpha", expected[2])
                                                   : "<missing>");
    }
    platform::SetTimeSource(saved);
}

}  // namespace

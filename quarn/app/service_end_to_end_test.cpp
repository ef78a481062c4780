// The real quarn program as a service: started without a job and without a display in a program
// directory of its own, with its remote-control server on a free port, driven by clients over
// plain sockets, publishing to a real FTP server, and ended by SIGTERM.

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <string>
#include <vector>

#include "quarn/app/app_test_support.h"
#include "tests/fixtures/ftp_server.h"
#include "tests/fixtures/line_client.h"
#include "tests/fixtures/quarn_service.h"

namespace {

using fixtures::LineClient;
using Clock = std::chrono::steady_clock;

constexpr auto kLimit = std::chrono::seconds(60);
constexpr std::string_view kHelp =
    "List of available Commands:\r\nRUN\r\nFTP\r\nPUBLISH\r\nUSER\r\nPASS\r\nHELP\r\nSTATE\r\n"
    "LOGOF\r\nLOCK\r\nUNLOCK\r\nPROJECT\r\n214 OK\r\n";
// Runs until the test creates the file "release" in the project directory.
constexpr std::string_view kHeldScript =
    "&exec(\"until [ -e release ]; do sleep 0.02; done\")&html(\"held.html\"){held}";

class ServiceEndToEndTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(m_quarn.SetupError(), "");
        ASSERT_TRUE(m_ftp.IsRunning()) << m_ftp.FailureReason();
        PutFile(Project("default", "Script1.scp"), "&html(\"index.html\"){home}");
        PutFile(Project("default", "ok.scp"), "&html(\"ok.html\"){ok}");
        PutFile(Project("default", "bad.scp"), "&die(\"out of stock\")");
        PutFile(Project("default", "held.scp"), kHeldScript);
        PutFile(Project("shop", "Script1.scp"), "&html(\"index.html\"){shop}");
    }

    std::string Project(std::string_view project, std::string_view name) const {
        return m_quarn.ProjectFile(project, name);
    }
    // Starts quarn with its projects uploading to `ftp` and `extra` lines for section "default",
    // and waits until its server answers.
    void StartService(const fixtures::FtpServer& ftp, std::string_view extra = {}) {
        ASSERT_EQ(m_quarn.Start(ftp, extra), "");
        LineClient probe;
        ASSERT_TRUE(probe.Connect(m_quarn.Port()));
        EXPECT_EQ(probe.Line(), "220 Hi from Quarn Pro\r\n");
    }
    void LogOn(LineClient& client, std::string_view user, std::string_view password) {
        ASSERT_TRUE(client.Connect(m_quarn.Port()));
        ASSERT_EQ(client.Line(), "220 Hi from Quarn Pro\r\n");
        ASSERT_EQ(Ask(client, "USER " + std::string(user)),
                  "331 Password required for " + std::string(user) + "\r\n");
        ASSERT_EQ(Ask(client, "PASS " + std::string(password)), "230 OK\r\n");
    }
    // Sends `line` + CR LF; the next `lines` reply lines.
    static std::string Ask(LineClient& client, std::string_view line, int lines = 1) {
        EXPECT_TRUE(client.Send(std::string(line) + "\r\n"));
        return client.Lines(lines);
    }
    void Release() const { PutFile(Project("default", "release"), ""); }

    // Declared first, so that quarn is killed before its FTP server goes.
    fixtures::FtpServer m_ftp;
    fixtures::QuarnService m_quarn{QUARN_BINARY};
};

TEST_F(ServiceEndToEndTest, ClientsRunPublishAndSwitchProjectsOneJobAtATime) {
    StartService(m_ftp);
    LineClient admin;
    LineClient bob;
    LineClient stranger;
    LogOn(admin, "admin", "s3cret");
    LogOn(bob, "bob", "Pw 2");
    EXPECT_EQ(Ask(admin, "STATE", 2), "System state 3\r\n200 OK\r\n");
    EXPECT_EQ(Ask(bob, "state", 2), "System state 2\r\n200 OK\r\n");
    EXPECT_EQ(Ask(bob, "HELP", 13), kHelp);
    EXPECT_EQ(Ask(bob, "FROB"), "500 eh?\r\n");
    ASSERT_TRUE(stranger.Connect(m_quarn.Port()));
    EXPECT_EQ(stranger.Line(), "220 Hi from Quarn Pro\r\n");
    EXPECT_EQ(Ask(stranger, "run ok.scp"), "503 Login with USER and PASS first\r\n");

    EXPECT_EQ(Ask(admin, "RUN ok.scp"), "200 OK\r\n");
    EXPECT_EQ(FileText(Project("default", "html/ok.html")), "ok");
    EXPECT_EQ(Ask(admin, "RUN bad.scp"), "550 out of stock\r\n");

    // While admin's job runs, bob is refused; admin's answer comes when the job ends.
    ASSERT_TRUE(admin.Send("RUN held.scp\r\n"));
    EXPECT_EQ(Ask(bob, "RUN ok.scp"), "551 BUSY\r\n");
    EXPECT_EQ(Ask(bob, "LOCK"), "551 BUSY\r\n");
    EXPECT_EQ(Ask(bob, "PROJECT shop"), "551 BUSY\r\n");
    Release();
    EXPECT_EQ(admin.Line(), "200 OK\r\n");
    EXPECT_EQ(FileText(Project("default", "html/held.html")), "held");

    // The lock binds every other connection.
    EXPECT_EQ(Ask(admin, "LOCK"), "214 OK\r\n");
    EXPECT_EQ(Ask(bob, "RUN ok.scp"), "551 BUSY\r\n");
    EXPECT_EQ(Ask(bob, "UNLOCK"), "551 BUSY\r\n");
    EXPECT_EQ(Ask(admin, "LOCK"), "551 BUSY\r\n");
    EXPECT_EQ(Ask(admin, "UNLOCK"), "214 OK\r\n");

    EXPECT_EQ(Ask(bob, "PROJECT nowhere"), "550 Invalid project name\r\n");
    EXPECT_EQ(Ask(bob, "PROJECT shop"), "214 OK\r\n");
    EXPECT_EQ(Ask(bob, "RUN"), "200 OK\r\n");
    EXPECT_EQ(FileText(Project("shop", "html/index.html")), "shop");
    EXPECT_EQ(Ask(bob, "PROJECT default"), "214 OK\r\n");

    EXPECT_EQ(Ask(bob, "FTP"), "200 OK\r\n");
    // The last run in the project wrote only held.html.
    EXPECT_EQ(FileText(m_ftp.RootFile("held.html")), "held");
    EXPECT_EQ(Ask(admin, "PUBLISH"), "200 OK\r\n");
    EXPECT_EQ(FileText(m_ftp.RootFile("index.html")), "home");
    EXPECT_TRUE(stranger.Silent(std::chrono::milliseconds(0)));
}

TEST_F(ServiceEndToEndTest, AClientThatLeavesDuringItsJobGetsNothingAndLosesItsLock) {
    StartService(m_ftp);
    LineClient leaver;
    LineClient stayer;
    LogOn(leaver, "bob", "Pw 2");
    LogOn(stayer, "admin", "s3cret");
    EXPECT_EQ(Ask(leaver, "LOCK"), "214 OK\r\n");
    ASSERT_TRUE(leaver.Send("RUN held.scp\r\n"));
    EXPECT_EQ(Ask(stayer, "RUN ok.scp"), "551 BUSY\r\n");
    leaver.Close();
    Release();
    // Busy until the held job has ended; then the lock is free, and no answer strays here.
    const Clock::time_point deadline = Clock::now() + kLimit;
    std::string reply;
    while ((reply = Ask(stayer, "LOCK")) == "551 BUSY\r\n")
        ASSERT_LT(Clock::now(), deadline);
    EXPECT_EQ(reply, "214 OK\r\n");
    EXPECT_EQ(Ask(stayer, "STATE", 2), "System state 3\r\n200 OK\r\n");
    EXPECT_EQ(FileText(Project("default", "html/held.html")), "held");
}

TEST_F(ServiceEndToEndTest, SigtermCancelsTheRunningJobWhichStillAnswersItsClient) {
    // Refused uploads, retried after a minute's pause.
    fixtures::FtpServer refusing({.permissions = "elr"});
    ASSERT_TRUE(refusing.IsRunning()) << refusing.FailureReason();
    PutFile(Project("default", "html/index.html"), "home");
    PutFile(Project("default", "htmlgen.chg"), "index.html\r\n");
    StartService(refusing, "ftpretry=0\r\nftpretrypause=1\r\nuploadchg=0\r\n");
    LineClient client;
    LogOn(client, "bob", "Pw 2");
    ASSERT_TRUE(client.Send("FTP\r\n"));
    std::string line;
    std::vector<std::string> lines;
    while (m_quarn.Process().ReadLine(line, Clock::now() + kLimit)) {
        lines.push_back(line);
        if (line == "Upload failed! Pausing before re-try...") break;
    }
    ASSERT_FALSE(lines.empty());
    ASSERT_EQ(lines.back(), "Upload failed! Pausing before re-try...");
    m_quarn.Process().Signal(SIGTERM);
    EXPECT_EQ(client.Line(), "550 ERROR 31- upload cancelled by user.\r\n");
    const int status = m_quarn.Process().Finish(lines, Clock::now() + kLimit);
    EXPECT_EQ(status, 0) << m_quarn.ErrorOutput();
    EXPECT_EQ(lines.back(), "ERROR 31- upload cancelled by user.");
    EXPECT_TRUE(client.ServerClosed());
}

}  // namespace

// The real quarn program as a service: started without a job and without a display in a program
// directory of its own, with its remote-control server on a free port, driven by clients over
// plain sockets, publishing to a real FTP server, and ended by SIGTERM.

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "quarn/app/app_test_support.h"
#include "tests/fixtures/free_port.h"
#include "tests/fixtures/ftp_server.h"
#include "tests/fixtures/line_client.h"
#include "tests/fixtures/program_process.h"
#include "tests/fixtures/spawn_program.h"
#include "tests/fixtures/temp_dir.h"

namespace {

namespace fs = std::filesystem;
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
        ASSERT_TRUE(m_programDir.Ok()) << m_programDir.Error();
        ASSERT_TRUE(m_runtimeDir.Ok()) << m_runtimeDir.Error();
        ASSERT_TRUE(m_ftp.IsRunning()) << m_ftp.FailureReason();
        std::string error;
        ASSERT_TRUE(fixtures::InstallProgram(QUARN_BINARY, m_programDir.File("quarn"), &error))
            << error;
        m_port = fixtures::FreeLoopbackPort();
        ASSERT_NE(m_port, 0);
        PutFile(m_programDir.File("passwords.txt"), "admin s3cret\r\nbob Pw 2\r\n");
        for (const char* project : {"default", "shop"})
            fs::create_directories(Project(project, "html"));
        PutFile(Project("default", "Script1.scp"), "&html(\"index.html\"){home}");
        PutFile(Project("default", "ok.scp"), "&html(\"ok.html\"){ok}");
        PutFile(Project("default", "bad.scp"), "&die(\"out of stock\")");
        PutFile(Project("default", "held.scp"), kHeldScript);
        PutFile(Project("shop", "Script1.scp"), "&html(\"index.html\"){shop}");
    }
    void TearDown() override {
        if (m_started) {
            m_quarn.Signal(SIGKILL);
            std::vector<std::string> lines;
            m_quarn.Finish(lines, Clock::now() + kLimit);
        }
    }

    std::string Project(std::string_view project, std::string_view name) const {
        return m_programDir.File("projects/" + std::string(project) + "/" + std::string(name));
    }
    // Quarn.ini: the server on, two projects, the default project's upload to `ftp`, and
    // `extra` lines for section "default".
    void WriteSettings(const fixtures::FtpServer& ftp, std::string_view extra = {}) const {
        PutFile(m_programDir.File("Quarn.ini"),
                "[global]\r\nprofile0=default\r\nprofile1=shop\r\nncen=1\r\nncport=" +
                    std::to_string(m_port) + "\r\n[default]\r\nwsname=" + ftp.Host() +
                    "\r\nftpport=" + std::to_string(ftp.Port()) + "\r\nwslogon=" + ftp.User() +
                    "\r\nwspasswd=" + ftp.Password() + "\r\nftpcheck=1\r\n" + std::string(extra));
    }
    // Starts `quarn` without arguments or a display and waits until its server answers.
    void StartService() {
        std::vector<std::string> env{"TZ=UTC", "LC_ALL=C", "HOME=" + m_programDir.Path(),
                                     "XDG_RUNTIME_DIR=" + m_runtimeDir.Path()};
        for (const char* name :
             {"PATH", "ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS", "TSAN_OPTIONS"}) {
            if (const char* value = std::getenv(name))
                env.push_back(std::string(name) + "=" + value);
        }
        ASSERT_EQ(m_quarn.Start(m_programDir.File("quarn"), {}, m_programDir.Path(), env,
                                m_runtimeDir.File("stderr")),
                  "");
        m_started = true;
        const Clock::time_point deadline = Clock::now() + kLimit;
        LineClient probe;
        while (!probe.Connect(m_port)) {
            ASSERT_LT(Clock::now(), deadline) << "the server never listened";
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        EXPECT_EQ(probe.Line(), "220 Hi from Quarn Pro\r\n");
    }
    void LogOn(LineClient& client, std::string_view user, std::string_view password) {
        ASSERT_TRUE(client.Connect(m_port));
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

    fixtures::TempDir m_programDir{"quarn_service"};
    fixtures::TempDir m_runtimeDir{"quarn_service_runtime"};
    fixtures::FtpServer m_ftp;
    fixtures::ProgramProcess m_quarn;
    bool m_started = false;
    int m_port = 0;
};

TEST_F(ServiceEndToEndTest, ClientsRunPublishAndSwitchProjectsOneJobAtATime) {
    WriteSettings(m_ftp);
    StartService();
    LineClient admin;
    LineClient bob;
    LineClient stranger;
    LogOn(admin, "admin", "s3cret");
    LogOn(bob, "bob", "Pw 2");
    EXPECT_EQ(Ask(admin, "STATE", 2), "System state 3\r\n200 OK\r\n");
    EXPECT_EQ(Ask(bob, "state", 2), "System state 2\r\n200 OK\r\n");
    EXPECT_EQ(Ask(bob, "HELP", 13), kHelp);
    EXPECT_EQ(Ask(bob, "FROB"), "500 eh?\r\n");
    ASSERT_TRUE(stranger.Connect(m_port));
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
    WriteSettings(m_ftp);
    StartService();
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
    WriteSettings(refusing, "ftpretry=0\r\nftpretrypause=1\r\nuploadchg=0\r\n");
    PutFile(Project("default", "html/index.html"), "home");
    PutFile(Project("default", "htmlgen.chg"), "index.html\r\n");
    PutFile(m_programDir.File("Quarn.ini"), FileText(m_programDir.File("Quarn.ini")) + "ftpport=" +
                                                std::to_string(refusing.Port()) + "\r\n");
    StartService();
    LineClient client;
    LogOn(client, "bob", "Pw 2");
    ASSERT_TRUE(client.Send("FTP\r\n"));
    std::string line;
    std::vector<std::string> lines;
    while (m_quarn.ReadLine(line, Clock::now() + kLimit)) {
        lines.push_back(line);
        if (line == "Upload failed! Pausing before re-try...") break;
    }
    ASSERT_FALSE(lines.empty());
    ASSERT_EQ(lines.back(), "Upload failed! Pausing before re-try...");
    m_quarn.Signal(SIGTERM);
    EXPECT_EQ(client.Line(), "550 ERROR 31- upload cancelled by user.\r\n");
    const int status = m_quarn.Finish(lines, Clock::now() + kLimit);
    m_started = false;
    EXPECT_EQ(status, 0) << FileText(m_runtimeDir.File("stderr"));
    EXPECT_EQ(lines.back(), "ERROR 31- upload cancelled by user.");
    EXPECT_TRUE(client.ServerClosed());
}

}  // namespace

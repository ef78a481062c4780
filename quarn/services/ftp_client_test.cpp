#include "quarn/services/ftp_client.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/tcp_stream.h"
#include "quarn/services/program_context.h"
#include "tests/fixtures/ftp_server.h"
#include "tests/fixtures/scripted_ftp_server.h"
#include "tests/fixtures/temp_dir.h"

namespace {

using namespace std::chrono_literals;
using fixtures::FtpServer;
using fixtures::ScriptedFtpServer;

// Every reply line meets several partial reads.
constexpr std::size_t kSmallBuffer = 7;
// For peers that do answer; the time-out tests use kShortTimeout.
constexpr auto kPatientTimeout = 10s;
constexpr auto kShortTimeout = 300ms;

const std::string kNetworkError = "Network error";
const std::string kFileError = "File error";
const std::string kOpenLocalFile = "Unable to open file on local machine";
const std::string kNotConnected = "Not connected to server!";
const std::string kLogonFailed = "Logon failed";
const std::string kInvalidCharacter = "Invalid character in command";

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::string error;
    ASSERT_TRUE(fixtures::WriteTextFile(path, bytes, &error)) << error;
}

std::string RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(generator() & 0xFF);
    return bytes;
}

bool Exists(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0;
}

class FtpClientTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.Ok()) << m_dir.Error();
        g_bCancelRequested = false;
        m_client.SetTimeout(kPatientTimeout);
    }
    void TearDown() override { g_bCancelRequested = false; }

    std::string Local(const std::string& name) const { return m_dir.File(name); }

    // Starts `server`, whose script begins with its greeting, and connects the client to it.
    testing::AssertionResult Greeted(ScriptedFtpServer& server) {
        if (!server.Start()) return testing::AssertionFailure() << server.Failure();
        if (!m_client.Connect("127.0.0.1", server.Port()))
            return testing::AssertionFailure() << m_client.GetMessage();
        if (!m_client.FtpCommand(""))
            return testing::AssertionFailure() << "greeting: " << m_client.GetMessage();
        return testing::AssertionSuccess();
    }

    int LogOn(const FtpServer& server) {
        return m_client.LogOn(server.Host(), server.Port(), server.User(), server.Password(), "",
                              "", "", "", 0, 0);
    }

    // The steps that bring a transfer to the point where data flows: TYPE I, PASV or PORT,
    // `command` and its 1xx, and the data connection.
    static void ScriptDataConnection(ScriptedFtpServer& server, bool passive,
                                     const std::string& command) {
        server.Expect("TYPE I").Reply("200 Type set to I.");
        if (passive) {
            server.Expect("PASV").PassiveReply().Expect(command).Reply("150 Opening.").AcceptData();
        } else {
            server.ExpectPort().Expect(command).Reply("150 Opening.").ConnectData();
        }
    }

    fixtures::TempDir m_dir{"ftp_client"};
    CFtpClient m_client{kSmallBuffer};
};

// ---- Logon through the firewall schemes (scripted peer: the exact commands matter) ----

struct Exchange {
    std::string command;
    std::vector<std::string> replies;
};

struct LogOnCase {
    const char* name;
    int type;
    // The remote server's port as the commands name it (type 0 connects to the fake directly).
    int port;
    std::vector<Exchange> exchanges;
    int result;
    std::string message;
    // "Logon failed" from a scheme drops the connection; other failures keep it.
    bool closed;
};

const std::vector<LogOnCase>& LogOnCases() {
    static const std::vector<LogOnCase> cases = {
        {"0 direct, USER alone",
         0,
         0,
         {{"USER alice", {"230 Logged in."}}},
         1,
         "230 Logged in.",
         false},
        {"0 direct, USER PASS",
         0,
         0,
         {{"USER alice", {"331 Password?"}}, {"PASS pw", {"230 Logged in."}}},
         1,
         "230 Logged in.",
         false},
        {"0 direct, USER PASS ACCT",
         0,
         0,
         {{"USER alice", {"331 Password?"}},
          {"PASS pw", {"332 Account?"}},
          {"ACCT acct", {"230 Logged in."}}},
         1,
         "230 Logged in.",
         false},
        {"0 direct, ACCT answered 3xx",
         0,
         0,
         {{"USER alice", {"331 Password?"}},
          {"PASS pw", {"332 Account?"}},
          {"ACCT acct", {"332 Another account?"}}},
         0,
         kLogonFailed,
         true},
        {"0 direct, password refused",
         0,
         0,
         {{"USER alice", {"331 Password?"}}, {"PASS pw", {"530 Login incorrect."}}},
         0,
         "530 Login incorrect.",
         false},
        {"0 direct, multi-line 230",
         0,
         0,
         {{"USER alice", {"230-Welcome", "230-to the server", "230 Logged in."}}},
         1,
         "230 Logged in.",
         false},
        {"0 direct, preliminary reply to USER",
         0,
         0,
         {{"USER alice", {"120 Wait.", "331 Password?"}}},
         0,
         "331 Password?",
         false},
        {"1 SITE hostname",
         1,
         2121,
         {{"USER fwuser", {"331 Firewall password?"}},
          {"PASS fwpw", {"230 Firewall open."}},
          {"SITE ftp.example:2121", {"331 Connected, user?"}},
          {"USER alice", {"331 Password?"}},
          {"PASS pw", {"230 Logged in."}}},
         1,
         "230 Logged in.",
         false},
        {"1 SITE hostname, port 21, firewall needs no password",
         1,
         21,
         {{"USER fwuser", {"230 Firewall open."}},
          {"SITE ftp.example", {"331 Connected, user?"}},
          {"USER alice", {"230 Logged in."}}},
         1,
         "230 Logged in.",
         false},
        {"1 SITE hostname, 2xx to SITE",
         1,
         2121,
         {{"USER fwuser", {"331 Firewall password?"}},
          {"PASS fwpw", {"230 Firewall open."}},
          {"SITE ftp.example:2121", {"200 SITE done."}}},
         0,
         kLogonFailed,
         true},
        {"1 SITE hostname, firewall password answered 3xx",
         1,
         2121,
         {{"USER fwuser", {"331 Firewall password?"}}, {"PASS fwpw", {"331 Again?"}}},
         0,
         kLogonFailed,
         true},
        {"2 USER after logon",
         2,
         2121,
         {{"USER fwuser", {"331 Firewall password?"}},
          {"PASS fwpw", {"230 Firewall open."}},
          {"USER alice@ftp.example:2121", {"331 Password?"}},
          {"PASS pw", {"230 Logged in."}}},
         1,
         "230 Logged in.",
         false},
        {"2 USER after logon, remote user refused",
         2,
         2121,
         {{"USER fwuser", {"230 Firewall open."}},
          {"USER alice@ftp.example:2121", {"530 Unknown user."}}},
         0,
         "530 Unknown user.",
         false},
        {"3 proxy OPEN",
         3,
         2121,
         {{"OPEN ftp.example:2121", {"220 Connected."}},
          {"USER alice", {"331 Password?"}},
          {"PASS pw", {"230 Logged in."}}},
         1,
         "230 Logged in.",
         false},
        {"3 proxy OPEN answered 3xx",
         3,
         2121,
         {{"OPEN ftp.example:2121", {"331 Connected, user?"}}, {"USER alice", {"230 Logged in."}}},
         1,
         "230 Logged in.",
         false},
        {"3 proxy OPEN refused",
         3,
         2121,
         {{"OPEN ftp.example:2121", {"500 Unknown command."}}},
         0,
         "500 Unknown command.",
         false},
        {"4 transparent",
         4,
         2121,
         {{"USER fwuser", {"331 Firewall password?"}},
          {"PASS fwpw", {"230 Firewall open."}},
          {"USER alice", {"331 Password?"}},
          {"PASS pw", {"230 Logged in."}}},
         1,
         "230 Logged in.",
         false},
        {"4 transparent, account asked twice",
         4,
         2121,
         {{"USER fwuser", {"230 Firewall open."}},
          {"USER alice", {"331 Password?"}},
          {"PASS pw", {"332 Account?"}},
          {"ACCT acct", {"332 Another?"}}},
         0,
         kLogonFailed,
         true},
        {"5 USER with no logon",
         5,
         2121,
         {{"USER alice@ftp.example:2121", {"331 Password?"}}, {"PASS pw", {"230 Logged in."}}},
         1,
         "230 Logged in.",
         false},
        {"5 USER with no logon, port 21",
         5,
         21,
         {{"USER alice@ftp.example", {"230 Logged in."}}},
         1,
         "230 Logged in.",
         false},
        {"5 USER with no logon, 4xx",
         5,
         2121,
         {{"USER alice@ftp.example:2121", {"421 Service not available."}}},
         0,
         "421 Service not available.",
         false},
        {"6 USER FireID@Remotehost",
         6,
         2121,
         {{"USER fwuser@ftp.example:2121", {"331 Firewall password?"}},
          {"PASS fwpw", {"230 Connected."}},
          {"USER alice", {"331 Password?"}},
          {"PASS pw", {"230 Logged in."}}},
         1,
         "230 Logged in.",
         false},
        {"6 USER FireID@Remotehost, firewall password answered 3xx",
         6,
         2121,
         {{"USER fwuser@ftp.example:2121", {"331 Firewall password?"}},
          {"PASS fwpw", {"332 Account?"}}},
         0,
         kLogonFailed,
         true},
        {"7 USER RemoteID@Remotehost fireID",
         7,
         2121,
         {{"USER alice@ftp.example:2121 fwuser", {"331 Password?"}},
          {"PASS pw", {"230 Logged in."}}},
         1,
         "230 Logged in.",
         false},
        {"7 USER RemoteID@Remotehost fireID, 2xx to USER",
         7,
         2121,
         {{"USER alice@ftp.example:2121 fwuser", {"230 Logged in."}}},
         0,
         kLogonFailed,
         true},
        {"8 USER remoteID@FireID@Remotehost",
         8,
         2121,
         {{"USER alice@fwuser@ftp.example:2121", {"331 Password?"}},
          {"PASS pw@fwpw", {"230 Logged in."}}},
         1,
         "230 Logged in.",
         false},
        {"8 USER remoteID@FireID@Remotehost with account",
         8,
         2121,
         {{"USER alice@fwuser@ftp.example:2121", {"331 Password?"}},
          {"PASS pw@fwpw", {"332 Account?"}},
          {"ACCT acct", {"230 Logged in."}}},
         1,
         "230 Logged in.",
         false},
        {"8 USER remoteID@FireID@Remotehost, refused",
         8,
         2121,
         {{"USER alice@fwuser@ftp.example:2121", {"331 Password?"}},
          {"PASS pw@fwpw", {"530 Login incorrect."}}},
         0,
         "530 Login incorrect.",
         false},
    };
    return cases;
}

TEST_F(FtpClientTest, LogOnThroughEveryFirewallScheme) {
    for (const LogOnCase& c : LogOnCases()) {
        SCOPED_TRACE(c.name);
        ScriptedFtpServer server;
        server.Reply("220 Proxy ready.");
        std::vector<std::string> commands;
        for (const Exchange& exchange : c.exchanges) {
            server.Expect(exchange.command);
            for (const std::string& reply : exchange.replies)
                server.Reply(reply);
            commands.push_back(exchange.command);
        }
        if (c.closed) server.ExpectClose();
        ASSERT_TRUE(server.Start()) << server.Failure();

        CFtpClient client(kSmallBuffer);
        client.SetTimeout(kPatientTimeout);
        const bool direct = c.type == 0;
        EXPECT_EQ(client.LogOn(direct ? "127.0.0.1" : "ftp.example",
                               direct ? server.Port() : c.port, "alice", "pw", "acct", "127.0.0.1",
                               "fwuser", "fwpw", server.Port(), c.type),
                  c.result);
        EXPECT_EQ(client.GetMessage(), c.message);
        EXPECT_EQ(client.IsConnected(), c.closed ? 0 : 1);
        EXPECT_TRUE(server.WaitDone()) << server.Failure();
        EXPECT_EQ(server.Received(), commands);
    }
}

TEST_F(FtpClientTest, LogOnFailsBeforeTheSchemeStarts) {
    {
        SCOPED_TRACE("greeting refused");
        ScriptedFtpServer server;
        server.Reply("421 Too many users.");
        ASSERT_TRUE(server.Start()) << server.Failure();
        EXPECT_EQ(m_client.LogOn("127.0.0.1", server.Port(), "alice", "pw", "", "", "", "", 0, 0),
                  0);
        EXPECT_EQ(m_client.GetMessage(), "421 Too many users.");
        EXPECT_EQ(m_client.IsConnected(), 1);
        m_client.Close();
    }
    for (int type : {-1, 9}) {
        SCOPED_TRACE("firewall type " + std::to_string(type));
        EXPECT_EQ(m_client.LogOn("127.0.0.1", 21, "alice", "pw", "", "", "", "", 21, type), 0);
        EXPECT_EQ(m_client.GetMessage(), kLogonFailed);
        EXPECT_EQ(m_client.IsConnected(), 0);
    }
    {
        SCOPED_TRACE("nobody listening");
        int closedPort = 0;
        {
            platform::TcpListener listener;
            std::string error;
            ASSERT_TRUE(listener.Listen("127.0.0.1", 0, 1, &error)) << error;
            closedPort = listener.Port();
        }
        EXPECT_EQ(m_client.LogOn("127.0.0.1", closedPort, "alice", "pw", "", "", "", "", 0, 0), 0);
        EXPECT_EQ(m_client.GetMessage(), "Unable to connect to server");
        EXPECT_EQ(m_client.LogOn("ftp.example", 21, "alice", "pw", "", "127.0.0.1", "fw", "fw",
                                 closedPort, 4),
                  0);
        EXPECT_EQ(m_client.GetMessage(), "Unable to connect to server");
        EXPECT_EQ(m_client.IsConnected(), 0);
    }
    {
        SCOPED_TRACE("already connected");
        ScriptedFtpServer server;
        server.Reply("220 Ready.");
        ASSERT_TRUE(Greeted(server));
        EXPECT_EQ(m_client.LogOn("127.0.0.1", server.Port(), "alice", "pw", "", "", "", "", 0, 0),
                  0);
        EXPECT_EQ(m_client.GetMessage(), "220 Ready.");
        EXPECT_TRUE(server.Received().empty());
    }
}

// ---- Replies ----

TEST_F(FtpClientTest, RepliesSplitOverReadsAndMultiLineReplies) {
    struct Case {
        const char* name;
        std::vector<std::string> pieces;
        std::string message;
        int replyClass;
    };
    const std::vector<Case> cases = {
        {"one line in pieces", {"22", "0 re", "ady\r", "\n"}, "220 ready", 2},
        {"LF alone ends a line", {"331 Password?\n"}, "331 Password?", 3},
        {"three characters are no multi-line start", {"230\r\n"}, "230", 2},
        {"multi-line: only \"230 \" ends it",
         {"230-Welcome\r\n", " 230 indented\r\n", "230-again\r\n", "220 other code\r\n", "230\r\n",
          "2301 longer code\r\n", "230 Logged in.\r\n"},
         "230 Logged in.",
         2},
        {"multi-line split inside lines",
         {"211-Fea", "tures:\r\n MDTM\r", "\n SIZE\r\n211 E", "nd\r\n"},
         "211 End",
         2},
        {"multi-line of another class",
         {"550-No such file.\r\n", "550 Giving up.\r\n"},
         "550 Giving up.",
         5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedFtpServer server;
        server.SendInPieces(c.pieces).Reply("200 after");
        ASSERT_TRUE(server.Start()) << server.Failure();
        CFtpClient client(kSmallBuffer);
        ASSERT_EQ(client.Connect("127.0.0.1", server.Port()), 1) << client.GetMessage();
        EXPECT_EQ(client.ReadReply(), 1);
        EXPECT_EQ(client.GetMessage(), c.message);
        EXPECT_EQ(client.GetReplyClass(), c.replyClass);
        // Nothing of the reply is left for the next one.
        EXPECT_EQ(client.ReadReply(), 1);
        EXPECT_EQ(client.GetMessage(), "200 after");
    }
}

TEST_F(FtpClientTest, EveryLineSetsTheReplyClass) {
    struct Case {
        std::string line;
        int replyClass;
    };
    // Each line follows one of another class, so a line that left the class alone would show.
    const std::vector<Case> cases = {
        {"120 Wait.", 1}, {"", 0},          {"250 Done.", 2}, {"not ftp", 0}, {"350 More.", 3},
        {"650 x", 0},     {"450 Busy.", 4}, {"050 x", 0},     {"550 No.", 5}, {" 220", 0}};
    ScriptedFtpServer server;
    for (const Case& c : cases)
        server.Reply(c.line);
    ASSERT_TRUE(server.Start()) << server.Failure();
    ASSERT_EQ(m_client.Connect("127.0.0.1", server.Port()), 1) << m_client.GetMessage();
    for (const Case& c : cases) {
        SCOPED_TRACE("\"" + c.line + "\"");
        ASSERT_EQ(m_client.ReadReplyLine(), 1) << m_client.GetMessage();
        EXPECT_EQ(m_client.GetMessage(), c.line);
        EXPECT_EQ(m_client.GetReplyClass(), c.replyClass);
    }
}

TEST_F(FtpClientTest, FtpCommandWithEmptyTextOnlyReads) {
    ScriptedFtpServer server;
    server.Reply("220 Ready.").Expect("NOOP").Reply("200 NOOP ok.");
    ASSERT_TRUE(server.Start()) << server.Failure();
    ASSERT_EQ(m_client.Connect("127.0.0.1", server.Port()), 1) << m_client.GetMessage();
    EXPECT_EQ(m_client.FtpCommand(""), 1);
    EXPECT_EQ(m_client.GetMessage(), "220 Ready.");
    EXPECT_EQ(m_client.FtpCommand("NOOP"), 1);
    EXPECT_TRUE(server.WaitDone()) << server.Failure();
    EXPECT_EQ(server.Received(), std::vector<std::string>{"NOOP"});
}

TEST_F(FtpClientTest, PreliminaryRepliesAreReadThroughAndFail) {
    struct Case {
        const char* name;
        std::vector<std::string> replies;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"150 then 425", {"150 Opening.", "425 No data connection."}, "425 No data connection."},
        {"150 then 226", {"150 Opening.", "226 Done."}, "226 Done."},
        {"two preliminary replies", {"120 Wait.", "150 Opening.", "550 No."}, "550 No."},
        {"multi-line preliminary", {"150-Opening", "150 now.", "226 Done."}, "226 Done."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedFtpServer server;
        server.Reply("220 Ready.").Expect("RETR x");
        for (const std::string& reply : c.replies)
            server.Reply(reply);
        server.Expect("NOOP").Reply("200 NOOP ok.");
        CFtpClient client(kSmallBuffer);
        ASSERT_TRUE(server.Start()) << server.Failure();
        ASSERT_EQ(client.Connect("127.0.0.1", server.Port()), 1);
        ASSERT_EQ(client.FtpCommand(""), 1);
        EXPECT_EQ(client.FtpCommand("RETR x"), 0);
        EXPECT_EQ(client.GetMessage(), c.message);
        EXPECT_EQ(client.FtpCommand("NOOP"), 1);
        EXPECT_EQ(client.GetMessage(), "200 NOOP ok.");
        EXPECT_TRUE(server.WaitDone()) << server.Failure();
    }
}

// ---- Commands holding line breaks ----

TEST_F(FtpClientTest, LineBreaksNeverReachTheServer) {
    const std::string existing = Local("existing");
    WriteFile(existing, "upload me");
    const std::string fresh = Local("fresh");
    struct Case {
        const char* name;
        std::function<int(CFtpClient&)> call;
    };
    const std::vector<Case> cases = {
        {"CR LF in a command", [](CFtpClient& c) { return c.FtpCommand("NOOP\r\nDELE x"); }},
        {"LF in a command", [](CFtpClient& c) { return c.FtpCommand("DELE a\nDELE b"); }},
        {"CR in a command", [](CFtpClient& c) { return c.SendCommand("DELE a\rDELE b"); }},
        {"NUL in a command",
         [](CFtpClient& c) { return c.FtpCommand(std::string("DELE a\0b", 8)); }},
        {"CR LF in a download name",
         [&](CFtpClient& c) { return c.TransferFile("a\r\nDELE b", fresh, 1, 1); }},
        {"LF in an upload name",
         [&](CFtpClient& c) { return c.TransferFile("a\nDELE b", existing, 0, 0); }},
    };
    ScriptedFtpServer server;
    server.Reply("220 Ready.");
    for (std::size_t i = 0; i < cases.size(); ++i)
        server.Expect("NOOP").Reply("200 NOOP ok.");
    ASSERT_TRUE(Greeted(server));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.call(m_client), 0);
        EXPECT_EQ(m_client.GetMessage(), kInvalidCharacter);
        EXPECT_EQ(m_client.FtpCommand("NOOP"), 1);
    }
    EXPECT_TRUE(server.WaitDone()) << server.Failure();
    EXPECT_EQ(server.Received(), std::vector<std::string>(cases.size(), "NOOP"));
    EXPECT_FALSE(Exists(fresh));
}

TEST_F(FtpClientTest, LineBreakInALogOnFieldIsNotSent) {
    ScriptedFtpServer server;
    server.Reply("220 Ready.").Expect("NOOP").Reply("200 NOOP ok.");
    ASSERT_TRUE(server.Start()) << server.Failure();
    EXPECT_EQ(
        m_client.LogOn("127.0.0.1", server.Port(), "alice\r\nDELE x", "pw", "", "", "", "", 0, 0),
        0);
    EXPECT_EQ(m_client.GetMessage(), kInvalidCharacter);
    EXPECT_EQ(m_client.FtpCommand("NOOP"), 1);
    EXPECT_TRUE(server.WaitDone()) << server.Failure();
    EXPECT_EQ(server.Received(), std::vector<std::string>{"NOOP"});
}

// ---- Connection state and time-outs ----

TEST_F(FtpClientTest, EveryOperationNeedsAConnection) {
    const std::string file = Local("file");
    WriteFile(file, "data");
    EXPECT_EQ(m_client.IsConnected(), 0);
    const std::vector<std::pair<const char*, std::function<int()>>> calls = {
        {"SendCommand", [&] { return m_client.SendCommand("NOOP"); }},
        {"ReadReplyLine", [&] { return m_client.ReadReplyLine(); }},
        {"ReadReply", [&] { return m_client.ReadReply(); }},
        {"FtpCommand", [&] { return m_client.FtpCommand("NOOP"); }},
        {"FtpCommand empty", [&] { return m_client.FtpCommand(""); }},
        {"TransferFile", [&] { return m_client.TransferFile("file", file, 1, 0); }},
    };
    for (const auto& [name, call] : calls) {
        SCOPED_TRACE(name);
        EXPECT_EQ(call(), 0);
        EXPECT_EQ(m_client.GetMessage(), kNotConnected);
    }
}

TEST_F(FtpClientTest, CloseDropsTheConnectionWithoutQuit) {
    ScriptedFtpServer server;
    server.Reply("220 Ready.").Expect("USER alice").Reply("230 Logged in.").ExpectClose();
    ASSERT_TRUE(server.Start()) << server.Failure();
    ASSERT_EQ(m_client.LogOn("127.0.0.1", server.Port(), "alice", "", "", "", "", "", 0, 0), 1);
    m_client.Close();
    EXPECT_EQ(m_client.IsConnected(), 0);
    EXPECT_EQ(m_client.FtpCommand("NOOP"), 0);
    EXPECT_EQ(m_client.GetMessage(), kNotConnected);
    EXPECT_TRUE(server.WaitDone()) << server.Failure();
    EXPECT_EQ(server.Received(), std::vector<std::string>{"USER alice"});
}

TEST_F(FtpClientTest, SilentServerTimesOut) {
    m_client.SetTimeout(kShortTimeout);
    {
        SCOPED_TRACE("greeting");
        ScriptedFtpServer server;
        ASSERT_TRUE(server.Start()) << server.Failure();
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(m_client.LogOn("127.0.0.1", server.Port(), "alice", "pw", "", "", "", "", 0, 0),
                  0);
        EXPECT_GE(std::chrono::steady_clock::now() - start, kShortTimeout);
        EXPECT_EQ(m_client.GetMessage(), kNetworkError);
        m_client.Close();
    }
    {
        SCOPED_TRACE("reply to a command, after part of a line");
        ScriptedFtpServer server;
        server.Reply("220 Ready.").Expect("NOOP").SendInPieces({"200 NO"});
        ASSERT_TRUE(Greeted(server));
        EXPECT_EQ(m_client.FtpCommand("NOOP"), 0);
        EXPECT_EQ(m_client.GetMessage(), kNetworkError);
    }
}

TEST_F(FtpClientTest, NewClientsTakeTheProcessDefaultTimeout) {
    EXPECT_EQ(CFtpClient::DefaultTimeout(), CFtpClient::kDefaultTimeout);
    const auto previous = CFtpClient::SetDefaultTimeout(kShortTimeout);
    CFtpClient client;
    EXPECT_EQ(CFtpClient::SetDefaultTimeout(previous), kShortTimeout);
    ScriptedFtpServer server;
    ASSERT_TRUE(server.Start()) << server.Failure();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(client.LogOn("127.0.0.1", server.Port(), "alice", "pw", "", "", "", "", 0, 0), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, kShortTimeout);
    EXPECT_LT(std::chrono::steady_clock::now() - start, kPatientTimeout);
    EXPECT_EQ(client.GetMessage(), kNetworkError);
}

TEST_F(FtpClientTest, ConnectTimesOut) {
    // A listener whose accept queue is full drops further handshakes.
    platform::TcpListener listener;
    std::string error;
    ASSERT_TRUE(listener.Listen("127.0.0.1", 0, 0, &error)) << error;
    std::vector<platform::TcpStream> filling(4);
    for (platform::TcpStream& stream : filling) {
        ASSERT_TRUE(stream.Create(&error)) << error;
        if (!stream.Connect("127.0.0.1", listener.Port(), kShortTimeout, &error)) break;
    }
    m_client.SetTimeout(kShortTimeout);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(m_client.Connect("127.0.0.1", listener.Port()), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, kShortTimeout);
    EXPECT_EQ(m_client.GetMessage(), "Unable to connect to server");
    EXPECT_EQ(m_client.IsConnected(), 0);
}

// ---- Transfers against the scripted peer ----

TEST_F(FtpClientTest, PassiveReplyMustHoldSixBytes) {
    struct Case {
        const char* name;
        std::string reply;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"five numbers", "227 Entering Passive Mode (127,0,0,1,4).", kNetworkError},
        {"seven numbers", "227 Entering Passive Mode (127,0,0,1,4,5,6).", kNetworkError},
        {"number above 255", "227 Entering Passive Mode (127,0,0,1,256,5).", kNetworkError},
        {"negative number", "227 Entering Passive Mode (127,0,0,1,-4,5).", kNetworkError},
        {"empty item", "227 Entering Passive Mode (127,0,,1,4,5).", kNetworkError},
        {"blank in item", "227 Entering Passive Mode (127, 0,0,1,4,5).", kNetworkError},
        {"letters", "227 Entering Passive Mode (a,b,c,d,e,f).", kNetworkError},
        {"nothing inside", "227 Entering Passive Mode ().", kNetworkError},
        {"closing before opening", "227 Entering Passive Mode )127,0,0,1,4,5(.", kNetworkError},
        {"no parentheses", "227 Entering Passive Mode 127,0,0,1,4,5.",
         "227 Entering Passive Mode 127,0,0,1,4,5."},
        {"PASV refused", "500 PASV not understood.", "500 PASV not understood."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedFtpServer server;
        server.Reply("220 Ready.")
            .Expect("TYPE I")
            .Reply("200 Type set to I.")
            .Expect("PASV")
            .Reply(c.reply)
            .Expect("NOOP")
            .Reply("200 NOOP ok.");
        CFtpClient client(kSmallBuffer);
        ASSERT_TRUE(server.Start()) << server.Failure();
        ASSERT_EQ(client.Connect("127.0.0.1", server.Port()), 1);
        ASSERT_EQ(client.FtpCommand(""), 1);
        EXPECT_EQ(client.TransferFile("remote", Local("local"), 1, 1), 0);
        EXPECT_EQ(client.GetMessage(), c.message);
        // No RETR went out, and the connection is still in step.
        EXPECT_EQ(client.FtpCommand("NOOP"), 1);
        EXPECT_TRUE(server.WaitDone()) << server.Failure();
        EXPECT_EQ(server.Received(), (std::vector<std::string>{"TYPE I", "PASV", "NOOP"}));
    }
}

TEST_F(FtpClientTest, DroppedDataConnectionFailsTheTransfer) {
    const std::string upload = Local("upload");
    // More than any socket buffers take, so the sender meets the reset.
    WriteFile(upload, RandomBytes(16 << 20, 7));
    struct Case {
        const char* name;
        bool passive;
        bool download;
    };
    for (const Case& c :
         {Case{"passive download", true, true}, Case{"active download", false, true},
          Case{"passive upload", true, false}, Case{"active upload", false, false}}) {
        SCOPED_TRACE(c.name);
        ScriptedFtpServer server;
        server.Reply("220 Ready.");
        ScriptDataConnection(server, c.passive, c.download ? "RETR file" : "STOR file");
        if (c.download) server.SendData(RandomBytes(10000, 1));
        server.ResetData()
            .Reply("426 Connection closed; transfer aborted.")
            .Expect("NOOP")
            .Reply("200 NOOP ok.");
        CFtpClient client(kSmallBuffer);
        client.SetTimeout(kPatientTimeout);
        ASSERT_TRUE(server.Start()) << server.Failure();
        ASSERT_EQ(client.Connect("127.0.0.1", server.Port()), 1);
        ASSERT_EQ(client.FtpCommand(""), 1);
        EXPECT_EQ(client.TransferFile("file", c.download ? Local("download") : upload, c.passive,
                                      c.download),
                  0);
        EXPECT_EQ(client.GetMessage(), kNetworkError);
        // The 426 was taken with the transfer.
        EXPECT_EQ(client.FtpCommand("NOOP"), 1);
        EXPECT_EQ(client.GetMessage(), "200 NOOP ok.");
        EXPECT_TRUE(server.WaitDone()) << server.Failure();
    }
}

TEST_F(FtpClientTest, SilentDataConnectionTimesOut) {
    m_client.SetTimeout(kShortTimeout);
    {
        SCOPED_TRACE("passive: no data and no end");
        ScriptedFtpServer server;
        server.Reply("220 Ready.");
        ScriptDataConnection(server, true, "RETR file");
        server.Reply("426 Data timed out.").Expect("NOOP").Reply("200 NOOP ok.");
        ASSERT_TRUE(Greeted(server));
        EXPECT_EQ(m_client.TransferFile("file", Local("download"), 1, 1), 0);
        EXPECT_EQ(m_client.GetMessage(), kNetworkError);
        EXPECT_EQ(m_client.FtpCommand("NOOP"), 1);
        EXPECT_TRUE(server.WaitDone()) << server.Failure();
        m_client.Close();
    }
    {
        SCOPED_TRACE("active: the server never connects");
        ScriptedFtpServer server;
        server.Reply("220 Ready.")
            .Expect("TYPE I")
            .Reply("200 Type set to I.")
            .ExpectPort()
            .Expect("RETR file")
            .Reply("150 Opening.")
            .Reply("425 Cannot open data connection.")
            .Expect("NOOP")
            .Reply("200 NOOP ok.");
        ASSERT_TRUE(Greeted(server));
        EXPECT_EQ(m_client.TransferFile("file", Local("download"), 0, 1), 0);
        EXPECT_EQ(m_client.GetMessage(), kNetworkError);
        EXPECT_EQ(m_client.FtpCommand("NOOP"), 1);
        EXPECT_TRUE(server.WaitDone()) << server.Failure();
    }
}

TEST_F(FtpClientTest, CancelStopsBeforeTheNextBlock) {
    const std::string data = RandomBytes(100000, 3);
    const std::string download = Local("download");
    ScriptedFtpServer server;
    server.Reply("220 Ready.");
    ScriptDataConnection(server, true, "RETR big");
    server.SendData(data.substr(0, CFtpClient::kBufferSize))
        .Call([&] {
            // Once the first block is in the file, the flag goes up before the rest is sent.
            for (int i = 0; i < 1000 && ReadFile(download).size() < CFtpClient::kBufferSize; ++i)
                std::this_thread::sleep_for(5ms);
            g_bCancelRequested = true;
        })
        .SendData(data.substr(CFtpClient::kBufferSize))
        .CloseData()
        .Reply("226 Done.");
    ASSERT_TRUE(Greeted(server));
    EXPECT_EQ(m_client.TransferFile("big", download, 1, 1), 0);
    EXPECT_EQ(m_client.GetMessage(), "150 Opening.");
    // The partial file stays: the first block, and at most the block that was under way.
    const std::string partial = ReadFile(download);
    EXPECT_GE(partial.size(), CFtpClient::kBufferSize);
    EXPECT_LE(partial.size(), 2 * CFtpClient::kBufferSize);
    EXPECT_TRUE(partial == data.substr(0, partial.size()));
}

TEST_F(FtpClientTest, CancelBeforeTheFirstBlockSendsNothing) {
    const std::string upload = Local("upload");
    WriteFile(upload, RandomBytes(50000, 4));
    ScriptedFtpServer server;
    server.Reply("220 Ready.");
    ScriptDataConnection(server, true, "STOR file");
    server.ReceiveData();
    ASSERT_TRUE(server.Start()) << server.Failure();
    ASSERT_EQ(m_client.Connect("127.0.0.1", server.Port()), 1);
    ASSERT_EQ(m_client.FtpCommand(""), 1);
    g_bCancelRequested = true;
    EXPECT_EQ(m_client.TransferFile("file", upload, 1, 0), 0);
    EXPECT_TRUE(server.WaitDone()) << server.Failure();
    EXPECT_EQ(server.ReceivedData(), "");
}

// Descriptors that an exec would pass on.
std::vector<int> InheritableDescriptors() {
    std::vector<int> found;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        const int fd = std::stoi(entry.path().filename().string());
        const int flags = ::fcntl(fd, F_GETFD);
        if (flags >= 0 && !(flags & FD_CLOEXEC)) found.push_back(fd);
    }
    std::sort(found.begin(), found.end());
    return found;
}

TEST_F(FtpClientTest, NoDescriptorOfATransferIsInherited) {
    const std::string upload = Local("upload");
    WriteFile(upload, "uploaded");
    const std::vector<int> before = InheritableDescriptors();
    for (int passive : {1, 0}) {
        // Looked at while the client holds its control, data or listening socket and the file.
        SCOPED_TRACE(passive ? "passive download" : "active upload");
        std::vector<int> during;
        const auto look = [&] { during = InheritableDescriptors(); };
        ScriptedFtpServer server;
        server.Reply("220 Ready.");
        if (passive) {
            ScriptDataConnection(server, true, "RETR file");
            server.Call(look).SendData("downloaded").CloseData();
        } else {
            server.Expect("TYPE I").Reply("200 Type set to I.").ExpectPort();
            server.Expect("STOR file").Reply("150 Opening.").Call(look).ConnectData().ReceiveData();
        }
        server.Reply("226 Done.");
        CFtpClient client(kSmallBuffer);
        client.SetTimeout(kPatientTimeout);
        ASSERT_TRUE(server.Start()) << server.Failure();
        ASSERT_EQ(client.Connect("127.0.0.1", server.Port()), 1);
        ASSERT_EQ(client.FtpCommand(""), 1);
        EXPECT_EQ(
            client.TransferFile("file", passive ? Local("download") : upload, passive, passive), 1)
            << client.GetMessage();
        EXPECT_TRUE(server.WaitDone()) << server.Failure();
        EXPECT_EQ(during, before);
    }
}

TEST_F(FtpClientTest, UnopenableLocalFileStopsBeforeAnyCommand) {
    ScriptedFtpServer server;
    server.Reply("220 Ready.").Expect("NOOP").Reply("200 NOOP ok.");
    ASSERT_TRUE(Greeted(server));
    EXPECT_EQ(m_client.TransferFile("file", Local("missing/download"), 1, 1), 0);
    EXPECT_EQ(m_client.GetMessage(), kOpenLocalFile);
    EXPECT_EQ(m_client.TransferFile("file", Local("missing_upload"), 0, 0), 0);
    EXPECT_EQ(m_client.GetMessage(), kOpenLocalFile);
    EXPECT_EQ(m_client.FtpCommand("NOOP"), 1);
    EXPECT_TRUE(server.WaitDone()) << server.Failure();
    EXPECT_EQ(server.Received(), std::vector<std::string>{"NOOP"});
}

// ---- Against a real server ----

class FtpClientRealServerTest : public FtpClientTest {
protected:
    void SetUp() override {
        FtpClientTest::SetUp();
        if (!m_server.IsRunning()) GTEST_SKIP() << m_server.FailureReason();
        ASSERT_EQ(LogOn(m_server), 1) << m_client.GetMessage();
    }

    FtpServer m_server;
};

TEST_F(FtpClientRealServerTest, LogOnChecksThePassword) {
    EXPECT_EQ(m_client.GetMessage(), "230 Login successful.");
    CFtpClient wrong(kSmallBuffer);
    EXPECT_EQ(wrong.LogOn(m_server.Host(), m_server.Port(), m_server.User(), "wrong", "", "", "",
                          "", 0, 0),
              0);
    EXPECT_EQ(wrong.GetMessage().substr(0, 4), "530 ");
    EXPECT_EQ(wrong.IsConnected(), 1);
}

TEST_F(FtpClientRealServerTest, TransfersArriveByteForByte) {
    const std::string junk = RandomBytes(200000, 99);
    unsigned seed = 1;
    for (int passive : {1, 0}) {
        for (std::size_t size : {0u, 1u, 4095u, 4096u, 4097u, 8192u, 100000u}) {
            const std::string mode = passive ? "passive" : "active";
            const std::string name = mode + "_" + std::to_string(size) + ".bin";
            {
                SCOPED_TRACE(mode + " upload of " + std::to_string(size) + " bytes");
                const std::string bytes = RandomBytes(size, seed++);
                WriteFile(Local("up_" + name), bytes);
                EXPECT_EQ(m_client.TransferFile("up_" + name, Local("up_" + name), passive, 0), 1)
                    << m_client.GetMessage();
                EXPECT_EQ(m_client.GetMessage().substr(0, 4), "226 ");
                const std::string arrived = ReadFile(m_server.RootFile("up_" + name));
                EXPECT_TRUE(arrived == bytes) << arrived.size() << " bytes arrived";
            }
            {
                SCOPED_TRACE(mode + " download of " + std::to_string(size) + " bytes");
                const std::string bytes = RandomBytes(size, seed++);
                WriteFile(m_server.RootFile("down_" + name), bytes);
                // A longer file is there already: the download replaces it whole.
                WriteFile(Local("down_" + name), junk);
                EXPECT_EQ(m_client.TransferFile("down_" + name, Local("down_" + name), passive, 1),
                          1)
                    << m_client.GetMessage();
                EXPECT_EQ(m_client.GetMessage().substr(0, 4), "226 ");
                const std::string arrived = ReadFile(Local("down_" + name));
                EXPECT_TRUE(arrived == bytes) << arrived.size() << " bytes arrived";
            }
        }
    }
}

TEST_F(FtpClientRealServerTest, RefusedDownloadLeavesTheLocalFileAlone) {
    for (int passive : {1, 0}) {
        SCOPED_TRACE(passive ? "passive" : "active");
        const std::string local = Local("precious");
        WriteFile(local, "precious contents");
        EXPECT_EQ(m_client.TransferFile("no_such_file", local, passive, 1), 0);
        EXPECT_EQ(m_client.GetMessage().substr(0, 4), "550 ");
        EXPECT_EQ(ReadFile(local), "precious contents");
    }
}

TEST_F(FtpClientRealServerTest, FullDiskFailsTheDownloadAndKeepsTheConnectionInStep) {
    WriteFile(m_server.RootFile("big.bin"), RandomBytes(100000, 5));
    for (int passive : {1, 0}) {
        SCOPED_TRACE(passive ? "passive" : "active");
        EXPECT_EQ(m_client.TransferFile("big.bin", "/dev/full", passive, 1), 0);
        EXPECT_EQ(m_client.GetMessage(), kFileError);
        EXPECT_EQ(m_client.FtpCommand("NOOP"), 1);
        EXPECT_EQ(m_client.GetMessage().substr(0, 4), "200 ");
    }
}

TEST_F(FtpClientRealServerTest, LocalReadErrorFailsTheUpload) {
    // A directory opens for reading, but reading it fails.
    EXPECT_EQ(m_client.TransferFile("from_dir.bin", m_dir.Path(), 1, 0), 0);
    EXPECT_EQ(m_client.GetMessage(), kFileError);
    EXPECT_EQ(m_client.FtpCommand("NOOP"), 1);
    EXPECT_EQ(m_client.GetMessage().substr(0, 4), "200 ");
}

TEST(FtpClientReadOnlyServerTest, RefusedUploadFails) {
    FtpServer::Options options;
    options.permissions = "elr";
    FtpServer server(options);
    if (!server.IsRunning()) GTEST_SKIP() << server.FailureReason();
    fixtures::TempDir dir("ftp_client");
    const std::string local = dir.File("upload");
    WriteFile(local, "data");
    CFtpClient client(kSmallBuffer);
    client.SetTimeout(kPatientTimeout);
    ASSERT_EQ(client.LogOn(server.Host(), server.Port(), server.User(), server.Password(), "", "",
                           "", "", 0, 0),
              1)
        << client.GetMessage();
    for (int passive : {1, 0}) {
        SCOPED_TRACE(passive ? "passive" : "active");
        EXPECT_EQ(client.TransferFile("upload", local, passive, 0), 0);
        EXPECT_EQ(client.GetMessage().substr(0, 4), "550 ");
        EXPECT_FALSE(Exists(server.RootFile("upload")));
    }
}

}  // namespace

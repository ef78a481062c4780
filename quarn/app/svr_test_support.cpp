#include "quarn/app/svr_test_support.h"

#include "quarn/services/program_context.h"
#include "tests/fixtures/free_port.h"

void CRecordingPoster::PostJob(TaskJob job) {
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_posted.notify_all();
}

bool CRecordingPoster::WaitForJobs(std::size_t count, std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    return m_posted.wait_for(lock, timeout, [&] { return m_jobs.size() >= count; });
}

std::vector<TaskJob> CRecordingPoster::Jobs() const {
    std::lock_guard lock(m_mutex);
    return m_jobs;
}

void SvrTest::SetUp() {
    ProgramDirTest::SetUp();
    MakeProject("alpha");
    MakeProject("beta");
    g_strProject.Set("alpha");
    g_szProjectDir.Set(ProjectDir("alpha"));
    PutFile(ProgramDir() + "/passwords.txt",
            std::string(kFirstUser) + " " + std::string(kFirstPassword) + "\r\n" +
                std::string(kUser) + " " + std::string(kPassword) + "\r\n");
    WriteServerSettings();
}

void SvrTest::TearDown() {
    m_server.reset();
    // A status line no test took would hold the mailbox for the tests after this one.
    g_szStatusMailbox.Take();
    g_bTaskBusy = 0;
    g_nLockHolder = -1;
    ProgramDirTest::TearDown();
}

void SvrTest::WriteServerSettings(std::string_view extra) {
    m_nPort = fixtures::FreeLoopbackPort();
    ASSERT_NE(m_nPort, 0);
    WriteSettings("[global]\r\nncen=1\r\nncport=" + std::to_string(m_nPort) +
                  "\r\nprofile0=alpha\r\nprofile1=beta\r\nprofile2=gamma\r\ndefprofile=alpha\r\n" +
                  std::string(extra));
}

void SvrTest::StartServer(std::size_t maxConnections, CLogonThrottle::Milliseconds firstWait) {
    m_server = std::make_unique<CSvrThread>(m_poster, &m_window, maxConnections, firstWait);
    ASSERT_EQ(m_server->Start(), 1) << m_server->Message();
    ASSERT_EQ(m_server->Port(), m_nPort) << m_server->Message();
}

void SvrTest::Connect(fixtures::LineClient& client, const char* source) {
    ASSERT_TRUE(client.Connect(m_nPort, source));
    ASSERT_EQ(client.Line(), "220 Hi from Quarn Pro\r\n");
}

void SvrTest::ConnectAndLogOn(fixtures::LineClient& client, std::string_view user,
                              std::string_view password, const char* source) {
    Connect(client, source);
    ASSERT_EQ(Ask(client, "USER " + std::string(user)),
              "331 Password required for " + std::string(user) + "\r\n");
    ASSERT_EQ(Ask(client, "PASS " + std::string(password)), "230 OK\r\n");
}

std::string SvrTest::Ask(fixtures::LineClient& client, std::string_view line, int lines) {
    if (!client.Send(std::string(line) + "\r\n")) return "<send failed>";
    return client.Lines(lines);
}

#pragma once
// Test fixture of the remote-control server: a program directory with two listed projects
// ("alpha", active, and "beta"), a remote users file, and a server on a free loopback port that
// posts its jobs to a recording poster. The test finishes jobs by calling OnJobResult as the
// task thread would.

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/message_queue.h"
#include "quarn/app/app_test_support.h"
#include "quarn/app/svr_thread.h"
#include "quarn/app/task_job.h"
#include "tests/fixtures/line_client.h"

// Records the jobs posted; any thread may wait for them.
class CRecordingPoster : public ITaskPoster {
public:
    void PostJob(TaskJob job) override;
    // Waits until at least `count` jobs were posted (at most `timeout`); false on the time-out.
    bool WaitForJobs(std::size_t count,
                     std::chrono::milliseconds timeout = std::chrono::seconds(10));
    std::vector<TaskJob> Jobs() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_posted;
    std::vector<TaskJob> m_jobs;
};

// The users of the remote users file: the first logs on with state 3, the others with 2.
inline constexpr std::string_view kFirstUser = "admin";
inline constexpr std::string_view kFirstPassword = "s3cret";
inline constexpr std::string_view kUser = "bob";
inline constexpr std::string_view kPassword = "Pw 2";

class SvrTest : public ProgramDirTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes Quarn.ini: the server enabled on a free port, the project list, and `extra` lines
    // appended.
    void WriteServerSettings(std::string_view extra = {});
    // Starts the server (the settings as they are) with a table of `maxConnections`, slowing
    // password guessers from `firstWait` on.
    void StartServer(std::size_t maxConnections = CSvrListenSocket::kMaxConnections,
                     CLogonThrottle::Milliseconds firstWait = CLogonThrottle::kFirstWait);
    // Connects a client (from loopback address `source` when given) and checks the greeting.
    void Connect(fixtures::LineClient& client, const char* source = nullptr);
    // Connects and logs on as `user`; checks every reply.
    void ConnectAndLogOn(fixtures::LineClient& client, std::string_view user = kUser,
                         std::string_view password = kPassword, const char* source = nullptr);
    // Sends `line` + CR LF and returns the next `lines` reply lines.
    static std::string Ask(fixtures::LineClient& client, std::string_view line, int lines = 1);

    int m_nPort = 0;
    platform::MessageQueue m_window;
    CRecordingPoster m_poster;
    std::unique_ptr<CSvrThread> m_server;
};

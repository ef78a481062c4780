// The remote-control server, in process on loopback with real sockets:
//  1. RUN round trips per second by one logged-on client. The task poster ends every job the
//     moment it is posted, so this is the server's share of a remote RUN of an empty script:
//     parsing, posting, the hand-back through the result queue and the reply.
//  2. Connections per second of 100 clients, each connecting, logging on, asking STATE and
//     logging off, again and again; beside it the same 100 clients against a minimal loop that
//     only accepts, greets and closes (the limit of the machine, with the same listen backlog
//     and ports from the same range). Prints both and the ratio; the goal is at least 0.5.
// Every reply is checked byte for byte; a wrong one makes the benchmark exit 1.

#include <poll.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/poll_socket.h"
#include "platform/wake_event.h"
#include "quarn/app/svr_listen_socket.h"
#include "quarn/app/svr_thread.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"
#include "tests/fixtures/line_client.h"
#include "tests/fixtures/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kRunFor = std::chrono::seconds(3);
constexpr int kClients = 100;

// Ends each job at once, on the server thread that posted it.
class InstantPoster : public ITaskPoster {
public:
    void SetSink(IJobResultSink* sink) { m_sink = sink; }
    void PostJob(TaskJob job) override { m_sink->OnJobResult(job.requester, 1); }

private:
    IJobResultSink* m_sink = nullptr;
};

bool Expect(const std::string& got, const std::string& wanted, const char* what) {
    if (got == wanted) return true;
    std::fprintf(stderr, "remote_server_bench: %s: got \"%s\", wanted \"%s\"\n", what, got.c_str(),
                 wanted.c_str());
    return false;
}

std::string Ask(fixtures::LineClient& client, const std::string& line, int lines = 1) {
    return client.Send(line + "\r\n") ? client.Lines(lines) : "";
}

// One client's logon session; false when a reply was wrong.
bool Session(int port) {
    fixtures::LineClient client;
    return client.Connect(port) && Expect(client.Line(), "220 Hi from Quarn Pro\r\n", "greeting") &&
           Expect(Ask(client, "USER bob"), "331 Password required for bob\r\n", "USER") &&
           Expect(Ask(client, "PASS pw"), "230 OK\r\n", "PASS") &&
           Expect(Ask(client, "STATE", 2), "System state 2\r\n200 OK\r\n", "STATE") &&
           client.Send("LOGOF\r\n") && client.ServerClosed();
}

// One connection to the minimal loop.
bool Greeting(int port) {
    fixtures::LineClient client;
    return client.Connect(port) && Expect(client.Line(), "220 Hi\r\n", "limit greeting") &&
           client.ServerClosed();
}

// Runs `session` on kClients threads for kRunFor; sessions per second, or -1 when one failed.
template <typename Session>
double PerSecond(Session session) {
    std::atomic<long> done{0};
    std::atomic<bool> failed{false};
    const Clock::time_point end = Clock::now() + kRunFor;
    const Clock::time_point start = Clock::now();
    std::vector<std::thread> threads;
    for (int i = 0; i < kClients; ++i) {
        threads.emplace_back([&] {
            while (Clock::now() < end && !failed) {
                if (session())
                    ++done;
                else
                    failed = true;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return failed ? -1 : static_cast<double>(done) / seconds;
}

// The limit: accepts, greets and closes, nothing more, on one poll() loop.
class MinimalServer {
public:
    bool Start(std::string* error) {
        if (!m_listener.Listen(0, CSvrListenSocket::kBacklog, error) || !m_wake.Open(error))
            return false;
        m_thread = std::thread([this] { Run(); });
        return true;
    }
    void Stop() {
        m_stop = true;
        m_wake.Signal();
        m_thread.join();
    }
    int Port() const { return m_listener.Port(); }

private:
    void Run() {
        while (!m_stop) {
            pollfd fds[2] = {{m_wake.Descriptor(), POLLIN, 0},
                             {m_listener.Descriptor(), POLLIN, 0}};
            if (::poll(fds, 2, -1) <= 0 || !(fds[1].revents & POLLIN)) continue;
            platform::UniqueFd connection;
            while (m_listener.Accept(&connection) ==
                   platform::PollListener::Accepted::kConnection) {
                platform::SendNow(connection.Get(), "220 Hi\r\n");
                platform::CloseAfterSending(std::move(connection));
            }
        }
    }

    platform::PollListener m_listener;
    platform::WakeEvent m_wake;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

}  // namespace

int main() {
    fixtures::TempDir dir("remote_server_bench");
    std::string error;
    if (!dir.Ok() ||
        !fixtures::WriteTextFile(dir.File("passwords.txt"), "admin x\r\nbob pw\r\n", &error)) {
        std::fprintf(stderr, "remote_server_bench: %s %s\n", dir.Error().c_str(), error.c_str());
        return 1;
    }
    std::filesystem::create_directories(dir.File("projects/bench"));
    g_strProgramDir = dir.Path();
    g_strProgramTitle.Set("Quarn Pro");
    g_strProject.Set("bench");
    g_settings.SetPath(dir.File("Quarn.ini"));
    platform::PollListener probe;
    if (!probe.Listen(0, 1, &error)) {
        std::fprintf(stderr, "remote_server_bench: %s\n", error.c_str());
        return 1;
    }
    const int port = probe.Port();
    probe.Close();
    if (!g_settings.Set(kGlobalSection, global_key::ncen, 1, &error) ||
        !g_settings.Set(kGlobalSection, global_key::ncport, port, &error) ||
        !g_settings.Set(kGlobalSection, global_key::defprofile, "bench", &error)) {
        std::fprintf(stderr, "remote_server_bench: %s\n", error.c_str());
        return 1;
    }

    InstantPoster poster;
    platform::MessageQueue window;
    CSvrThread server(poster, &window);
    poster.SetSink(&server);
    if (!server.Start() || server.Port() != port) {
        std::fprintf(stderr, "remote_server_bench: server on port %d: %s\n", port,
                     server.Message().c_str());
        return 1;
    }

    // 1. RUN round trips.
    fixtures::LineClient client;
    if (!client.Connect(port) || !Expect(client.Line(), "220 Hi from Quarn Pro\r\n", "greeting") ||
        !Expect(Ask(client, "USER bob"), "331 Password required for bob\r\n", "USER") ||
        !Expect(Ask(client, "PASS pw"), "230 OK\r\n", "PASS"))
        return 1;
    long trips = 0;
    const Clock::time_point start = Clock::now();
    while (Clock::now() - start < kRunFor) {
        if (!Expect(Ask(client, "RUN empty.scp"), "200 OK\r\n", "RUN")) return 1;
        ++trips;
    }
    const double tripSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    client.Close();
    std::printf("RUN round trips (jobs ended at once): %.0f per second\n", trips / tripSeconds);

    // 2. Logon sessions against the limit.
    const double sessions = PerSecond([port] { return Session(port); });
    server.Stop();
    MinimalServer minimal;
    if (!minimal.Start(&error)) {
        std::fprintf(stderr, "remote_server_bench: %s\n", error.c_str());
        return 1;
    }
    const double limit = PerSecond([&minimal] { return Greeting(minimal.Port()); });
    minimal.Stop();
    if (sessions < 0 || limit < 0) return 1;
    std::printf("logon-STATE-LOGOF connections, %d clients: %.0f per second\n", kClients, sessions);
    std::printf("accept-greet-close limit, %d clients: %.0f per second\n", kClients, limit);
    std::printf("ratio: %.2f (goal: at least 0.50)\n", sessions / limit);
    return 0;
}

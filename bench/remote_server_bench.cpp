// The remote-control server, in process on loopback with real sockets, each figure next to a
// minimal epoll loop on the same machine that answers with canned replies (no parsing, files or
// jobs), with the same listen backlog and ports from the same range:
//  1. RUN round trips per second by one logged-on client. The task poster ends every job the
//     moment it is posted, so this is the server's share of a remote RUN of an empty script:
//     parsing, posting, the hand-back through the result queue and the reply.
//  2. Sessions per second of 100 clients, each connecting, logging on, asking STATE and logging
//     off, again and again: next to the same exchanges with canned replies, and next to a loop
//     that only accepts, greets and closes (one exchange where a session has four).
// Every reply is checked byte for byte; a wrong one makes the benchmark exit 1.

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/event_poller.h"
#include "platform/poll_socket.h"
#include "platform/wake_event.h"
#include "quarn/app/headless_window.h"
#include "quarn/app/quarn_threads.h"
#include "quarn/app/svr_listen_socket.h"
#include "quarn/app/svr_thread.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"
#include "tests/fixtures/free_port.h"
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

// The limits: a loop that accepts, greets and, for each line received, sends the canned reply
// `answer` gives (none: it closes), with no parsing, no files and no jobs; on one epoll loop, as
// the server's.
class MinimalServer {
public:
    using Answer = std::function<std::optional<std::string>(std::string_view line)>;

    MinimalServer(std::string greeting, Answer answer)
        : m_greeting(std::move(greeting)), m_answer(std::move(answer)) {}
    bool Start(std::string* error) {
        if (!m_listener.Listen(0, CSvrListenSocket::kBacklog, error) || !m_wake.Open(error) ||
            !m_poller.Open(error) || !m_poller.Add(m_wake.Descriptor(), EPOLLIN, kWakeKey) ||
            !m_poller.Add(m_listener.Descriptor(), EPOLLIN, kListenerKey))
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
    static constexpr std::uint64_t kWakeKey = 0;
    static constexpr std::uint64_t kListenerKey = 1;

    void Run() {
        std::vector<platform::EventPoller::Ready> ready;
        while (!m_stop && m_poller.Wait(ready, -1)) {
            for (const platform::EventPoller::Ready& event : ready) {
                if (event.key == kListenerKey)
                    Accept();
                else if (event.key != kWakeKey)
                    Reply(static_cast<int>(event.key));
            }
        }
    }
    void Accept() {
        platform::UniqueFd connection;
        while (m_listener.Accept(&connection) == platform::PollListener::Accepted::kConnection) {
            platform::SendNow(connection.Get(), m_greeting);
            if (!m_answer) {
                platform::CloseAfterSending(std::move(connection));
                continue;
            }
            const int fd = connection.Get();
            m_poller.Add(fd, EPOLLIN, static_cast<std::uint64_t>(fd));
            m_connections[fd] = std::move(connection);
        }
    }
    void Reply(int fd) {
        char buffer[1024];
        const long got = platform::ReceiveNow(fd, buffer, sizeof buffer);
        if (got == platform::kNothingYet) return;
        const std::optional<std::string> reply =
            got > 0 ? m_answer(std::string_view(buffer, static_cast<std::size_t>(got)))
                    : std::nullopt;
        if (reply) {
            platform::SendNow(fd, *reply);
            return;
        }
        platform::CloseAfterSending(std::move(m_connections[fd]));
        m_connections.erase(fd);
    }

    const std::string m_greeting;
    const Answer m_answer;
    platform::PollListener m_listener;
    platform::WakeEvent m_wake;
    platform::EventPoller m_poller;
    std::map<int, platform::UniqueFd> m_connections;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// Runs `measure` against a minimal server; -1 when the server cannot start.
template <typename Measure>
double AgainstMinimal(MinimalServer& minimal, Measure measure) {
    std::string error;
    if (!minimal.Start(&error)) {
        std::fprintf(stderr, "remote_server_bench: %s\n", error.c_str());
        return -1;
    }
    const double result = measure(minimal.Port());
    minimal.Stop();
    return result;
}

// RUN round trips per second of one logged-on client; -1 when a reply was wrong.
double RunTrips(int port) {
    fixtures::LineClient client;
    if (!client.Connect(port) || !Expect(client.Line(), "220 Hi from Quarn Pro\r\n", "greeting") ||
        !Expect(Ask(client, "USER bob"), "331 Password required for bob\r\n", "USER") ||
        !Expect(Ask(client, "PASS pw"), "230 OK\r\n", "PASS"))
        return -1;
    long trips = 0;
    const Clock::time_point start = Clock::now();
    while (Clock::now() - start < kRunFor) {
        if (!Expect(Ask(client, "RUN empty.scp"), "200 OK\r\n", "RUN")) return -1;
        ++trips;
    }
    return static_cast<double>(trips) / std::chrono::duration<double>(Clock::now() - start).count();
}

void PrintRow(const char* what, double server, double limit) {
    std::printf("%-44s %9.0f %9.0f %6.2f\n", what, server, limit, server / limit);
}

// RUN round trips of one client through quarn's own threads, the task thread running an empty
// script of the project "bench" each time (with its output lists and event log); -1 when a reply
// was wrong or the threads did not start.
double RealRunTrips(const fixtures::TempDir& dir, int port) {
    const std::string project = dir.File("projects/bench");
    std::string error;
    if (!fixtures::WriteTextFile(project + "/empty.scp", "", &error) ||
        ::chdir(project.c_str()) != 0) {
        std::fprintf(stderr, "remote_server_bench: %s\n", error.c_str());
        return -1;
    }
    g_szProjectDir.Set(project);
    std::FILE* discard = std::fopen("/dev/null", "w");
    if (discard == nullptr) return -1;
    CHeadlessWindow window(discard);
    CQuarnThreads threads(window.Queue());
    std::atomic<bool> done{false};
    std::thread pump([&] { window.PumpUntil([&done] { return done.load(); }); });
    const auto print = [](const std::string& line) {
        std::fprintf(stderr, "remote_server_bench: %s\n", line.c_str());
    };
    double trips = -1;
    if (threads.Start(print)) {
        trips = RunTrips(port);
        threads.Stop([](const std::function<bool()>& ended) {
            while (!ended())
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        });
    }
    done = true;
    pump.join();
    std::fclose(discard);
    return trips;
}

}  // namespace

int main() {
    fixtures::TempDir dir("remote_server_bench");
    std::string error;
    if (!dir.Ok() ||
        !fixtures::WriteTextFile(dir.File("passwords.txt"), "admin x\r\nbob pw\r\n", &error)) {
        std::fprintf(stderr, "remote_server_bench: %s %s\n", dir.Error().c_str(), error.c_str());
        return 1;
    }
    std::filesystem::create_directories(dir.File("projects/bench/html"));
    g_strProgramDir = dir.Path();
    g_strProgramTitle.Set("Quarn Pro");
    g_strProject.Set("bench");
    g_settings.SetPath(dir.File("Quarn.ini"));
    const int port = fixtures::FreeLoopbackPort();
    if (port == 0) {
        std::fprintf(stderr, "remote_server_bench: no free port\n");
        return 1;
    }
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

    const double trips = RunTrips(port);
    const double sessions = PerSecond([port] { return Session(port); });
    server.Stop();
    const double realTrips = RealRunTrips(dir, port);

    // The same exchanges with canned replies, and the accept-greet-close loop.
    MinimalServer echo("220 Hi from Quarn Pro\r\n", [](std::string_view line) {
        if (line.starts_with("USER")) return std::string("331 Password required for bob\r\n");
        return std::string(line.starts_with("PASS") ? "230 OK\r\n" : "200 OK\r\n");
    });
    const double tripLimit = AgainstMinimal(echo, RunTrips);
    MinimalServer canned("220 Hi from Quarn Pro\r\n",
                         [](std::string_view line) -> std::optional<std::string> {
                             if (line.starts_with("USER"))
                                 return "331 Password required for bob\r\n";
                             if (line.starts_with("PASS")) return "230 OK\r\n";
                             if (line.starts_with("STATE")) return "System state 2\r\n200 OK\r\n";
                             return std::nullopt;
                         });
    const double sessionLimit = AgainstMinimal(
        canned, [](int port) { return PerSecond([port] { return Session(port); }); });
    MinimalServer greeter("220 Hi\r\n", nullptr);
    const double greetLimit = AgainstMinimal(
        greeter, [](int port) { return PerSecond([port] { return Greeting(port); }); });
    if (trips < 0 || sessions < 0 || realTrips < 0 || tripLimit < 0 || sessionLimit < 0 ||
        greetLimit < 0)
        return 1;

    std::printf("remote-control server on loopback, per second; the limit is a minimal loop\n");
    std::printf("%-44s %9s %9s %6s\n", "", "server", "limit", "ratio");
    PrintRow("RUN round trips, 1 client, canned replies", trips, tripLimit);
    PrintRow("RUN of an empty script, the real task thread", realTrips, tripLimit);
    PrintRow("logon-STATE-LOGOF, 100 clients, canned", sessions, sessionLimit);
    PrintRow("logon-STATE-LOGOF, 100 clients, greet-close", sessions, greetLimit);
    std::printf(
        "The first row's jobs are ended by the poster at once: the server's share of a "
        "remote RUN.\n");
    return 0;
}

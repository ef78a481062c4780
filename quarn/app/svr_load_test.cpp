// The remote-control server under load and hostile input: many clients at once, broken and
// binary input, clients that vanish in the middle of a job. Each case is bounded in clients and
// time; the server must keep serving the others and answer each job exactly once.

#include <sys/resource.h>

#include <gtest/gtest.h>

#include <atomic>
#include <latch>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "quarn/app/svr_test_support.h"

namespace {

using fixtures::LineClient;
using namespace std::chrono_literals;

class SvrLoadTest : public SvrTest {};

TEST_F(SvrLoadTest, BrokenAndPipelinedInput) {
    StartServer();
    struct Case {
        const char* name;
        std::vector<std::string> sends;  // sent one after another
        std::string replies;             // everything the server sends back
        bool closed;                     // the server then ends the connection
    };
    const std::string nul("\0\xff\xfe\x01", 4);
    const std::vector<Case> cases = {
        {"600 bytes without LF", {std::string(600, 'A')}, "", true},
        {"two receives that pass 512 bytes",
         {std::string(300, 'A'), std::string(300, 'B')},
         "",
         true},
        {"513 bytes with LF in one receive", {std::string(513, 'A') + "\n"}, "", true},
        {"512 bytes with LF", {std::string(512, 'A') + "\n"}, "500 eh?\r\n", false},
        {"a line in pieces", {"ST", "ATE", "\r", "\n"}, "System state 0\r\n200 OK\r\n", false},
        {"binary with line ends", {nul + "\n" + nul + "\r\n"}, "500 eh?\r\n500 eh?\r\n", false},
        {"pipelined logon",
         {"USER bob\r\nPASS Pw 2\r\nSTATE\r\nUNLOCK\r\n"},
         "331 Password required for bob\r\n230 OK\r\nSystem state 2\r\n200 OK\r\n214 OK\r\n",
         false},
        {"nothing after LOGOF", {"STATE\nLOGOF\nSTATE\n"}, "System state 0\r\n200 OK\r\n", true},
        {"nothing after a refused password",
         {"USER bob\nPASS no\nSTATE\n"},
         "331 Password required for bob\r\n530 Access denied\r\n",
         true},
    };
    LineClient bystander;
    ConnectAndLogOn(bystander);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LineClient client;
        Connect(client);
        for (const std::string& bytes : c.sends) {
            ASSERT_TRUE(client.Send(bytes));
            std::this_thread::sleep_for(5ms);  // separate receives
        }
        std::string replies;
        for (std::string line;
             replies.size() < c.replies.size() && !(line = client.Line()).empty();)
            replies += line;
        EXPECT_EQ(replies, c.replies);
        if (c.closed)
            EXPECT_TRUE(client.ServerClosed());
        else
            EXPECT_TRUE(client.Silent(20ms));
        EXPECT_EQ(Ask(bystander, "STATE", 2), "System state 2\r\n200 OK\r\n");
    }
}

TEST_F(SvrLoadTest, PipelinedJobsAreRefusedWhileOneIsAwaited) {
    StartServer();
    LineClient client;
    ConnectAndLogOn(client);
    ASSERT_TRUE(client.Send("RUN a\r\nRUN b\r\nFTP\r\n"));
    EXPECT_EQ(client.Lines(2), "551 BUSY\r\n551 BUSY\r\n");
    ASSERT_TRUE(m_poster.WaitForJobs(1));
    m_server->OnJobResult(m_poster.Jobs()[0].requester, 1);
    EXPECT_EQ(client.Line(), "200 OK\r\n");
    EXPECT_EQ(m_poster.Jobs().size(), 1u);
    EXPECT_EQ(m_poster.Jobs()[0].scriptPath, "a");
}

// Raises the soft limit of open descriptors to at least `wanted` when the hard limit allows.
bool EnsureDescriptors(rlim_t wanted) {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return false;
    if (limit.rlim_cur >= wanted) return true;
    if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max < wanted) return false;
    limit.rlim_cur = wanted;
    return ::setrlimit(RLIMIT_NOFILE, &limit) == 0;
}

TEST_F(SvrLoadTest, FiveHundredClientsAtOnce) {
    constexpr int kClients = 500;
    constexpr int kThreads = 10;
    // Each client needs a descriptor here and one in the server.
    ASSERT_TRUE(EnsureDescriptors(2 * kClients + 100));
    StartServer();
    std::vector<LineClient> clients(kClients);
    std::atomic<int> served{0};
    // Every thread connects its clients as fast as it can, and none starts a session before all
    // 500 are connected: the connections arrive in a burst far above the listen backlog.
    std::latch connected(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = t; i < kClients; i += kThreads)
                clients[i].Connect(m_nPort);
            connected.arrive_and_wait();
            for (int i = t; i < kClients; i += kThreads) {
                LineClient& client = clients[i];
                const bool first = i % 2 == 0;
                const std::string user(first ? kFirstUser : kUser);
                const std::string password(first ? kFirstPassword : kPassword);
                const std::string expected = "220 Hi from Quarn Pro\r\n331 Password required for " +
                                             user + "\r\n230 OK\r\nSystem state " +
                                             (first ? "3" : "2") + "\r\n200 OK\r\n";
                std::string got = client.Line();
                got += Ask(client, "USER " + user);
                got += Ask(client, "PASS " + password);
                got += Ask(client, "STATE", 2);
                client.Send("LOGOF\r\n");
                if (got == expected && client.ServerClosed()) ++served;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(served, kClients);
}

TEST_F(SvrLoadTest, EveryJobIsAnsweredToItsRequesterExactlyOnce) {
    WriteServerSettings("[alpha]\r\nlstprojerrmsg=it failed\r\n");
    StartServer();
    constexpr int kKeepers = 8;
    constexpr int kVanishers = 4;
    constexpr int kJobsEach = 8;

    // Stands in for the task thread: ends each job as soon as it is posted, success and failure
    // in turn.
    std::atomic<bool> done{false};
    std::thread tasks([&] {
        for (std::size_t next = 0; !done;) {
            if (!m_poster.WaitForJobs(next + 1, 20ms)) continue;
            m_server->OnJobResult(m_poster.Jobs()[next].requester, next % 2 == 0 ? 1 : 0);
            ++next;
        }
    });

    std::atomic<int> answered{0};
    std::atomic<int> faults{0};
    std::vector<std::thread> clients;
    for (int k = 0; k < kKeepers; ++k) {
        clients.emplace_back([&] {
            LineClient client;
            if (!client.Connect(m_nPort) || client.Line().empty() ||
                Ask(client, "USER bob").empty() || Ask(client, "PASS Pw 2") != "230 OK\r\n") {
                ++faults;
                return;
            }
            for (int jobs = 0; jobs < kJobsEach;) {
                const std::string reply = Ask(client, "RUN keep");
                if (reply == "551 BUSY\r\n") {
                    std::this_thread::sleep_for(1ms);
                } else if (reply == "200 OK\r\n" || reply == "550 it failed\r\n") {
                    ++jobs;
                    ++answered;
                } else {
                    ++faults;
                    return;
                }
            }
            // A result delivered twice, or to the wrong connection, would come before these.
            if (Ask(client, "STATE", 2) != "System state 2\r\n200 OK\r\n") ++faults;
        });
    }
    for (int v = 0; v < kVanishers; ++v) {
        clients.emplace_back([&] {
            for (int round = 0; round < kJobsEach; ++round) {
                LineClient client;
                if (!client.Connect(m_nPort)) {
                    ++faults;
                    return;
                }
                client.Send("USER bob\r\nPASS Pw 2\r\nRUN vanish\r\n");
                std::this_thread::sleep_for(std::chrono::milliseconds(round % 3));
            }
        });
    }
    for (std::thread& client : clients)
        client.join();
    done = true;
    tasks.join();

    EXPECT_EQ(faults, 0);
    int keeperJobs = 0;
    for (const TaskJob& job : m_poster.Jobs())
        keeperJobs += job.scriptPath == "keep" ? 1 : 0;
    EXPECT_EQ(keeperJobs, kKeepers * kJobsEach);
    EXPECT_EQ(answered, kKeepers * kJobsEach);
}

TEST_F(SvrLoadTest, GarbageAndVanishingClientsLeaveOthersServed) {
    StartServer();
    constexpr int kHostile = 24;
    constexpr int kRounds = 20;
    std::vector<std::thread> hostile;
    for (int h = 0; h < kHostile; ++h) {
        hostile.emplace_back([&, h] {
            std::mt19937 random(static_cast<unsigned>(h));
            for (int round = 0; round < kRounds; ++round) {
                LineClient client(2s);
                if (!client.Connect(m_nPort)) continue;
                std::string bytes(random() % 1500, '\0');
                for (char& c : bytes)
                    c = static_cast<char>(random());
                switch (round % 4) {
                    case 0:  // garbage, then gone without reading
                        client.Send(bytes);
                        break;
                    case 1:  // garbage, then read every reply until the server ends it
                        client.Send(bytes + "\nLOGOF\n");
                        while (!client.Line().empty()) {
                        }
                        break;
                    case 2:  // gone before the greeting is read
                        break;
                    default:  // half a line, then gone
                        client.Send("USER bo");
                        break;
                }
            }
        });
    }
    LineClient steady;
    ConnectAndLogOn(steady);
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(Ask(steady, "STATE", 2), "System state 2\r\n200 OK\r\n") << i;
    for (std::thread& thread : hostile)
        thread.join();
    LineClient after;
    ConnectAndLogOn(after);
}

}  // namespace

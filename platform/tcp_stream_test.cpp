#include "platform/tcp_stream.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using platform::TcpLineReader;
using platform::TcpListener;
using platform::TcpStream;

constexpr auto kLong = 10s;
constexpr auto kShort = 200ms;

// A connected pair on loopback: `client` made with Connect, `server` taken with Accept.
struct Pair {
    TcpStream client;
    TcpStream server;
};

Pair Connected() {
    Pair pair;
    TcpListener listener;
    std::string error;
    EXPECT_TRUE(listener.Listen("127.0.0.1", 0, 5, &error)) << error;
    EXPECT_TRUE(pair.client.Create(&error)) << error;
    EXPECT_TRUE(pair.client.Connect("127.0.0.1", listener.Port(), kLong, &error)) << error;
    EXPECT_TRUE(listener.Accept(&pair.server, kLong, &error)) << error;
    return pair;
}

// The open sockets of this process that an exec would pass on.
std::vector<int> InheritableSockets() {
    std::vector<int> found;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code ec;
        const std::string target = std::filesystem::read_symlink(entry.path(), ec).string();
        const int fd = std::stoi(entry.path().filename().string());
        const int flags = ::fcntl(fd, F_GETFD);
        if (!ec && target.rfind("socket:", 0) == 0 && flags >= 0 && !(flags & FD_CLOEXEC))
            found.push_back(fd);
    }
    return found;
}

std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 131 + i / 251) & 0xFF);
    return bytes;
}

TEST(TcpStream, LinesSurvivePartialReadsForEveryBufferSize) {
    // CR LF and LF ends, an empty line, a line longer than the buffer, and a last line without
    // a line end.
    const std::string sent = "220 ready\r\nplain LF\n\r\n" + std::string(5000, 'x') + "\r\nlast";
    const std::vector<std::string> expected = {"220 ready", "plain LF", "", std::string(5000, 'x'),
                                               "last"};
    for (std::size_t bufferSize : {1u, 2u, 3u, 7u, 4096u}) {
        SCOPED_TRACE("buffer " + std::to_string(bufferSize));
        Pair pair = Connected();
        std::string error;
        ASSERT_TRUE(pair.server.SendAll(sent, kLong, &error)) << error;
        ASSERT_TRUE(pair.server.Close(&error)) << error;
        TcpLineReader reader(pair.client, bufferSize);
        std::vector<std::string> lines;
        std::string line;
        TcpLineReader::Result result;
        while ((result = reader.ReadLine(&line, kLong, &error)) == TcpLineReader::Result::kLine)
            lines.push_back(line);
        EXPECT_EQ(result, TcpLineReader::Result::kEnd) << error;
        EXPECT_EQ(lines, expected);
    }
}

TEST(TcpStream, LineSplitOverSeveralSendsIsJoined) {
    Pair pair = Connected();
    std::string error;
    std::thread sender([&] {
        std::string sendError;
        for (const char* piece : {"23", "0 logged", " in\r", "\n"}) {
            pair.server.SendAll(piece, kLong, &sendError);
            std::this_thread::sleep_for(20ms);
        }
    });
    TcpLineReader reader(pair.client, 4096);
    std::string line;
    EXPECT_EQ(reader.ReadLine(&line, kLong, &error), TcpLineReader::Result::kLine) << error;
    EXPECT_EQ(line, "230 logged in");
    sender.join();
}

TEST(TcpStream, ReceiveTimeOutIsAnErrorAndKeepsThePartialLine) {
    Pair pair = Connected();
    std::string error;
    ASSERT_TRUE(pair.server.SendAll("220 hal", kLong, &error));
    TcpLineReader reader(pair.client, 4);
    std::string line;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(reader.ReadLine(&line, kShort, &error), TcpLineReader::Result::kError);
    EXPECT_GE(std::chrono::steady_clock::now() - start, kShort);
    EXPECT_NE(error.find("timed out"), std::string::npos) << error;

    ASSERT_TRUE(pair.server.SendAll("f done\r\n", kLong, &error));
    EXPECT_EQ(reader.ReadLine(&line, kLong, &error), TcpLineReader::Result::kLine) << error;
    EXPECT_EQ(line, "220 half done");

    char byte = 0;
    EXPECT_EQ(pair.client.Receive(&byte, 1, kShort, &error), -1);
    EXPECT_NE(error.find("timed out"), std::string::npos) << error;
}

TEST(TcpStream, OverlongLineIsAnError) {
    Pair pair = Connected();
    std::thread sender([&] {
        std::string error;
        pair.server.SendAll(std::string(TcpLineReader::kMaxLineLength + 1, 'y'), kLong, &error);
    });
    TcpLineReader reader(pair.client);
    std::string line;
    std::string error;
    EXPECT_EQ(reader.ReadLine(&line, kLong, &error), TcpLineReader::Result::kError);
    EXPECT_NE(error.find("longer than"), std::string::npos) << error;
    pair.client.Close();
    sender.join();
}

TEST(TcpStream, LargeSendToASlowReaderArrivesWhole) {
    Pair pair = Connected();
    const std::string payload = Pattern(8 << 20);
    std::string received;
    std::thread reader([&] {
        std::string error;
        char buffer[1000];
        long got;
        while ((got = pair.server.Receive(buffer, sizeof buffer, kLong, &error)) > 0) {
            received.append(buffer, static_cast<std::size_t>(got));
            if (received.size() < (256 << 10)) std::this_thread::sleep_for(1ms);
        }
    });
    std::string error;
    EXPECT_TRUE(pair.client.SendAll(payload, kLong, &error)) << error;
    ASSERT_TRUE(pair.client.Close(&error)) << error;
    reader.join();
    EXPECT_TRUE(received == payload) << received.size() << " of " << payload.size() << " bytes";
}

TEST(TcpStream, SendToAPeerThatNeverReadsTimesOut) {
    Pair pair = Connected();
    std::string error;
    EXPECT_FALSE(pair.client.SendAll(Pattern(64 << 20), kShort, &error));
    EXPECT_NE(error.find("timed out"), std::string::npos) << error;
}

TEST(TcpStream, SendToAClosedPeerFailsWithoutSignal) {
    Pair pair = Connected();
    std::string error;
    ASSERT_TRUE(pair.server.Close(&error));
    bool failed = false;
    // The first send may still be taken before the peer's reset arrives.
    for (int i = 0; i < 50 && !failed; ++i) {
        failed = !pair.client.SendAll("NOOP\r\n", kLong, &error);
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_TRUE(failed);
    struct sigaction current {};
    ASSERT_EQ(::sigaction(SIGPIPE, nullptr, &current), 0);
    EXPECT_EQ(current.sa_handler, SIG_IGN);
}

TEST(TcpStream, EveryDescriptorIsCloseOnExec) {
    TcpListener listener;
    TcpStream client;
    TcpStream accepted;
    std::string error;
    ASSERT_TRUE(listener.Listen("127.0.0.1", 0, 5, &error)) << error;
    ASSERT_TRUE(client.Create(&error)) << error;
    ASSERT_TRUE(client.Connect("localhost", listener.Port(), kLong, &error)) << error;
    ASSERT_TRUE(listener.Accept(&accepted, kLong, &error)) << error;
    EXPECT_EQ(InheritableSockets(), std::vector<int>());
    // Accepted streams block like connected ones.
    EXPECT_EQ(::fcntl(accepted.Descriptor(), F_GETFL) & O_NONBLOCK, 0);
    EXPECT_EQ(::fcntl(client.Descriptor(), F_GETFL) & O_NONBLOCK, 0);
}

TEST(TcpStream, LocalAddressNamesTheInterfaceAndPort) {
    Pair pair = Connected();
    std::string address;
    int port = 0;
    std::string error;
    ASSERT_TRUE(pair.client.LocalAddress(&address, &port, &error)) << error;
    EXPECT_EQ(address, "127.0.0.1");
    EXPECT_GT(port, 0);
}

TEST(TcpStream, ConnectFailures) {
    // A port just released is refused.
    int closedPort = 0;
    {
        TcpListener listener;
        std::string error;
        ASSERT_TRUE(listener.Listen("127.0.0.1", 0, 5, &error)) << error;
        closedPort = listener.Port();
    }
    struct Case {
        const char* name;
        std::string host;
        int port;
    };
    for (const Case& c : {Case{"refused", "127.0.0.1", closedPort},
                          Case{"unknown name", "no-such-host.invalid", 21},
                          Case{"port 0", "127.0.0.1", 0}, Case{"port 65536", "127.0.0.1", 65536}}) {
        SCOPED_TRACE(c.name);
        TcpStream stream;
        std::string error;
        ASSERT_TRUE(stream.Create(&error)) << error;
        EXPECT_FALSE(stream.Connect(c.host, c.port, kLong, &error));
        EXPECT_FALSE(error.empty());
        // The stream can still be used for another attempt.
        EXPECT_TRUE(stream.IsOpen());
    }
}

TEST(TcpStream, ConnectToAServerThatNeverCompletesTheHandshakeTimesOut) {
    // A listener with a full accept queue drops further SYNs, so the handshake never completes.
    TcpListener listener;
    std::string error;
    ASSERT_TRUE(listener.Listen("127.0.0.1", 0, 0, &error)) << error;
    std::vector<TcpStream> filling(4);
    for (TcpStream& stream : filling) {
        ASSERT_TRUE(stream.Create(&error)) << error;
        if (!stream.Connect("127.0.0.1", listener.Port(), kShort, &error)) break;
    }
    TcpStream stream;
    ASSERT_TRUE(stream.Create(&error)) << error;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(stream.Connect("127.0.0.1", listener.Port(), kShort, &error));
    EXPECT_GE(std::chrono::steady_clock::now() - start, kShort);
    EXPECT_NE(error.find("timed out"), std::string::npos) << error;
}

TEST(TcpListener, AcceptTimesOutWithoutAClient) {
    TcpListener listener;
    std::string error;
    ASSERT_TRUE(listener.Listen("127.0.0.1", 0, 5, &error)) << error;
    TcpStream stream;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(listener.Accept(&stream, kShort, &error));
    EXPECT_GE(std::chrono::steady_clock::now() - start, kShort);
    EXPECT_NE(error.find("timed out"), std::string::npos) << error;
    EXPECT_FALSE(stream.IsOpen());
}

TEST(TcpListener, RefusesABadAddress) {
    TcpListener listener;
    std::string error;
    EXPECT_FALSE(listener.Listen("not an address", 0, 5, &error));
    EXPECT_EQ(listener.Port(), 0);
}

}  // namespace

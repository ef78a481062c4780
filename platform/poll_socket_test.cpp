#include "platform/poll_socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/wake_event.h"

namespace {

using platform::PollListener;
using platform::UniqueFd;

// A blocking client socket connected to 127.0.0.1:`port`.
UniqueFd ConnectTo(int port) {
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    return fd;
}

bool Readable(int fd, int waitMs) {
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, waitMs) == 1;
}

// Accepts the next connection, waiting for it to arrive.
UniqueFd AcceptWaiting(PollListener& listener) {
    UniqueFd connection;
    EXPECT_TRUE(Readable(listener.Descriptor(), 10000));
    EXPECT_EQ(listener.Accept(&connection), PollListener::Accepted::kConnection);
    return connection;
}

TEST(PollSocketTest, AcceptedSocketsAreNonBlockingCloseOnExecAndUndelayed) {
    PollListener listener;
    std::string error;
    ASSERT_TRUE(listener.Listen(0, 5, &error)) << error;
    ASSERT_GT(listener.Port(), 0);
    EXPECT_NE(::fcntl(listener.Descriptor(), F_GETFD) & FD_CLOEXEC, 0);
    UniqueFd none;
    EXPECT_EQ(listener.Accept(&none), PollListener::Accepted::kNone);

    const UniqueFd client = ConnectTo(listener.Port());
    const UniqueFd server = AcceptWaiting(listener);
    EXPECT_NE(::fcntl(server.Get(), F_GETFD) & FD_CLOEXEC, 0);
    EXPECT_NE(::fcntl(server.Get(), F_GETFL) & O_NONBLOCK, 0);
    int nodelay = 0;
    socklen_t length = sizeof nodelay;
    ASSERT_EQ(::getsockopt(server.Get(), IPPROTO_TCP, TCP_NODELAY, &nodelay, &length), 0);
    EXPECT_NE(nodelay, 0);

    char buffer[16];
    EXPECT_EQ(platform::ReceiveNow(server.Get(), buffer, sizeof buffer), platform::kNothingYet);
    EXPECT_EQ(::send(client.Get(), "hi", 2, 0), 2);
    ASSERT_TRUE(Readable(server.Get(), 10000));
    EXPECT_EQ(platform::ReceiveNow(server.Get(), buffer, sizeof buffer), 2);
}

TEST(PollSocketTest, PeerAddressIsTheClientsSourceAddress) {
    PollListener listener;
    std::string error;
    ASSERT_TRUE(listener.Listen(0, 5, &error)) << error;
    UniqueFd client(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(0x7F000005);  // 127.0.0.5
    ASSERT_EQ(::bind(client.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    address.sin_port = htons(static_cast<std::uint16_t>(listener.Port()));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(client.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address),
              0);
    const UniqueFd server = AcceptWaiting(listener);
    EXPECT_EQ(platform::PeerAddress(server.Get()), 0x7F000005u);
    EXPECT_EQ(platform::PeerAddress(-1), 0u);
}

TEST(PollSocketTest, ListeningOnATakenPortFails) {
    PollListener first, second;
    std::string error;
    ASSERT_TRUE(first.Listen(0, 5, &error)) << error;
    EXPECT_FALSE(second.Listen(first.Port(), 5, &error));
    EXPECT_EQ(second.Port(), 0);
    EXPECT_FALSE(second.Listen(65536, 5, &error));
}

TEST(PollSocketTest, SendToAClosedPeerFailsWithoutSignal) {
    PollListener listener;
    std::string error;
    ASSERT_TRUE(listener.Listen(0, 5, &error)) << error;
    UniqueFd client = ConnectTo(listener.Port());
    const UniqueFd server = AcceptWaiting(listener);
    client.Close();
    const std::string block(64 * 1024, 'x');
    long sent = 0;
    for (int i = 0; i < 100 && sent >= 0; ++i)
        sent = platform::SendNow(server.Get(), block);
    EXPECT_EQ(sent, -1);
}

TEST(PollSocketTest, CloseAfterSendingDeliversTheLastReplyDespiteUnreadInput) {
    PollListener listener;
    std::string error;
    ASSERT_TRUE(listener.Listen(0, 5, &error)) << error;
    const UniqueFd client = ConnectTo(listener.Port());
    UniqueFd server = AcceptWaiting(listener);
    ASSERT_EQ(::send(client.Get(), "unread\n", 7, 0), 7);
    ASSERT_TRUE(Readable(server.Get(), 10000));
    ASSERT_EQ(platform::SendNow(server.Get(), "530 no\r\n"), 8);
    platform::CloseAfterSending(std::move(server));

    std::string received;
    char buffer[64];
    ssize_t got;
    while (Readable(client.Get(), 10000) &&
           (got = ::recv(client.Get(), buffer, sizeof buffer, 0)) > 0)
        received.append(buffer, static_cast<std::size_t>(got));
    EXPECT_EQ(received, "530 no\r\n");
    EXPECT_EQ(::recv(client.Get(), buffer, sizeof buffer, 0), 0);  // an orderly end, no reset
}

TEST(PollSocketTest, ConnectionIsShedWhenNoDescriptorIsLeft) {
    PollListener listener;
    std::string error;
    ASSERT_TRUE(listener.Listen(0, 5, &error)) << error;
    UniqueFd client(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    ASSERT_TRUE(client);

    std::vector<UniqueFd> filler;
    for (int fd; (fd = ::dup(listener.Descriptor())) >= 0;)
        filler.emplace_back(fd);
    ASSERT_EQ(errno, EMFILE);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(listener.Port()));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(client.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address),
              0);
    ASSERT_TRUE(Readable(listener.Descriptor(), 10000));
    UniqueFd connection;
    const PollListener::Accepted accepted = listener.Accept(&connection);
    filler.clear();

    EXPECT_EQ(accepted, PollListener::Accepted::kShed);
    ASSERT_TRUE(Readable(client.Get(), 10000));
    char byte;
    EXPECT_LE(::recv(client.Get(), &byte, 1, 0), 0);
    EXPECT_FALSE(Readable(listener.Descriptor(), 0));  // nothing left pending

    // The spare was taken back: the next shortage is handled the same way.
    const UniqueFd next = ConnectTo(listener.Port());
    AcceptWaiting(listener);
}

TEST(WakeEventTest, SignalsFromOtherThreadsWakeThePollerUntilDrained) {
    platform::WakeEvent wake;
    std::string error;
    ASSERT_TRUE(wake.Open(&error)) << error;
    EXPECT_NE(::fcntl(wake.Descriptor(), F_GETFD) & FD_CLOEXEC, 0);
    EXPECT_FALSE(Readable(wake.Descriptor(), 0));
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i)
        threads.emplace_back([&wake] { wake.Signal(); });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_TRUE(Readable(wake.Descriptor(), 0));
    wake.Drain();
    EXPECT_FALSE(Readable(wake.Descriptor(), 0));
}

}  // namespace

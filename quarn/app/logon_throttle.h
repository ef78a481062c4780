#pragma once
// Slows a password guesser down: after kFreeFailures refused logons from one address within
// kWindow, each further connection from it waits before its greeting, from the first wait (1 s)
// doubling with each further failure up to kMaxWait. A logon accepted from the address forgets
// its failures; an address without failures is never slowed. Connections of one address that
// arrive together while it is slowed are greeted one wait apart, so parallel connections gain
// nothing.
//
// The caller passes the time (a monotonic clock), so the logic runs on any clock. The table of
// addresses holds at most `maxAddresses`: addresses whose failures are all older than the window
// are dropped, and when it is full the address with the oldest last failure goes. Used by one
// thread.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <unordered_map>

class CLogonThrottle {
public:
    using Clock = std::chrono::steady_clock;
    using TimePoint = Clock::time_point;
    using Milliseconds = std::chrono::milliseconds;

    static constexpr int kFreeFailures = 10;
    static constexpr std::chrono::seconds kWindow{10 * 60};
    static constexpr Milliseconds kFirstWait{1000};
    static constexpr Milliseconds kMaxWait{60 * 1000};
    static constexpr std::size_t kMaxAddresses = 4096;

    // `firstWait` is at least 1 ms.
    explicit CLogonThrottle(Milliseconds firstWait = kFirstWait,
                            std::size_t maxAddresses = kMaxAddresses);

    // The wait before the greeting after `failures` refused logons within the window.
    static Milliseconds WaitAfter(int failures, Milliseconds firstWait);

    // When a connection from `address` (IPv4, host order) that arrives at `now` gets its
    // greeting: `now` unless the address is slowed.
    TimePoint GreetingTime(std::uint32_t address, TimePoint now);
    void OnFailure(std::uint32_t address, TimePoint now);
    void OnSuccess(std::uint32_t address);

    std::size_t Addresses() const { return m_addresses.size(); }

private:
    struct Failures {
        // The most recent failures, oldest first: those beyond what reaches kMaxWait are not
        // kept.
        std::deque<TimePoint> times;
        // The greeting given last to a slowed connection: the next one is a wait later.
        TimePoint lastGreeting;
    };

    // Forgets the failures of `entry` older than the window at `now`.
    static void Expire(Failures& entry, TimePoint now);
    // Makes room for one more address.
    void MakeRoom(TimePoint now);

    const Milliseconds m_firstWait;
    const std::size_t m_nMaxAddresses;
    std::unordered_map<std::uint32_t, Failures> m_addresses;
};

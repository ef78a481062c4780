#include "quarn/app/logon_throttle.h"

#include <algorithm>

CLogonThrottle::CLogonThrottle(Milliseconds firstWait, std::size_t maxAddresses)
    : m_firstWait(std::max(firstWait, Milliseconds(1))),
      m_nMaxAddresses(std::max<std::size_t>(maxAddresses, 1)) {}

CLogonThrottle::Milliseconds CLogonThrottle::WaitAfter(int failures, Milliseconds firstWait) {
    if (failures < kFreeFailures) return Milliseconds(0);
    Milliseconds wait = firstWait;
    for (int more = failures - kFreeFailures; more > 0 && wait < kMaxWait; --more)
        wait *= 2;
    return std::min(wait, kMaxWait);
}

CLogonThrottle::TimePoint CLogonThrottle::GreetingTime(std::uint32_t address, TimePoint now) {
    const auto found = m_addresses.find(address);
    if (found == m_addresses.end()) return now;
    Failures& entry = found->second;
    Expire(entry, now);
    if (entry.times.empty()) {
        m_addresses.erase(found);
        return now;
    }
    const Milliseconds wait = WaitAfter(static_cast<int>(entry.times.size()), m_firstWait);
    if (wait == Milliseconds(0)) return now;
    entry.lastGreeting = std::max(now, entry.lastGreeting) + wait;
    return entry.lastGreeting;
}

void CLogonThrottle::OnFailure(std::uint32_t address, TimePoint now) {
    auto found = m_addresses.find(address);
    if (found == m_addresses.end()) {
        MakeRoom(now);
        found = m_addresses.emplace(address, Failures{}).first;
    }
    Failures& entry = found->second;
    Expire(entry, now);
    entry.times.push_back(now);
    // A failure more cannot make the wait longer once the ones after the oldest reach the most.
    if (WaitAfter(static_cast<int>(entry.times.size()) - 1, m_firstWait) >= kMaxWait)
        entry.times.pop_front();
}

void CLogonThrottle::OnSuccess(std::uint32_t address) {
    m_addresses.erase(address);
}

void CLogonThrottle::Expire(Failures& entry, TimePoint now) {
    while (!entry.times.empty() && now - entry.times.front() >= kWindow)
        entry.times.pop_front();
}

void CLogonThrottle::MakeRoom(TimePoint now) {
    if (m_addresses.size() < m_nMaxAddresses) return;
    std::erase_if(m_addresses, [now](const auto& item) {
        return item.second.times.empty() || now - item.second.times.back() >= kWindow;
    });
    if (m_addresses.size() < m_nMaxAddresses) return;
    const auto oldest = std::min_element(
        m_addresses.begin(), m_addresses.end(), [](const auto& left, const auto& right) {
            return left.second.times.back() < right.second.times.back();
        });
    m_addresses.erase(oldest);
}

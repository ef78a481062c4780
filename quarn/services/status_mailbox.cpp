#include "quarn/services/status_mailbox.h"

#include <chrono>

#include "platform/utf8.h"

void CStatusMailbox::Put(std::string text) {
    platform::CutAtUtf8Boundary(text, kMaxText);
    std::unique_lock lock(m_mutex);
    // A Take() wakes the waiter at once; the 100 ms step only bounds how long a missed wake-up
    // can delay it.
    if (m_bFull) {
        ++m_nWaitingWriters;
        while (m_bFull)
            m_emptied.wait_for(lock, std::chrono::milliseconds(100));
        --m_nWaitingWriters;
    }
    m_text = std::move(text);
    m_bFull = true;
}

bool CStatusMailbox::TryPut(std::string& text) {
    std::lock_guard lock(m_mutex);
    if (m_bFull) return false;
    m_text = std::move(text);
    platform::CutAtUtf8Boundary(m_text, kMaxText);
    m_bFull = true;
    return true;
}

std::string CStatusMailbox::Take() {
    std::string text;
    {
        std::lock_guard lock(m_mutex);
        text.swap(m_text);
        m_bFull = false;
    }
    m_emptied.notify_all();
    return text;
}

bool CStatusMailbox::IsEmpty() const {
    std::lock_guard lock(m_mutex);
    return !m_bFull;
}

int CStatusMailbox::WaitingWriters() const {
    std::lock_guard lock(m_mutex);
    return m_nWaitingWriters;
}

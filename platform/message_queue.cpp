#include "platform/message_queue.h"

namespace platform {

void MessageQueue::Post(PostedMessage message) {
    {
        std::lock_guard lock(m_mutex);
        m_messages.push_back(message);
    }
    m_ready.notify_one();
    std::lock_guard lock(m_wakeUpMutex);
    if (m_wakeUp) m_wakeUp();
}

void MessageQueue::SetWakeUp(std::function<void()> wakeUp) {
    std::lock_guard lock(m_wakeUpMutex);
    m_wakeUp = std::move(wakeUp);
}

bool MessageQueue::TryTake(PostedMessage& out) {
    std::lock_guard lock(m_mutex);
    if (m_messages.empty()) return false;
    out = m_messages.front();
    m_messages.pop_front();
    return true;
}

bool MessageQueue::WaitTake(PostedMessage& out, std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    m_ready.wait_for(lock, timeout, [this] { return m_woken || !m_messages.empty(); });
    m_woken = false;
    if (m_messages.empty()) return false;
    out = m_messages.front();
    m_messages.pop_front();
    return true;
}

void MessageQueue::Wake() {
    {
        std::lock_guard lock(m_mutex);
        m_woken = true;
    }
    m_ready.notify_all();
}

PostedMessage MessageQueue::Take() {
    std::unique_lock lock(m_mutex);
    m_ready.wait(lock, [this] { return !m_messages.empty(); });
    PostedMessage out = m_messages.front();
    m_messages.pop_front();
    return out;
}

}  // namespace platform

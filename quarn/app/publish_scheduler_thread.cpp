#include "quarn/app/publish_scheduler_thread.h"

#include "quarn/app/process_priority.h"

#include <exception>
#include <utility>

namespace {

// Lowers the calling thread alone. The reason when refused, else empty.
std::string EnterIdlePriority() {
    std::string reason;
    if (SetThreadNice(kIdleNice, &reason)) return {};
    return "The scheduler runs at normal priority: " + reason;
}

}  // namespace

CPublishSchedulerThread::~CPublishSchedulerThread() {
    Stop();
}

int CPublishSchedulerThread::Start() {
    if (m_thread.joinable()) return 1;
    m_strMessage.clear();
    {
        std::lock_guard lock(m_mutex);
        m_stopRequested = false;
    }
    std::promise<std::string> started;
    std::future<std::string> priorityNote = started.get_future();
    try {
        m_thread = std::thread([this, started = std::move(started)]() mutable { Run(started); });
    } catch (const std::exception& error) {
        m_strMessage = std::string("Unable to start the scheduler thread: ") + error.what();
        return 0;
    }
    m_strMessage = priorityNote.get();
    return 1;
}

void CPublishSchedulerThread::Stop() {
    if (!m_thread.joinable()) return;
    {
        std::lock_guard lock(m_mutex);
        m_stopRequested = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void CPublishSchedulerThread::Run(std::promise<std::string>& started) {
    started.set_value(EnterIdlePriority());
    std::unique_lock lock(m_mutex);
    while (!m_wake.wait_for(lock, m_interval, [this] { return m_stopRequested; })) {
        lock.unlock();
        m_scheduler.Check();
        lock.lock();
    }
}

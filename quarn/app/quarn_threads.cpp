#include "quarn/app/quarn_threads.h"

CQuarnThreads::CQuarnThreads(platform::MessageQueue& window)
    : m_tasks(window), m_server(m_tasks, &window), m_scheduler(m_tasks) {
    m_tasks.ReportJobsTo(&m_server);
}

bool CQuarnThreads::Start(const std::function<void(const std::string&)>& print) {
    std::string error;
    if (!m_tasks.Start(&error)) {
        print(error);
        return false;
    }
    if (!m_server.Start()) print(m_server.Message());
    // A scheduler that cannot start, or runs at normal priority, says so in its message.
    m_scheduler.Start();
    if (!m_scheduler.m_strMessage.empty()) print(m_scheduler.m_strMessage);
    return true;
}

void CQuarnThreads::Stop(const std::function<void(const std::function<bool()>&)>& pumpUntil) {
    m_scheduler.Stop();
    m_tasks.RequestStop();
    pumpUntil([this] { return m_tasks.Ended(); });
    m_tasks.Join();
    m_server.Stop();
}

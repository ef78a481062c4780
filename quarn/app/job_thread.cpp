#include "quarn/app/job_thread.h"

#include <cstring>

CJobThread::~CJobThread() {
    Join();
}

bool CJobThread::Start(std::string* error) {
    if (m_joinable) return true;
    pthread_attr_t attr;
    int rc = ::pthread_attr_init(&attr);
    if (rc == 0) {
        rc = ::pthread_attr_setstacksize(&attr, kStackSize);
        if (rc == 0) rc = ::pthread_create(&m_thread, &attr, &CJobThread::Run, this);
        ::pthread_attr_destroy(&attr);
    }
    if (rc != 0) {
        if (error) *error = std::string("unable to start the job thread: ") + std::strerror(rc);
        return false;
    }
    m_joinable = true;
    return true;
}

void CJobThread::Join() {
    if (!m_joinable) return;
    ::pthread_join(m_thread, nullptr);
    m_joinable = false;
}

void* CJobThread::Run(void* self) {
    static_cast<CJobThread*>(self)->m_body();
    return nullptr;
}

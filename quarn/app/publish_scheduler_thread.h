#pragma once
// The auto-publish scheduler's own thread: it runs CPublishScheduler::Check once a minute at idle
// priority (nice 19 for this thread only), the first check one interval after Start(). Stop()
// wakes it at once, so the program can end cleanly without waiting out the interval.
//
// Start() and Stop() are called from one thread (start-up and shut-down); the scheduler itself
// is touched only by the worker thread.

#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <string>
#include <thread>

#include "quarn/app/publish_scheduler.h"
#include "quarn/app/task_job.h"

class CPublishSchedulerThread {
public:
    static constexpr std::chrono::milliseconds kCheckInterval{60000};

    // `taskThread` receives the jobs and must outlive this object.
    explicit CPublishSchedulerThread(ITaskPoster& taskThread,
                                     std::chrono::milliseconds interval = kCheckInterval)
        : m_scheduler(taskThread), m_interval(interval) {}
    // Stops a running thread.
    ~CPublishSchedulerThread();
    CPublishSchedulerThread(const CPublishSchedulerThread&) = delete;
    CPublishSchedulerThread& operator=(const CPublishSchedulerThread&) = delete;

    // Starts the thread and returns 1 once it runs. When the idle priority was refused the
    // thread runs at the priority it inherited and m_strMessage says so (not a failure). Returns
    // 0 with m_strMessage when no thread could be made. A second Start() while running does
    // nothing and returns 1.
    int Start();
    // Wakes the thread, lets a check in progress finish and joins it. Safe when not started.
    void Stop();

    std::string m_strMessage;

private:
    void Run(std::promise<std::string>& started);

    CPublishScheduler m_scheduler;
    const std::chrono::milliseconds m_interval;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopRequested = false;  // guarded by m_mutex
    std::thread m_thread;
};

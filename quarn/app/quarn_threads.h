#pragma once
// quarn's three background threads, which run whether or not a main window shows: the task
// thread, the remote-control server and the auto-publish scheduler, started in that order, all
// posting to one window queue.

#include <functional>
#include <string>

#include "platform/message_queue.h"
#include "quarn/app/publish_scheduler_thread.h"
#include "quarn/app/svr_thread.h"
#include "quarn/app/task_thread.h"

class CQuarnThreads {
public:
    // `window` must outlive this object and be emptied by the main window's thread.
    explicit CQuarnThreads(platform::MessageQueue& window);
    ~CQuarnThreads() = default;
    CQuarnThreads(const CQuarnThreads&) = delete;
    CQuarnThreads& operator=(const CQuarnThreads&) = delete;

    // Starts the three threads. Lines for the user (a server that cannot start, a scheduler
    // left at normal priority) go to `print`. False when the task thread cannot start; nothing
    // else then runs.
    bool Start(const std::function<void(const std::string&)>& print);
    Ctaskthread& Tasks() { return m_tasks; }

    // Ends them: the scheduler first, then the task thread after the job it runs (a cancel
    // request ends that job sooner), then the server, which still answers that job's requester.
    // While the job ends, `pumpUntil` must keep emptying the window queue until its argument
    // returns true.
    void Stop(const std::function<void(const std::function<bool()>&)>& pumpUntil);

private:
    Ctaskthread m_tasks;
    CSvrThread m_server;
    CPublishSchedulerThread m_scheduler;
};

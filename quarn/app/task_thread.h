#pragma once
// The task thread: runs quarn's jobs (script runs, uploads, publishing, auto-publishing) one at a
// time in posting order, each under g_csProject. It tells the main window through WM_FRAMENOTIFY
// (FRAME_BUSY, FRAME_ERROR, FRAME_IDLE, and status lines through the mailbox), records a failed
// job's message in the project key lstprojerrmsg, runs the project's error script, appends the
// result line to the event log and reports every job's end to the remote-control server.
//
// PostJob may be called from any thread; everything else of a job happens on the task thread.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

#include "platform/message_queue.h"
#include "quarn/app/job_thread.h"
#include "quarn/app/task_job.h"

class Ctaskthread : public ITaskPoster {
public:
    // Notifications go to `hMainWnd`, which must outlive the thread and be emptied by the main
    // window's thread; job ends go to `server` (may be null).
    explicit Ctaskthread(platform::MessageQueue& hMainWnd, IJobResultSink* server = nullptr);
    // Stops and joins the thread.
    ~Ctaskthread() override;
    Ctaskthread(const Ctaskthread&) = delete;
    Ctaskthread& operator=(const Ctaskthread&) = delete;

    // Job ends go to `server` from now on; called before Start, since the server is made with
    // this thread as its poster.
    void ReportJobsTo(IJobResultSink* server) { m_server = server; }
    // With the global key hidewindow set, the thread first waits until `shown` answers true,
    // looking again after each `pause` (50 ms unless given), and then tells the main window to
    // hide to the tray. `shown` is called on the task thread. Called before Start.
    void HideWindowOnceShown(std::function<bool()> shown, std::function<void()> pause = {});
    // Starts the thread at idle priority; false with `error` when it cannot start.
    bool Start(std::string* error);
    void PostJob(TaskJob job) override;
    // Asks the thread to end after the job it runs now; jobs still waiting are not run. Returns
    // at once: the caller keeps emptying the main window's queue until Ended().
    void RequestStop();
    bool Ended() const;
    // Waits until the thread has ended (after RequestStop).
    void Join();

    // The result text of the last job.
    std::string m_strResult;

private:
    void Loop();
    // False when a stop was asked for before the window showed.
    bool WaitUntilWindowShown();
    void OnJob(const TaskJob& job);
    int RunJob(const TaskJob& job, std::string& jobProject);
    int AutoPublish(std::string& jobProject);
    // Steps of a failed job in the active project: lstprojerrmsg, the error script unless the
    // job was cancelled, FRAME_ERROR.
    void RecordFailure();
    void PostFrame(unsigned code);

    platform::MessageQueue& m_hMainWnd;
    IJobResultSink* m_server;
    CJobThread m_thread;
    std::function<bool()> m_windowShown;
    std::function<void()> m_pause;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<TaskJob> m_jobs;
    bool m_stopRequested = false;
    bool m_ended = false;
};

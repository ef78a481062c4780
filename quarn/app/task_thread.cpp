#include "quarn/app/task_thread.h"

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "quarn/app/process_priority.h"
#include "quarn/app/project_paths.h"
#include "quarn/app/project_switch.h"
#include "quarn/app/publish_job.h"
#include "quarn/app/script_jobs.h"
#include "quarn/app/upload.h"
#include "quarn/services/event_log.h"
#include "quarn/services/messages.h"
#include "quarn/services/notifications.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"

namespace {

bool IsJobCode(unsigned code) {
    return code == TASK_RUN_SCRIPT || code == TASK_UPLOAD || code == TASK_PUBLISH ||
           code == TASK_AUTOPUBLISH;
}

// Back to the active project's directory; a directory that has gone leaves the current one.
void EnterProjectDirectory() {
    const std::string dir = g_szProjectDir.Get();
    if (!dir.empty() && ::chdir(dir.c_str()) != 0) return;
}

}  // namespace

Ctaskthread::Ctaskthread(platform::MessageQueue& hMainWnd, IJobResultSink* server)
    : m_hMainWnd(hMainWnd), m_server(server), m_thread([this] { Loop(); }) {}

Ctaskthread::~Ctaskthread() {
    RequestStop();
    Join();
}

void Ctaskthread::HideWindowOnceShown(std::function<bool()> shown, std::function<void()> pause) {
    m_windowShown = std::move(shown);
    m_pause = pause ? std::move(pause)
                    : [] { std::this_thread::sleep_for(std::chrono::milliseconds(50)); };
}

bool Ctaskthread::WaitUntilWindowShown() {
    while (!m_windowShown()) {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            if (m_stopRequested) return false;
        }
        m_pause();
    }
    return true;
}

bool Ctaskthread::Start(std::string* error) {
    return m_thread.Start(error);
}

void Ctaskthread::PostJob(TaskJob job) {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
}

void Ctaskthread::RequestStop() {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stopRequested = true;
    }
    m_wake.notify_one();
}

bool Ctaskthread::Ended() const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_ended;
}

void Ctaskthread::Join() {
    m_thread.Join();
}

void Ctaskthread::Loop() {
    // Jobs yield to everything else on the machine; a refused change leaves the priority as is.
    std::string refused;
    SetThreadNice(kIdleNice, &refused);
    if (m_windowShown && g_settings.GetGlobal(global_key::hidewindow) != 0 &&
        WaitUntilWindowShown())
        PostFrame(FRAME_HIDE_TO_TRAY);
    for (;;) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_wake.wait(lock, [this] { return m_stopRequested || !m_jobs.empty(); });
        if (m_stopRequested) break;
        const TaskJob job = std::move(m_jobs.front());
        m_jobs.pop_front();
        lock.unlock();
        OnJob(job);
    }
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_ended = true;
    }
    m_hMainWnd.Wake();
}

void Ctaskthread::PostFrame(unsigned code) {
    m_hMainWnd.Post(WM_FRAMENOTIFY, code, 0);
}

void Ctaskthread::OnJob(const TaskJob& job) {
    if (!IsJobCode(job.code)) return;
    // A cancel asked for while no job ran is forgotten; one that comes from here on is this
    // job's, and nothing later in the job clears it. A signal's cancel stays: the program ends.
    ClearCancelRequest();
    g_bTaskBusy = 1;
    std::string jobProject;
    int ok = 0;
    {
        const std::lock_guard<platform::CriticalSection> project(g_csProject);
        PostFrame(FRAME_BUSY);
        ok = RunJob(job, jobProject);
        EnterProjectDirectory();
        // An auto-publish records its failure inside its own project switch.
        if (!ok && job.code != TASK_AUTOPUBLISH) {
            RecordFailure();
            // The error script may have left another directory current.
            EnterProjectDirectory();
        }
        PostFrame(FRAME_IDLE);
        if (jobProject.empty()) jobProject = g_strProject.Get();
    }
    PostStatusText(m_hMainWnd, m_strResult);
    if (g_settings.GetGlobal(global_key::logen) != 0) AppendEventLog(jobProject, m_strResult);
    g_bTaskBusy = 0;
    // A window waiting for the job's end looks at the flag again now, not at its next timeout.
    m_hMainWnd.Wake();
    // Last, so that a requester that is answered finds the program idle again.
    if (m_server) m_server->OnJobResult(job.requester, ok);
}

int Ctaskthread::RunJob(const TaskJob& job, std::string& jobProject) {
    switch (job.code) {
        case TASK_RUN_SCRIPT:
            return RunScriptFile(m_hMainWnd, job.scriptPath, 0, m_strResult);
        case TASK_UPLOAD:
            return UploadWithRetries(m_hMainWnd, job.param, m_strResult);
        case TASK_PUBLISH:
            return PublishProject(m_hMainWnd, m_strResult);
        default:
            return AutoPublish(jobProject);
    }
}

int Ctaskthread::AutoPublish(std::string& jobProject) {
    const std::string name = g_settings.GetGlobal(global_key::autopubproj);
    const std::string previousProject = g_strProject.Get();
    const std::string previousDir = g_szProjectDir.Get();
    if (!EnterListedProject(name)) {
        // The active project stays; the failure is recorded there, without its error script.
        m_strResult = LoadMessage(2);
        g_settings.Set(g_strProject.Get(), project_key::lstprojerrmsg, m_strResult);
        PostFrame(FRAME_ERROR);
        return 0;
    }
    jobProject = name;
    const int ok = PublishProject(m_hMainWnd, m_strResult);
    if (!ok) {
        EnterProjectDirectory();
        RecordFailure();
    }
    g_strProject.Set(previousProject);
    g_szProjectDir.Set(previousDir);
    EnterProjectDirectory();
    return ok;
}

void Ctaskthread::RecordFailure() {
    const std::string project = g_strProject.Get();
    g_settings.Set(project, project_key::lstprojerrmsg, m_strResult);
    if (!g_bCancelRequested && g_settings.Get(project, project_key::errorscripten) != 0) {
        // The error script's final message replaces the job's in the status line and the log.
        RunScriptFile(m_hMainWnd, g_settings.Get(project, project_key::errorscript), 1,
                      m_strResult);
    }
    PostFrame(FRAME_ERROR);
}

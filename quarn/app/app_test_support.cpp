#include "quarn/app/app_test_support.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "quarn/app/project_paths.h"
#include "quarn/services/notifications.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"

void ProgramDirTest::SetUp() {
    ASSERT_TRUE(m_dir.Ok()) << m_dir.Error();
    m_savedCwd = CurrentDirectory();
    g_strProgramDir = m_dir.Path();
    g_settings.SetPath(m_dir.File("Quarn.ini"));
    g_strProgramTitle.Set("Quarn Pro");
    g_strProject.Set("");
    g_szProjectDir.Set("");
    g_bCancelRequested = false;
}

void ProgramDirTest::TearDown() {
    if (!m_savedCwd.empty()) {
        ASSERT_EQ(::chdir(m_savedCwd.c_str()), 0);
    }
}

std::string ProgramDirTest::ProjectDir(std::string_view project) const {
    return m_dir.File("projects/" + std::string(project));
}

void ProgramDirTest::WriteSettings(std::string_view text) const {
    PutFile(m_dir.File("Quarn.ini"), text);
}

void ProgramDirTest::MakeProject(std::string_view project) const {
    std::filesystem::create_directories(ProjectDir(project) + "/html");
}

void PutFile(const std::string& path, std::string_view content) {
    std::string error;
    ASSERT_TRUE(fixtures::WriteTextFile(path, content, &error)) << error;
}

std::string FileText(const std::string& path) {
    return fixtures::ReadTextFile(path).value_or("<missing>");
}

void DriveJob(const std::function<void(platform::MessageQueue&)>& job,
              const std::function<void(const platform::PostedMessage&)>& handle) {
    platform::MessageQueue window;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        job(window);
        done = true;
    });
    // Every post happens before `done` is set, so once it is, what the queue holds is all that
    // is left. A message is handled only when a take returned it.
    platform::PostedMessage message;
    while (!done) {
        if (window.WaitTake(message, std::chrono::milliseconds(10))) handle(message);
    }
    while (window.TryTake(message))
        handle(message);
    worker.join();
}

std::vector<std::string> TaskThreadHarness::Run(
    const std::vector<TaskJob>& jobs, const std::function<void(const std::string&)>& onLine) {
    std::string error;
    if (!m_started) {
        m_started = m_thread.Start(&error);
        EXPECT_TRUE(m_started) << error;
        if (!m_started) return {};
    }
    const std::size_t reported = Reports().size();
    for (const TaskJob& job : jobs)
        m_thread.PostJob(job);
    std::vector<std::string> events;
    const auto record = [&](const platform::PostedMessage& message) {
        if (message.message != WM_FRAMENOTIFY) return;
        switch (message.wParam) {
            case FRAME_BUSY:
                events.emplace_back("BUSY");
                break;
            case FRAME_IDLE:
                events.emplace_back("IDLE");
                break;
            case FRAME_ERROR:
                events.emplace_back("ERROR");
                break;
            case FRAME_STATUS_TEXT:
                events.push_back(g_szStatusMailbox.Take());
                if (onLine) onLine(events.back());
                break;
            default:
                break;
        }
    };
    platform::PostedMessage message;
    // A job is reported after its last message was posted.
    while (Reports().size() < reported + jobs.size())
        if (m_window.WaitTake(message, std::chrono::milliseconds(20))) record(message);
    while (m_window.TryTake(message))
        record(message);
    return events;
}

std::vector<TaskThreadHarness::Report> TaskThreadHarness::Reports() const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_reports;
}

void TaskThreadHarness::OnJobResult(RequesterId requester, int result) {
    // The thread has finished the job's steps when it reports.
    EXPECT_EQ(g_bTaskBusy, 0);
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_reports.emplace_back(requester, result);
}

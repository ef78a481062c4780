#pragma once
// A program directory of its own for one test of quarn_app: g_strProgramDir and g_settings point
// into it, the program-wide strings start empty and the cancel flag clear, and the current
// directory is restored after the test.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>

#include "platform/message_queue.h"
#include "quarn/app/task_thread.h"
#include "tests/fixtures/temp_dir.h"

class ProgramDirTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    const std::string& ProgramDir() const { return m_dir.Path(); }
    std::string ProjectDir(std::string_view project) const;
    // Writes `text` as the program directory's Quarn.ini.
    void WriteSettings(std::string_view text) const;
    // Makes the project's directory with its "html".
    void MakeProject(std::string_view project) const;

private:
    fixtures::TempDir m_dir{"quarn_app"};
    std::string m_savedCwd;
};

// Writes `content` to `path`, failing the test when it cannot.
void PutFile(const std::string& path, std::string_view content);
// The whole file, or "<missing>".
std::string FileText(const std::string& path);

// Runs `job` on a thread of its own while the calling thread stands in for the main window:
// `handle` gets every message the job posts, each once and in order, those still queued when
// the job returns too. Returns after the job's thread has ended.
void DriveJob(const std::function<void(platform::MessageQueue&)>& job,
              const std::function<void(const platform::PostedMessage&)>& handle);

// A task thread whose main window is the test. Run() posts jobs and returns what the thread
// posted, in order ("BUSY", "IDLE", "ERROR" and the status lines), once every job has been
// reported; `onLine` sees each status line as the window takes it.
class TaskThreadHarness : public IJobResultSink {
public:
    using Report = std::pair<RequesterId, int>;

    std::vector<std::string> Run(const std::vector<TaskJob>& jobs,
                                 const std::function<void(const std::string&)>& onLine = {});
    // Every job's requester and result, in the order reported.
    std::vector<Report> Reports() const;
    void OnJobResult(RequesterId requester, int result) override;

private:
    mutable std::mutex m_mutex;
    std::vector<Report> m_reports;
    platform::MessageQueue m_window;
    Ctaskthread m_thread{m_window, this};
    bool m_started = false;
};

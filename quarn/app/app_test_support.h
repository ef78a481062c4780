#pragma once
// A program directory of its own for one test of quarn_app: g_strProgramDir and g_settings point
// into it, the program-wide strings start empty, and the current directory is restored after
// the test.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>

#include "platform/message_queue.h"
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

#pragma once
// A running quarn for window tests: a program directory of its own with the projects "default"
// (active) and "shop", the real task thread, and the main window on the offscreen platform,
// its own questions answered by a recording fake.

#include <QString>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/message_queue.h"
#include "quarn/app/launch_commands.h"
#include "quarn/app/task_thread.h"
#include "quarn/app/ui/frame_dialogs.h"
#include "quarn/app/ui/main_frame.h"
#include "quarn/app/ui/tray_icon.h"
#include "shared/launcher_fakes.h"
#include "tests/fixtures/qt_test_registry.h"
#include "tests/fixtures/temp_dir.h"

class QWidget;
namespace fixtures {
class FtpServer;
}

// Answers the main window's own questions from queues and records them.
class CRecordingFrameDialogs : public IFrameDialogs {
public:
    struct Question {
        QString text;
        int type = 0;
        QString caption;
        bool owned = false;  // asked with an owner window
    };
    std::deque<int> buttons;      // empty: the first button
    std::deque<QString> files;    // "" answers Cancel
    std::deque<QString> names;    // New Project dialog; a null QString answers Cancel
    std::deque<QString> folders;  // "" answers Cancel
    struct FolderQuestion {
        QString prompt;
        QString initial;
    };
    std::vector<FolderQuestion> folderDialogs;
    struct FileQuestion {
        QString title;
        QString filter;
        QString directory;
    };
    std::vector<FileQuestion> fileQuestions;
    std::vector<Question> asked;
    int fileDialogs = 0;

    int MessageBox(QWidget* owner, const QString& text, const QString& caption, int type) override;
    std::optional<QString> OpenFile(QWidget* owner, const QString& title, const QString& filter,
                                    const QString& directory) override;
    std::optional<QString> AskProjectName(QWidget* owner) override;
    std::optional<QString> BrowseFolder(QWidget* owner, const QString& prompt,
                                        const QString& initial) override;
};

// A tray that is there unless `available` is false; it records what the window put in it.
class CRecordingTrayIcon : public ITrayIcon {
public:
    bool available = true;
    bool shown = false;
    QString tip;
    QMenu* menu = nullptr;
    std::function<void()> doubleClick;

    bool Available() const override { return available && shown; }
    void Show(const QString& tip, QMenu* menu, std::function<void()> restore) override;
    void Hide() override { shown = false; }
};

// A job's grip on the project: another thread holds g_csProject from construction (which returns
// once it is held) until Release() or destruction.
class ProjectLockHolder {
public:
    ProjectLockHolder();
    ~ProjectLockHolder() { Release(); }
    ProjectLockHolder(const ProjectLockHolder&) = delete;
    ProjectLockHolder& operator=(const ProjectLockHolder&) = delete;
    void Release();

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_held = false;
    bool m_release = false;
    std::thread m_thread;
};

class WindowFixture {
public:
    WindowFixture();
    // Ends the task thread while the window still takes its messages.
    ~WindowFixture();

    bool Ok() const { return m_ok; }
    std::string ProjectDir(const std::string& project) const;
    void PutFile(const std::string& path, const std::string& content) const;
    // Waits (handling events) until the window is idle and the task thread has let go of the
    // last job; false after 20 s.
    bool WaitUntilIdle();
    // The log's last line.
    QString LastLine() const;

    CRecordingFrameDialogs dialogs;
    CRecordingLauncher launcher;
    CRecordingTrayIcon tray;
    platform::MessageQueue queue;
    Ctaskthread tasks{queue};
    std::unique_ptr<CMainFrame> frame;

private:
    fixtures::TempDir m_dir{"quarn_ui"};
    std::string m_savedCwd;
    bool m_ok = false;
};

// A settings file quarn cannot write, and the reason in words its message gives.
struct UnwritableFile {
    std::string path;
    QString reason;
};
// Places below `dir` where no process can write a file "Quarn.ini", root included: below a plain
// file ("not a directory"), and beside a directory standing where its lock file goes ("is a
// directory"); for a user other than root also a read-only directory ("permission denied").
std::vector<UnwritableFile> UnwritableSettingsFiles(const std::string& dir);

// Points `project`'s uploads at `server`: its host, port, logon and password.
void UploadTo(const fixtures::FtpServer& server, const std::string& project);

using fixtures::SaveScreenshot;

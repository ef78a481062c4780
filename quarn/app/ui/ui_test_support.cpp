#include "quarn/app/ui/ui_test_support.h"

#include <unistd.h>
#include <QPixmap>
#include <QTest>

#include <filesystem>

#include "quarn/app/project_paths.h"
#include "quarn/app/ui/quarn_view.h"
#include "quarn/services/program_context.h"
#include "quarn/services/prompt.h"
#include "quarn/services/settings.h"
#include "tests/fixtures/ftp_server.h"
#include "tests/fixtures/qt_test_registry.h"

int CRecordingFrameDialogs::MessageBox(QWidget* owner, const QString& text, const QString& caption,
                                       int type) {
    asked.push_back({text, type, caption, owner != nullptr});
    if (buttons.empty()) return MessageBoxButtons(type).front();
    const int button = buttons.front();
    buttons.pop_front();
    return button;
}

std::optional<QString> CRecordingFrameDialogs::OpenFile(QWidget*, const QString& title,
                                                        const QString& filter,
                                                        const QString& directory) {
    ++fileDialogs;
    fileQuestions.push_back({title, filter, directory});
    if (files.empty()) return std::nullopt;
    const QString file = files.front();
    files.pop_front();
    if (file.isEmpty()) return std::nullopt;
    return file;
}

std::optional<QString> CRecordingFrameDialogs::AskProjectName(QWidget*) {
    if (names.empty() || names.front().isNull()) {
        if (!names.empty()) names.pop_front();
        return std::nullopt;
    }
    const QString name = names.front();
    names.pop_front();
    return name;
}

std::optional<QString> CRecordingFrameDialogs::BrowseFolder(QWidget*, const QString& prompt,
                                                            const QString& initial) {
    folderDialogs.push_back({prompt, initial});
    if (folders.empty()) return std::nullopt;
    const QString folder = folders.front();
    folders.pop_front();
    if (folder.isEmpty()) return std::nullopt;
    return folder;
}

void CRecordingTrayIcon::Show(const QString& text, QMenu* contextMenu,
                              std::function<void()> restore) {
    shown = true;
    tip = text;
    menu = contextMenu;
    doubleClick = std::move(restore);
}

WindowFixture::WindowFixture() {
    if (!m_dir.Ok()) return;
    m_savedCwd = CurrentDirectory();
    g_strProgramDir = m_dir.Path();
    g_settings.SetPath(m_dir.File("Quarn.ini"));
    g_strProgramTitle.Set("Quarn Pro");
    g_settings.Set(kGlobalSection, global_key::defprofile, "default");
    for (const char* project : {"default", "shop"}) {
        std::filesystem::create_directories(ProjectDir(project) + "/html");
        g_settings.Set(kGlobalSection, StringKey{ProjectListKey(project[0] == 'd' ? 0 : 1), ""},
                       project);
    }
    std::filesystem::current_path(ProjectDir("default"));
    g_strProject.Set("default");
    g_szProjectDir.Set(ProjectDir("default"));
    g_bCancelRequested = false;
    frame = std::make_unique<CMainFrame>(queue, tasks, dialogs, launcher, tray);
    frame->show();
    std::string error;
    m_ok = tasks.Start(&error);
}

WindowFixture::~WindowFixture() {
    tasks.RequestStop();
    // Not a QTRY: those stop waiting once the test has failed.
    if (!QTest::qWaitFor([this] { return tasks.Ended(); }, 20000)) QFAIL("the task thread hangs");
    tasks.Join();
    frame.reset();
    if (!m_savedCwd.empty()) std::filesystem::current_path(m_savedCwd);
}

std::string WindowFixture::ProjectDir(const std::string& project) const {
    return m_dir.File("projects/" + project);
}

void WindowFixture::PutFile(const std::string& path, const std::string& content) const {
    std::string error;
    QVERIFY2(fixtures::WriteTextFile(path, content, &error), error.c_str());
}

bool WindowFixture::WaitUntilIdle() {
    return QTest::qWaitFor([this] { return frame->IsIdle() && g_bTaskBusy == 0; }, 20000);
}

QString WindowFixture::LastLine() const {
    const QStringList& lines = frame->View()->Lines();
    return lines.isEmpty() ? QString() : lines.back();
}

ProjectLockHolder::ProjectLockHolder()
    : m_thread([this] {
          const std::lock_guard<platform::CriticalSection> project(g_csProject);
          std::unique_lock lock(m_mutex);
          m_held = true;
          m_changed.notify_all();
          m_changed.wait(lock, [this] { return m_release; });
      }) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_held; });
}

void ProjectLockHolder::Release() {
    if (!m_thread.joinable()) return;
    {
        const std::lock_guard lock(m_mutex);
        m_release = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

std::vector<UnwritableFile> UnwritableSettingsFiles(const std::string& dir) {
    namespace fs = std::filesystem;
    std::string error;
    fixtures::WriteTextFile(dir + "/plain", "", &error);
    fs::create_directories(dir + "/locked/Quarn.ini.lock");
    std::vector<UnwritableFile> files = {{dir + "/plain/Quarn.ini", "not a directory"},
                                         {dir + "/locked/Quarn.ini", "is a directory"}};
    if (::geteuid() != 0) {
        fs::create_directories(dir + "/readonly");
        fs::permissions(dir + "/readonly", fs::perms::owner_read | fs::perms::owner_exec);
        files.push_back({dir + "/readonly/Quarn.ini", "permission denied"});
    }
    return files;
}

void UploadTo(const fixtures::FtpServer& server, const std::string& project) {
    g_settings.Set(project, project_key::wsname, server.Host());
    g_settings.Set(project, project_key::ftpport, server.Port());
    g_settings.Set(project, project_key::wslogon, server.User());
    g_settings.Set(project, project_key::wspasswd, server.Password());
}

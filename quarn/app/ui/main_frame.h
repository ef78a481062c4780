#pragma once
// quarn's main window: the message log, the project and main toolbars (the main one holds the
// project selector), a status bar with busy and error panes, and the tray icon. It turns commands
// into jobs for the task thread and follows what worker threads post to its queue.
//
// GUI thread only. Worker threads reach it through the queue given at construction, which it
// empties from a queued Qt event, in posting order. It never waits for g_csProject: a command
// that needs the project tries the lock and does nothing when a job holds it.

#include <QByteArray>
#include <QMainWindow>
#include <QPoint>
#include <QPointer>
#include <atomic>
#include <optional>
#include <string>
#include <string_view>

#include "platform/message_queue.h"
#include "quarn/app/task_job.h"

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class CProgressDlg;
class CProjectScriptsDlg;
class CQuarnView;
class CSplashDlg;
class CToolBarEx;
class IFrameDialogs;
class ILauncher;
class ITrayIcon;
struct LaunchCommand;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    // `queue` is the window's queue (the task thread and the server post to it); jobs go to
    // `tasks`; `dialogs` asks the user; `launcher` starts other programs; `tray` is the window's
    // icon in the tray. All five must outlive the window.
    CMainFrame(platform::MessageQueue& queue, ITaskPoster& tasks, IFrameDialogs& dialogs,
               ILauncher& launcher, ITrayIcon& tray);
    ~CMainFrame() override;

    // Shows the splash window for `ms` milliseconds.
    void ShowSplash(int ms);

    QAction* Command(int id) const;
    CQuarnView* View() const { return m_pView; }
    CProjectScriptsDlg* ScriptsWindow() const { return m_wndScripts; }
    // The progress window and the splash while they exist, else null.
    CProgressDlg* ProgressDlg() const;
    CSplashDlg* Splash() const;
    // The tray icon's context menu.
    QMenu* TrayMenu() const { return m_trayMenu; }
    bool IsIdle() const { return m_bIdle != 0; }

    void FillProjectCombo();
    void SelectPendingProject();
    void HideToTray();
    // Back from the tray or the task bar, above the other windows; a later start asks for it.
    void BringToFront();
    // Whether the window is shown; any thread may ask.
    bool IsShown() const { return m_shown.load(); }
    // Asks when busy; saves placement and bar layout and closes. False when the user keeps it.
    bool ExitProgram();
    // What ExitProgram does before it closes, without its question: the program ends for a
    // stop signal, which no one is there to confirm; the caller ends the event loop.
    void PrepareExit();
    // Runs the script at `path` as a dropped file does.
    void RunDroppedFile(const std::string& path);

    // The section that holds the bar layout.
    static std::string BarStateSection();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateCommands();
    void CreateMenus();
    void CreateBars();
    void CreateTray();
    void PlaceWindow();
    void SavePlacement();

    void WakeUp();
    void DrainQueue();
    void OnFrameNotify(unsigned code);
    void UpdateCommands();
    void UpdatePanes();
    void ShowFromTray();

    void PostJob(unsigned code, int param = 0, std::string path = {});
    void OnOpenRunScript();
    void OnOpenEditScript();
    void OnSwitchProject(int index);
    void OnNewProject();
    void OnDeleteProject();
    void OnResetUpload();
    void OnPreview();
    void OnProjectSettings();
    void OnEventLog();
    void OnEditOutputFiles();
    // The directory the script file dialogs start in; the caller holds g_csProject.
    QString ScriptDirectory() const;
    // Starts `command`, or shows `failure` (an error box) when it cannot be started or is none.
    void Launch(const std::optional<LaunchCommand>& command, std::string_view failure);
    void ShowError(std::string_view text);

    platform::MessageQueue& m_queue;
    ITaskPoster& m_tasks;
    IFrameDialogs& m_dialogs;
    ILauncher& m_launcher;
    ITrayIcon& m_tray;
    std::atomic<bool> m_drainPosted{false};
    std::atomic<bool> m_shown{false};

    int m_bIdle = 1;
    QByteArray m_dockState;
    bool m_bExiting = false;

    CQuarnView* m_pView;
    CProjectScriptsDlg* m_wndScripts = nullptr;
    CToolBarEx* m_wndProjectBar = nullptr;
    CToolBarEx* m_wndMainBar = nullptr;
    QComboBox* m_wndProjectCombo = nullptr;
    QLabel* m_busyPane = nullptr;
    QLabel* m_errorPane = nullptr;
    QMenu* m_trayMenu = nullptr;
    // Where the frame stood at the last move: the Project Scripts window follows the frame, not
    // the client area, which also moves when the window manager first puts a frame around it.
    QPoint m_framePos;
    QPointer<CSplashDlg> m_pSplash;
    QPointer<CProgressDlg> m_pProgressDlg;
};

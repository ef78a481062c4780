#include "quarn/app/ui/main_frame.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QHideEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMoveEvent>
#include <QScreen>
#include <QShowEvent>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <filesystem>
#include <mutex>

#include "quarn/app/launch_commands.h"
#include "quarn/app/process_priority.h"
#include "quarn/app/project_commands.h"
#include "quarn/app/project_name.h"
#include "quarn/app/project_paths.h"
#include "quarn/app/project_scripts.h"
#include "quarn/app/project_switch.h"
#include "quarn/app/ui/event_log_dlg.h"
#include "quarn/app/ui/frame_commands.h"
#include "quarn/app/ui/frame_dialogs.h"
#include "quarn/app/ui/output_files_dlg.h"
#include "quarn/app/ui/program_settings_sheet.h"
#include "quarn/app/ui/progress_dlg.h"
#include "quarn/app/ui/project_scripts_dlg.h"
#include "quarn/app/ui/project_settings_sheet.h"
#include "quarn/app/ui/quarn_view.h"
#include "quarn/app/ui/splash_dlg.h"
#include "quarn/app/ui/tray_icon.h"
#include "quarn/app/upload.h"
#include "quarn/services/html_root.h"
#include "quarn/services/notifications.h"
#include "quarn/services/program_context.h"
#include "quarn/services/prompt.h"
#include "quarn/services/settings.h"
#include "shared/widgets/bar_state.h"
#include "shared/widgets/toolbar_ex.h"
#include "shared/widgets/ui_text.h"

namespace {

using namespace frame_command;

constexpr int kProjectBarId = 59392;
constexpr int kMainBarId = 59397;
constexpr int kBusyPaneId = 59142;
constexpr int kErrorPaneId = 59143;

QString Title() {
    return FromBytes(g_strProgramTitle.Get());
}

QIcon CommandIcon(const QStyle& style, int id) {
    switch (id) {
        case kPublish:
            return style.standardIcon(QStyle::SP_DialogApplyButton);
        case kOpenRunScript:
            return style.standardIcon(QStyle::SP_MediaPlay);
        case kFtp:
            return style.standardIcon(QStyle::SP_ArrowUp);
        case kCancel:
            return style.standardIcon(QStyle::SP_BrowserStop);
        case kOpenEditScript:
            return style.standardIcon(QStyle::SP_FileDialogDetailedView);
        case kPreview:
            return style.standardIcon(QStyle::SP_DirHomeIcon);
        case kListOutput:
            return style.standardIcon(QStyle::SP_FileDialogContentsView);
        case kNewProject:
            return style.standardIcon(QStyle::SP_FileDialogNewFolder);
        case kDeleteProject:
            return style.standardIcon(QStyle::SP_TrashIcon);
        case kEventLog:
            return style.standardIcon(QStyle::SP_FileDialogInfoView);
        case kContextHelp:
            return style.standardIcon(QStyle::SP_TitleBarContextHelpButton);
        default:
            return {};
    }
}

}  // namespace

CMainFrame::CMainFrame(platform::MessageQueue& queue, ITaskPoster& tasks, IFrameDialogs& dialogs,
                       ILauncher& launcher, ITrayIcon& tray)
    : m_queue(queue),
      m_tasks(tasks),
      m_dialogs(dialogs),
      m_launcher(launcher),
      m_tray(tray),
      m_pView(new CQuarnView(this)) {
    setObjectName("CMainFrame");
    setWindowTitle(Title());
    m_pView->setObjectName("CQuarnView");
    setCentralWidget(m_pView);
    CreateCommands();
    CreateMenus();
    CreateBars();
    CreateTray();
    PlaceWindow();
    m_wndScripts = new CProjectScriptsDlg(this, m_tasks, m_dialogs, m_launcher);
    connect(m_wndScripts, &CProjectScriptsDlg::ShowStateChanged, Command(kShowScripts),
            &QAction::setChecked);
    m_wndScripts->RestorePlacement(pos());
    LoadBarState(*this, g_settings.File(), BarStateSection());
    g_szStatusMailbox.Take();
    setAcceptDrops(true);
    FillProjectCombo();
    UpdateCommands();
    UpdatePanes();
    m_queue.SetWakeUp([this] { WakeUp(); });
    m_pView->setFocus();
}

CMainFrame::~CMainFrame() {
    m_tray.Hide();
    m_queue.SetWakeUp({});
}

std::string CMainFrame::BarStateSection() {
    return std::string(kGlobalSection) + "\\toolbar";
}

QAction* CMainFrame::Command(int id) const {
    return findChild<QAction*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

CProgressDlg* CMainFrame::ProgressDlg() const {
    return m_pProgressDlg;
}

CSplashDlg* CMainFrame::Splash() const {
    return m_pSplash;
}

void CMainFrame::CreateCommands() {
    for (const FrameCommand& command : FrameCommands()) {
        if (command.id == kProjectCombo) continue;
        auto* action =
            new QAction(CommandIcon(*style(), command.id), FromBytes(command.text), this);
        action->setObjectName(QString::number(command.id));
        action->setStatusTip(FromBytes(command.prompt));
        action->setToolTip(FromBytes(command.tip));
        if (!command.shortcut.empty())
            action->setShortcut(QKeySequence(FromBytes(command.shortcut)));
        action->setEnabled(command.enable != CommandEnable::kNever);
    }
    const auto on = [this](int id, auto slot) {
        connect(Command(id), &QAction::triggered, this, slot);
    };
    on(kOpenRunScript, [this] { OnOpenRunScript(); });
    on(kPublish, [this] { PostJob(TASK_PUBLISH); });
    on(kUploadChanged, [this] { PostJob(TASK_UPLOAD, UPLOAD_CHANGED_ONLY); });
    on(kUploadAllOutput, [this] { PostJob(TASK_UPLOAD, UPLOAD_ALL_OUTPUT); });
    on(kUploadDirectory, [this] { PostJob(TASK_UPLOAD, UPLOAD_ALL_IN_DIRECTORY); });
    on(kFtp, [this] {
        PostJob(TASK_UPLOAD, g_settings.Get(g_strProject.Get(), project_key::uploadchg));
    });
    on(kOpenEditScript, [this] { OnOpenEditScript(); });
    on(kNewProject, [this] { OnNewProject(); });
    on(kDeleteProject, [this] { OnDeleteProject(); });
    on(kResetUpload, [this] { OnResetUpload(); });
    on(kPreview, [this] { OnPreview(); });
    on(kProjectSettings, [this] { OnProjectSettings(); });
    on(kEventLog, [this] { OnEventLog(); });
    on(kEditOutputFiles, [this] { OnEditOutputFiles(); });
    on(kShowScripts, [this] {
        m_wndScripts->SetShowState(m_wndScripts->ShowState() != CProjectScriptsDlg::kHidden
                                       ? CProjectScriptsDlg::kHidden
                                       : CProjectScriptsDlg::kShown);
    });
    on(kOpenDatabase, [this] {
        const std::string database = g_settings.Get(g_strProject.Get(), project_key::database);
        if (SplitCommandLine(database).empty()) {
            ShowError(
                "ERROR 43- user database has not been defined. Check Helper Apps settings under "
                "Project settings.");
            return;
        }
        Launch(SettingCommand(database, {}, ProjectDirectory()),
               "ERROR 42- unable to run database. Check Helper Apps settings under Project "
               "Settings.");
    });
    on(kListOutput, [this] {
        Launch(SettingCommand(g_settings.GetGlobal(global_key::listviewer),
                              {ProjectFile("listfile.txt")}, ProjectDirectory()),
               "ERROR 37- unable to run text editor. Check program settings.");
    });
    on(kWizard,
       [this] { Launch(ProgramDirCommand("kestrel"), "ERROR 38- unable to run utility."); });
    on(kTolvane,
       [this] { Launch(ProgramDirCommand("tolvane"), "ERROR 38- unable to run utility."); });
    // A new logen enables the event log at once.
    on(kProgramSettings, [this] {
        if (CProgramSettingsEditor(m_dialogs, SetProcessPriorityClass).Edit(this)) UpdateCommands();
    });
    on(kCancel, [] { g_bCancelRequested = true; });
    on(kExit, [this] { ExitProgram(); });
    on(kClearError, [this] {
        g_settings.Set(kGlobalSection, global_key::erstat, "   ");
        UpdatePanes();
    });
    for (int id : {kShowMainBar, kShowProjectBar, kShowStatusBar, kShowScripts})
        Command(id)->setCheckable(true);
}

void CMainFrame::CreateMenus() {
    const auto add = [this](QMenu* menu, std::initializer_list<int> ids) {
        for (int id : ids) {
            if (id == 0) {
                menu->addSeparator();
            } else {
                menu->addAction(Command(id));
            }
        }
    };
    add(menuBar()->addMenu("&File"),
        {kOpenRunScript, kOpenEditScript, kEditOutputFiles, kOpenDatabase, 0, kExit});
    QMenu* project = menuBar()->addMenu("&Project");
    add(project, {kPreview, kPublish});
    add(project->addMenu("&Upload"), {kUploadChanged, kUploadAllOutput, kUploadDirectory});
    add(project, {kResetUpload, 0, kProjectSettings});
    add(menuBar()->addMenu("&View"),
        {kShowMainBar, kShowProjectBar, kShowStatusBar, kShowScripts, 0, kListOutput, kEventLog});
    add(menuBar()->addMenu("&Tools"), {kWizard, kTolvane, 0, kClearError, kProgramSettings});
    add(menuBar()->addMenu("&Help"), {kHelpTopics});
}

void CMainFrame::CreateBars() {
    m_wndProjectBar =
        new CToolBarEx(Title() + " Project Toolbar", QString::number(kProjectBarId), this);
    m_wndProjectBar->setIconSize(QSize(22, 22));
    for (int id : {kPublish, kOpenRunScript, kFtp, kCancel, kOpenEditScript, kPreview, kListOutput})
        m_wndProjectBar->AddButton(Command(id));
    addToolBar(Qt::LeftToolBarArea, m_wndProjectBar);

    m_wndMainBar = new CToolBarEx(Title() + " Toolbar", QString::number(kMainBarId), this);
    m_wndMainBar->setIconSize(QSize(16, 16));
    auto* selectorButton = new QAction(this);
    selectorButton->setObjectName(QString::number(kProjectCombo));
    m_wndMainBar->AddButton(selectorButton);
    m_wndMainBar->addSeparator();
    for (int id : {kNewProject, kDeleteProject, kEventLog, kContextHelp})
        m_wndMainBar->AddButton(Command(id));
    m_wndProjectCombo = new QComboBox;
    m_wndProjectCombo->setToolTip(FromBytes(FindFrameCommand(kProjectCombo)->tip));
    m_wndProjectCombo->setStatusTip(FromBytes(FindFrameCommand(kProjectCombo)->prompt));
    m_wndMainBar->InsertControl(m_wndProjectCombo, kProjectCombo, 145, 200);
    delete selectorButton;
    connect(m_wndProjectCombo, &QComboBox::activated, this,
            [this](int index) { OnSwitchProject(index); });
    addToolBar(Qt::TopToolBarArea, m_wndMainBar);

    m_busyPane = new QLabel(this);
    m_busyPane->setObjectName(QString::number(kBusyPaneId));
    m_busyPane->setMinimumWidth(fontMetrics().horizontalAdvance("IDLE  ") + 8);
    m_errorPane = new QLabel(this);
    m_errorPane->setObjectName(QString::number(kErrorPaneId));
    m_errorPane->setMinimumWidth(fontMetrics().horizontalAdvance("   ") + 8);
    statusBar()->addPermanentWidget(m_busyPane);
    statusBar()->addPermanentWidget(m_errorPane);

    connect(Command(kShowMainBar), &QAction::toggled, m_wndMainBar, &QWidget::setVisible);
    connect(Command(kShowProjectBar), &QAction::toggled, m_wndProjectBar, &QWidget::setVisible);
    connect(Command(kShowStatusBar), &QAction::toggled, statusBar(), &QWidget::setVisible);
    connect(m_wndMainBar, &QToolBar::visibilityChanged, Command(kShowMainBar),
            &QAction::setChecked);
    connect(m_wndProjectBar, &QToolBar::visibilityChanged, Command(kShowProjectBar),
            &QAction::setChecked);
    Command(kShowMainBar)->setChecked(true);
    Command(kShowProjectBar)->setChecked(true);
    Command(kShowStatusBar)->setChecked(true);
}

void CMainFrame::CreateTray() {
    m_trayMenu = new QMenu(this);
    m_trayMenu->setObjectName("trayMenu");
    QAction* restore = m_trayMenu->addAction("&Restore " + Title());
    connect(restore, &QAction::triggered, this, [this] { BringToFront(); });
    m_trayMenu->setDefaultAction(restore);
    m_trayMenu->addSeparator();
    for (int id : {kPublish, kOpenRunScript, kCancel})
        m_trayMenu->addAction(Command(id));
    m_trayMenu->addSeparator();
    m_trayMenu->addAction(Command(kExit));
    m_tray.Show(Title().left(63), m_trayMenu, [this] {
        if (isHidden()) ShowFromTray();
    });
}

void CMainFrame::PlaceWindow() {
    const int width = g_settings.GetGlobal(global_key::windowx);
    const int height = g_settings.GetGlobal(global_key::windowy);
    QRect screen(0, 0, 1024, 768);
    if (const QScreen* primary = QGuiApplication::primaryScreen())
        screen = primary->availableGeometry();
    const int left = g_settings.GetGlobal(
        WithDefault(global_key::windowx2, screen.x() + (screen.width() - width) / 2));
    const int top = g_settings.GetGlobal(
        WithDefault(global_key::windowy2, screen.y() + (screen.height() - height) / 2));
    resize(width, height);
    move(left, top);
    m_framePos = pos();
}

void CMainFrame::SavePlacement() {
    if (isMinimized()) return;
    g_settings.Set(kGlobalSection, global_key::windowx, width());
    g_settings.Set(kGlobalSection, global_key::windowx2, x());
    g_settings.Set(kGlobalSection, global_key::windowy, height());
    g_settings.Set(kGlobalSection, global_key::windowy2, y());
    m_wndScripts->SavePlacement();
    SaveBarState(*this, g_settings.File(), BarStateSection());
}

void CMainFrame::ShowSplash(int ms) {
    m_pSplash = new CSplashDlg(this);
    const QRect frame = geometry();
    m_pSplash->move(frame.center() - QPoint(m_pSplash->width() / 2, m_pSplash->height() / 2));
    m_pSplash->show();
    QTimer::singleShot(ms, this, [this] { delete m_pSplash; });
}

void CMainFrame::WakeUp() {
    // One queued drain at a time: it empties the queue, so further wake-ups need none of their
    // own until it has started.
    if (m_drainPosted.exchange(true)) return;
    QMetaObject::invokeMethod(
        this, [this] { DrainQueue(); }, Qt::QueuedConnection);
}

void CMainFrame::DrainQueue() {
    m_drainPosted = false;
    platform::PostedMessage message;
    while (m_queue.TryTake(message)) {
        if (message.message == WM_FRAMENOTIFY) OnFrameNotify(static_cast<unsigned>(message.wParam));
    }
    UpdateCommands();
    UpdatePanes();
}

void CMainFrame::OnFrameNotify(unsigned code) {
    switch (code) {
        case FRAME_STATUS_TEXT:
            m_pView->AddLine(FromBytes(g_szStatusMailbox.Take()));
            break;
        case FRAME_ERROR:
            g_settings.Set(kGlobalSection, global_key::erstat, " ! ");
            if (g_settings.GetGlobal(global_key::swonerror) != 0 && !isVisible()) ShowFromTray();
            break;
        case FRAME_BUSY:
            setAcceptDrops(false);
            m_bIdle = 0;
            break;
        case FRAME_IDLE:
            setAcceptDrops(true);
            m_bIdle = 1;
            break;
        case FRAME_CLEAR_VIEW:
            m_pView->Clear();
            break;
        case FRAME_HIDE_TO_TRAY:
            HideToTray();
            break;
        case FRAME_PROGRESS_OPEN:
            if (m_pProgressDlg == nullptr) {
                m_pProgressDlg = new CProgressDlg(this);
                if (isVisible() && !isMinimized()) m_pProgressDlg->show();
            }
            break;
        case FRAME_PROGRESS_CLOSE:
            delete m_pProgressDlg;
            break;
        case FRAME_PROGRESS_UPDATE:
            if (m_pProgressDlg != nullptr)
                m_pProgressDlg->SetProgress(g_nProgressPos, FromBytes(g_szProgressText.Get()));
            break;
        case FRAME_SELECT_PROJECT:
            SelectPendingProject();
            break;
        default:
            break;
    }
}

void CMainFrame::UpdateCommands() {
    for (const FrameCommand& command : FrameCommands()) {
        if (command.enable != CommandEnable::kIdle) continue;
        if (command.id == kProjectCombo) {
            m_wndProjectCombo->setEnabled(m_bIdle != 0);
        } else if (command.id == kListOutput) {
            Command(command.id)
                ->setEnabled(m_bIdle != 0 &&
                             g_settings.Get(g_strProject.Get(), project_key::listen) == 1);
        } else if (command.id == kEventLog) {
            Command(command.id)
                ->setEnabled(m_bIdle != 0 && g_settings.GetGlobal(global_key::logen) == 1);
        } else {
            Command(command.id)->setEnabled(m_bIdle != 0);
        }
    }
    m_wndScripts->SetListEnabled(m_bIdle != 0);
}

void CMainFrame::UpdatePanes() {
    m_busyPane->setText(m_bIdle != 0 ? "IDLE" : "BUSY");
    m_errorPane->setText(FromBytes(g_settings.GetGlobal(global_key::erstat)));
}

void CMainFrame::PostJob(unsigned code, int param, std::string path) {
    m_tasks.PostJob(TaskJob{code, param, std::move(path), kNoRequester});
}

QString CMainFrame::ScriptDirectory() const {
    return FromBytes(ProjectScriptDirectory());
}

void CMainFrame::OnOpenRunScript() {
    QString directory;
    {
        std::unique_lock project(g_csProject, std::try_to_lock);
        if (!project.owns_lock()) return;  // a job runs: busy
        directory = ScriptDirectory();
    }
    const std::optional<QString> file = m_dialogs.OpenFile(
        this, "Open script file", "Script Files (*.scp *.sce);;All Files (*)", directory);
    if (file) PostJob(TASK_RUN_SCRIPT, 0, ToBytes(*file));
}

void CMainFrame::OnOpenEditScript() {
    std::unique_lock project(g_csProject, std::try_to_lock);
    if (!project.owns_lock()) return;  // a job runs: busy
    const std::optional<QString> file = m_dialogs.OpenFile(
        this, "Open script file", "Script Files (*.scp);;All Files (*)", ScriptDirectory());
    if (!file) return;
    Launch(SettingCommand(g_settings.GetGlobal(global_key::texted), {ToBytes(*file)},
                          ProjectDirectory()),
           "ERROR 37- unable to run text editor. Check program settings.");
}

void CMainFrame::OnPreview() {
    std::unique_lock project(g_csProject, std::try_to_lock);
    if (!project.owns_lock()) return;  // a job runs: busy
    const std::string name = g_strProject.Get();
    const std::string top = g_settings.Get(name, project_key::htmltop);
    if (top.empty()) {
        ShowError(
            "ERROR 39- top-level HTML document not defined. (Before previewing HTML, you need to "
            "run a script.)");
        return;
    }
    const std::string dir = HtmlRootDirectory(ProjectDirectory());
    if (!IsOpenableDirectory(dir)) {
        ShowError("ERROR 94- local HTML directory could not be opened. Check program settings.");
        return;
    }
    Launch(BrowserCommand(g_settings.GetGlobal(global_key::webb), dir + "/" + top),
           "ERROR 40- unable to run web browser. Check Helper Apps settings under Program "
           "Settings.");
}

void CMainFrame::OnProjectSettings() {
    std::unique_lock project(g_csProject, std::try_to_lock);
    if (!project.owns_lock()) return;  // a job runs: busy
    // The scripts window follows a new pscriptdir.
    if (CProjectSettingsEditor(m_dialogs).Edit(this)) m_wndScripts->RefreshList();
}

void CMainFrame::OnEventLog() {
    std::unique_lock project(g_csProject, std::try_to_lock);
    if (!project.owns_lock()) return;  // a job runs: busy
    CEventLogDlg dialog(this, m_dialogs);
    dialog.exec();
}

void CMainFrame::OnEditOutputFiles() {
    std::unique_lock project(g_csProject, std::try_to_lock);
    if (!project.owns_lock()) return;  // a job runs: busy
    COutputFilesDlg dialog(this, m_dialogs, m_launcher);
    dialog.exec();
}

void CMainFrame::Launch(const std::optional<LaunchCommand>& command, std::string_view failure) {
    if (!command || !m_launcher.Launch(*command)) ShowError(failure);
}

void CMainFrame::ShowError(std::string_view text) {
    m_dialogs.MessageBox(this, FromBytes(WithProgramTitle(text)), Title(), 16);
}

void CMainFrame::OnNewProject() {
    std::unique_lock project(g_csProject, std::try_to_lock);
    if (!project.owns_lock()) return;  // a job runs: busy
    const std::optional<QString> typed = m_dialogs.AskProjectName(this);
    if (!typed) return;
    CProjectCommands commands;
    std::string name;
    if (!commands.CheckNewName(ToBytes(*typed), &name)) {
        m_dialogs.MessageBox(this, FromBytes(commands.m_strMessage), Title(), 48);
        return;
    }
    if (!commands.Create(name)) {
        ShowError(commands.m_strMessage);
        return;
    }
    FillProjectCombo();
    m_wndScripts->RefreshList();
}

void CMainFrame::OnDeleteProject() {
    std::unique_lock project(g_csProject, std::try_to_lock);
    if (!project.owns_lock()) return;  // a job runs: busy
    if (m_wndProjectCombo->currentIndex() < 0) return;
    const std::string name = ToBytes(m_wndProjectCombo->currentText());
    CProjectCommands commands;
    if (!commands.CheckDelete(name)) {
        m_dialogs.MessageBox(this, FromBytes(commands.m_strMessage), Title(), 48);
        return;
    }
    if (m_dialogs.MessageBox(this, FromBytes(CProjectCommands::DeleteQuestion(name)), Title(),
                             1 | 48) != prompt_answer::kOk)
        return;
    if (!commands.Delete(name)) ShowError(commands.m_strMessage);
    FillProjectCombo();
    m_wndScripts->RefreshList();
}

void CMainFrame::OnResetUpload() {
    std::unique_lock project(g_csProject, std::try_to_lock);
    if (!project.owns_lock()) return;  // a job runs: busy
    if (m_dialogs.MessageBox(this, FromBytes(CProjectCommands::kResetUploadQuestion), Title(),
                             4 | 48) != prompt_answer::kYes)
        return;
    CProjectCommands commands;
    if (!commands.ResetUploadStatus()) ShowError(commands.m_strMessage);
}

void CMainFrame::RunDroppedFile(const std::string& path) {
    if (path.size() > kMaxPath) {
        m_dialogs.MessageBox(
            this, FromBytes("ERROR 66- the script file " + path + " could not be opened."), Title(),
            16);
        return;
    }
    PostJob(TASK_RUN_SCRIPT, 0, path);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.front().isLocalFile()) return;
    event->acceptProposedAction();
    RunDroppedFile(ToBytes(urls.front().toLocalFile()));
}

void CMainFrame::FillProjectCombo() {
    m_wndProjectCombo->clear();
    for (const std::string& name : g_settings.ReadProjectList())
        m_wndProjectCombo->addItem(FromBytes(name));
    m_wndProjectCombo->setCurrentIndex(
        m_wndProjectCombo->findText(FromBytes(g_strProject.Get()), Qt::MatchFixedString));
}

void CMainFrame::SelectPendingProject() {
    const int index =
        m_wndProjectCombo->findText(FromBytes(g_szPendingProject.Get()), Qt::MatchFixedString);
    if (index >= 0) m_wndProjectCombo->setCurrentIndex(index);
    m_wndScripts->RefreshList();
}

void CMainFrame::OnSwitchProject(int index) {
    const QString active = FromBytes(g_strProject.Get());
    const auto back = [&] {
        m_wndProjectCombo->setCurrentIndex(
            m_wndProjectCombo->findText(active, Qt::MatchFixedString));
    };
    std::unique_lock project(g_csProject, std::try_to_lock);
    if (!project.owns_lock() || m_bIdle == 0) {
        back();  // a job runs: busy
        return;
    }
    const std::string name = ToBytes(m_wndProjectCombo->itemText(index));
    // A listed project whose directory went away gets it back.
    if (CheckProjectName(name) == ProjectNameFault::kNone) {
        std::error_code ignored;
        std::filesystem::create_directories(
            std::filesystem::path(g_strProgramDir) / "projects" / name / "html", ignored);
    }
    if (!SwitchActiveProject(name)) {
        m_dialogs.MessageBox(this, FromBytes("Unable to change to project \"" + name + "\"."),
                             Title(), 48);
        back();
        return;
    }
    m_wndScripts->RefreshList();
}

void CMainFrame::HideToTray() {
    m_dockState = saveState();
    if (m_pProgressDlg != nullptr) m_pProgressDlg->hide();
    // Without a tray icon the window could not be brought back: it is minimised instead.
    if (!m_tray.Available()) {
        showMinimized();
        return;
    }
    hide();
}

void CMainFrame::ShowFromTray() {
    showNormal();
    if (!m_dockState.isEmpty()) restoreState(m_dockState);
    if (m_pProgressDlg != nullptr) m_pProgressDlg->show();
}

void CMainFrame::BringToFront() {
    if (isHidden() || isMinimized()) ShowFromTray();
    raise();
    activateWindow();
}

void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    m_shown = true;
    m_wndScripts->ApplyShowState();
}

void CMainFrame::hideEvent(QHideEvent* event) {
    QMainWindow::hideEvent(event);
    // A minimised window still counts as shown; hide() has cleared the flag by now.
    m_shown = isVisible();
    // The Project Scripts window goes and comes back with the main window, its state unchanged.
    m_wndScripts->hide();
}

void CMainFrame::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    // The Project Scripts window travels with the main window, its size kept.
    const QPoint framePos = pos();
    m_wndScripts->move(m_wndScripts->pos() + framePos - m_framePos);
    m_framePos = framePos;
}

bool CMainFrame::ExitProgram() {
    if (m_bIdle == 0) {
        const QString question =
            FromBytes(WithProgramTitle("Quarn is busy. Are you sure you want to quit?"));
        if (m_dialogs.MessageBox(this, question, Title(), 4) != prompt_answer::kYes) return false;
    }
    PrepareExit();
    close();
    return true;
}

void CMainFrame::PrepareExit() {
    m_tray.Hide();
    SavePlacement();
    m_bExiting = true;
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (m_bExiting) {
        event->accept();
        return;
    }
    event->ignore();
    if (g_settings.GetGlobal(global_key::closewin) != 0) {
        ExitProgram();
    } else {
        HideToTray();
    }
}

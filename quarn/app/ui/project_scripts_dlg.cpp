#include "quarn/app/ui/project_scripts_dlg.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QVBoxLayout>
#include <mutex>

#include "quarn/app/launch_commands.h"
#include "quarn/app/project_scripts.h"
#include "quarn/app/task_job.h"
#include "quarn/app/ui/frame_dialogs.h"
#include "quarn/services/messages.h"
#include "quarn/services/program_context.h"
#include "quarn/services/prompt.h"
#include "quarn/services/settings.h"
#include "shared/widgets/ui_text.h"

namespace {

constexpr int kDialogId = 183;
constexpr int kListId = 1011;
constexpr int kRunId = 32848;
constexpr int kEditId = 32849;
constexpr int kDeleteId = 32850;
constexpr int kRefreshId = 32851;
constexpr int kErrorIcon = 16;
constexpr int kYesNoWarning = 4 | 48;

}  // namespace

CScriptListBox::CScriptListBox(QWidget* parent, QMenu* menu) : QListWidget(parent), m_menu(menu) {}

void CScriptListBox::contextMenuEvent(QContextMenuEvent* event) {
    if (QListWidgetItem* item = itemAt(event->pos())) setCurrentItem(item);
    m_menu->popup(event->globalPos());
}

CProjectScriptsDlg::CProjectScriptsDlg(QWidget* owner, ITaskPoster& tasks, IFrameDialogs& dialogs,
                                       ILauncher& launcher)
    : QDialog(owner, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_tasks(tasks),
      m_dialogs(dialogs),
      m_launcher(launcher),
      m_menu(new QMenu(this)),
      m_list(new CScriptListBox(this, m_menu)) {
    setObjectName(QString::number(kDialogId));
    setWindowTitle("Project Scripts");
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setSizeGripEnabled(true);
    m_list->setObjectName(QString::number(kListId));
    m_list->setToolTip("Right-click to edit script, double-click to run");
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { Run(); });

    const auto command = [&](int id, const char* text, void (CProjectScriptsDlg::*slot)()) {
        auto* action = new QAction(text, this);
        action->setObjectName(QString::number(id));
        connect(action, &QAction::triggered, this, slot);
        m_menu->addAction(action);
    };
    command(kRunId, "Run", &CProjectScriptsDlg::Run);
    command(kEditId, "Edit", &CProjectScriptsDlg::Edit);
    command(kDeleteId, "Delete", &CProjectScriptsDlg::Delete);
    m_menu->addSeparator();
    command(kRefreshId, "Refresh", &CProjectScriptsDlg::RefreshList);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    RefreshList();
}

void CProjectScriptsDlg::RefreshList() {
    m_list->clear();
    for (const std::string& name : ListProjectScripts())
        m_list->addItem(FromBytes(name));
}

QString CProjectScriptsDlg::SelectedName() const {
    const QListWidgetItem* item = m_list->currentItem();
    return item != nullptr && item->isSelected() ? item->text() : QString();
}

void CProjectScriptsDlg::Run() {
    const std::string path = ProjectScriptPath(ToBytes(SelectedName()));
    if (path.size() > kMaxPath) {
        ShowError(LoadMessage(66, path));
        return;
    }
    m_tasks.PostJob(TaskJob{TASK_RUN_SCRIPT, 0, path, kNoRequester});
}

void CProjectScriptsDlg::Edit() {
    std::unique_lock project(g_csProject, std::try_to_lock);
    if (!project.owns_lock()) return;  // a job runs: busy
    const std::optional<LaunchCommand> command =
        SettingCommand(g_settings.GetGlobal(global_key::texted),
                       {ProjectScriptPath(ToBytes(SelectedName()))}, ProjectScriptDirectory());
    if (!command || !m_launcher.Launch(*command)) ShowError(LoadMessage(37));
}

void CProjectScriptsDlg::Delete() {
    const std::string name = ToBytes(SelectedName());
    if (name.empty()) return;
    const QString question =
        FromBytes(WithProgramTitle("Are you sure you want to permanently delete the script file?"));
    if (m_dialogs.MessageBox(this, question, FromBytes(g_strProgramTitle.Get()), kYesNoWarning) !=
        prompt_answer::kYes)
        return;
    DeleteProjectScript(name);  // a file that stays is shown again by the refresh
    RefreshList();
}

void CProjectScriptsDlg::ShowError(std::string_view text) {
    m_dialogs.MessageBox(this, FromBytes(text), FromBytes(g_strProgramTitle.Get()), kErrorIcon);
}

void CProjectScriptsDlg::RestorePlacement(QPoint frameTopLeft) {
    const ScriptsWindowPlacement placement =
        ReadScriptsPlacement(frameTopLeft.x(), frameTopLeft.y());
    resize(placement.width, placement.height);
    move(placement.left, placement.top);
    m_nShow = placement.show != kHidden ? kShown : kHidden;
    emit ShowStateChanged(m_nShow != kHidden);
}

void CProjectScriptsDlg::SavePlacement() const {
    WriteScriptsPlacement({x(), y(), width(), height(), m_nShow});
}

void CProjectScriptsDlg::SetShowState(int show) {
    m_nShow = show != kHidden ? kShown : kHidden;
    setVisible(m_nShow != kHidden);
    emit ShowStateChanged(m_nShow != kHidden);
}

void CProjectScriptsDlg::ApplyShowState() {
    if (m_nShow != kHidden) show();
}

void CProjectScriptsDlg::SetListEnabled(bool enabled) {
    m_list->setEnabled(enabled);
}

void CProjectScriptsDlg::reject() {
    SetShowState(kHidden);
}

void CProjectScriptsDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) return;
    QDialog::keyPressEvent(event);
}

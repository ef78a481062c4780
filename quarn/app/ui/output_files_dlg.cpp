#include "quarn/app/ui/output_files_dlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "quarn/app/launch_commands.h"
#include "quarn/app/output_files.h"
#include "quarn/app/ui/control_identity.h"
#include "quarn/app/ui/frame_dialogs.h"
#include "quarn/services/messages.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"
#include "shared/widgets/ui_text.h"

namespace {

constexpr int kDialogId = 148;
constexpr int kListId = 1011;
constexpr int kChangedOnlyId = 1004;
constexpr int kMarkChangedId = 1005;
constexpr int kEditId = 1012;
constexpr int kOkId = 1013;
constexpr int kErrorIcon = 16;

}  // namespace

COutputFilesDlg::COutputFilesDlg(QWidget* parent, IFrameDialogs& dialogs, ILauncher& launcher)
    : QDialog(parent),
      m_dialogs(dialogs),
      m_launcher(launcher),
      m_list(new QListWidget(this)),
      m_changedOnly(Identify(new QCheckBox("View changed files only", this), kChangedOnlyId,
                             "Only view files that have changed since last upload")),
      m_markChanged(Identify(new QCheckBox("Mark opened files as changed", this), kMarkChangedId,
                             "Add edited files to Quarn changed files upload list")) {
    setObjectName(QString::number(kDialogId));
    setWindowTitle(FromBytes(g_strProgramTitle.Get()));
    Identify(m_list, kListId, "Double-click filename to edit");
    m_list->setMinimumSize(320, 240);
    auto* edit = Identify(new QPushButton("Edit", this), kEditId, "Edit selected file");
    auto* ok = Identify(new QPushButton("OK", this), kOkId, "");
    edit->setAutoDefault(false);
    ok->setDefault(true);
    connect(edit, &QPushButton::clicked, this, [this] { Edit(); });
    connect(ok, &QPushButton::clicked, this, &COutputFilesDlg::accept);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { Edit(); });
    connect(m_changedOnly, &QCheckBox::clicked, this, [this](bool checked) {
        g_settings.Set(g_strProject.Get(), project_key::sco, checked ? 1 : 0);
        LoadList();
    });

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(edit);
    buttons->addStretch();
    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel("Output Files", this), 0, 0);
    layout->addWidget(m_list, 1, 0);
    layout->addLayout(buttons, 1, 1);
    layout->addWidget(m_changedOnly, 2, 0);
    layout->addWidget(m_markChanged, 3, 0);

    const std::string project = g_strProject.Get();
    m_changedOnly->setChecked(g_settings.Get(project, project_key::sco) != 0);
    m_markChanged->setChecked(g_settings.Get(project, project_key::addedit2chg) != 0);
    LoadList();
}

void COutputFilesDlg::LoadList() {
    m_list->clear();
    for (const std::string& name : OutputFileNames(m_changedOnly->isChecked()))
        m_list->addItem(FromBytes(name));
}

void COutputFilesDlg::Edit() {
    const QListWidgetItem* item = m_list->currentItem();
    if (item == nullptr || !item->isSelected()) return;
    const std::string name = ToBytes(item->text());
    std::string message;
    // A change list that cannot be written is reported; the file still opens.
    if (m_markChanged->isChecked() && !AddToChangeList(name, message)) ShowError(message);
    std::string path;
    if (!OutputFilePath(name, path, message)) {
        ShowError(message);
        return;
    }
    const std::optional<LaunchCommand> command =
        SettingCommand(g_settings.GetGlobal(global_key::listviewer), {path}, "");
    if (!command || !m_launcher.Launch(*command)) ShowError(LoadMessage(88));
}

void COutputFilesDlg::ShowError(const std::string& text) {
    m_dialogs.MessageBox(this, FromBytes(text), windowTitle(), kErrorIcon);
}

void COutputFilesDlg::accept() {
    g_settings.Set(g_strProject.Get(), project_key::addedit2chg,
                   m_markChanged->isChecked() ? 1 : 0);
    QDialog::accept();
}

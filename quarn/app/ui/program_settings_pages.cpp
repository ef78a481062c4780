#include "quarn/app/ui/program_settings_pages.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/dialup_backend.h"
#include "quarn/app/remote_users.h"
#include "quarn/app/remote_users_file.h"
#include "quarn/services/program_context.h"
#include "quarn/services/prompt.h"
#include "quarn/services/settings.h"
#include "shared/widgets/ui_text.h"

namespace {

constexpr int kError = 16;
constexpr int kWarning = 48;
constexpr int kYesNoWarning = 4 | 48;

constexpr std::string_view kExecutableFilter = "Executable Files (*);;All Files (*)";

// No folder of its own: the dialog leaves the process's current directory alone.
QString CurrentDirectory() {
    return QString();
}

CRemoteUsersFile RemoteUsers() {
    return CRemoteUsersFile(g_strProgramDir + "/" + std::string(kRemoteUsersFile));
}

}  // namespace

// --- CGIpage1: Helper Applications ---

CGIpage1::CGIpage1(ProgramSettingsValues& v, IFrameDialogs& dialogs)
    : CSettingsPage(166, "Helper Applications", dialogs) {
    const struct {
        int edit;
        std::string_view label;
        std::string& value;
        std::string_view tip;
        int button;
        std::string_view title;
    } rows[] = {
        {1000, "&Script editor:", v.texted, "Enter path to script editor executable", 1012,
         "Select text editor executable"},
        {1001, "&Web browser:", v.webb, "Enter path to web browser executable", 1013,
         "Select web browser executable"},
        {1002, "&List file editor:", v.listviewer, "Enter path to list file viewer executable",
         1020, "Select list file editor executable"},
    };
    for (const auto& row : rows) {
        QLineEdit* field = AddEdit(row.edit, row.label, row.value, row.tip);
        field->setMinimumWidth(260);
        AddFileBrowse(row.button, field, row.title, kExecutableFilter, CurrentDirectory,
                      "Browse for file");
    }
    AddStretch();
}

// --- CGIpage2: Program Behaviour ---

CGIpage2::CGIpage2(ProgramSettingsValues& v, IFrameDialogs& dialogs, PrioritySetter setPriority)
    : CSettingsPage(167, "Program Behaviour", dialogs), m_setPriority(std::move(setPriority)) {
    QButtonGroup* priority = AddRadios(
        "Priority",
        {{1021, "Hi&gh (Program runs fast)", "Quarn claims process priority over other software"},
         {1022, "&Normal", "Quarn runs at normal priority"},
         {1023, "&Low (Program runs in background)", "Quarn only uses idle processor time"}},
        v.priority);
    connect(priority, &QButtonGroup::idClicked, this, [this](int value) {
        std::string message;
        if (!m_setPriority(value, &message)) Ask(message, kWarning);
    });
    AddCheck(1004, "&Close window shuts program down", v.closewin,
             "If cleared, only File/Exit will shut program down");
    AddCheck(1005, "&Hide window on startup", v.hidewindow,
             "Quarn program window will not appear when program is started");
    AddCheck(1006, "Show window on &error", v.swonerror,
             "Hidden Quarn window will become visible on project errors");
    AddCheck(1007, "&Generate system event log", v.logen, "Log all project actions to log file");
    AddCheck(1008, "Allow &multiple instances of Program", v.allowmultiinst,
             "Clear this checkbox to prevent more than 1 copy of Quarn running at once");
    AddStretch();
}

// --- CGIpage3: Auto-Publish Schedule ---

CGIpage3::CGIpage3(ProgramSettingsValues& v, IFrameDialogs& dialogs)
    : CSettingsPage(168, "Auto-Publish Schedule", dialogs),
      m_newTime(Identify(new QLineEdit(this), 1000, "Enter time in the format hh:mm")),
      m_times(Identify(new QListWidget(this), 1011, "Auto-Publish times")) {
    QPushButton* add = MakeButton(1012, "&Add Time", "Add time to schedule");
    QPushButton* remove = MakeButton(1013, "&Delete Time", "Remove selected time from schedule");
    connect(add, &QPushButton::clicked, this, [this] { AddTime(); });
    connect(remove, &QPushButton::clicked, this, [this] { DeleteTime(); });
    ClickOnEnter(m_newTime, add);
    Bind(
        [this, &v] {
            m_times->clear();
            m_times->addItems(ToStrings(v.times));
        },
        [this, &v](std::string&, QWidget*&) {
            v.times.clear();
            for (int row = 0; row < m_times->count(); ++row)
                v.times.push_back(ToBytes(m_times->item(row)->text()));
            return 1;
        });

    auto* timeBox = new QGroupBox("Times", this);
    auto* times = new QGridLayout(timeBox);
    auto* label = new QLabel("&New time (hh:mm):", timeBox);
    label->setBuddy(m_newTime);
    times->addWidget(label, 0, 0, 1, 2);
    times->addWidget(m_newTime, 1, 0);
    times->addWidget(add, 1, 1);
    times->addWidget(m_times, 2, 0, 2, 1);
    times->addWidget(remove, 2, 1, Qt::AlignTop);
    times->setRowStretch(3, 1);

    auto* dayBox = new QGroupBox("Days", this);
    auto* days = new QVBoxLayout(dayBox);
    const char* names[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    for (int day = 0; day < 7; ++day)
        days->addWidget(MakeCheck(1004 + day, names[day], v.weekdays[day], ""));
    days->addStretch(1);

    auto* boxes = new QWidget(this);
    auto* layout = new QHBoxLayout(boxes);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(timeBox, 1);
    layout->addWidget(dayBox);
    AddWidget(boxes, 1);
}

void CGIpage3::AddTime() {
    const QString text = m_newTime->text();
    m_newTime->setFocus();
    if (text.isEmpty()) return;
    if (!IsScheduleTime(ToBytes(text))) {
        Ask(kScheduleTimeError, kError);
        return;
    }
    m_times->addItem(text);
    m_newTime->clear();
}

void CGIpage3::DeleteTime() {
    const int row = m_times->currentRow();
    if (row < 0 || m_times->selectedItems().isEmpty()) return;
    delete m_times->takeItem(row);
    if (m_times->count() > 0) m_times->setCurrentRow(std::max(row - 1, 0));
}

// --- CGIpage4: Connection Details ---

CGIpage4::CGIpage4(ProgramSettingsValues& v, IFrameDialogs& dialogs)
    : CSettingsPage(169, "Connection Details", dialogs) {
    m_addressbook = AddCombo(1014, "&Connection:", v.addressbook,
                             "Select the name of your Internet connection");
    AddEdit(1000, "&Username:", v.isplogon, "Enter the logon name provided by your ISP");
    AddPassword(1001, "&Password:", v.isppassword, "Enter the password for your Internet account");
    AddSpinBox(1002, "&Number of times to attempt connection:", v.numretry, kNumRetryRange,
               "Number of times Quarn will attempt to connect if line busy");
    AddStretch();
}

void CGIpage4::showEvent(QShowEvent* event) {
    CSettingsPage::showEvent(event);
    // Once the switch to the page has stood: a page left with a fault takes the sheet back at
    // once, and this page is then not shown after all.
    QTimer::singleShot(0, this, [this] {
        if (m_listed || !isVisible()) return;
        m_listed = true;
        ListEntries();
    });
}

void CGIpage4::ListEntries() {
    platform::DialupBackend& backend = platform::CurrentDialupBackend();
    std::vector<std::string> entries;
    if (!backend.Present() || !backend.ListEntries(entries)) {
        Ask("ERROR 61- dial-up networking error.", kError);
        return;
    }
    SetSortedItems(m_addressbook, ToStrings(entries));
}

// --- CGIpage5: Auto-Publish Project ---

CGIpage5::CGIpage5(ProgramSettingsValues& v, IFrameDialogs& dialogs)
    : CSettingsPage(133, "Auto-Publish Project", dialogs) {
    m_autopub = AddCheck(1004, "&Enable auto-publish", v.autopub,
                         "Auto-publish Quarn project to pre-set schedule");
    m_autopubproj =
        AddCombo(1014, "&Project to publish:", v.autopubproj, "Select project to be published");
    SetSortedItems(m_autopubproj, ToStrings(g_settings.ReadProjectList()));
    AddStretch();
}

void CGIpage5::UpdateEnabling() {
    m_autopubproj->setEnabled(m_autopub->isChecked());
}

// --- CGIpage6: Network Control ---

CGIpage6::CGIpage6(ProgramSettingsValues& v, IFrameDialogs& dialogs)
    : CSettingsPage(180, "Network Control", dialogs) {
    m_ncen = AddCheck(1004, "&Enable network control server", v.ncen,
                      "Enable r/c server (changes will not take effect until program is "
                      "restarted)");
    m_ncport = AddNumber(1000, "Listen on this &port:", v.ncport, kNcPortRange,
                         "Server port (changes will not take effect until program is restarted)");
    m_newUser = Identify(new QLineEdit(this), 1001, "Enter username for new remote user");
    m_newPassword = Identify(new QLineEdit(this), 1002, "Enter password for new remote user");
    m_newPassword->setEchoMode(QLineEdit::Password);
    m_users = Identify(new QListWidget(this), 1011, "Quarn remote users (password not displayed)");
    m_add = MakeButton(1013, "&Add User", "Add new user to the system");
    m_remove = MakeButton(1020, "&Remove User", "Remove selected user from the system");
    connect(m_add, &QPushButton::clicked, this, [this] { AddUser(); });
    connect(m_remove, &QPushButton::clicked, this, [this] { RemoveUser(); });
    ClickOnEnter(m_newUser, m_add);
    ClickOnEnter(m_newPassword, m_add);

    auto* userBox = new QGroupBox("Remote users", this);
    auto* users = new QGridLayout(userBox);
    auto* userLabel = new QLabel("User &name:", userBox);
    userLabel->setBuddy(m_newUser);
    auto* passwordLabel = new QLabel("Pass&word:", userBox);
    passwordLabel->setBuddy(m_newPassword);
    users->addWidget(userLabel, 0, 0);
    users->addWidget(m_newUser, 0, 1);
    users->addWidget(passwordLabel, 1, 0);
    users->addWidget(m_newPassword, 1, 1);
    users->addWidget(m_add, 1, 2);
    users->addWidget(m_users, 2, 0, 2, 2);
    users->addWidget(m_remove, 2, 2, Qt::AlignTop);
    users->setRowStretch(3, 1);
    AddWidget(userBox, 1);
    ListUsers();
}

void CGIpage6::ListUsers() {
    QStringList names = ToStrings(RemoteUsers().Names());
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    m_users->clear();
    m_users->addItems(names);
}

void CGIpage6::AddUser() {
    CRemoteUsersFile file = RemoteUsers();
    if (!file.Add(ToBytes(m_newUser->text()), ToBytes(m_newPassword->text()))) {
        Ask(file.m_strMessage, kWarning);
        return;
    }
    ListUsers();
    m_newUser->clear();
    m_newPassword->clear();
}

void CGIpage6::RemoveUser() {
    const QListWidgetItem* selected = m_users->currentItem();
    if (selected == nullptr || !selected->isSelected()) return;
    const std::string name = ToBytes(selected->text());
    if (Ask("Delete user from the system?", kYesNoWarning) != prompt_answer::kYes) return;
    CRemoteUsersFile file = RemoteUsers();
    if (!file.Remove(name)) Ask(file.m_strMessage, kError);
    ListUsers();
}

void CGIpage6::UpdateEnabling() {
    SetEnabled({m_ncport, m_newUser, m_newPassword, m_users, m_add, m_remove}, m_ncen->isChecked());
}

// --- CGIpage7: Application Title ---

CGIpage7::CGIpage7(ProgramSettingsValues& v, IFrameDialogs& dialogs)
    : CSettingsPage(196, "Application Title", dialogs) {
    AddEdit(1000, "Application title", v.progtitle, "");
    AddEdit(1001, "Application welcome message", v.welcmsg, "");
    AddCheck(1005, "Show Quarn splash screen on startup", v.splashscr, "");
    AddCheck(1004, "Don't show this dialog in future", v.showapptitledlg, "");
    AddStretch();
}

#include "quarn/app/ui/program_settings_pages.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/dialup_backend.h"
#include "quarn/app/remote_users.h"
#include "quarn/app/remote_users_file.h"
#include "quarn/app/ui/frame_dialogs.h"
#include "shared/widgets/ui_text.h"
#include "quarn/services/program_context.h"
#include "quarn/services/prompt.h"
#include "quarn/services/settings.h"

namespace {

constexpr int kError = 16;
constexpr int kWarning = 48;
constexpr int kYesNoWarning = 4 | 48;

QString Titled(std::string_view text) {
    return FromBytes(WithProgramTitle(text));
}

QPushButton* MakeButton(QWidget* page, int id, const QString& text, std::string_view tip) {
    auto* button = new QPushButton(text, page);
    button->setObjectName(QString::number(id));
    button->setToolTip(Titled(tip));
    button->setAutoDefault(false);
    return button;
}

// Items in the order a sorted list shows them: without regard to case.
void SetSortedItems(QComboBox* combo, QStringList items) {
    std::stable_sort(items.begin(), items.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    const QString shown = combo->currentText();
    combo->clear();
    combo->addItems(items);
    combo->setCurrentIndex(-1);
    combo->setCurrentText(shown);
}

QStringList ToStrings(const std::vector<std::string>& texts) {
    QStringList strings;
    for (const std::string& text : texts)
        strings << FromBytes(text);
    return strings;
}

// A field's text into `value`, which keeps its bytes while the text is what they show: text that
// is not UTF-8 comes back unchanged from a page that did not edit it.
void TakeText(std::string& value, const QString& text) {
    if (FromBytes(value) != text) value = ToBytes(text);
}

int Checked(const QCheckBox* box) {
    return box->isChecked() ? 1 : 0;
}

}  // namespace

// --- CProgramSettingsPage ---

CProgramSettingsPage::CProgramSettingsPage(int dialogId, IFrameDialogs& dialogs) : m_dialogs(dialogs) {
    setObjectName(QString::number(dialogId));
}

bool CProgramSettingsPage::Check(QString*, QWidget**) const {
    return true;
}

int CProgramSettingsPage::Ask(const std::string& text, int type) {
    return m_dialogs.MessageBox(this, Titled(text), FromBytes(g_strProgramTitle.Get()), type);
}

QLineEdit* CProgramSettingsPage::MakeEdit(int id, std::string_view tip) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::number(id));
    edit->setToolTip(Titled(tip));
    return edit;
}

QCheckBox* CProgramSettingsPage::MakeCheck(int id, std::string_view text, std::string_view tip) {
    auto* box = new QCheckBox(Titled(text), this);
    box->setObjectName(QString::number(id));
    if (!tip.empty()) box->setToolTip(Titled(tip));
    return box;
}

// --- CGIpage1: Helper Applications ---

CGIpage1::CGIpage1(IFrameDialogs& dialogs)
    : CProgramSettingsPage(166, dialogs),
      m_texted(MakeEdit(1000, "Enter path to script editor executable")),
      m_webb(MakeEdit(1001, "Enter path to web browser executable")),
      m_listviewer(MakeEdit(1002, "Enter path to list file viewer executable")) {
    auto* layout = new QGridLayout(this);
    const struct {
        const char* label;
        QLineEdit* field;
        int button;
        const char* title;
    } rows[] = {
        {"&Script editor:", m_texted, 1012, "Select text editor executable"},
        {"&Web browser:", m_webb, 1013, "Select web browser executable"},
        {"&List file editor:", m_listviewer, 1020, "Select list file editor executable"},
    };
    int row = 0;
    for (const auto& r : rows) {
        auto* label = new QLabel(r.label, this);
        label->setBuddy(r.field);
        QPushButton* browse = MakeButton(this, r.button, "...", "Browse for file");
        browse->setFixedWidth(browse->fontMetrics().horizontalAdvance("...") + 24);
        QLineEdit* field = r.field;
        const QString title = r.title;
        connect(browse, &QPushButton::clicked, this,
                [this, field, title] { Browse(field, title); });
        layout->addWidget(label, row, 0);
        layout->addWidget(field, row, 1);
        layout->addWidget(browse, row, 2);
        ++row;
    }
    layout->setRowStretch(row, 1);
    layout->setColumnMinimumWidth(1, 260);
}

void CGIpage1::Browse(QLineEdit* field, const QString& title) {
    // No directory of its own: the dialog leaves the process's current directory alone.
    const std::optional<QString> file =
        m_dialogs.OpenFile(this, title, "Executable Files (*);;All Files (*)", QString());
    if (file) field->setText(*file);
}

void CGIpage1::Load(const ProgramSettingsValues& v) {
    m_texted->setText(FromBytes(v.texted));
    m_webb->setText(FromBytes(v.webb));
    m_listviewer->setText(FromBytes(v.listviewer));
}

void CGIpage1::Save(ProgramSettingsValues& v) const {
    TakeText(v.texted, m_texted->text());
    TakeText(v.webb, m_webb->text());
    TakeText(v.listviewer, m_listviewer->text());
}

// --- CGIpage2: Program Behaviour ---

CGIpage2::CGIpage2(IFrameDialogs& dialogs, PrioritySetter setPriority)
    : CProgramSettingsPage(167, dialogs),
      m_setPriority(std::move(setPriority)),
      m_priority(new QButtonGroup(this)),
      m_closewin(MakeCheck(1004, "&Close window shuts program down",
                           "If cleared, only File/Exit will shut program down")),
      m_hidewindow(MakeCheck(1005, "&Hide window on startup",
                             "Quarn program window will not appear when program is started")),
      m_swonerror(MakeCheck(1006, "Show window on &error",
                            "Hidden Quarn window will become visible on project errors")),
      m_logen(MakeCheck(1007, "&Generate system event log", "Log all project actions to log file")),
      m_allowmultiinst(
          MakeCheck(1008, "Allow &multiple instances of Program",
                    "Clear this checkbox to prevent more than 1 copy of Quarn running at once")) {
    auto* group = new QGroupBox("Priority", this);
    auto* radios = new QVBoxLayout(group);
    const struct {
        int id;
        const char* text;
        const char* tip;
    } levels[] = {
        {1021, "Hi&gh (Program runs fast)", "Quarn claims process priority over other software"},
        {1022, "&Normal", "Quarn runs at normal priority"},
        {1023, "&Low (Program runs in background)", "Quarn only uses idle processor time"},
    };
    for (int value = 0; value < 3; ++value) {
        auto* radio = new QRadioButton(levels[value].text, group);
        radio->setObjectName(QString::number(levels[value].id));
        radio->setToolTip(Titled(levels[value].tip));
        m_priority->addButton(radio, value);
        radios->addWidget(radio);
    }
    connect(m_priority, &QButtonGroup::idClicked, this, [this](int value) {
        std::string message;
        if (!m_setPriority(value, &message)) Ask(message, kWarning);
    });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    for (QCheckBox* box : {m_closewin, m_hidewindow, m_swonerror, m_logen, m_allowmultiinst})
        layout->addWidget(box);
    layout->addStretch(1);
}

void CGIpage2::Load(const ProgramSettingsValues& v) {
    // A value outside 0-2 checks no button and is written back as it was.
    if (QAbstractButton* button = m_priority->button(v.priority)) button->setChecked(true);
    m_closewin->setChecked(v.closewin != 0);
    m_hidewindow->setChecked(v.hidewindow != 0);
    m_swonerror->setChecked(v.swonerror != 0);
    m_logen->setChecked(v.logen != 0);
    m_allowmultiinst->setChecked(v.allowmultiinst != 0);
}

void CGIpage2::Save(ProgramSettingsValues& v) const {
    if (m_priority->checkedId() >= 0) v.priority = m_priority->checkedId();
    v.closewin = Checked(m_closewin);
    v.hidewindow = Checked(m_hidewindow);
    v.swonerror = Checked(m_swonerror);
    v.logen = Checked(m_logen);
    v.allowmultiinst = Checked(m_allowmultiinst);
}

// --- CGIpage3: Auto-Publish Schedule ---

CGIpage3::CGIpage3(IFrameDialogs& dialogs)
    : CProgramSettingsPage(168, dialogs),
      m_newTime(MakeEdit(1000, "Enter time in the format hh:mm")),
      m_times(new QListWidget(this)) {
    m_times->setObjectName("1011");
    m_times->setToolTip(Titled("Auto-Publish times"));
    QPushButton* add = MakeButton(this, 1012, "&Add Time", "Add time to schedule");
    QPushButton* remove =
        MakeButton(this, 1013, "&Delete Time", "Remove selected time from schedule");
    connect(add, &QPushButton::clicked, this, [this] { AddTime(); });
    connect(remove, &QPushButton::clicked, this, [this] { DeleteTime(); });
    connect(m_newTime, &QLineEdit::returnPressed, this, [this] { AddTime(); });

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
    for (int day = 0; day < 7; ++day) {
        m_weekdays[day] = MakeCheck(1004 + day, names[day], "");
        m_weekdays[day]->setParent(dayBox);
        days->addWidget(m_weekdays[day]);
    }
    days->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(timeBox, 1);
    layout->addWidget(dayBox);
}

void CGIpage3::AddTime() {
    const QString text = m_newTime->text();
    m_newTime->setFocus();
    if (text.isEmpty()) return;
    if (!IsScheduleTime(ToBytes(text))) {
        Ask(std::string(kScheduleTimeError), kError);
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

void CGIpage3::Load(const ProgramSettingsValues& v) {
    m_times->clear();
    m_times->addItems(ToStrings(v.times));
    for (int day = 0; day < 7; ++day)
        m_weekdays[day]->setChecked(v.weekdays[day] != 0);
}

void CGIpage3::Save(ProgramSettingsValues& v) const {
    v.times.clear();
    for (int row = 0; row < m_times->count(); ++row)
        v.times.push_back(ToBytes(m_times->item(row)->text()));
    for (int day = 0; day < 7; ++day)
        v.weekdays[day] = Checked(m_weekdays[day]);
}

// --- CGIpage4: Connection Details ---

CGIpage4::CGIpage4(IFrameDialogs& dialogs)
    : CProgramSettingsPage(169, dialogs),
      m_addressbook(new QComboBox(this)),
      m_isplogon(MakeEdit(1000, "Enter the logon name provided by your ISP")),
      m_isppassword(MakeEdit(1001, "Enter the password for your Internet account")),
      m_numretry(new QSpinBox(this)) {
    m_addressbook->setObjectName("1014");
    m_addressbook->setEditable(true);
    m_addressbook->setInsertPolicy(QComboBox::NoInsert);
    m_addressbook->setToolTip(Titled("Select the name of your Internet connection"));
    m_isppassword->setEchoMode(QLineEdit::Password);
    // The edit and its arrows are one control here.
    m_numretry->setObjectName("1002");
    m_numretry->setRange(1, 999);
    m_numretry->setToolTip(Titled("Number of times Quarn will attempt to connect if line busy"));
    auto* layout = new QFormLayout(this);
    layout->addRow("&Connection:", m_addressbook);
    layout->addRow("&Username:", m_isplogon);
    layout->addRow("&Password:", m_isppassword);
    layout->addRow("&Number of times to attempt connection:", m_numretry);
}

void CGIpage4::showEvent(QShowEvent* event) {
    CProgramSettingsPage::showEvent(event);
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

void CGIpage4::Load(const ProgramSettingsValues& v) {
    m_addressbook->setCurrentText(FromBytes(v.addressbook));
    m_isplogon->setText(FromBytes(v.isplogon));
    m_isppassword->setText(FromBytes(v.isppassword));
    m_numretry->setValue(v.numretry);
}

void CGIpage4::Save(ProgramSettingsValues& v) const {
    TakeText(v.addressbook, m_addressbook->currentText());
    TakeText(v.isplogon, m_isplogon->text());
    TakeText(v.isppassword, m_isppassword->text());
    v.numretry = m_numretry->value();
}

// --- CGIpage5: Auto-Publish Project ---

CGIpage5::CGIpage5(IFrameDialogs& dialogs)
    : CProgramSettingsPage(133, dialogs),
      m_autopub(MakeCheck(1004, "&Enable auto-publish",
                          "Auto-publish Quarn project to pre-set schedule")),
      m_autopubproj(new QComboBox(this)) {
    m_autopubproj->setObjectName("1014");
    m_autopubproj->setEditable(true);
    m_autopubproj->setInsertPolicy(QComboBox::NoInsert);
    m_autopubproj->setToolTip(Titled("Select project to be published"));
    SetSortedItems(m_autopubproj, ToStrings(g_settings.ReadProjectList()));
    connect(m_autopub, &QCheckBox::toggled, m_autopubproj, &QWidget::setEnabled);
    auto* label = new QLabel("&Project to publish:", this);
    label->setBuddy(m_autopubproj);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_autopub);
    layout->addWidget(label);
    layout->addWidget(m_autopubproj);
    layout->addStretch(1);
}

void CGIpage5::Load(const ProgramSettingsValues& v) {
    m_autopub->setChecked(v.autopub != 0);
    m_autopubproj->setEnabled(v.autopub != 0);
    m_autopubproj->setCurrentText(FromBytes(v.autopubproj));
}

void CGIpage5::Save(ProgramSettingsValues& v) const {
    v.autopub = Checked(m_autopub);
    TakeText(v.autopubproj, m_autopubproj->currentText());
}

// --- CGIpage6: Network Control ---

CGIpage6::CGIpage6(IFrameDialogs& dialogs)
    : CProgramSettingsPage(180, dialogs),
      m_ncen(MakeCheck(1004, "&Enable network control server",
                       "Enable r/c server (changes will not take effect until program is "
                       "restarted)")),
      m_ncport(MakeEdit(1000,
                        "Server port (changes will not take effect until program is "
                        "restarted)")),
      m_newUser(MakeEdit(1001, "Enter username for new remote user")),
      m_newPassword(MakeEdit(1002, "Enter password for new remote user")),
      m_users(new QListWidget(this)),
      m_add(MakeButton(this, 1013, "&Add User", "Add new user to the system")),
      m_remove(MakeButton(this, 1020, "&Remove User", "Remove selected user from the system")) {
    m_newPassword->setEchoMode(QLineEdit::Password);
    m_users->setObjectName("1011");
    m_users->setToolTip(Titled("Quarn remote users (password not displayed)"));
    connect(m_add, &QPushButton::clicked, this, [this] { AddUser(); });
    connect(m_remove, &QPushButton::clicked, this, [this] { RemoveUser(); });
    connect(m_ncen, &QCheckBox::toggled, this, [this] { EnableControls(); });

    auto* port = new QFormLayout;
    port->addRow("Listen on this &port:", m_ncport);
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
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_ncen);
    layout->addLayout(port);
    layout->addWidget(userBox, 1);
    ListUsers();
}

void CGIpage6::ListUsers() {
    QStringList names =
        ToStrings(CRemoteUsersFile(g_strProgramDir + "/" + std::string(kRemoteUsersFile)).Names());
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    m_users->clear();
    m_users->addItems(names);
}

void CGIpage6::AddUser() {
    CRemoteUsersFile file(g_strProgramDir + "/" + std::string(kRemoteUsersFile));
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
    CRemoteUsersFile file(g_strProgramDir + "/" + std::string(kRemoteUsersFile));
    if (!file.Remove(name)) Ask(file.m_strMessage, kError);
    ListUsers();
}

void CGIpage6::EnableControls() {
    const bool on = m_ncen->isChecked();
    const std::initializer_list<QWidget*> controls = {m_ncport, m_newUser, m_newPassword,
                                                      m_users,  m_add,     m_remove};
    for (QWidget* control : controls)
        control->setEnabled(on);
}

bool CGIpage6::Check(QString* message, QWidget** field) const {
    int port = 0;
    std::string text;
    if (ReadPortField(ToBytes(m_ncport->text()), &port, &text)) return true;
    *message = FromBytes(text);
    *field = m_ncport;
    return false;
}

void CGIpage6::Load(const ProgramSettingsValues& v) {
    m_ncen->setChecked(v.ncen != 0);
    m_ncport->setText(QString::number(v.ncport));
    EnableControls();
}

void CGIpage6::Save(ProgramSettingsValues& v) const {
    v.ncen = Checked(m_ncen);
    std::string ignored;
    ReadPortField(ToBytes(m_ncport->text()), &v.ncport, &ignored);
}

// --- CGIpage7: Application Title ---

CGIpage7::CGIpage7(IFrameDialogs& dialogs)
    : CProgramSettingsPage(196, dialogs),
      m_showapptitledlg(MakeCheck(1004, "Don't show this dialog in future", "")),
      m_progtitle(MakeEdit(1000, "")),
      m_welcmsg(MakeEdit(1001, "")),
      m_splashscr(MakeCheck(1005, "Show Quarn splash screen on startup", "")) {
    auto* layout = new QFormLayout(this);
    layout->addRow("Application title", m_progtitle);
    layout->addRow("Application welcome message", m_welcmsg);
    layout->addRow(m_splashscr);
    layout->addRow(m_showapptitledlg);
}

void CGIpage7::Load(const ProgramSettingsValues& v) {
    m_showapptitledlg->setChecked(v.showapptitledlg != 0);
    m_progtitle->setText(FromBytes(v.progtitle));
    m_welcmsg->setText(FromBytes(v.welcmsg));
    m_splashscr->setChecked(v.splashscr != 0);
}

void CGIpage7::Save(ProgramSettingsValues& v) const {
    v.showapptitledlg = Checked(m_showapptitledlg);
    TakeText(v.progtitle, m_progtitle->text());
    TakeText(v.welcmsg, m_welcmsg->text());
    v.splashscr = Checked(m_splashscr);
}

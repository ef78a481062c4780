#include "tolvane/datacon_wiz.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "shared/connection_string.h"
#include "shared/odbc_info.h"
#include "shared/widgets/driver_dlg.h"
#include "shared/widgets/ui_text.h"

namespace {

// The open-file dialog's filter: the database and spreadsheet files the wizard knows, or any.
constexpr char kDataFileFilter[] =
    "Microsoft data files (*.xls *.mdb *.db *.dbf *.dbc *.txt);;All Files (*)";

QLineEdit* MakeEdit(QWidget* parent, const char* id, const char* tip, bool secret = false) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(id);
    edit->setToolTip(tip);
    if (secret) edit->setEchoMode(QLineEdit::Password);
    return edit;
}

QStringList FromNames(const std::vector<std::string>& names) {
    QStringList list;
    for (const std::string& name : names)
        list.push_back(FromBytes(name));
    return list;
}

}  // namespace

CDataconWiz::CDataconWiz(QWidget* parent, IOdbcCatalog& catalog, IWizardPrompts& prompts)
    : QWizard(parent), m_catalog(catalog), m_prompts(prompts) {
    setObjectName("datacon");
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoBackButtonOnStartPage);
    setPage(kTypePage, new CDataconDlg1(this));
    setPage(kDsnPage, new CDataconDlg2(this));
    setPage(kFilePage, new CDataconDlg3(this));
    setStartId(kTypePage);
    // As a property sheet does, the window carries the caption of the page it shows.
    connect(this, &QWizard::currentIdChanged, this, [this](int id) {
        if (QWizardPage* shown = page(id)) setWindowTitle(shown->windowTitle());
    });
}

CDataconDlg1::CDataconDlg1(CDataconWiz* wizard)
    : QWizardPage(wizard), m_wizard(wizard), m_type(new QButtonGroup(this)) {
    setObjectName("131");
    setWindowTitle("Choose Data Connection Type");
    auto* file = new QRadioButton("Database/spreadsheet file", this);
    file->setObjectName("1000");
    file->setToolTip("Extract data from a database file");
    auto* dsn = new QRadioButton("ODBC DSN", this);
    dsn->setObjectName("1001");
    dsn->setToolTip("Extract data from an ODBC DSN");
    m_type->addButton(file, 0);
    m_type->addButton(dsn, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(file);
    layout->addWidget(dsn);
    layout->addStretch();
}

int CDataconDlg1::Choice() const {
    return m_type->checkedId();
}

int CDataconDlg1::nextId() const {
    return Choice() == 1 ? CDataconWiz::kDsnPage : CDataconWiz::kFilePage;
}

bool CDataconDlg1::validatePage() {
    if (Choice() != -1) return true;
    m_wizard->Prompts().StopMessage(this, "You must select a data type");
    return false;
}

CDataconDlg2::CDataconDlg2(CDataconWiz* wizard)
    : QWizardPage(wizard),
      m_wizard(wizard),
      m_sources(new QListWidget(this)),
      m_user(MakeEdit(this, "1003", "Enter database user name (if any)")),
      m_password(MakeEdit(this, "1004", "Enter database password (if any)", true)) {
    setObjectName("132");
    setWindowTitle("Select ODBC DSN");
    m_sources->setObjectName("1002");
    m_sources->setToolTip("Select the ODBC DSN you wish to work with");
    connect(m_sources, &QListWidget::itemDoubleClicked, wizard, &QWizard::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("ODBC data sources", this));
    layout->addWidget(m_sources);
    auto* login = new QFormLayout;
    login->addRow("User name:", m_user);
    login->addRow("Password:", m_password);
    layout->addLayout(login);
}

void CDataconDlg2::initializePage() {
    m_sources->clear();
    IOdbcCatalog& catalog = m_wizard->Catalog();
    if (!catalog.ListDataSources()) {
        m_wizard->Prompts().StopMessage(this, FromBytes(catalog.Message()));
        return;
    }
    m_sources->addItems(SortedForList(FromNames(catalog.Names())));
    if (m_sources->count() > 0) m_sources->setCurrentRow(0);
}

bool CDataconDlg2::validatePage() {
    const QListWidgetItem* chosen = m_sources->currentItem();
    if (chosen == nullptr || !chosen->isSelected()) {
        m_wizard->Prompts().StopMessage(this, "You must select a ODBC DSN.");
        return false;
    }
    m_wizard->SetConnectionString(DsnConnectionString(
        ToBytes(chosen->text()), ToBytes(m_user->text()), ToBytes(m_password->text())));
    return true;
}

CDataconDlg3::CDataconDlg3(CDataconWiz* wizard)
    : QWizardPage(wizard),
      m_wizard(wizard),
      m_path(MakeEdit(this, "1003", "Path to your database or spreadsheet file")),
      m_user(MakeEdit(this, "1004", "Database user name (if any)")),
      m_password(MakeEdit(this, "1005", "Database password (if any)", true)),
      m_manualDriver(new QCheckBox("Select ODBC driver manually", this)) {
    setObjectName("133");
    setWindowTitle("Select Database File");
    m_manualDriver->setObjectName("1007");
    m_manualDriver->setToolTip("Check to select ODBC driver from a list");
    auto* browse = new QPushButton("...", this);
    browse->setObjectName("1006");
    browse->setToolTip("Browse for file");
    connect(browse, &QPushButton::clicked, this, &CDataconDlg3::Browse);
    // The browse button stands right of the path, before the fields below it.
    setTabOrder(m_path, browse);

    auto* file = new QHBoxLayout;
    file->addWidget(m_path, 1);
    file->addWidget(browse);
    auto* form = new QFormLayout(this);
    form->addRow("Database file:", file);
    form->addRow("User name:", m_user);
    form->addRow("Password:", m_password);
    form->addRow(m_manualDriver);
}

void CDataconDlg3::Browse() {
    if (const std::optional<QString> path = m_wizard->Prompts().OpenFile(this, kDataFileFilter)) {
        m_path->setText(*path);
    }
}

std::optional<std::string> CDataconDlg3::ChooseDriverPart() {
    IOdbcCatalog& catalog = m_wizard->Catalog();
    if (!catalog.ListDrivers()) {
        m_wizard->Prompts().StopMessage(this, FromBytes(catalog.Message()));
        return std::nullopt;
    }
    const std::optional<QString> driver =
        m_wizard->Prompts().ChooseDriver(this, FromNames(catalog.Names()));
    if (!driver) return std::nullopt;
    return DriverPart(ToBytes(*driver));
}

bool CDataconDlg3::validatePage() {
    const std::string path = ToBytes(m_path->text());
    if (path.empty()) {
        m_wizard->Prompts().StopMessage(this, "You must enter the path to the database file.");
        return false;
    }
    std::string driverPart =
        m_manualDriver->isChecked() ? std::string() : DriverPartForFile(path, m_wizard->Catalog());
    if (driverPart.empty()) {
        std::optional<std::string> chosen = ChooseDriverPart();
        if (!chosen) return false;
        driverPart = std::move(*chosen);
    }
    m_wizard->SetConnectionString(FileConnectionString(path, driverPart, ToBytes(m_user->text()),
                                                       ToBytes(m_password->text())));
    return true;
}

std::optional<std::string> RunConnectionWizard(QWidget* parent, IOdbcCatalog& catalog,
                                               IWizardPrompts& prompts) {
    CDataconWiz wizard(parent, catalog, prompts);
    if (wizard.exec() != QDialog::Accepted) return std::nullopt;
    return wizard.ConnectionString();
}

std::optional<std::string> RunConnectionWizard(QWidget* parent) {
    COdbcInfo catalog;
    CQtWizardPrompts prompts("Tolvane", kEditorDriverDialog);
    return RunConnectionWizard(parent, catalog, prompts);
}

#include "tolvane/decision_wiz.h"

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
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "shared/widgets/ui_text.h"
#include "tolvane/insert_dialog_kit.h"
#include "tolvane/insert_statements.h"

namespace {

constexpr char kNoChoice[] = "You must select a data source and a data type";
// An empty field list (the catalog failed) keeps the page open rather than testing no field.
constexpr char kNoField[] = "You must select a database field.";

QRadioButton* AddRadio(QWidget* parent, QButtonGroup* group, int value, const char* id,
                       const char* text, const char* tip = nullptr) {
    QRadioButton* radio = MakeRadio(parent, id, text, tip != nullptr ? tip : "");
    group->addButton(radio, value);
    return radio;
}

}  // namespace

CIfWiz::CIfWiz(QWidget* parent, InsertContext ctx, InsertServices services, IInsertPickers& pickers)
    : QWizard(parent), m_ctx(std::move(ctx)), m_services(services), m_pickers(pickers) {
    setObjectName("decision");
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoBackButtonOnStartPage);
    setPage(kPage1, new CIfDlg1(this));
    setPage(kPage2, new CIfDlg2(this));
    setPage(kPage3, new CIfDlg3(this));
    setPage(kPage4, new CIfDlg4(this));
    setPage(kPage5, new CIfDlg5(this));
    setStartId(kPage1);
    // As a property sheet does, the window carries the caption of the page it shows.
    connect(this, &QWizard::currentIdChanged, this, [this](int id) {
        if (QWizardPage* shown = page(id)) setWindowTitle(shown->windowTitle());
    });
}

int CIfWiz::TestPageId() const {
    switch (m_answers.test) {
        case DecisionAnswers::kNumeric:
            return kPage5;
        case DecisionAnswers::kText:
            return kPage3;
        default:
            return -1;
    }
}

CIfDlg1::CIfDlg1(CIfWiz* wizard)
    : QWizardPage(wizard),
      m_wizard(wizard),
      m_source(new QButtonGroup(this)),
      m_test(new QButtonGroup(this)) {
    setObjectName("162");
    setWindowTitle("Insert Data Decision");
    auto* sourceBox = new QGroupBox("Data Source", this);
    auto* sources = new QVBoxLayout(sourceBox);
    sources->addWidget(AddRadio(sourceBox, m_source, 0, "1000", "Database field",
                                "Test data from a database field"));
    sources->addWidget(AddRadio(sourceBox, m_source, 1, "1001", "User-defined variable",
                                "Test data from a User variable"));
    auto* testBox = new QGroupBox("Test Type", this);
    auto* tests = new QVBoxLayout(testBox);
    tests->addWidget(
        AddRadio(testBox, m_test, 0, "1020", "Logical (Yes/No) value", "Boolean test"));
    tests->addWidget(
        AddRadio(testBox, m_test, 1, "1016", "Numeric value", "Test value against a number"));
    tests->addWidget(
        AddRadio(testBox, m_test, 2, "1017", "Text value", "Test value against a text string"));
    // Made after the radio buttons, so that Tab reaches it after them, as it stands below them.
    m_else = new QCheckBox("Include &&else function", this);
    m_else->setObjectName("1007");
    m_else->setToolTip("Include code for handling \"test not true\"");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sourceBox);
    layout->addWidget(testBox);
    layout->addWidget(m_else);
    layout->addStretch();
}

int CIfDlg1::nextId() const {
    return m_source->checkedId() == DecisionAnswers::kVariable ? CIfWiz::kPage4 : CIfWiz::kPage2;
}

bool CIfDlg1::validatePage() {
    if (m_source->checkedId() < 0 || m_test->checkedId() < 0) {
        m_wizard->Prompts().PlainMessage(this, kNoChoice);
        return false;
    }
    DecisionAnswers& answers = m_wizard->MutableAnswers();
    answers.source = m_source->checkedId();
    answers.test = m_test->checkedId();
    answers.includeElse = m_else->isChecked();
    return true;
}

CIfDlg2::CIfDlg2(CIfWiz* wizard)
    : QWizardPage(wizard),
      m_wizard(wizard),
      m_datasources(
          MakeCombo(this, "1008", "Select the data connection you wish your data to come from")),
      m_recordsets(
          MakeCombo(this, "1009", "Select the Quarn recordset that contains the data you want")),
      m_fields(MakeList(this, "1002", "Select the database field that contains the data you want")),
      m_current(new QCheckBox("Data will be placed within the current recordset", this)),
      m_index(MakeSpinEdit(this, "1021", "1003",
                           "Select the index to the recordset above from current point in script",
                           -100, 100)) {
    setObjectName("163");
    setWindowTitle("Select Test Field");
    m_current->setObjectName("1007");
    m_current->setToolTip("Clear if data is not within the scope of the above recordset");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Data connection", this));
    layout->addWidget(m_datasources);
    layout->addWidget(new QLabel("Recordset", this));
    layout->addWidget(m_recordsets);
    layout->addWidget(new QLabel("Database field", this));
    layout->addWidget(m_fields, 1);
    layout->addWidget(m_current);
    auto* index = new QHBoxLayout;
    index->addWidget(new QLabel("Recordset index:", this));
    index->addWidget(m_index);
    index->addStretch();
    layout->addLayout(index);

    connect(m_datasources, &QComboBox::activated, this, &CIfDlg2::FillFieldList);
    connect(m_recordsets, &QComboBox::activated, this, &CIfDlg2::FillFieldList);
    connect(m_current, &QCheckBox::toggled, m_index,
            [this](bool current) { m_index->setEnabled(!current); });
}

void CIfDlg2::initializePage() {
    const DataMemory& remembered = m_wizard->Remembered();
    FillCombo(m_datasources, Collect(m_wizard->Context(), "&datasource"),
              remembered.lastDatasource);
    FillCombo(m_recordsets, CollectRecordsets(m_wizard->Context()), remembered.lastRecordset);
    m_current->setChecked(true);
    m_index->setValue(-1);
    m_index->setEnabled(false);
    m_fields->clear();
    if (m_datasources->currentText().isEmpty() || m_recordsets->currentText().isEmpty()) {
        m_wizard->Prompts().PlainMessage(
            this, m_datasources->currentText().isEmpty() ? kNeedConnection : kNeedRecordset);
        CancelWizardLater(m_wizard);
        return;
    }
    FillFieldList();
}

void CIfDlg2::FillFieldList() {
    DataMemory& remembered = m_wizard->Remembered();
    remembered.lastDatasource = ToBytes(m_datasources->currentText());
    remembered.lastRecordset = ToBytes(m_recordsets->currentText());
    FillRecordsetFields(m_fields, remembered, m_wizard->Catalog(), m_wizard->Prompts(), this);
}

bool CIfDlg2::validatePage() {
    const std::string field = SelectedText(m_fields);
    if (field.empty()) {
        m_wizard->Prompts().StopMessage(this, kNoField);
        return false;
    }
    DecisionAnswers& answers = m_wizard->MutableAnswers();
    answers.sourceName = field;
    answers.currentRecordset = m_current->isChecked();
    answers.index = m_index->value();
    return true;
}

CIfTestPage::CIfTestPage(CIfWiz* wizard, const char* pageId, const char* caption,
                         const char* valueTip, const char* databaseTip, const char* variableId,
                         const char* variableTip)
    : QWizardPage(wizard),
      m_wizard(wizard),
      m_value(new QLineEdit(this)),
      m_choice(new QButtonGroup(this)) {
    setObjectName(pageId);
    setWindowTitle(caption);
    m_value->setObjectName("1003");
    m_value->setToolTip(valueTip);
    auto* database = MakeButton(this, "1006", "Database", databaseTip);
    auto* variable = MakeButton(this, variableId, "User variable", variableTip);
    connect(database, &QPushButton::clicked, this,
            [this] { InsertReference(m_wizard->Pickers().PickDatabaseField(this)); });
    connect(variable, &QPushButton::clicked, this,
            [this] { InsertReference(m_wizard->Pickers().PickUserVariable(this)); });

    auto* layout = new QVBoxLayout(this);
    auto* value = new QHBoxLayout;
    value->addWidget(m_value, 1);
    value->addWidget(database);
    value->addWidget(variable);
    layout->addLayout(value);
}

void CIfTestPage::AddChoices(std::span<const Choice> choices, QWidget* group) {
    auto* radios = new QVBoxLayout(group);
    int value = 0;
    for (const Choice& choice : choices)
        radios->addWidget(AddRadio(group, m_choice, value++, choice.id, choice.text));
    static_cast<QVBoxLayout*>(layout())->addWidget(group);
}

void CIfTestPage::InsertReference(const std::optional<std::string>& reference) {
    if (reference) m_value->insert(FromBytes(*reference));
    m_value->setFocus();
}

void CIfTestPage::initializePage() {
    m_choice->button(0)->setChecked(true);
}

bool CIfTestPage::validatePage() {
    DecisionAnswers& answers = m_wizard->MutableAnswers();
    answers.testValue = ToBytes(m_value->text());
    answers.testChoice = m_choice->checkedId();
    answers.caseSensitive = m_caseSensitive != nullptr && m_caseSensitive->isChecked();
    return true;
}

CIfDlg3::CIfDlg3(CIfWiz* wizard)
    : CIfTestPage(wizard, "164", "Test Data",
                  "Word or phrase that you wish to compare your data against",
                  "Insert database data into your test phrase", "1023",
                  "Insert User variable into your test phrase") {
    static constexpr Choice kChoices[] = {
        {"1016", "Is the same as this word/phrase"},
        {"1017", "Is different to this word/phrase"},
        {"1018", "Is contained somewhere in this word/phrase"},
        {"1019", "Contains this word/phrase somewhere"},
        {"1000", "Is not contained somewhere in this word/phrase"},
        {"1001", "Does not contain this word/phrase somewhere"},
    };
    AddChoices(kChoices, new QGroupBox("Test", this));
    m_caseSensitive = new QCheckBox("Case sensitive", this);
    m_caseSensitive->setObjectName("1013");
    m_caseSensitive->setToolTip("Comparison is case-sensitive");
    static_cast<QVBoxLayout*>(layout())->addWidget(m_caseSensitive);
}

CIfDlg5::CIfDlg5(CIfWiz* wizard)
    : CIfTestPage(wizard, "166", "Test Data",
                  "Number or expression that you wish to compare your data against",
                  "Insert database variable into expression", "1024",
                  "Insert User variable into expression") {
    static constexpr Choice kChoices[] = {
        {"1000", "Equals"},      {"1001", "Does not equal"},
        {"1020", "Less than"},   {"1016", "Less than or equal"},
        {"1017", "Larger than"}, {"1018", "Larger than or equal"},
    };
    AddChoices(kChoices, new QGroupBox("Test", this));
}

CIfDlg4::CIfDlg4(CIfWiz* wizard)
    : QWizardPage(wizard), m_wizard(wizard), m_variables(MakeList(this, "1002", "")) {
    setObjectName("165");
    setWindowTitle("Select Test Variable");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("User variables", this));
    layout->addWidget(m_variables);
}

void CIfDlg4::initializePage() {
    m_variables->clear();
    const std::vector<std::string> entries =
        VariableEntries(Collect(m_wizard->Context(), "&defvar"));
    if (entries.empty()) {
        m_wizard->Prompts().PlainMessage(this, kNeedVariable);
        CancelWizardLater(m_wizard);
        return;
    }
    FillSortedList(m_variables, entries);
}

bool CIfDlg4::validatePage() {
    const std::string entry = SelectedText(m_variables);
    if (entry.size() < 2) return false;
    m_wizard->MutableAnswers().sourceName = entry.substr(1, entry.size() - 2);
    return true;
}

std::optional<InsertResult> RunDataDecisionWizard(QWidget* parent, const InsertContext& ctx,
                                                  InsertServices services,
                                                  IInsertPickers& pickers) {
    CIfWiz wizard(parent, ctx, services, pickers);
    if (wizard.exec() != QDialog::Accepted) return std::nullopt;
    return DataDecisionText(wizard.Answers(), ctx);
}

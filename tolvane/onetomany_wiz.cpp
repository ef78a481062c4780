#include "tolvane/onetomany_wiz.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QVBoxLayout>

#include "shared/widgets/ui_text.h"
#include "tolvane/insert_dialog_kit.h"
#include "tolvane/insert_statements.h"

namespace {

constexpr char kCaption[] = "Insert \"One To Many\" Recordset";
constexpr char kNoRecordset[] = "You need to include a normal recordset in your script first.";
// A page without a choice in a list stays open with this, rather than writing a broken statement.
constexpr char kNoTable[] = "You must select the \"many\" recordset.";
constexpr char kNoKeys[] = "You must select the key field in each recordset.";

}  // namespace

COne2manyrsWiz::COne2manyrsWiz(QWidget* parent, InsertContext ctx, InsertServices services)
    : QWizard(parent), m_ctx(std::move(ctx)), m_services(services) {
    setObjectName("onetomany");
    setWindowTitle(kCaption);
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoBackButtonOnStartPage);
    setPage(kPage1, new COne2manyrsDlg(this));
    setPage(kPage2, new COne2manyrsDlg2(this));
    setStartId(kPage1);
}

COne2manyrsDlg::COne2manyrsDlg(COne2manyrsWiz* wizard)
    : QWizardPage(wizard),
      m_wizard(wizard),
      m_datasources(
          MakeCombo(this, "1008", "Select the data connection you wish your data to come from")),
      m_recordsets(MakeCombo(this, "1009", "Select the \"One\" Quarn recordset")),
      m_tables(
          MakeList(this, "1002", "Select the table/query to be used as the \"many\" recordset")),
      m_function(new QButtonGroup(this)) {
    setObjectName("155");
    setWindowTitle(kCaption);
    auto* getdata = MakeRadio(this, "1000", "&&getdata", "Build a getdata recordset");
    auto* sql = MakeRadio(this, "1001", "&&sql", "Build an sql recordset");
    m_function->addButton(getdata, 0);
    m_function->addButton(sql, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Select data connection", this));
    layout->addWidget(m_datasources);
    layout->addWidget(new QLabel("Select \"one\" recordset", this));
    layout->addWidget(m_recordsets);
    layout->addWidget(new QLabel("Select \"many\" recordset", this));
    layout->addWidget(m_tables, 1);
    auto* group = new QGroupBox("Recordset Function", this);
    auto* radios = new QHBoxLayout(group);
    radios->addWidget(getdata);
    radios->addWidget(sql);
    radios->addStretch();
    layout->addWidget(group);

    connect(m_datasources, &QComboBox::activated, this, &COne2manyrsDlg::FillTableList);
    connect(m_recordsets, &QComboBox::activated, this, &COne2manyrsDlg::FillTableList);
}

void COne2manyrsDlg::initializePage() {
    const DataMemory& remembered = m_wizard->Remembered();
    FillCombo(m_datasources, Collect(m_wizard->Context(), "&datasource"),
              remembered.lastDatasource);
    FillCombo(m_recordsets, CollectRecordsets(m_wizard->Context()), remembered.lastRecordset);
    m_function->button(0)->setChecked(true);
    m_tables->clear();
    if (m_datasources->currentText().isEmpty()) {
        m_wizard->Prompts().PlainMessage(this, kNeedConnection);
        CancelWizardLater(m_wizard);
        return;
    }
    if (m_recordsets->currentText().isEmpty()) {
        m_wizard->Prompts().PlainMessage(this, kNoRecordset);
        CancelWizardLater(m_wizard);
        return;
    }
    FillTableList();
}

void COne2manyrsDlg::FillTableList() {
    const std::string datasource = ToBytes(m_datasources->currentText());
    m_wizard->Remembered().lastDatasource = datasource;
    m_tables->clear();
    IOdbcCatalog& catalog = m_wizard->Catalog();
    if (!catalog.ListTables(TextBetweenQuotes(datasource))) {
        m_wizard->Prompts().StopMessage(this, FromBytes(catalog.Message()));
        return;
    }
    FillList(m_tables, catalog.Names());
}

bool COne2manyrsDlg::validatePage() {
    const std::string table = SelectedText(m_tables);
    if (table.empty()) {
        m_wizard->Prompts().StopMessage(this, kNoTable);
        return false;
    }
    m_wizard->SetStatements(ToBytes(m_datasources->currentText()),
                            ToBytes(m_recordsets->currentText()));
    COne2manyrsWiz::Answers& answers = m_wizard->MutableAnswers();
    answers.function =
        m_function->checkedId() == 1 ? RecordsetFunction::kSql : RecordsetFunction::kGetdata;
    answers.manyTable = table;
    return true;
}

COne2manyrsDlg2::COne2manyrsDlg2(COne2manyrsWiz* wizard)
    : QWizardPage(wizard),
      m_wizard(wizard),
      m_oneColumns(MakeList(this, "1002", "Select the recordset key field")),
      m_manyColumns(MakeList(this, "1014", "Select the foreign key field")) {
    setObjectName("156");
    setWindowTitle(kCaption);
    auto* group = new QGroupBox("Recordset Fields", this);
    auto* lists = new QGridLayout(group);
    lists->addWidget(new QLabel("Select the key field in each recordset", group), 0, 0, 1, 2);
    lists->addWidget(new QLabel("\"One\" recordset", group), 1, 0);
    lists->addWidget(new QLabel("\"Many\" recordset", group), 1, 1);
    lists->addWidget(m_oneColumns, 2, 0);
    lists->addWidget(m_manyColumns, 2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
}

void COne2manyrsDlg2::initializePage() {
    m_wizard->Remembered().lastDatasource = m_wizard->Datasource();
    const std::string connection = TextBetweenQuotes(m_wizard->Datasource());
    const std::string oneQuery = QueryBeforeWhere(TextBetweenQuotes(m_wizard->OneRecordset()));
    IOdbcCatalog& catalog = m_wizard->Catalog();

    m_oneColumns->clear();
    m_kinds.clear();
    if (catalog.ListColumns(connection, oneQuery)) {
        FillList(m_oneColumns, catalog.Names());
        const std::vector<std::string>& kinds = catalog.Kinds();
        m_kinds.assign(kinds.end() - static_cast<long>(catalog.Names().size()), kinds.end());
    } else {
        m_wizard->Prompts().StopMessage(this, FromBytes(catalog.Message()));
    }

    m_manyColumns->clear();
    if (catalog.ListColumns(connection,
                            "SELECT * FROM " + TableForQuery(m_wizard->Chosen().manyTable))) {
        FillList(m_manyColumns, catalog.Names());
    } else {
        m_wizard->Prompts().StopMessage(this, FromBytes(catalog.Message()));
    }
}

bool COne2manyrsDlg2::validatePage() {
    const std::string key = SelectedText(m_oneColumns);
    const std::string foreignKey = SelectedText(m_manyColumns);
    if (key.empty() || foreignKey.empty()) {
        m_wizard->Prompts().StopMessage(this, kNoKeys);
        return false;
    }
    COne2manyrsWiz::Answers& answers = m_wizard->MutableAnswers();
    answers.keyField = key;
    answers.foreignKey = foreignKey;
    const auto row = static_cast<std::size_t>(m_oneColumns->currentRow());
    answers.keyKind = row < m_kinds.size() ? m_kinds[row] : "T";
    return true;
}

std::string COne2manyrsWiz::Statement() const {
    return OneToManyStatement(m_answers.function, TableForQuery(m_answers.manyTable),
                              TableForQuery(m_answers.foreignKey),
                              FieldForScript(m_answers.keyField), m_answers.keyKind);
}

std::optional<InsertResult> RunOneToManyWizard(QWidget* parent, const InsertContext& ctx,
                                               InsertServices services) {
    COne2manyrsWiz wizard(parent, ctx, services);
    if (wizard.exec() != QDialog::Accepted) return std::nullopt;
    services.memory.lastRecordset = wizard.Statement();
    return RecordsetBlock(services.memory.lastRecordset, ctx);
}

#include "tolvane/insert_data_dlgs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "shared/widgets/ui_text.h"
#include "tolvane/datacon_wiz.h"
#include "tolvane/insert_statements.h"

namespace {

constexpr char kDatasourceTip[] = "Select the data connection you wish your data to come from";

}  // namespace

CRecordsetDlg::CRecordsetDlg(QWidget* parent, const InsertContext& ctx, InsertServices& services)
    : QDialog(parent),
      m_services(services),
      m_datasource(MakeCombo(this, "1008", kDatasourceTip)),
      m_tables(MakeList(this, "1002",
                        "Select the database table/query that contains the data you want")),
      m_function(new QButtonGroup(this)) {
    setObjectName("142");
    setWindowTitle("Insert Recordset");
    AddEntries(m_datasource, SortedTexts(Collect(ctx, "&datasource")));
    auto* getdata = MakeRadio(this, "1000", "&&getdata", "Build a getdata recordset");
    auto* sql = MakeRadio(this, "1001", "&&sql", "Build an sql recordset");
    m_function->addButton(getdata, 0);
    m_function->addButton(sql, 1);
    getdata->setChecked(true);
    connect(m_datasource, &QComboBox::activated, this, &CRecordsetDlg::FillTableList);
    connect(m_tables, &QListWidget::itemDoubleClicked, this, &CRecordsetDlg::Ok);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Data connection:", this));
    layout->addWidget(m_datasource);
    layout->addWidget(new QLabel("Table or query:", this));
    layout->addWidget(m_tables);
    auto* functions = new QGroupBox("Recordset function", this);
    auto* row = new QHBoxLayout(functions);
    row->addWidget(getdata);
    row->addWidget(sql);
    layout->addWidget(functions);
    layout->addWidget(OkCancel(this, [this] { Ok(); }));
}

bool CRecordsetDlg::Prepare() {
    Preselect(m_datasource, m_services.memory.lastDatasource);
    if (m_datasource->currentText().isEmpty()) {
        m_services.prompts.PlainMessage(parentWidget(), kNeedConnection);
        return false;
    }
    FillTableList();
    return true;
}

RecordsetFunction CRecordsetDlg::Function() const {
    return m_function->checkedId() == 1 ? RecordsetFunction::kSql : RecordsetFunction::kGetdata;
}

void CRecordsetDlg::FillTableList() {
    const std::string statement = ToBytes(m_datasource->currentText());
    m_services.memory.lastDatasource = statement;
    m_tables->clear();
    IOdbcCatalog& catalog = m_services.catalog;
    if (!catalog.ListTables(TextBetweenQuotes(statement))) {
        m_services.prompts.StopMessage(this, FromBytes(catalog.Message()));
        return;
    }
    FillSortedList(m_tables, catalog.Names());
}

void CRecordsetDlg::Ok() {
    const QListWidgetItem* chosen = m_tables->currentItem();
    // Without a table the statement would be one the script engine refuses: nothing to insert.
    if (chosen == nullptr) {
        reject();
        return;
    }
    m_strTable = TableForQuery(ToBytes(chosen->text()));
    accept();
}

CInsertDataDlg::CInsertDataDlg(QWidget* parent, const InsertContext& ctx, InsertServices& services,
                               bool offerFormat)
    : QDialog(parent),
      m_services(services),
      m_datasource(MakeCombo(this, "1008", kDatasourceTip)),
      m_recordset(
          MakeCombo(this, "1009", "Select the Quarn recordset that contains the data you want")),
      m_fields(MakeList(this, "1002", "Select the database field that contains the data you want")),
      m_index(MakeSpinEdit(this, "1012", "1004",
                           "Select the index to the recordset above from current point in script",
                           -100, 100)),
      m_inRecordset(new QCheckBox("Data used in current recordset", this)),
      m_formatButton(
          MakeButton(this, "1006", "Format...", "Apply data formatting to the database data")) {
    setObjectName("143");
    setWindowTitle("Insert Database Data");
    AddEntries(m_datasource, SortedTexts(Collect(ctx, "&datasource")));
    std::vector<std::string> recordsets = Collect(ctx, "&getdata");
    for (std::string& statement : Collect(ctx, "&sql"))
        recordsets.push_back(std::move(statement));
    AddEntries(m_recordset, SortedTexts(recordsets));
    m_index->setValue(-1);
    m_index->setEnabled(false);
    m_inRecordset->setObjectName("1007");
    m_inRecordset->setToolTip("Clear if data is not within the scope of the above recordset");
    m_inRecordset->setChecked(true);
    m_formatButton->setEnabled(offerFormat);
    connect(m_datasource, &QComboBox::activated, this, &CInsertDataDlg::FillFieldList);
    connect(m_recordset, &QComboBox::activated, this, &CInsertDataDlg::FillFieldList);
    connect(m_inRecordset, &QCheckBox::toggled, this,
            [this](bool inScope) { m_index->setEnabled(!inScope); });
    connect(m_formatButton, &QPushButton::clicked, this, [this] {
        CDataFormatDlg format(this, m_format);
        if (format.exec() == QDialog::Accepted) m_format = format.Format();
    });
    connect(m_fields, &QListWidget::itemDoubleClicked, this, &CInsertDataDlg::Ok);

    auto* form = new QFormLayout;
    form->addRow("Data connection:", m_datasource);
    form->addRow("Recordset:", m_recordset);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel("Database field:", this));
    layout->addWidget(m_fields);
    auto* index = new QHBoxLayout;
    index->addWidget(m_inRecordset);
    index->addStretch();
    index->addWidget(new QLabel("Index:", this));
    index->addWidget(m_index);
    layout->addLayout(index);
    // The index, made before the check box, stands right of it.
    setTabOrder(m_inRecordset, m_index);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_formatButton);
    bottom->addStretch();
    bottom->addWidget(OkCancel(this, [this] { Ok(); }));
    layout->addLayout(bottom);
}

bool CInsertDataDlg::Prepare() {
    Preselect(m_datasource, m_services.memory.lastDatasource);
    Preselect(m_recordset, m_services.memory.lastRecordset);
    if (m_datasource->currentText().isEmpty()) {
        m_services.prompts.PlainMessage(parentWidget(), kNeedConnection);
        return false;
    }
    if (m_recordset->currentText().isEmpty()) {
        m_services.prompts.PlainMessage(parentWidget(), kNeedRecordset);
        return false;
    }
    FillFieldList();
    return true;
}

void CInsertDataDlg::FillFieldList() {
    DataMemory& memory = m_services.memory;
    memory.lastDatasource = ToBytes(m_datasource->currentText());
    memory.lastRecordset = ToBytes(m_recordset->currentText());
    FillRecordsetFields(m_fields, memory, m_services.catalog, m_services.prompts, this);
}

void CInsertDataDlg::Ok() {
    const QListWidgetItem* chosen = m_fields->currentItem();
    if (chosen == nullptr) {
        reject();
        return;
    }
    m_strField = ToBytes(chosen->text());
    accept();
}

std::string CInsertDataDlg::Reference() const {
    return FieldReference(m_strField, m_inRecordset->isChecked(), m_index->value());
}

CDataFormatDlg::CDataFormatDlg(QWidget* parent, DataFormat format)
    : QDialog(parent), m_choice(new QButtonGroup(this)) {
    setObjectName("167");
    setWindowTitle("Data format");
    const struct {
        const char* id;
        const char* text;
        const char* tip;
    } choices[] = {
        {"1000", "No format", "No format code added"},
        {"1001", "Format as date", "Add code to format data as date"},
        {"1020", "Format as time", "Add code to format data as time"},
        {"1016", "Format as currency", "Add code to format data as currency"},
        {"1017", "Format as MS Access hyperlink", "Add code to format data as MS Access hyperlink"},
    };
    auto* layout = new QVBoxLayout(this);
    int index = 0;
    for (const auto& choice : choices) {
        auto* radio = MakeRadio(this, choice.id, choice.text, choice.tip);
        m_choice->addButton(radio, index++);
        layout->addWidget(radio);
    }
    m_choice->button(static_cast<int>(format))->setChecked(true);
    layout->addWidget(OkCancel(this, [this] { accept(); }));
}

DataFormat CDataFormatDlg::Format() const {
    return static_cast<DataFormat>(m_choice->checkedId());
}

std::optional<InsertResult> InsertDataSource(QWidget* parent, const InsertContext& ctx,
                                             InsertServices& services) {
    const std::optional<std::string> connection =
        RunConnectionWizard(parent, services.catalog, services.prompts);
    if (!connection) return std::nullopt;
    return DataSourceText(*connection, ctx);
}

std::optional<InsertResult> InsertRecordset(QWidget* parent, const InsertContext& ctx,
                                            InsertServices& services) {
    CRecordsetDlg dialog(parent, ctx, services);
    if (!dialog.Prepare() || dialog.exec() != QDialog::Accepted) return std::nullopt;
    const std::string statement = RecordsetStatement(dialog.Function(), dialog.Table());
    services.memory.lastRecordset = statement;
    return RecordsetBlock(statement, ctx);
}

std::optional<InsertResult> InsertDatabaseData(QWidget* parent, const InsertContext& ctx,
                                               InsertServices& services) {
    CInsertDataDlg dialog(parent, ctx, services, true);
    if (!dialog.Prepare() || dialog.exec() != QDialog::Accepted) return std::nullopt;
    return DatabaseDataText(dialog.Reference(), dialog.Format(), ctx);
}

std::optional<std::string> PickDatabaseField(QWidget* parent, const InsertContext& ctx,
                                             InsertServices& services) {
    CInsertDataDlg dialog(parent, ctx, services, false);
    if (!dialog.Prepare() || dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Reference();
}

#pragma once
// COne2manyrsWiz: the two-page wizard that collects what the "One To Many" Recordset command
// writes: the connection and the "one" recordset among the script's statements, the "many" table,
// the key field of each and the key's kind. The services must outlive the wizard. GUI thread
// only.

#include <QWizard>
#include <QWizardPage>
#include <optional>
#include <string>
#include <vector>

#include "tolvane/insert_data_text.h"
#include "tolvane/insert_dialog_kit.h"
#include "tolvane/insert_frame.h"

class QButtonGroup;
class QComboBox;
class QListWidget;

class COne2manyrsWiz : public QWizard {
    Q_OBJECT
public:
    enum PageId { kPage1 = 155, kPage2 = 156 };

    // What the wizard collects; the names as the catalog lists them.
    struct Answers {
        RecordsetFunction function = RecordsetFunction::kGetdata;
        std::string manyTable;
        std::string keyField;
        std::string foreignKey;
        std::string keyKind;  // "I" numeric, "T" other
    };

    COne2manyrsWiz(QWidget* parent, InsertContext ctx, InsertServices services);

    // The answers after Finish.
    const Answers& Chosen() const { return m_answers; }
    // The "one to many" statement of the answers.
    std::string Statement() const;

    const InsertContext& Context() const { return m_ctx; }
    DataMemory& Remembered() { return m_services.memory; }
    IOdbcCatalog& Catalog() { return m_services.catalog; }
    IWizardPrompts& Prompts() { return m_services.prompts; }
    Answers& MutableAnswers() { return m_answers; }
    // The connection and "one" recordset statements chosen on page 1.
    void SetStatements(std::string datasource, std::string oneRecordset) {
        m_strDatasource = std::move(datasource);
        m_strOneRecordset = std::move(oneRecordset);
    }
    const std::string& Datasource() const { return m_strDatasource; }
    const std::string& OneRecordset() const { return m_strOneRecordset; }

private:
    InsertContext m_ctx;
    InsertServices m_services;
    Answers m_answers;
    std::string m_strDatasource;
    std::string m_strOneRecordset;
};

// Page 155: connection, "one" recordset, "many" table and the recordset function.
class COne2manyrsDlg : public QWizardPage {
    Q_OBJECT
public:
    explicit COne2manyrsDlg(COne2manyrsWiz* wizard);
    void initializePage() override;
    bool validatePage() override;

private:
    void FillTableList();

    COne2manyrsWiz* m_wizard;
    QComboBox* m_datasources;
    QComboBox* m_recordsets;
    QListWidget* m_tables;
    QButtonGroup* m_function;
};

// Page 156: the key field of the "one" recordset and the foreign key of the "many" table.
class COne2manyrsDlg2 : public QWizardPage {
    Q_OBJECT
public:
    explicit COne2manyrsDlg2(COne2manyrsWiz* wizard);
    void initializePage() override;
    bool validatePage() override;

private:
    COne2manyrsWiz* m_wizard;
    QListWidget* m_oneColumns;
    QListWidget* m_manyColumns;
    std::vector<std::string> m_kinds;
};

// Runs the wizard modally for the "One To Many" Recordset command: the text to insert, or nullopt
// when it ended with Cancel. The generated statement becomes the remembered recordset.
std::optional<InsertResult> RunOneToManyWizard(QWidget* parent, const InsertContext& ctx,
                                               InsertServices services);

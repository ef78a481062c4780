#pragma once
// CIfWiz: the five-page wizard of the Data Decision command: what to test (a database field or a
// user variable), how (as a logical value, against a number or against a text), and against what.
// The services and the pickers must outlive the wizard. GUI thread only.

#include <QWizard>
#include <QWizardPage>
#include <optional>
#include <span>
#include <string>

#include "tolvane/decision_text.h"
#include "tolvane/insert_dialog_kit.h"
#include "tolvane/insert_frame.h"
#include "tolvane/insert_pickers.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QSpinBox;

class CIfWiz : public QWizard {
    Q_OBJECT
public:
    enum PageId { kPage1 = 162, kPage2 = 163, kPage3 = 164, kPage4 = 165, kPage5 = 166 };

    CIfWiz(QWidget* parent, InsertContext ctx, InsertServices services, IInsertPickers& pickers);

    // The answers after Finish; those the path taken did not set keep their defaults.
    const DecisionAnswers& Answers() const { return m_answers; }
    DecisionAnswers& MutableAnswers() { return m_answers; }
    // The page that asks for the test value: 166 for a numeric test, 164 for a text test, -1
    // (Finish) for a logical one.
    int TestPageId() const;

    const InsertContext& Context() const { return m_ctx; }
    DataMemory& Remembered() { return m_services.memory; }
    IOdbcCatalog& Catalog() { return m_services.catalog; }
    IWizardPrompts& Prompts() { return m_services.prompts; }
    IInsertPickers& Pickers() { return m_pickers; }

private:
    InsertContext m_ctx;
    InsertServices m_services;
    IInsertPickers& m_pickers;
    DecisionAnswers m_answers;
};

// Page 162: the data source and the test type.
class CIfDlg1 : public QWizardPage {
    Q_OBJECT
public:
    explicit CIfDlg1(CIfWiz* wizard);
    int nextId() const override;
    bool validatePage() override;

private:
    CIfWiz* m_wizard;
    QButtonGroup* m_source;
    QButtonGroup* m_test;
    QCheckBox* m_else;
};

// Page 163: the database field.
class CIfDlg2 : public QWizardPage {
    Q_OBJECT
public:
    explicit CIfDlg2(CIfWiz* wizard);
    void initializePage() override;
    int nextId() const override { return m_wizard->TestPageId(); }
    bool validatePage() override;

private:
    void FillFieldList();

    CIfWiz* m_wizard;
    QComboBox* m_datasources;
    QComboBox* m_recordsets;
    QListWidget* m_fields;
    QCheckBox* m_current;
    QSpinBox* m_index;
};

// Pages 164 (text) and 166 (numeric): the value to compare with and the comparison, with the
// buttons that put a field or variable reference into the value.
class CIfTestPage : public QWizardPage {
    Q_OBJECT
public:
    struct Choice {
        const char* id;
        const char* text;
    };
    int nextId() const override { return -1; }
    void initializePage() override;
    bool validatePage() override;

protected:
    CIfTestPage(CIfWiz* wizard, const char* pageId, const char* caption, const char* valueTip,
                const char* databaseTip, const char* variableId, const char* variableTip);
    void AddChoices(std::span<const Choice> choices, QWidget* group);

    CIfWiz* m_wizard;
    QLineEdit* m_value;
    QButtonGroup* m_choice;
    QCheckBox* m_caseSensitive = nullptr;

private:
    void InsertReference(const std::optional<std::string>& reference);
};

class CIfDlg3 : public CIfTestPage {
    Q_OBJECT
public:
    explicit CIfDlg3(CIfWiz* wizard);
};

class CIfDlg5 : public CIfTestPage {
    Q_OBJECT
public:
    explicit CIfDlg5(CIfWiz* wizard);
};

// Page 165: the user variable.
class CIfDlg4 : public QWizardPage {
    Q_OBJECT
public:
    explicit CIfDlg4(CIfWiz* wizard);
    void initializePage() override;
    int nextId() const override { return m_wizard->TestPageId(); }
    bool validatePage() override;

private:
    CIfWiz* m_wizard;
    QListWidget* m_variables;
};

// Runs the wizard modally for the Data Decision command: the text to insert, or nullopt when it
// ended with Cancel.
std::optional<InsertResult> RunDataDecisionWizard(QWidget* parent, const InsertContext& ctx,
                                                  InsertServices services, IInsertPickers& pickers);

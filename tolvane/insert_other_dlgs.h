#pragma once
// The dialogs of the variable, page, subroutine and e-mail insert commands and their entry
// points, with Process HTML. Modal, GUI thread only. A dialog whose Prepare returns false has
// shown why and must not be shown.

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

#include "tolvane/insert_dialog_kit.h"
#include "tolvane/insert_other_text.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;

// Dialog 170: the name of a new variable, without question marks.
class CNewVariableDlg : public QDialog {
    Q_OBJECT
public:
    explicit CNewVariableDlg(QWidget* parent);
    std::string Name() const;

private:
    QLineEdit* m_name;
};

// Dialog 169: picks a variable; choosing an entry or Enter ends it.
class CInsertVarDlg : public QDialog {
    Q_OBJECT
public:
    CInsertVarDlg(QWidget* parent, const InsertContext& ctx, IWizardPrompts& prompts);
    bool Prepare();
    // "?name?" as chosen or typed; valid after OK.
    std::string Variable() const { return m_strVariable; }

private:
    void Choose(const QString& entry);

    IWizardPrompts& m_prompts;
    QComboBox* m_variables;
    std::string m_strVariable;
};

// Dialog 171.
class CDataAssignDlg : public QDialog {
    Q_OBJECT
public:
    CDataAssignDlg(QWidget* parent, const InsertContext& ctx, InsertServices& services);
    bool Prepare();
    std::string Variable() const;
    std::string Value() const;

private:
    QComboBox* m_variables;
    QLineEdit* m_value;
    QListWidget* m_functions;
    IWizardPrompts& m_prompts;
};

// Dialog 141.
class CHtmlPageDlg : public QDialog {
    Q_OBJECT
public:
    CHtmlPageDlg(QWidget* parent, const InsertContext& ctx, InsertServices& services);
    HtmlPageAnswers Answers() const;

private:
    QLineEdit* m_fileName;
    QCheckBox* m_inSubroutine;
    QLineEdit* m_subroutine;
};

// Dialog 150.
class CSubroutineDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSubroutineDlg(QWidget* parent);
    std::string Name() const;

private:
    QLineEdit* m_name;
};

// Dialog 151: picks a subroutine; choosing an entry ends it.
class CGosubDlg : public QDialog {
    Q_OBJECT
public:
    CGosubDlg(QWidget* parent, const std::vector<std::string>& names);
    std::string Name() const { return m_strName; }

private:
    QComboBox* m_names;
    std::string m_strName;
};

// Dialog 136. The picker buttons insert into the edit field that last lost the focus.
class CEmailDlg : public QDialog {
    Q_OBJECT
public:
    CEmailDlg(QWidget* parent, const InsertContext& ctx, InsertServices& services);
    EmailAnswers Answers() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_to;
    QLineEdit* m_from;
    QLineEdit* m_server;
    QLineEdit* m_subject;
    QButtonGroup* m_formatting;
    QLineEdit* m_target;
};

std::optional<InsertResult> InsertUserVariable(QWidget* parent, const InsertContext& ctx);
std::optional<InsertResult> InsertVariableData(QWidget* parent, const InsertContext& ctx,
                                               IWizardPrompts& prompts);
std::optional<InsertResult> InsertDataAssign(QWidget* parent, const InsertContext& ctx,
                                             InsertServices& services);
std::optional<InsertResult> InsertDefsub(QWidget* parent, const InsertContext& ctx);
std::optional<InsertResult> InsertGosub(QWidget* parent, const InsertContext& ctx,
                                        IWizardPrompts& prompts);
std::optional<InsertResult> InsertHtmlPage(QWidget* parent, const InsertContext& ctx,
                                           InsertServices& services);
std::optional<InsertResult> InsertEmail(QWidget* parent, const InsertContext& ctx,
                                        InsertServices& services);
// Hands the selection's escaped copy to `replace` (always, also when empty), then reports the
// counts, so that the message shows over the processed text.
void ProcessHtmlSelection(QWidget* parent, const InsertContext& ctx, IWizardPrompts& prompts,
                          const std::function<void(const InsertResult&)>& replace);

#pragma once
// The modeless Find and Replace dialogs of the editing view. They only collect what to find, what
// to put in its place and the options, and hand each button to their owner through a signal; the
// owner searches. Cancel hides the dialog. GUI thread only.

#include <QDialog>

#include "tolvane/text_search.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class CFindReplaceDlg : public QDialog {
    Q_OBJECT
public:
    enum class Mode { kFind, kReplace };

    CFindReplaceDlg(Mode mode, QWidget* parent);

    Mode GetMode() const { return m_mode; }
    // Fills the fields. Replace has no direction: its Options() always search down.
    void SetSearch(const QString& what, const QString& with, const CSearchOptions& options);
    QString What() const;
    QString With() const;
    CSearchOptions Options() const;

signals:
    void FindNextPressed();
    void ReplacePressed();
    void ReplaceAllPressed();

private:
    QPushButton* AddButton(const QString& text, const char* id);
    void EnableButtons();

    Mode m_mode;
    QLineEdit* m_what;
    QLineEdit* m_with;
    QCheckBox* m_wholeWord;
    QCheckBox* m_matchCase;
    QRadioButton* m_up = nullptr;
    QRadioButton* m_down = nullptr;
    QList<QPushButton*> m_searchButtons;
};

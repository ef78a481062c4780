#pragma once
// Settings: the editor options of section "tolvane", read when the dialog opens and written by
// the caller after OK only.

#include <QDialog>

#include "tolvane/ed_settings.h"

class QCheckBox;
class QRadioButton;

class CSettingsDlg : public QDialog {
    Q_OBJECT
public:
    CSettingsDlg(const CEdOptions& options, QWidget* parent = nullptr);
    // The options as the controls show them now.
    CEdOptions Options() const;

private:
    QCheckBox* AddCheck(const char* id, const QString& text, const QString& tip, int value);

    QCheckBox* m_autotab;
    QCheckBox* m_todo;
    QCheckBox* m_maximize;
    QCheckBox* m_openClose;
    QRadioButton* m_refresh[3];
};

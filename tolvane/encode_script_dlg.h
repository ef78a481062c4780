#pragma once
// Runtime Encode Script: the input script and the output path, each with a browse button. The
// dialog only collects the two paths; the frame saves and encodes after OK.

#include <QDialog>

#include "tolvane/encode_command.h"

class IEdPrompts;
class QLineEdit;

class CEncodeScriptDlg : public QDialog {
    Q_OBJECT
public:
    CEncodeScriptDlg(const CEncodePaths& paths, IEdPrompts& prompts, QWidget* parent = nullptr);
    CEncodePaths Paths() const;

private:
    QLineEdit* AddPathRow(class QGridLayout* grid, int row, const QString& label,
                          const char* editId, const QString& tip, const char* buttonId,
                          const QString& filter, bool save);

    IEdPrompts& m_prompts;
    QLineEdit* m_input;
    QLineEdit* m_output;
};

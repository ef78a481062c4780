#pragma once
// The New Project dialog (165): one field for the name. It only collects the name; the checks
// are CProjectCommands'.

#include <QDialog>

class QLineEdit;

class CNewProjectDlg : public QDialog {
    Q_OBJECT
public:
    explicit CNewProjectDlg(QWidget* parent);
    QString Name() const;

private:
    QLineEdit* m_name;
};

#pragma once
// Goto Line: asks for a 1-based line number, the last one given preselected.

#include <QDialog>

class QLineEdit;

class CGotoLineDlg : public QDialog {
    Q_OBJECT
public:
    CGotoLineDlg(int number, QWidget* parent = nullptr);
    // The number in the field (0 when it is empty).
    int Number() const;

private:
    QLineEdit* m_edit;
};

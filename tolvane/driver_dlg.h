#pragma once
// CDriverDlg: "Select ODBC Driver", the choice of an ODBC driver for a database file whose
// extension names none. The drivers are listed sorted without regard to case, the first one
// selected; a double-click on one is OK. OK with nothing selected is Cancel.

#include <QDialog>
#include <QString>
#include <QStringList>

class QListWidget;

class CDriverDlg : public QDialog {
    Q_OBJECT
public:
    CDriverDlg(QWidget* parent, const QStringList& drivers);

    // The driver chosen by OK; "" before.
    const QString& Driver() const { return m_strDriver; }

public slots:
    void accept() override;

private:
    QListWidget* m_drivers;
    QString m_strDriver;
};

// `names` sorted as the dialogs' lists show them: without regard to case.
QStringList SortedForList(QStringList names);

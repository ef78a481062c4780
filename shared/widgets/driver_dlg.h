#pragma once
// CDriverDlg: the choice of an ODBC driver for a database file whose extension names none. The
// drivers are listed sorted without regard to case, the first one selected; a double-click on
// one is OK. OK with nothing selected is Cancel. tolvane and kestrel show it each in its own look.

#include <QDialog>
#include <QString>
#include <QStringList>

class QListWidget;

// How one program shows the dialog: its id and caption, the text above the list, the list's id
// and tooltip (none when empty).
struct DriverDialogLook {
    const char* dialogId;
    const char* caption;
    const char* text;
    const char* listId;
    const char* listTip;
};

inline constexpr DriverDialogLook kEditorDriverDialog = {"134", "Select ODBC Driver",
                                                         "Available ODBC drivers", "1002",
                                                         "Select the ODBC driver you wish to use"};
inline constexpr DriverDialogLook kWizardDriverDialog = {
    "147", "Kestrel",
    "Kestrel was unable to determine which ODBC driver to use for the file you selected. Please "
    "select a driver from the list box.",
    "1003", ""};

class CDriverDlg : public QDialog {
    Q_OBJECT
public:
    CDriverDlg(QWidget* parent, const QStringList& drivers,
               const DriverDialogLook& look = kEditorDriverDialog);

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

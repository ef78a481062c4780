#pragma once
// The System Event Log window (147): the lines of "logfile.txt" in four columns, the two filters
// "Show errors only" and "Show last 5 days only" (global keys logfilt and logfiltd, written when
// the window closes) and Reset Log, which deletes the file after asking. Modal; the main window
// runs it while it holds g_csProject. Reading and filtering are event_log_view's.

#include <QDialog>

class QCheckBox;
class QTreeWidget;
class IFrameDialogs;

class CEventLogDlg : public QDialog {
    Q_OBJECT
public:
    // `dialogs` asks the Reset Log question; it must outlive the window.
    CEventLogDlg(QWidget* parent, IFrameDialogs& dialogs);

    // Fills the list from the log file with the filters the check boxes show, dated from the
    // engine's clock.
    void LoadLog();

    void done(int result) override;

private:
    void ResetLog();

    IFrameDialogs& m_dialogs;
    QTreeWidget* m_list;
    QCheckBox* m_errorsOnly;
    QCheckBox* m_lastFiveDays;
};

#pragma once
// The Output Files dialog (148): the names of the last run's output files, or of the files changed
// since the last upload ("View changed files only", project key sco), opened one at a time with
// the list file editor (global key listviewer); with "Mark opened files as changed" (project key
// addedit2chg, written on OK) an opened file joins the change list. Modal; the main window runs it
// while it holds g_csProject. The list logic is output_files'.

#include <QDialog>

class QCheckBox;
class QListWidget;
class IFrameDialogs;
class ILauncher;

class COutputFilesDlg : public QDialog {
    Q_OBJECT
public:
    // `dialogs` reports failures and `launcher` starts the editor; both must outlive the dialog.
    COutputFilesDlg(QWidget* parent, IFrameDialogs& dialogs, ILauncher& launcher);

    // Opens the selected file (button 1012 and a double click); nothing without a selection.
    void Edit();

    void accept() override;

private:
    void LoadList();
    void ShowError(const std::string& text);

    IFrameDialogs& m_dialogs;
    ILauncher& m_launcher;
    QListWidget* m_list;
    QCheckBox* m_changedOnly;
    QCheckBox* m_markChanged;
};

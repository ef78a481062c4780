#pragma once
// The pages of the Program Settings sheet (program_settings_sheet.h). Each page shows its part of
// ProgramSettingsValues and takes it back; controls carry their dialog ids as object names. The
// pages' own buttons act through the seams the sheet hands them: questions and file dialogs, and
// the process priority. GUI thread only.

#include <QWidget>
#include <functional>
#include <string>

#include "quarn/app/program_settings.h"

class IFrameDialogs;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

// Sets the process priority for a value of the key priority; 0 with `message` when refused.
using PrioritySetter = std::function<int(int priorityClass, std::string* message)>;

class CProgramSettingsPage : public QWidget {
    Q_OBJECT
public:
    CProgramSettingsPage(int dialogId, IFrameDialogs& dialogs);

    virtual void Load(const ProgramSettingsValues& values) = 0;
    // Takes the page's values into `values`, which holds the loaded ones before; a value the
    // page cannot show (a priority outside 0-2) stays as loaded.
    virtual void Save(ProgramSettingsValues& values) const = 0;
    // The data check run before the page may be left or the sheet closed with OK: true, or false
    // with the message and the field at fault.
    virtual bool Check(QString* message, QWidget** field) const;

protected:
    // A message box captioned with the program title, its text passed through the title.
    int Ask(const std::string& text, int type);
    QLineEdit* MakeEdit(int id, std::string_view tip);
    QCheckBox* MakeCheck(int id, std::string_view text, std::string_view tip);

    IFrameDialogs& m_dialogs;
};

// Helper Applications (166).
class CGIpage1 : public CProgramSettingsPage {
    Q_OBJECT
public:
    explicit CGIpage1(IFrameDialogs& dialogs);
    void Load(const ProgramSettingsValues& values) override;
    void Save(ProgramSettingsValues& values) const override;

private:
    void Browse(QLineEdit* field, const QString& title);

    QLineEdit* m_texted;
    QLineEdit* m_webb;
    QLineEdit* m_listviewer;
};

// Program Behaviour (167). A priority click acts at once, even when the sheet is cancelled.
class CGIpage2 : public CProgramSettingsPage {
    Q_OBJECT
public:
    CGIpage2(IFrameDialogs& dialogs, PrioritySetter setPriority);
    void Load(const ProgramSettingsValues& values) override;
    void Save(ProgramSettingsValues& values) const override;

private:
    PrioritySetter m_setPriority;
    QButtonGroup* m_priority;
    QCheckBox* m_closewin;
    QCheckBox* m_hidewindow;
    QCheckBox* m_swonerror;
    QCheckBox* m_logen;
    QCheckBox* m_allowmultiinst;
};

// Auto-Publish Schedule (168).
class CGIpage3 : public CProgramSettingsPage {
    Q_OBJECT
public:
    explicit CGIpage3(IFrameDialogs& dialogs);
    void Load(const ProgramSettingsValues& values) override;
    void Save(ProgramSettingsValues& values) const override;

private:
    void AddTime();
    void DeleteTime();

    QLineEdit* m_newTime;
    QListWidget* m_times;
    QCheckBox* m_weekdays[7];
};

// Connection Details (169). The dial-up entries are listed when the page is first shown.
class CGIpage4 : public CProgramSettingsPage {
    Q_OBJECT
public:
    explicit CGIpage4(IFrameDialogs& dialogs);
    void Load(const ProgramSettingsValues& values) override;
    void Save(ProgramSettingsValues& values) const override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ListEntries();

    QComboBox* m_addressbook;
    QLineEdit* m_isplogon;
    QLineEdit* m_isppassword;
    QSpinBox* m_numretry;
    bool m_listed = false;
};

// Auto-Publish Project (133).
class CGIpage5 : public CProgramSettingsPage {
    Q_OBJECT
public:
    explicit CGIpage5(IFrameDialogs& dialogs);
    void Load(const ProgramSettingsValues& values) override;
    void Save(ProgramSettingsValues& values) const override;

private:
    QCheckBox* m_autopub;
    QComboBox* m_autopubproj;
};

// Network Control (180). Add User and Remove User change the remote users file at once.
class CGIpage6 : public CProgramSettingsPage {
    Q_OBJECT
public:
    explicit CGIpage6(IFrameDialogs& dialogs);
    void Load(const ProgramSettingsValues& values) override;
    void Save(ProgramSettingsValues& values) const override;
    bool Check(QString* message, QWidget** field) const override;

private:
    void ListUsers();
    void AddUser();
    void RemoveUser();
    void EnableControls();

    QCheckBox* m_ncen;
    QLineEdit* m_ncport;
    QLineEdit* m_newUser;
    QLineEdit* m_newPassword;
    QListWidget* m_users;
    QPushButton* m_add;
    QPushButton* m_remove;
};

// Application Title (196): built, loaded and saved, never shown.
class CGIpage7 : public CProgramSettingsPage {
    Q_OBJECT
public:
    explicit CGIpage7(IFrameDialogs& dialogs);
    void Load(const ProgramSettingsValues& values) override;
    void Save(ProgramSettingsValues& values) const override;

private:
    QCheckBox* m_showapptitledlg;
    QLineEdit* m_progtitle;
    QLineEdit* m_welcmsg;
    QCheckBox* m_splashscr;
};

#pragma once
// The pages of the Program Settings sheet (program_settings_sheet.h), each bound to the members
// of ProgramSettingsValues it edits. Object names are the pages' dialog ids and the controls'
// ids. The pages' own buttons act through the seams the sheet hands them: questions and file
// dialogs, and the process priority. GUI thread only.

#include <functional>
#include <string>

#include "quarn/app/program_settings.h"
#include "quarn/app/ui/settings_page.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

// Sets the process priority for a value of the key priority; 0 with `message` when refused.
using PrioritySetter = std::function<int(int priorityClass, std::string* message)>;

// Helper Applications (166).
class CGIpage1 : public CSettingsPage {
    Q_OBJECT
public:
    CGIpage1(ProgramSettingsValues& values, IFrameDialogs& dialogs);
};

// Program Behaviour (167). A priority click acts at once, even when the sheet is cancelled.
class CGIpage2 : public CSettingsPage {
    Q_OBJECT
public:
    CGIpage2(ProgramSettingsValues& values, IFrameDialogs& dialogs, PrioritySetter setPriority);

private:
    PrioritySetter m_setPriority;
};

// Auto-Publish Schedule (168).
class CGIpage3 : public CSettingsPage {
    Q_OBJECT
public:
    CGIpage3(ProgramSettingsValues& values, IFrameDialogs& dialogs);

private:
    void AddTime();
    void DeleteTime();

    QLineEdit* m_newTime;
    QListWidget* m_times;
};

// Connection Details (169). The dial-up entries are listed when the page is first shown.
class CGIpage4 : public CSettingsPage {
    Q_OBJECT
public:
    CGIpage4(ProgramSettingsValues& values, IFrameDialogs& dialogs);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ListEntries();

    QComboBox* m_addressbook;
    bool m_listed = false;
};

// Auto-Publish Project (133).
class CGIpage5 : public CSettingsPage {
    Q_OBJECT
public:
    CGIpage5(ProgramSettingsValues& values, IFrameDialogs& dialogs);

private:
    void UpdateEnabling() override;

    QCheckBox* m_autopub;
    QComboBox* m_autopubproj;
};

// Network Control (180). Add User and Remove User change the remote users file at once.
class CGIpage6 : public CSettingsPage {
    Q_OBJECT
public:
    CGIpage6(ProgramSettingsValues& values, IFrameDialogs& dialogs);

private:
    void UpdateEnabling() override;
    void ListUsers();
    void AddUser();
    void RemoveUser();

    QCheckBox* m_ncen;
    QLineEdit* m_ncport;
    QLineEdit* m_newUser;
    QLineEdit* m_newPassword;
    QListWidget* m_users;
    QPushButton* m_add;
    QPushButton* m_remove;
};

// Application Title (196): built, loaded and stored, never shown.
class CGIpage7 : public CSettingsPage {
    Q_OBJECT
public:
    CGIpage7(ProgramSettingsValues& values, IFrameDialogs& dialogs);
};

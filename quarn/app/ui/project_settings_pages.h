#pragma once
// The pages of the Project Settings sheet, each bound to the members of ProjectSettingsValues it
// edits. Object names are the pages' dialog ids and the controls' ids.

#include "quarn/app/project_settings.h"
#include "quarn/app/ui/settings_page.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPushButton;

// "Publish Actions": the steps of a publish run.
class CIpage5 : public CSettingsPage {
    Q_OBJECT
public:
    CIpage5(ProjectSettingsValues& values, IFrameDialogs& dialogs);

private:
    void UpdateEnabling() override;
    QCheckBox* m_runScript;
    QLineEdit* m_script;
    QPushButton* m_browseScript;
    QCheckBox* m_runScript2;
    QLineEdit* m_script2;
    QPushButton* m_browseScript2;
    QCheckBox* m_exec;
    QLineEdit* m_execName;
    QPushButton* m_browseExec;
};

// "Scripter Settings": the script and HTML directories and the interpreter's options.
class CIpage7 : public CSettingsPage {
    Q_OBJECT
public:
    CIpage7(ProjectSettingsValues& values, IFrameDialogs& dialogs);
};

// "ODBC": the recordset's column size and cursor library.
class CIpage8 : public CSettingsPage {
    Q_OBJECT
public:
    CIpage8(ProjectSettingsValues& values, IFrameDialogs& dialogs);
};

// "Helper Applications": the project's database.
class CIpage2 : public CSettingsPage {
    Q_OBJECT
public:
    CIpage2(ProjectSettingsValues& values, IFrameDialogs& dialogs);
};

// "FTP Logon": the web server and its account.
class CIpage1 : public CSettingsPage {
    Q_OBJECT
public:
    CIpage1(ProjectSettingsValues& values, IFrameDialogs& dialogs);
};

// "FTP Firewall": the firewall scheme and the proxy's logon.
class CIpage6 : public CSettingsPage {
    Q_OBJECT
public:
    CIpage6(ProjectSettingsValues& values, IFrameDialogs& dialogs);

private:
    void UpdateEnabling() override;
    QButtonGroup* m_scheme;
    QLineEdit* m_host;
    QLineEdit* m_port;
    QLineEdit* m_user;
    QLineEdit* m_password;
};

// "FTP Options": what an upload sends and how often it is tried.
class CIpage9 : public CSettingsPage {
    Q_OBJECT
public:
    CIpage9(ProjectSettingsValues& values, IFrameDialogs& dialogs);

private:
    void UpdateEnabling() override;
    QButtonGroup* m_mode;
    QCheckBox* m_clean;
    QCheckBox* m_resume;
};

// "On Error": the project's error script.
class CIpage10 : public CSettingsPage {
    Q_OBJECT
public:
    CIpage10(ProjectSettingsValues& values, IFrameDialogs& dialogs);

private:
    void UpdateEnabling() override;
    QCheckBox* m_enabled;
    QLineEdit* m_script;
    QPushButton* m_browse;
};

// "Scripting": the external script parser. Built, loaded and stored with the others but not
// shown, so its keys are written back as they were read.
class CIpage11 : public CSettingsPage {
    Q_OBJECT
public:
    CIpage11(ProjectSettingsValues& values, IFrameDialogs& dialogs);

private:
    void UpdateEnabling() override;
    QCheckBox* m_external;
    QLineEdit* m_exec;
    QPushButton* m_browseExec;
    QLineEdit* m_dir;
    QPushButton* m_browseDir;
};

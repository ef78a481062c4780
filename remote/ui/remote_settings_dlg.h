#pragma once
// The settings dialog (130): server, port, user name, password, project and script. OK refuses a
// port that is not a whole number from 1 to 10000, with a message, and keeps the dialog open.

#include <QDialog>

#include "remote/remote_settings.h"

class IRemoteMessages;
class QLineEdit;

class CRemoteSettingsDlg : public QDialog {
    Q_OBJECT
public:
    CRemoteSettingsDlg(IRemoteMessages& messages, QWidget* parent = nullptr);

    void SetSettings(const RemoteSettings& settings);
    // The fields as typed; the port as accepted by OK (valid only after it).
    RemoteSettings Settings() const;

public slots:
    void accept() override;

private:
    QLineEdit* AddEdit(const char* id);

    IRemoteMessages& m_messages;
    QLineEdit* m_server;
    QLineEdit* m_port;
    QLineEdit* m_user;
    QLineEdit* m_password;
    QLineEdit* m_project;
    QLineEdit* m_script;
    int m_nPort = kDefaultRemotePort;
};

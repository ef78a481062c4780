#pragma once
// remote's main dialog (102): logs on to quarn when it opens and, at a click of Publish, Run or
// FTP, asks quarn for that job, switching quarn's project first when one is set.
//
// The exchanges with the server run on a worker thread, so the window keeps repainting while a
// job runs: meanwhile the three buttons are disabled and the wait cursor shows, and clicks made
// then are discarded. The result comes back to the GUI thread as a queued call and is shown
// there. The dialog owns the session and the worker; its destructor ends a wait in progress and
// joins the worker (a connect in progress runs out its time-out first).

#include <QDialog>
#include <functional>
#include <optional>
#include <thread>

#include "remote/remote_session.h"
#include "remote/remote_settings.h"

class IRemoteMessages;
class QPushButton;

class CRemoteDlg : public QDialog {
    Q_OBJECT
public:
    // Reads the server's settings from `settings` and starts the connect and log-on. Both
    // references must outlive the dialog.
    CRemoteDlg(CRemoteSettingsStore& settings, IRemoteMessages& messages,
               QWidget* parent = nullptr);
    ~CRemoteDlg() override;

    // True while an exchange with the server runs.
    bool IsBusy() const { return m_bBusy; }

public slots:
    void OnRun();
    void OnPublish();
    void OnFtp();
    void OnSettings();
    void OnAbout();

private:
    using Exchange = std::function<std::optional<RemoteMessage>(CRemoteSession&)>;

    void OnInitDialog();
    void SendCommand(std::string_view command);
    // Runs `exchange` on the worker unless one runs already (then the request is dropped).
    void StartExchange(Exchange exchange);
    // On the GUI thread, when the worker is done: shows its message and frees the buttons.
    void FinishExchange(const std::optional<RemoteMessage>& message);
    void SetBusy(bool busy);

    CRemoteSettingsStore& m_settings;
    IRemoteMessages& m_messages;
    CRemoteSession m_session;
    std::thread m_worker;
    bool m_bBusy = false;
    QPushButton* m_publish;
    QPushButton* m_run;
    QPushButton* m_ftp;
};

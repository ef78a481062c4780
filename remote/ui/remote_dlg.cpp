#include "remote/ui/remote_dlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "remote/ui/about_dlg.h"
#include "remote/ui/remote_icon.h"
#include "remote/ui/remote_message_box.h"
#include "remote/ui/remote_settings_dlg.h"

namespace {

QPushButton* Button(const char* id, const char* text) {
    auto* button = new QPushButton(text);
    button->setObjectName(id);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

CRemoteDlg::CRemoteDlg(CRemoteSettingsStore& settings, IRemoteMessages& messages, QWidget* parent)
    : QDialog(parent),
      m_settings(settings),
      m_messages(messages),
      m_publish(Button("1006", "Publish")),
      m_run(Button("1000", "Run")),
      m_ftp(Button("1007", "FTP")) {
    setObjectName("102");
    setWindowTitle("Quarn Remote");
    setWindowIcon(RemoteIcon());

    auto* menus = new QMenuBar;
    QMenu* file = menus->addMenu("&File");
    file->addAction("E&xit", this, &QDialog::reject)->setObjectName("exit");
    QMenu* tools = menus->addMenu("&Tools");
    tools->addAction("&Settings", this, &CRemoteDlg::OnSettings)->setObjectName("settings");
    QMenu* help = menus->addMenu("&Help");
    // There is no help file to open on Linux.
    QAction* helpTopics = help->addAction("&Help");
    helpTopics->setObjectName("help");
    helpTopics->setEnabled(false);
    help->addAction("&About", this, &CRemoteDlg::OnAbout)->setObjectName("about");

    auto* picture = new QLabel;
    picture->setObjectName("picture");
    picture->setPixmap(RemotePicture(96));
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {m_publish, m_run, m_ftp})
        buttons->addWidget(button);
    buttons->addStretch();
    connect(m_publish, &QPushButton::clicked, this, &CRemoteDlg::OnPublish);
    connect(m_run, &QPushButton::clicked, this, &CRemoteDlg::OnRun);
    connect(m_ftp, &QPushButton::clicked, this, &CRemoteDlg::OnFtp);

    auto* row = new QHBoxLayout;
    row->addWidget(picture);
    row->addSpacing(16);
    row->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menus);
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    OnInitDialog();
}

CRemoteDlg::~CRemoteDlg() {
    m_session.Abort();
    if (m_worker.joinable()) m_worker.join();
}

void CRemoteDlg::OnInitDialog() {
    const RemoteSettings settings = m_settings.Load();
    StartExchange([settings](CRemoteSession& session) {
        return session.LogOn(settings.serverIp, settings.serverPort, settings.userName,
                             settings.password);
    });
}

void CRemoteDlg::OnRun() {
    SendCommand("run");
}

void CRemoteDlg::OnPublish() {
    SendCommand("publish");
}

void CRemoteDlg::OnFtp() {
    SendCommand("ftp");
}

void CRemoteDlg::SendCommand(std::string_view command) {
    // Project and script take effect at the next command.
    const RemoteSettings settings = m_settings.Load();
    StartExchange([command = std::string(command), settings](CRemoteSession& session) {
        return std::optional(session.SendCommand(command, settings.project, settings.script));
    });
}

void CRemoteDlg::StartExchange(Exchange exchange) {
    if (m_bBusy) return;
    SetBusy(true);
    if (m_worker.joinable()) m_worker.join();
    m_worker = std::thread([this, exchange = std::move(exchange)] {
        const std::optional<RemoteMessage> message = exchange(m_session);
        QMetaObject::invokeMethod(
            this, [this, message] { FinishExchange(message); }, Qt::QueuedConnection);
    });
}

void CRemoteDlg::FinishExchange(const std::optional<RemoteMessage>& message) {
    SetBusy(false);
    if (message) m_messages.Show(this, *message);
}

void CRemoteDlg::SetBusy(bool busy) {
    m_bBusy = busy;
    for (QPushButton* button : {m_publish, m_run, m_ftp})
        button->setEnabled(!busy);
    if (busy)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

void CRemoteDlg::OnSettings() {
    CRemoteSettingsDlg dialog(m_messages, this);
    dialog.SetSettings(m_settings.Load());
    if (dialog.exec() != QDialog::Accepted) return;
    if (!m_settings.Save(dialog.Settings()))
        m_messages.Show(this, {m_settings.m_strMessage, RemoteIcon::kExclamation, false});
}

void CRemoteDlg::OnAbout() {
    CAboutDlg about(this);
    about.exec();
}

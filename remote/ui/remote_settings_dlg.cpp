#include "remote/ui/remote_settings_dlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "remote/ui/remote_message_box.h"

namespace {

// The labels of every group get one width, so that the edits line up down the dialog.
QGroupBox* Group(const char* title, std::initializer_list<std::pair<const char*, QLineEdit*>> rows,
                 int labelWidth) {
    auto* group = new QGroupBox(title);
    auto* form = new QFormLayout(group);
    for (const auto& [text, edit] : rows) {
        auto* label = new QLabel(text);
        label->setMinimumWidth(labelWidth);
        form->addRow(label, edit);
    }
    return group;
}

}  // namespace

CRemoteSettingsDlg::CRemoteSettingsDlg(IRemoteMessages& messages, QWidget* parent)
    : QDialog(parent),
      m_messages(messages),
      m_server(AddEdit("1001")),
      m_port(AddEdit("1002")),
      m_user(AddEdit("1003")),
      m_password(AddEdit("1004")),
      m_project(AddEdit("1008")),
      m_script(AddEdit("1005")) {
    setObjectName("130");
    setWindowTitle("Quarn Remote Settings");
    m_password->setEchoMode(QLineEdit::Password);
    m_server->setMinimumWidth(220);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &CRemoteSettingsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    int labelWidth = 0;
    for (const char* text :
         {"Server name or IP address", "Server port", "Username", "Password", "Project", "Script"})
        labelWidth = std::max(labelWidth, fontMetrics().horizontalAdvance(text));
    layout->addWidget(Group("Quarn Server Details",
                            {{"Server name or IP address", m_server}, {"Server port", m_port}},
                            labelWidth));
    layout->addWidget(
        Group("Logon Details", {{"Username", m_user}, {"Password", m_password}}, labelWidth));
    layout->addWidget(
        Group("Quarn Project", {{"Project", m_project}, {"Script", m_script}}, labelWidth));
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QLineEdit* CRemoteSettingsDlg::AddEdit(const char* id) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(id);
    return edit;
}

void CRemoteSettingsDlg::SetSettings(const RemoteSettings& settings) {
    m_server->setText(QString::fromStdString(settings.serverIp));
    m_port->setText(QString::number(settings.serverPort));
    m_user->setText(QString::fromStdString(settings.userName));
    m_password->setText(QString::fromStdString(settings.password));
    m_project->setText(QString::fromStdString(settings.project));
    m_script->setText(QString::fromStdString(settings.script));
    m_nPort = settings.serverPort;
}

RemoteSettings CRemoteSettingsDlg::Settings() const {
    return {m_server->text().toStdString(), m_nPort,
            m_user->text().toStdString(),   m_password->text().toStdString(),
            m_script->text().toStdString(), m_project->text().toStdString()};
}

void CRemoteSettingsDlg::accept() {
    std::string message;
    if (!ParseRemotePort(m_port->text().toStdString(), &m_nPort, &message)) {
        // Captioned as every message of remote but the socket one.
        m_messages.Show(this, {message, RemoteIcon::kExclamation});
        m_port->setFocus();
        m_port->selectAll();
        return;
    }
    QDialog::accept();
}

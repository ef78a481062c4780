#include "remote/ui/remote_message_box.h"

#include <memory>

namespace {

QMessageBox::Icon IconOf(RemoteIcon icon) {
    switch (icon) {
        case RemoteIcon::kStop:
            return QMessageBox::Critical;
        case RemoteIcon::kExclamation:
            return QMessageBox::Warning;
        case RemoteIcon::kInformation:
            return QMessageBox::Information;
        case RemoteIcon::kNone:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

QMessageBox* MakeRemoteMessageBox(QWidget* owner, const RemoteMessage& message) {
    const std::string_view caption = message.defaultCaption ? kRemoteProgramName : kRemoteCaption;
    auto* box = new QMessageBox(IconOf(message.icon),
                                QString::fromUtf8(caption.data(), qsizetype(caption.size())),
                                QString::fromStdString(message.text), QMessageBox::Ok, owner);
    box->setObjectName("messagebox");
    return box;
}

void CQtRemoteMessages::Show(QWidget* owner, const RemoteMessage& message) {
    const std::unique_ptr<QMessageBox> box(MakeRemoteMessageBox(owner, message));
    box->exec();
}

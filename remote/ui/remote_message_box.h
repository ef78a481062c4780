#pragma once
// How remote's windows show a message: through IRemoteMessages, so tests record the messages
// instead of answering modal boxes. Called on the GUI thread only.

#include <QMessageBox>

#include "remote/remote_messages.h"

class IRemoteMessages {
public:
    virtual ~IRemoteMessages() = default;
    // Shows `message` owned by `owner` and returns once the user has closed it.
    virtual void Show(QWidget* owner, const RemoteMessage& message) = 0;
};

// Modal message boxes with the message's icon and caption and an OK button.
class CQtRemoteMessages : public IRemoteMessages {
public:
    void Show(QWidget* owner, const RemoteMessage& message) override;
};

// The box CQtRemoteMessages shows, made but not shown; the caller owns it.
QMessageBox* MakeRemoteMessageBox(QWidget* owner, const RemoteMessage& message);

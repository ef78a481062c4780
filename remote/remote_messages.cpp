#include "remote/remote_messages.h"

namespace remote_message {

namespace {

RemoteMessage Captioned(std::string text, RemoteIcon icon) {
    return {std::move(text), icon, false};
}

}  // namespace

RemoteMessage SocketError() {
    return {"Error- unable to create network socket.", RemoteIcon::kNone, true};
}

RemoteMessage ConnectError() {
    return Captioned(
        "Error- unable to connect to server.\nCheck Quarn server IP address & port under Settings.",
        RemoteIcon::kStop);
}

RemoteMessage InvalidGreeting() {
    return Captioned("Error- invalid server response.", RemoteIcon::kStop);
}

RemoteMessage InvalidUserReply() {
    return Captioned("Error- invalid server response.", RemoteIcon::kExclamation);
}

RemoteMessage AccessDenied() {
    return Captioned("Error- access denied to server.\nCheck Username and Password are correct.",
                     RemoteIcon::kExclamation);
}

RemoteMessage NotLoggedOn() {
    return Captioned(
        "Error- you are not logged in to the Quarn server.\nPlease restart Quarn remote.",
        RemoteIcon::kExclamation);
}

RemoteMessage NetworkError() {
    return Captioned("There has been a network error.\nPlease restart Quarn remote.",
                     RemoteIcon::kExclamation);
}

RemoteMessage Busy() {
    return Captioned("Quarn is busy. Command ignored.", RemoteIcon::kExclamation);
}

RemoteMessage ProjectError() {
    return Captioned(
        "There was an error when changing to the specified project. Please check project name "
        "under Settings.",
        RemoteIcon::kExclamation);
}

RemoteMessage CommandFailed(std::string_view replyText) {
    return Captioned("Quarn returned the following error message:\n" + std::string(replyText),
                     RemoteIcon::kExclamation);
}

RemoteMessage CommandSuccessful() {
    return Captioned("Command Successful", RemoteIcon::kInformation);
}

}  // namespace remote_message

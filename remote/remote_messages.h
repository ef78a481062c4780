#pragma once
// What remote shows: the texts of its message boxes, with their icon and caption, exact.

#include <string>
#include <string_view>

enum class RemoteIcon { kNone, kStop, kExclamation, kInformation };

struct RemoteMessage {
    std::string text;
    RemoteIcon icon = RemoteIcon::kNone;
    // The program's own name as the caption instead of kRemoteCaption.
    bool defaultCaption = false;

    bool operator==(const RemoteMessage&) const = default;
};

inline constexpr std::string_view kRemoteCaption = "Quarn remote";
inline constexpr std::string_view kRemoteProgramName = "remote";

namespace remote_message {

RemoteMessage SocketError();
RemoteMessage ConnectError();
// The greeting was not 220 (stop icon), or the reply to "user " not 331 (exclamation).
RemoteMessage InvalidGreeting();
RemoteMessage InvalidUserReply();
RemoteMessage AccessDenied();
RemoteMessage NotLoggedOn();
RemoteMessage NetworkError();
RemoteMessage Busy();
RemoteMessage ProjectError();
// A command's reply other than 200 or 551, with the reply's text.
RemoteMessage CommandFailed(std::string_view replyText);
RemoteMessage CommandSuccessful();

}  // namespace remote_message

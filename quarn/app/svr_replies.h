#pragma once
// The remote-control protocol's words: the command table and the server's reply texts, exact as
// clients see them before the program title is applied.

#include <array>
#include <string>
#include <string_view>

// Commands, numbered by their place in kSvrCommands.
enum SvrCommand : int {
    SVR_RUN,
    SVR_FTP,
    SVR_PUBLISH,
    SVR_USER,
    SVR_PASS,
    SVR_HELP,
    SVR_STATE,
    SVR_LOGOF,
    SVR_LOCK,
    SVR_UNLOCK,
    SVR_PROJECT,
};

inline constexpr std::array<std::string_view, 11> kSvrCommands = {
    "RUN", "FTP", "PUBLISH", "USER", "PASS", "HELP", "STATE", "LOGOF", "LOCK", "UNLOCK", "PROJECT",
};

namespace svr_reply {

inline constexpr std::string_view kGreeting = "220 Hi from Quarn";
inline constexpr std::string_view kPasswordRequired = "331 Password required for ";
inline constexpr std::string_view kLoggedOn = "230 OK";
inline constexpr std::string_view kAccessDenied = "530 Access denied";
inline constexpr std::string_view kLogOnFirst = "503 Login with USER and PASS first";
inline constexpr std::string_view kAlreadyLoggedOn = "503 user already logged in";
inline constexpr std::string_view kBusy = "551 BUSY";
inline constexpr std::string_view kDone = "214 OK";
inline constexpr std::string_view kOk = "200 OK";
inline constexpr std::string_view kFailed = "550 ";
inline constexpr std::string_view kInvalidProject = "Invalid project name";
// Sent as it stands: never passes through the program title.
inline constexpr std::string_view kUnknownCommand = "500 eh?";
inline constexpr std::string_view kHelpHeading = "List of available Commands:";
inline constexpr std::string_view kSystemState = "System state ";

// The warning when the server cannot listen: first part, port, second part.
inline constexpr std::string_view kListenFailed =
    "There was an error when attempting to listen on socket ";
inline constexpr std::string_view kListenFailedAdvice = ".Try setting a new network control port.";

}  // namespace svr_reply

// A value put into a reply as it stands (never through the program title), with CR and LF as
// blanks so that it cannot end the reply line early.
std::string SvrReplyValue(std::string_view value);
// "550 " + SvrReplyValue(detail).
std::string SvrFailureReply(std::string_view detail);

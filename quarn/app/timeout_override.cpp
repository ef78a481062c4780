#include "quarn/app/timeout_override.h"

#include <charconv>
#include <chrono>
#include <cstring>

#include "quarn/services/ftp_client.h"
#include "quarn/services/http_request.h"
#include "quarn/services/pop3_session.h"
#include "quarn/services/smtp_mailer.h"

bool ApplyNetTimeoutOverride(const char* value, std::string* error) {
    if (value == nullptr) return true;
    const char* end = value + std::strlen(value);
    long long milliseconds = 0;
    const auto [stop, ec] = std::from_chars(value, end, milliseconds);
    if (ec != std::errc() || stop != end || milliseconds <= 0) {
        if (error)
            *error =
                std::string(kNetTimeoutVariable) + " is not a number of milliseconds: " + value;
        return false;
    }
    const std::chrono::milliseconds timeout(milliseconds);
    CFtpClient::SetDefaultTimeout(timeout);
    CHttpRequest::SetTimeout(timeout);
    CPop3Session::SetTimeout(timeout);
    CSmtpMailer::SetTimeout(timeout);
    return true;
}

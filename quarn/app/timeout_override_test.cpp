#include "quarn/app/timeout_override.h"

#include <gtest/gtest.h>

#include "quarn/services/ftp_client.h"
#include "quarn/services/http_request.h"
#include "quarn/services/pop3_session.h"
#include "quarn/services/smtp_mailer.h"

namespace {

using std::chrono::milliseconds;

// Every network client's time-out, in one list.
std::vector<milliseconds> Timeouts() {
    return {CFtpClient::DefaultTimeout(), CHttpRequest::Timeout(), CPop3Session::Timeout(),
            CSmtpMailer::Timeout()};
}

TEST(TimeoutOverrideTest, SetsEveryClientsTimeoutOnlyForAPositiveNumber) {
    std::string error;
    ASSERT_TRUE(ApplyNetTimeoutOverride("250", &error)) << error;
    const std::vector<milliseconds> shortened(4, milliseconds(250));
    EXPECT_EQ(Timeouts(), shortened);
    for (const char* value : {"", "0", "-5", "1s", "x"}) {
        SCOPED_TRACE(value);
        EXPECT_FALSE(ApplyNetTimeoutOverride(value, &error));
        EXPECT_NE(error.find(kNetTimeoutVariable), std::string::npos) << error;
        EXPECT_EQ(Timeouts(), shortened);
    }
    EXPECT_TRUE(ApplyNetTimeoutOverride(nullptr, &error));
    CFtpClient::SetDefaultTimeout(CFtpClient::kDefaultTimeout);
    CHttpRequest::SetTimeout(CHttpRequest::kDefaultTimeout);
    CPop3Session::SetTimeout(CPop3Session::kDefaultTimeout);
    CSmtpMailer::SetTimeout(CSmtpMailer::kDefaultTimeout);
}

}  // namespace

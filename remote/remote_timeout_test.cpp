#include "remote/remote_timeout.h"

#include <gtest/gtest.h>

#include "remote/remote_session.h"

namespace {

TEST(RemoteTimeoutTest, TheVariableSetsTheSessionTimeOutWhenItIsAPositiveWholeNumber) {
    struct Case {
        const char* value;
        bool ok;
        long long applied;  // milliseconds after the call
    };
    constexpr long long kDefault = CRemoteSession::kDefaultTimeout.count();
    for (const Case& c :
         {Case{nullptr, true, kDefault}, Case{"250", true, 250}, Case{"0", false, kDefault},
          Case{"-5", false, kDefault}, Case{"", false, kDefault}, Case{"12ms", false, kDefault},
          Case{"99999999999999999999", false, kDefault},
          Case{"9000000000000000", true, CRemoteSession::kJobWait.count()}}) {
        SCOPED_TRACE(c.value ? c.value : "(unset)");
        CRemoteSession::SetTimeout(CRemoteSession::kDefaultTimeout);
        std::string error;
        EXPECT_EQ(ApplyRemoteTimeoutOverride(c.value, &error), c.ok);
        EXPECT_EQ(error.empty(), c.ok) << error;
        EXPECT_EQ(CRemoteSession::Timeout().count(), c.applied);
    }
    CRemoteSession::SetTimeout(CRemoteSession::kDefaultTimeout);
}

}  // namespace

#include "quarn/app/timeout_override.h"

#include <gtest/gtest.h>

#include "quarn/services/pop3_session.h"

namespace {

TEST(TimeoutOverrideTest, SetsTheClientsTimeoutOnlyForAPositiveNumber) {
    std::string error;
    ASSERT_TRUE(ApplyNetTimeoutOverride("250", &error)) << error;
    EXPECT_EQ(CPop3Session::Timeout(), std::chrono::milliseconds(250));
    for (const char* value : {"", "0", "-5", "1s", "x"}) {
        SCOPED_TRACE(value);
        EXPECT_FALSE(ApplyNetTimeoutOverride(value, &error));
        EXPECT_NE(error.find(kNetTimeoutVariable), std::string::npos) << error;
        EXPECT_EQ(CPop3Session::Timeout(), std::chrono::milliseconds(250));
    }
    EXPECT_TRUE(ApplyNetTimeoutOverride(nullptr, &error));
    CPop3Session::SetTimeout(CPop3Session::kDefaultTimeout);
}

}  // namespace

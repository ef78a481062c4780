#include "quarn/services/ras_dialer.h"

#include <gtest/gtest.h>

#include "platform/dialup_none.h"
#include "quarn/services/notifications.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"
#include "quarn/services/testing/fake_dialup_backend.h"
#include "tests/fixtures/temp_dir.h"

namespace {

using Names = std::vector<std::string>;
using services_testing::FakeDialupBackend;

class RasDialerTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.Ok()) << m_dir.Error();
        m_previousSettings = g_settings.Path();
        g_settings.SetPath(m_dir.File("Quarn.ini"));
        g_strProgramTitle.Set("Quarn Pro");
        g_bCancelRequested = false;
        Set(global_key::addressbook, "Home DSL");
        Set(global_key::isplogon, "jo");
        Set(global_key::isppassword, "pw");
    }
    void TearDown() override {
        g_settings.SetPath(m_previousSettings);
        g_bCancelRequested = false;
        g_szStatusMailbox.Take();
    }

    template <typename Key, typename Value>
    void Set(const Key& key, const Value& value) {
        std::string error;
        ASSERT_TRUE(g_settings.Set(kGlobalSection, key, value, &error)) << error;
    }
    // The status lines posted since the last call, as the main window would show them.
    Names StatusLines() {
        Names lines;
        platform::PostedMessage message;
        while (m_window.TryTake(message)) {
            EXPECT_EQ(message.message, WM_FRAMENOTIFY);
            EXPECT_EQ(message.wParam, FRAME_STATUS_TEXT);
            lines.push_back(g_szStatusMailbox.Take());
        }
        return lines;
    }

    fixtures::TempDir m_dir{"ras_dialer"};
    std::string m_previousSettings;
    platform::MessageQueue m_window;
    FakeDialupBackend m_backend;
    platform::ScopedDialupBackend m_install{m_backend};
};

constexpr const char* kNotEstablished =
    "ERROR 25- dialup connection could not be established. Check dialup settings.";

TEST_F(RasDialerTest, AnEntryAlreadyUpIsUsedAsItIsAndLeftUp) {
    const struct {
        Names active;
        bool dialled;
    } cases[] = {
        {{"Office", "Home DSL"}, false},
        {{"home dsl", "Home DSL "}, true},
        {{}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.active));
        m_backend = FakeDialupBackend();
        m_backend.active = c.active;
        m_backend.outcomes = {1};
        CRasDialer dialer(&m_window);
        EXPECT_EQ(dialer.Dial(), 1);
        EXPECT_EQ(m_backend.dials.size(), c.dialled ? 1u : 0u);
        EXPECT_EQ(StatusLines(), c.dialled ? Names{"Dialling Home DSL"} : Names{});
        EXPECT_EQ(dialer.HangUp(), 1);
        EXPECT_EQ(m_backend.hangUps, c.dialled ? Names{"attempt 1"} : Names{});
    }
}

TEST_F(RasDialerTest, TheDialledConnectionIsHungUpByHangUpOnlyNeverByTheDestructor) {
    m_backend.outcomes = {0, 1};
    {
        CRasDialer dialer(&m_window);
        ASSERT_EQ(dialer.Dial(), 1);
        ASSERT_EQ(m_backend.dials.size(), 2u);
        for (const platform::DialRequest& request : m_backend.dials) {
            EXPECT_EQ(request.entry, "Home DSL");
            EXPECT_EQ(request.user, "jo");
            EXPECT_EQ(request.password, "pw");
        }
        EXPECT_EQ(m_backend.hangUps, Names{"attempt 1"}) << "the failed attempt";
    }
    EXPECT_EQ(m_backend.hangUps, Names{"attempt 1"});

    m_backend = FakeDialupBackend();
    m_backend.outcomes = {1};
    CRasDialer dialer(nullptr);
    ASSERT_EQ(dialer.Dial(), 1);
    EXPECT_EQ(dialer.HangUp(), 1);
    EXPECT_EQ(dialer.HangUp(), 1);
    EXPECT_EQ(m_backend.hangUps, Names{"attempt 1"});
    EXPECT_EQ(StatusLines(), Names{"Dialling Home DSL"}) << "none without a window";
}

TEST_F(RasDialerTest, EveryAttemptFailingEndsWithError25AfterNumretryAttempts) {
    CRasDialer dialer(&m_window);
    EXPECT_EQ(dialer.Dial(), 0);
    EXPECT_EQ(dialer.m_strMessage, kNotEstablished);
    EXPECT_EQ(m_backend.dials.size(), 3u) << "numretry defaults to 3";
    EXPECT_EQ(m_backend.hangUps, (Names{"attempt 1", "attempt 2", "attempt 3"}));
    EXPECT_EQ(dialer.HangUp(), 1);
    EXPECT_EQ(m_backend.hangUps.size(), 3u);
}

TEST_F(RasDialerTest, NoAttemptsAllowedFailsWithoutDialling) {
    for (int numretry : {0, -1}) {
        SCOPED_TRACE(numretry);
        Set(global_key::numretry, numretry);
        CRasDialer dialer(&m_window);
        EXPECT_EQ(dialer.Dial(), 0);
        EXPECT_EQ(dialer.m_strMessage, kNotEstablished);
        EXPECT_TRUE(m_backend.dials.empty());
        EXPECT_EQ(StatusLines(), Names{"Dialling Home DSL"});
    }
}

TEST_F(RasDialerTest, ACancelDuringTheSecondAttemptStopsBeforeTheThird) {
    Set(global_key::numretry, 5);
    m_backend.cancelDuringAttempt = 2;
    CRasDialer dialer(&m_window);
    EXPECT_EQ(dialer.Dial(), 0);
    EXPECT_EQ(dialer.m_strMessage, kNotEstablished);
    EXPECT_EQ(m_backend.dials.size(), 2u);
    EXPECT_EQ(m_backend.hangUps, (Names{"attempt 1", "attempt 2"}));
}

// The job clears the flag when it starts; a cancel that came since then is the job's.
TEST_F(RasDialerTest, ACancelBeforeTheFirstAttemptDialsNothing) {
    g_bCancelRequested = true;
    m_backend.outcomes = {1};
    CRasDialer dialer(&m_window);
    EXPECT_EQ(dialer.Dial(), 0);
    EXPECT_EQ(dialer.m_strMessage, kNotEstablished);
    EXPECT_TRUE(m_backend.dials.empty());
    EXPECT_TRUE(g_bCancelRequested);
}

TEST_F(RasDialerTest, AFailedListingOfActiveConnectionsGivesError24) {
    m_backend.listFails = true;
    CRasDialer dialer(&m_window);
    EXPECT_EQ(dialer.Dial(), 0);
    EXPECT_EQ(dialer.m_strMessage,
              "ERROR 24- unspecified RAS error whilst attempting to enumerate current RAS "
              "connections.");
    EXPECT_TRUE(m_backend.dials.empty());
}

TEST_F(RasDialerTest, WithoutADialupServiceEveryDialFailsWithError21) {
    platform::NoDialupBackend none;
    platform::ScopedDialupBackend install(none);
    for (int numretry : {3, 0}) {
        Set(global_key::numretry, numretry);
        CRasDialer dialer(&m_window);
        EXPECT_EQ(dialer.Dial(), 0);
        EXPECT_EQ(dialer.m_strMessage,
                  "ERROR 21- unable load rasapi.dll. The system may not have dial-up networking "
                  "installed.");
        EXPECT_EQ(dialer.HangUp(), 1);
    }
    EXPECT_TRUE(StatusLines().empty());
}

}  // namespace

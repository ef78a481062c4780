#include "quarn/script/functions/dialup_function.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/dialup_backend.h"
#include "platform/dialup_none.h"
#include "quarn/script/testing/script_test_support.h"
#include "quarn/services/settings.h"
#include "quarn/services/settings_keys.h"
#include "quarn/services/testing/fake_dialup_backend.h"

namespace {

using script_testing::ScriptRun;
using script_testing::ScriptTestProject;

const std::string kComplete = "Script execution complete.";
const std::string kEntry = "Home DSL";

class DialupFunctionTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_project.Ok()) << m_project.Error();
        g_settings.Set(kGlobalSection, global_key::addressbook, kEntry);
        g_settings.Set(kGlobalSection, global_key::numretry, 1);
    }

    ScriptTestProject m_project;
    services_testing::FakeDialupBackend m_dialup;
    platform::ScopedDialupBackend m_useDialup{m_dialup};
};

TEST_F(DialupFunctionTest, BlockRunsOnlineAndEveryExitHangsUp) {
    struct Case {
        const char* name;
        std::string script;
        std::vector<int> outcomes;
        std::vector<std::string> active;
        int result;
        std::string message;
        std::string page;
        std::size_t dials;
        std::vector<std::string> hangUps;
    };
    const std::string kAttempt = "attempt 1";
    const std::vector<Case> cases = {
        {"dialled", "&dialup(){a}", {1}, {}, 1, kComplete, "a", 1, {kAttempt}},
        {"dial 0 runs the block only", "&dialup(0){a}", {1}, {}, 1, kComplete, "a", 0, {}},
        {"connection already up stays up", "&dialup(){a}", {1}, {kEntry}, 1, kComplete, "a", 0, {}},
        {"failing block",
         "&dialup(){a&die()b}",
         {1},
         {},
         0,
         "ERROR 87- script terminated on die function.",
         "",
         1,
         {kAttempt}},
        {"text ends inside the block",
         "&dialup(){a",
         {1},
         {},
         0,
         "ERROR 79- end of script reached before program block closed.",
         "",
         1,
         {kAttempt}},
        {"unclosed block without dialling",
         "&dialup(0){a",
         {1},
         {},
         0,
         "ERROR 79- end of script reached before program block closed.",
         "",
         0,
         {}},
        // The break reaches the loop, which ends.
        {"break passed on",
         "&repeat(2){&dialup(){a&break b}c}d",
         {1, 1},
         {},
         1,
         kComplete,
         "ad",
         1,
         {kAttempt}},
        {"return passed on",
         "&defsub(\"s\"){&dialup(){a&return b}c}&gosub(\"s\")d",
         {1},
         {},
         1,
         kComplete,
         "ad",
         1,
         {kAttempt}},
        // The dialer hangs up its own failed attempt; the block never runs.
        {"failed dial",
         "&dialup(){a}",
         {0},
         {},
         0,
         "ERROR 25- dialup connection could not be established. Check dialup settings.",
         "",
         1,
         {kAttempt}},
        {"too many arguments",
         "&dialup(1,2){a}",
         {1},
         {},
         0,
         "ERROR 68- illegal number of arguments in function.",
         "",
         0,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_dialup.outcomes = c.outcomes;
        m_dialup.active = c.active;
        m_dialup.dials.clear();
        m_dialup.hangUps.clear();
        ASSERT_TRUE(m_project.WriteFile("html/p.html", ""));
        const ScriptRun run = m_project.Run("&html(\"p.html\"){" + c.script + "}");
        EXPECT_EQ(run.result, c.result);
        EXPECT_EQ(run.message, c.message);
        EXPECT_EQ(m_project.Page("p.html"), c.page);
        EXPECT_EQ(m_dialup.dials.size(), c.dials);
        EXPECT_EQ(m_dialup.hangUps, c.hangUps);
    }
}

TEST(DialupFunctionNoServiceTest, SystemWithoutDialupFailsWithError21) {
    ScriptTestProject project;
    ASSERT_TRUE(project.Ok()) << project.Error();
    platform::NoDialupBackend none;
    const platform::ScopedDialupBackend useNone(none);
    const ScriptRun run = project.Run("&html(\"p.html\"){&dialup(){a}}");
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.message,
              "ERROR 21- unable load rasapi.dll. The system may not have dial-up networking "
              "installed.");
    EXPECT_EQ(project.Page("p.html"), std::nullopt);
}

}  // namespace

// Every way of nesting blocks and subroutine calls ends at the nesting limit with ERROR 125 on the
// task thread's stack, under the sanitizers too, instead of overflowing it. The family tests
// cover if, the tag-form if, repeat and a subroutine calling itself; these are the other block
// built-ins and call forms.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "quarn/script/script_interpreter.h"
#include "quarn/script/testing/script_test_support.h"
#include "tests/fixtures/odbc_env.h"
#include "tests/fuzz/watched_run.h"

namespace {

using script_testing::ScriptTestProject;

const std::string kError125 = "ERROR 125- script nesting too deep.";

std::string Nested(const std::string& open, const std::string& close) {
    std::string body;
    for (int i = 0; i < CScriptInterpreter::kMaxNesting; ++i)
        body += open;
    body += "x";
    for (int i = 0; i < CScriptInterpreter::kMaxNesting; ++i)
        body += close;
    return body;
}

TEST(NestingLimitsTest, EveryFormOfNestingEndsWithNestingTooDeep) {
    ASSERT_TRUE(fixtures::OdbcEnvironment::Install().Ok());
    ScriptTestProject project;
    ASSERT_TRUE(project.Ok()) << project.Error();
    const std::string dsn = project.AddSqliteDatabase(
        "CREATE TABLE one (n INTEGER);"
        "INSERT INTO one VALUES (1);");
    ASSERT_FALSE(dsn.empty());
    const std::string onPage = "&html(\"p.html\"){";
    struct Case {
        const char* name;
        std::string script;
    };
    const std::vector<Case> cases = {
        {"loop", onPage + Nested("&loop(1){", "}") + "}"},
        {"do", onPage + Nested("&do{", "}&while(0)") + "}"},
        {"else", onPage + Nested("&if(0){}&else{", "}") + "}"},
        {"elseif", onPage + Nested("&if(0){}&elseif(1){", "}") + "}"},
        {"tag-form else", onPage + Nested("<fif 0></fif><felse>", "</felse>") + "}"},
        {"pages inside pages", Nested("&html(\"p.html\"){", "}")},
        {"foreachrow", "&datasource(\"" + dsn + "\")&sql(\"SELECT n FROM one\"){" + onPage +
                           Nested("&foreachrow(){", "}") + "}}"},
        {"tag-form call of itself", "&defsub(\"r\"){<fr>}" + onPage + "<fr>}"},
        {"two subroutines calling each other by gosub",
         "&defsub(\"a\"){&gosub(\"b\")}&defsub(\"b\"){&gosub(\"a\")}" + onPage + "&a}"},
        {"recursion with a growing argument", "&defsub(\"r\"){&r(?argv?+1)}" + onPage + "&r(0)}"},
        {"recursion inside the error handler",
         "&defsub(\"on_error\"){&r}&defsub(\"r\"){&r}" + onPage + "&die()}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(project.WriteFile("nest.scp", c.script));
        const fuzz::WatchedRun watched = fuzz::RunWatched(project, "nest.scp");
        ASSERT_TRUE(watched.finished) << "hung";
        EXPECT_FALSE(watched.cancelled);
        EXPECT_EQ(watched.run.result, 0);
        EXPECT_EQ(watched.run.message, kError125);
    }
}

}  // namespace

#include "quarn/script/functions/system_functions.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "quarn/script/script_interpreter.h"
#include "quarn/script/testing/script_test_support.h"
#include "quarn/services/notifications.h"
#include "quarn/services/program_context.h"
#include "quarn/services/prompt.h"
#include "quarn/services/settings.h"

namespace {

using script_testing::ScriptTestProject;

const std::string kComplete = "Script execution complete.";
const std::string kError47 = "ERROR 47- syntax error in text string.";
const std::string kError48 = "ERROR 48- syntax error in variable name.";
const std::string kError54 = "ERROR 54- unrecognised variable name.";
const std::string kError68 = "ERROR 68- illegal number of arguments in function.";
const std::string kError93 = "ERROR 93- command line failed.";
const std::string kError99 = "ERROR 99- child script terminated with errors.";
constexpr std::string_view kUndefined = "<undefined>";

// Stands in for the main window: a thread that takes each status line out of the mailbox and
// keeps the message-log view as the window would show it.
class FakeMainWindow {
public:
    FakeMainWindow() : m_pump([this] { Pump(); }) {}
    ~FakeMainWindow() { Stop(); }
    FakeMainWindow(const FakeMainWindow&) = delete;
    FakeMainWindow& operator=(const FakeMainWindow&) = delete;

    platform::MessageQueue* Queue() { return &m_queue; }

    // Handles what was posted so far and stops; read View and Events only after it.
    void Stop() {
        m_stop = true;
        if (m_pump.joinable()) m_pump.join();
    }
    // The lines the view shows.
    const std::vector<std::string>& View() const { return m_view; }
    // Every line and clear ("clear") in the order handled.
    const std::vector<std::string>& Events() const { return m_events; }

private:
    void Pump() {
        platform::PostedMessage message;
        while (!m_stop) {
            if (m_queue.WaitTake(message, std::chrono::milliseconds(10))) Handle(message);
        }
        while (m_queue.TryTake(message))
            Handle(message);
    }
    void Handle(const platform::PostedMessage& message) {
        if (message.message != WM_FRAMENOTIFY) return;
        if (message.wParam == FRAME_STATUS_TEXT) {
            std::string line = g_szStatusMailbox.Take();
            m_events.push_back(line);
            m_view.push_back(std::move(line));
        } else if (message.wParam == FRAME_CLEAR_VIEW) {
            m_events.push_back("clear");
            m_view.clear();
        }
    }

    platform::MessageQueue m_queue;
    std::atomic<bool> m_stop{false};
    std::vector<std::string> m_view;
    std::vector<std::string> m_events;
    std::thread m_pump;
};

// What a run left: the result, the final message and the variables asked for.
struct Outcome {
    int result = 0;
    std::string message;
    std::map<std::string, std::string> vars;
};

struct Preset {
    std::string name;
    std::string value;
};

time_t FixedClock() {
    return 1767323045;  // 2026-01-02 03:04:05 UTC
}

class SystemFunctionsTest : public testing::Test {
protected:
    SystemFunctionsTest() {
        m_oldProgramDir = g_strProgramDir;
        g_strProgramDir = std::filesystem::path(m_project.Dir()).parent_path().string();
    }
    ~SystemFunctionsTest() override { g_strProgramDir = m_oldProgramDir; }

    void SetUp() override { ASSERT_TRUE(m_project.Ok()) << m_project.Error(); }

    // Writes `script` and runs it with the variables `preset` defined beforehand, status lines
    // going to `window` (none when null).
    Outcome Run(std::string_view script, const std::vector<Preset>& preset = {},
                platform::MessageQueue* window = nullptr) {
        Outcome outcome;
        if (!m_project.WriteFile(ScriptTestProject::kScriptName, script)) return outcome;
        CScriptInterpreter interp(window);
        for (const Preset& var : preset) {
            interp.DefineVariable(var.name);
            interp.SetVariable("?" + var.name + "?", var.value);
        }
        outcome.result = interp.RunScript(ScriptTestProject::kScriptName, 0);
        outcome.message = interp.m_strMessage;
        for (const Preset& var : preset) {
            outcome.vars[var.name] =
                interp.GetVariableValue(var.name, 0) ? interp.m_strValue : std::string(kUndefined);
        }
        return outcome;
    }

    std::string EventLog() const {
        return m_project.ReadFile("../logfile.txt").value_or(std::string(kUndefined));
    }

    ScriptTestProject m_project;
    CScriptedPrompter m_prompter;
    CScopedPrompter m_installPrompter{m_prompter};
    std::string m_oldProgramDir;
};

// --- argument counts ---

TEST_F(SystemFunctionsTest, WrongArgumentCountsFail) {
    const std::vector<std::string> calls = {
        "&msgbox()",
        "&msgbox(?a?,\"t\",0,1)",
        "&input()",
        "&input(?a?,\"p\",1)",
        "&print(\"a\",\"b\")",
        "&cls(1)",
        "&log()",
        "&log(\"a\",\"b\")",
        "&exec()",
        "&exec(\"true\",1)",
        "&sleep()",
        "&sleep(1,2)",
        "&runscript()",
        "&runscript(\"a\",\"b\")",
        "&geterror()",
        "&geterror(?a?,0,1)",
    };
    for (const std::string& call : calls) {
        SCOPED_TRACE(call);
        const Outcome outcome = Run(call, {{"a", "x"}});
        EXPECT_EQ(outcome.result, 0);
        EXPECT_EQ(outcome.message, kError68);
    }
    EXPECT_TRUE(m_prompter.Questions().empty());
}

// --- msgbox, input ---

TEST_F(SystemFunctionsTest, MsgboxShowsTextWithTypeAndStoresTheAnswerOnlyWithATarget) {
    struct Case {
        const char* name;
        std::string script;
        int answer;
        std::string text;
        int type;
        std::string stored;  // a after the run
    };
    const std::vector<Case> cases = {
        {"text only", "&msgbox(\"Hello\")", prompt_answer::kOk, "Hello", 0, "old"},
        {"text and type words", "&msgbox(\"Go on\\?\",yesno+iconquestion)", prompt_answer::kNo,
         "Go on?", 36, "old"},
        {"target, text and type", "&msgbox(?a?,\"Go on\\?\",yesnocancel)", prompt_answer::kNo,
         "Go on?", 3, "7"},
        {"answer tested with a word",
         "&msgbox(?a?,\"Sure\\?\",okcancel)&if(?a?==cancel){&msgbox(\"cancelled\")}",
         prompt_answer::kCancel, "Sure?", 1, "2"},
        {"expanded text", "&msgbox(\"v=?v? \\\"q\\\"\")", prompt_answer::kOk, "v=caf\xC3\xA9 \"q\"",
         0, "old"},
        {"empty text", "&msgbox(\"\",mbok)", prompt_answer::kOk, "", 0, "old"},
        {"type truncated", "&msgbox(\"t\",4.9)", prompt_answer::kYes, "t", 4, "old"},
        {"huge type saturates", "&msgbox(\"t\",1e20)", prompt_answer::kOk, "t", 2147483647, "old"},
        {"negative type", "&msgbox(\"t\",-3)", prompt_answer::kOk, "t", -3, "old"},
        {"tag form", "<fmsgbox ?a?, \"tag\", yesno>", prompt_answer::kYes, "tag", 4, "6"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CScriptedPrompter prompter;
        prompter.QueueButton(c.answer);
        const CScopedPrompter install(prompter);
        FakeMainWindow window;
        const Outcome outcome = Run(c.script, {{"a", "old"}, {"v", "caf\xC3\xA9"}}, window.Queue());
        EXPECT_EQ(outcome.message, kComplete);
        EXPECT_EQ(outcome.vars.at("a"), c.stored);
        ASSERT_FALSE(prompter.Questions().empty());
        const CScriptedPrompter::Question& question = prompter.Questions().front();
        EXPECT_FALSE(question.input);
        EXPECT_EQ(question.text, c.text);
        EXPECT_EQ(question.type, c.type);
        EXPECT_EQ(question.caption, "Quarn Pro");
        EXPECT_EQ(question.owner, window.Queue());
    }
}

TEST_F(SystemFunctionsTest, MsgboxAndInputFailures) {
    struct Case {
        const char* name;
        std::string script;
        std::string message;
        std::size_t questions;  // asked before the failure
    };
    const std::vector<Case> cases = {
        {"msgbox text unquoted", "&msgbox(Hello)", kError47, 0},
        {"msgbox type undefined", "&msgbox(\"t\",?nope?)", kError54, 0},
        {"msgbox target without question marks", "&msgbox(a,\"t\",0)", kError48, 1},
        {"msgbox target undefined", "&msgbox(?nope?,\"t\",0)", kError54, 1},
        {"input prompt unquoted", "&input(?a?,p)", kError47, 0},
        {"input target undefined", "&input(?nope?,\"p\")", kError54, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CScriptedPrompter prompter;
        const CScopedPrompter install(prompter);
        const Outcome outcome = Run(c.script, {{"a", "old"}});
        EXPECT_EQ(outcome.result, 0);
        EXPECT_EQ(outcome.message, c.message);
        EXPECT_EQ(prompter.Questions().size(), c.questions);
    }
}

TEST_F(SystemFunctionsTest, InputStoresTheLineAndCancelLeavesTheTarget) {
    m_prompter.QueueInput("typed \xC3\xA9");
    m_prompter.QueueInput(std::nullopt);
    m_prompter.QueueInput("");
    const Outcome outcome = Run("&input(?a?,\"Name ?n?:\")&input(?b?)&input(?c?,\"\")",
                                {{"a", "A"}, {"b", "B"}, {"c", "C"}, {"n", "1"}});
    EXPECT_EQ(outcome.message, kComplete);
    EXPECT_EQ(outcome.vars.at("a"), "typed \xC3\xA9");
    EXPECT_EQ(outcome.vars.at("b"), "B");
    EXPECT_EQ(outcome.vars.at("c"), "");

    const auto& questions = m_prompter.Questions();
    ASSERT_EQ(questions.size(), 3u);
    EXPECT_TRUE(questions[0].input);
    EXPECT_EQ(questions[0].text, "Name 1:");
    EXPECT_EQ(questions[0].caption, "Quarn Pro");
    EXPECT_EQ(questions[0].defaultText, "");
    EXPECT_EQ(questions[1].text, "");
}

// A run with no prompter installed gets the headless answers: the default button, the empty line.
TEST_F(SystemFunctionsTest, WithoutAPrompterQuestionsGetTheDefaultsAndSaySo) {
    CHeadlessPrompter headless;
    const CScopedPrompter install(headless);
    FakeMainWindow window;
    const Outcome outcome = Run("&msgbox(?a?,\"Delete all\\?\",yesno+256)&input(?b?,\"Why\\?\")",
                                {{"a", "old"}, {"b", "old"}}, window.Queue());
    window.Stop();
    EXPECT_EQ(outcome.message, kComplete);
    EXPECT_EQ(outcome.vars.at("a"), "7");
    EXPECT_EQ(outcome.vars.at("b"), "");
    EXPECT_EQ(window.View(), (std::vector<std::string>{
                                 "Message box \"Delete all?\" answered No without a display.",
                                 "Input \"Why?\" answered \"\" without a display."}));
}

// --- print, cls ---

TEST_F(SystemFunctionsTest, PrintAndClsReachTheViewInOrder) {
    FakeMainWindow window;
    const Outcome outcome =
        Run("&print(\"one\")&print()&cls &print(\"v=?v?\")<fprint \"tag\">&cls()&print(\"\")",
            {{"v", "\xC3\xA9\xFF"}}, window.Queue());
    window.Stop();
    EXPECT_EQ(outcome.message, kComplete);
    EXPECT_EQ(window.Events(), (std::vector<std::string>{"one", " ", "clear", "v=\xC3\xA9\xFF",
                                                         "tag", "clear", ""}));
    EXPECT_EQ(window.View(), (std::vector<std::string>{""}));
}

TEST_F(SystemFunctionsTest, PrintWaitsForTheMailboxAndCutsLongLines) {
    // 31,998 bytes, then a two-byte character that does not fit whole.
    const std::string longText = std::string(31998, 'x') + "\xC3\xA9" + "tail";
    FakeMainWindow window;
    std::string script;
    for (int i = 0; i < 20; ++i)
        script += "&print(\"" + std::to_string(i) + "\")";
    script += "&print(\"?long?\")";
    const Outcome outcome = Run(script, {{"long", longText}}, window.Queue());
    window.Stop();
    EXPECT_EQ(outcome.message, kComplete);
    ASSERT_EQ(window.View().size(), 21u);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(window.View()[static_cast<std::size_t>(i)], std::to_string(i));
    EXPECT_EQ(window.View().back(), std::string(31998, 'x'));
}

TEST_F(SystemFunctionsTest, PrintAndClsWithoutAWindowSucceed) {
    EXPECT_EQ(Run("&print(\"x\")&cls()&print()").message, kComplete);
    EXPECT_TRUE(g_szStatusMailbox.IsEmpty());
    EXPECT_EQ(Run("&print(x)").message, kError47);
}

// --- log ---

class EventLogTest : public SystemFunctionsTest {
protected:
    EventLogTest() : m_oldClock(platform::SetTimeSource(FixedClock)) {
        const char* tz = std::getenv("TZ");
        if (tz != nullptr) m_oldTz = tz;
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }
    ~EventLogTest() override {
        platform::SetTimeSource(m_oldClock);
        if (m_oldTz) {
            ::setenv("TZ", m_oldTz->c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }

    platform::TimeSource m_oldClock;
    std::optional<std::string> m_oldTz;
};

TEST_F(EventLogTest, LogAppendsLinesWhateverTheEventLogSetting) {
    m_project.SetProjectKey(project_key::listen, 0);
    std::string error;
    ASSERT_TRUE(g_settings.Set(kGlobalSection, global_key::logen, 0, &error)) << error;
    ASSERT_TRUE(m_project.WriteFile("../logfile.txt", "older line\r\n"));
    const Outcome outcome =
        Run("&log(\"started ?v?\")&log(\"\")<flog \"ERROR 77 seen\">", {{"v", "caf\xC3\xA9"}});
    EXPECT_EQ(outcome.message, kComplete);
    EXPECT_EQ(EventLog(),
              "older line\r\n"
              "01/02/26 03:04:05  <default> started caf\xC3\xA9\r\n"
              "01/02/26 03:04:05  <default> \r\n"
              "01/02/26 03:04:05  <default> ERROR 77 seen\r\n");
}

TEST_F(EventLogTest, LogLineUsesLocalTimeAndTheWholeProjectName) {
    ::setenv("TZ", "EST5", 1);
    ::tzset();
    g_strProject.Set("my site");
    const Outcome outcome = Run("&log(\"x\")");
    g_strProject.Set(std::string(ScriptTestProject::kProjectName));
    EXPECT_EQ(outcome.message, kComplete);
    EXPECT_EQ(EventLog(), "01/01/26 22:04:05  <my site> x\r\n");
}

TEST_F(EventLogTest, LogThatCannotBeWrittenIsSkippedSilently) {
    g_strProgramDir = m_project.PathOf("no/such/dir");
    const Outcome outcome = Run("&log(\"x\")&print(\"after\")");
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.message, kComplete);
    EXPECT_EQ(Run("&log(x)").message, kError47);
}

// --- exec ---

TEST_F(SystemFunctionsTest, ExecRunsThroughTheShellInTheProjectDirectoryAndWaits) {
    const Outcome outcome = Run(
        "&exec(\"sleep 0.2; pwd > where.txt\")&exec(\"exit 3\")&exec(\"no-such-command-x 2>/dev/"
        "null\")&exec(\"echo ?v? >> unquoted.txt\")",
        {{"v", "a > unquoted.txt; echo b"}});
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.message, kComplete);
    EXPECT_EQ(m_project.ReadFile("where.txt"), m_project.Dir() + "\n");
    // The substituted value is not quoted: the shell runs its second command too.
    EXPECT_EQ(m_project.ReadFile("unquoted.txt"), "a\nb\n");
}

TEST_F(SystemFunctionsTest, ExecChildInheritsNoDescriptorsAndDefaultSignals) {
    const int leaked = ::open("/dev/null", O_RDONLY);  // no close-on-exec, on purpose
    ASSERT_GE(leaked, 3);
    struct sigaction ignore {};
    struct sigaction old {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, &old);
    const Outcome outcome =
        Run("&exec(\"if [ -e /proc/$$/fd/" + std::to_string(leaked) +
            " ]; then echo inherited; else echo closed; fi > fd.txt; grep SigIgn /proc/$$/status > "
            "sig.txt\")");
    ::sigaction(SIGPIPE, &old, nullptr);
    ::close(leaked);
    EXPECT_EQ(outcome.message, kComplete);
    EXPECT_EQ(m_project.ReadFile("fd.txt"), "closed\n");
    const std::string sig = m_project.ReadFile("sig.txt").value_or("");
    ASSERT_TRUE(sig.starts_with("SigIgn:")) << sig;
    const unsigned long long ignored = std::stoull(sig.substr(7), nullptr, 16);
    EXPECT_EQ(ignored & (1ull << (SIGPIPE - 1)), 0u) << sig;
}

// An argument the kernel refuses to pass (over 128 KiB) means the shell cannot be started.
TEST_F(SystemFunctionsTest, ExecFailsWhenTheShellCannotStart) {
    const Outcome outcome = Run("&exec(\"echo ?big?\")", {{"big", std::string(200000, 'x')}});
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.message, kError93);
    EXPECT_EQ(Run("&exec(true)").message, kError47);
}

// --- sleep ---

TEST_F(SystemFunctionsTest, SleepPausesForPositiveTimesOnly) {
    for (const char* call : {"&sleep(0)", "&sleep(-5)", "&sleep(-1e300)", "&sleep(0.9)"}) {
        SCOPED_TRACE(call);
        EXPECT_EQ(Run(call).message, kComplete);
    }
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Run("&sleep(50)&sleep(?t?)", {{"t", "30.7"}}).message, kComplete);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(80));
    EXPECT_EQ(Run("&sleep(\"x\")").result, 0);
}

// --- runscript ---

TEST_F(SystemFunctionsTest, RunscriptRunsAChildThatSharesNothing) {
    ASSERT_TRUE(m_project.WriteFile("sub/child.scp",
                                    "&html(\"c.html\"){child}&defvar(?c?)&print(\"in child\")"));
    FakeMainWindow window;
    const Outcome outcome =
        Run("&print(\"before\")&runscript(\"sub\\\\child.scp\")&html(\"p.html\"){"
            "?m?}&print(\"after\")",
            {{"m", "parent"}}, window.Queue());
    window.Stop();
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.message, kComplete);
    EXPECT_EQ(m_project.Page("c.html"), "child");
    EXPECT_EQ(m_project.Page("p.html"), "parent");
    // The child's status lines reach the parent's window.
    EXPECT_EQ(window.View(), (std::vector<std::string>{"before", "in child", "after"}));
    EXPECT_EQ(m_project.GeneratedFiles(), "c.html\r\np.html\r\n");

    // The child's variables are gone afterwards; the parent's are unknown in the child.
    EXPECT_EQ(Run("&runscript(\"sub/child.scp\")?c?").message, kError54);
    ASSERT_TRUE(m_project.WriteFile("uses.scp", "?m?"));
    EXPECT_EQ(Run("&runscript(\"uses.scp\")", {{"m", "parent"}}).message, kError99);
}

TEST_F(SystemFunctionsTest, RunscriptGivesTheChildsFinalMessage) {
    // A return ends the child successfully; its message is the parent's until the next call.
    ASSERT_TRUE(m_project.WriteFile("ret.scp", "&return()"));
    EXPECT_EQ(Run("&runscript(\"ret.scp\")").message, kComplete);
    ASSERT_TRUE(m_project.WriteFile("empty.scp", ""));
    EXPECT_EQ(Run("&runscript(\"empty.scp\")").message, kComplete);
}

TEST_F(SystemFunctionsTest, RunscriptFailures) {
    ASSERT_TRUE(m_project.WriteFile("dies.scp", "&die(\"child died\")"));
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"&runscript(\"missing.scp\")", kError99},
        {"&runscript(\"dies.scp\")", kError99},
        {"&runscript(missing.scp)", kError47},
        {"&runscript(\"?nope?\")", kError54},
    };
    for (const auto& [script, message] : cases) {
        SCOPED_TRACE(script);
        const Outcome outcome = Run(script);
        EXPECT_EQ(outcome.result, 0);
        EXPECT_EQ(outcome.message, message);
    }
}

// A failed child's output stays listed, so the run after a good one does not delete it as stale;
// the parent's error handler takes ERROR 99 and reads it back with geterror.
TEST_F(SystemFunctionsTest, FailedChildKeepsItsOutputAndIsHandled) {
    m_project.SetProjectKey(project_key::delh, 1);
    m_project.SetProjectKey(project_key::listen, 1);
    const std::string parent =
        "&runscript(\"child.scp\")&html(\"p.html\"){n=?n?}"
        "&defsub(\"on_error\"){&geterror(?n?,0)&ignore}";
    ASSERT_TRUE(m_project.WriteFile("child.scp", "&html(\"c.html\"){first}"));
    EXPECT_EQ(Run(parent, {{"n", "none"}}).message, kComplete);
    EXPECT_EQ(m_project.Page("p.html"), "n=none");

    ASSERT_TRUE(m_project.WriteFile("child.scp", "&html(\"c.html\"){second}&die(\"child died\")"));
    const Outcome outcome = Run(parent, {{"n", "none"}});
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.message, kComplete);
    EXPECT_EQ(m_project.Page("p.html"), "n=99");
    EXPECT_EQ(m_project.Page("c.html"), "second");
    EXPECT_EQ(m_project.GeneratedFiles(), "c.html\r\np.html\r\n");
    // The child's own report is in its section of the listing.
    EXPECT_NE(m_project.Listing().find("child died"), std::string::npos) << m_project.Listing();
}

TEST_F(SystemFunctionsTest, RunscriptStartsNoChildAtTheDepthLimit) {
    ASSERT_TRUE(m_project.WriteFile("child.scp", "&html(\"c.html\"){child}"));
    ASSERT_TRUE(m_project.WriteFile("parent.scp", "&runscript(\"child.scp\")"));
    const script_testing::ScriptRun below =
        m_project.RunFile("parent.scp", CFnRunscript::kMaxLevel - 1);
    EXPECT_EQ(below.message, kComplete);
    EXPECT_EQ(m_project.Page("c.html"), "child");

    ASSERT_EQ(std::filesystem::remove(m_project.PathOf("html/c.html")), true);
    const script_testing::ScriptRun at = m_project.RunFile("parent.scp", CFnRunscript::kMaxLevel);
    EXPECT_EQ(at.result, 0);
    EXPECT_EQ(at.message, kError99);
    EXPECT_FALSE(m_project.Page("c.html"));
}

// A script that runs itself stops at the limit: levels 0 to 32 run, each one once.
TEST_F(SystemFunctionsTest, ScriptRunningItselfEndsWithError99) {
    ASSERT_TRUE(
        m_project.WriteFile("self.scp", "&exec(\"echo x >> count.txt\")&runscript(\"self.scp\")"));
    const script_testing::ScriptRun run = m_project.RunFile("self.scp");
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.message, kError99);
    std::string expected;
    for (int level = 0; level <= CFnRunscript::kMaxLevel; ++level)
        expected += "x\n";
    EXPECT_EQ(m_project.ReadFile("count.txt"), expected);
}

// Every level of the chain nests as deep as allowed before it starts the next: a subroutine
// recursion whose calls each hold a repeat and an if block, so every call takes three block
// levels. The task thread's stack must hold the 33 interpreters at their deepest at once.
TEST_F(SystemFunctionsTest, DeepestRunscriptChainFitsTheTaskThreadStack) {
    constexpr int kLevelsPerCall = 3;
    const int calls = (CScriptInterpreter::kMaxNesting - 1) / kLevelsPerCall;
    ASSERT_TRUE(
        m_project.WriteFile("deep.scp",
                            "&defsub(\"r\"){&repeat(1){&if(?argv?>0){&r(?argv?-1)}&else{"
                            "&exec(\"echo x >> deepest.txt\")&runscript(\"deep.scp\")}}}&r(" +
                                std::to_string(calls - 1) + ")"));
    script_testing::ScriptRun run;
    ASSERT_TRUE(script_testing::RunOnLargeStack([&] { run = m_project.RunFile("deep.scp"); }));
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.message, kError99);
    // Every level reached its deepest block, so none stopped early at the nesting limit.
    std::string expected;
    for (int level = 0; level <= CFnRunscript::kMaxLevel; ++level)
        expected += "x\n";
    EXPECT_EQ(m_project.ReadFile("deepest.txt"), expected);
}

// A child run leaves the cancel flag as it finds it: a cancel requested during the parent's run
// stops the child at once.
class CancellingPrompter : public CPrompter {
public:
    int MessageBox(platform::MessageQueue*, std::string_view, std::string_view, int) override {
        g_bCancelRequested = true;
        return prompt_answer::kOk;
    }
    std::optional<std::string> Input(platform::MessageQueue*, std::string_view, std::string_view,
                                     std::string_view) override {
        return std::nullopt;
    }
};

TEST_F(SystemFunctionsTest, ChildLeavesTheCancelFlagAlone) {
    ASSERT_TRUE(m_project.WriteFile("child.scp", "&html(\"c.html\"){child}"));
    CancellingPrompter cancelling;
    const CScopedPrompter install(cancelling);
    const Outcome outcome = Run("&msgbox(\"cancel now\")&runscript(\"child.scp\")");
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.message, kError99);
    EXPECT_TRUE(g_bCancelRequested);
    EXPECT_FALSE(m_project.Page("c.html"));
}

// --- geterror ---

TEST_F(SystemFunctionsTest, GeterrorReadsTheLastErrorMessage) {
    struct Case {
        const char* name;
        std::optional<std::string> stored;  // lstprojerrmsg; nullopt: never set (first row)
        std::string full;
        std::string number;
    };
    const std::vector<Case> cases = {
        {"missing", std::nullopt, "", "0"},
        {"numbered", kError68, kError68, "68"},
        {"no blank after ERROR", "ERROR65- an undefined error occurred whilst running script file.",
         "ERROR65- an undefined error occurred whilst running script file.", "65"},
        {"not an error", kComplete, kComplete, "0"},
        {"lower case", "error 5- x", "error 5- x", "0"},
        {"no digits", "ERROR - x", "ERROR - x", "0"},
        {"no dash", "ERROR 123", "ERROR 123", "123"},
        {"UTF-8 text", "ERROR 7- caf\xC3\xA9", "ERROR 7- caf\xC3\xA9", "7"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.stored) m_project.SetProjectKey(project_key::lstprojerrmsg, *c.stored);
        const Outcome outcome =
            Run("&geterror(?full?)&geterror(?number?,0)&geterror(?one?,1)&geterror(?half?,0.5)",
                {{"full", "-"}, {"number", "-"}, {"one", "-"}, {"half", "-"}});
        EXPECT_EQ(outcome.message, kComplete);
        EXPECT_EQ(outcome.vars.at("full"), c.full);
        EXPECT_EQ(outcome.vars.at("one"), c.full);
        EXPECT_EQ(outcome.vars.at("number"), c.number);
        EXPECT_EQ(outcome.vars.at("half"), c.number);
    }
    EXPECT_EQ(Run("&geterror(?nope?)").message, kError54);
    EXPECT_EQ(Run("&geterror(a)").message, kError48);
}

}  // namespace

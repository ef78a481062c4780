#include "quarn/script/functions/system_functions.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "platform/shell_command.h"
#include "quarn/script/functions/function_support.h"
#include "quarn/script/script_interpreter.h"
#include "quarn/services/event_log.h"
#include "quarn/services/notifications.h"
#include "quarn/services/program_context.h"
#include "quarn/services/prompt.h"
#include "quarn/services/settings.h"
#include "quarn/services/settings_keys.h"

using namespace script_result;
using namespace script_functions;

namespace {

constexpr int kCommandFailed = 93;
constexpr int kChildFailed = 99;

// The number of a numbered message: the digits after "ERROR" and an optional blank; "0" for a
// message that does not begin with "ERROR" or has no digits there.
std::string ErrorNumber(std::string_view message) {
    constexpr std::string_view kError = "ERROR";
    if (!message.starts_with(kError)) return "0";
    message.remove_prefix(kError.size());
    if (message.starts_with(' ')) message.remove_prefix(1);
    std::size_t digits = 0;
    while (digits < message.size() && message[digits] >= '0' && message[digits] <= '9')
        ++digits;
    return digits == 0 ? "0" : std::string(message.substr(0, digits));
}

ScriptResult StoreIn(CScriptInterpreter& interp, std::string_view target, std::string_view value) {
    return interp.SetVariable(target, value) ? kDone : kFailed;
}

}  // namespace

// --- msgbox ---

CFnMsgbox::CFnMsgbox(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnMsgbox::~CFnMsgbox() = default;

ScriptResult CFnMsgbox::Execute() {
    CScriptInterpreter& interp = *m_pInterp;
    if (!CheckArgCount(interp, 1, 3)) return kFailed;
    const int count = interp.m_nArgCount;
    int type = 0;
    if (count > 1 && !EvalIntArg(interp, Arg(interp, count - 1), type)) return kFailed;
    if (!interp.EvalStringArg(Arg(interp, count == 1 ? 0 : count - 2))) return kFailed;
    const std::string text = interp.m_strMessage;
    const int button =
        CurrentPrompter().MessageBox(interp.m_hNotifyWnd, text, g_strProgramTitle.Get(), type);
    return count == 3 ? StoreIn(interp, Arg(interp, 0), std::to_string(button)) : kDone;
}

// --- input ---

CFnInput::CFnInput(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnInput::~CFnInput() = default;

ScriptResult CFnInput::Execute() {
    CScriptInterpreter& interp = *m_pInterp;
    if (!CheckArgCount(interp, 1, 2)) return kFailed;
    std::string prompt;
    if (interp.m_nArgCount == 2) {
        if (!interp.EvalStringArg(Arg(interp, 1))) return kFailed;
        prompt = interp.m_strMessage;
    }
    const std::optional<std::string> answer =
        CurrentPrompter().Input(interp.m_hNotifyWnd, prompt, g_strProgramTitle.Get(), "");
    return answer ? StoreIn(interp, Arg(interp, 0), *answer) : kDone;
}

// --- print, cls ---

CFnPrint::CFnPrint(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnPrint::~CFnPrint() = default;

ScriptResult CFnPrint::Execute() {
    CScriptInterpreter& interp = *m_pInterp;
    if (!CheckArgCount(interp, 0, 1)) return kFailed;
    std::string line = " ";
    if (interp.m_nArgCount == 1) {
        if (!interp.EvalStringArg(Arg(interp, 0))) return kFailed;
        line = interp.m_strMessage;
    }
    if (interp.m_hNotifyWnd != nullptr) PostStatusText(*interp.m_hNotifyWnd, std::move(line));
    return kDone;
}

CFnCls::CFnCls(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnCls::~CFnCls() = default;

ScriptResult CFnCls::Execute() {
    CScriptInterpreter& interp = *m_pInterp;
    if (!CheckArgCount(interp, 0, 0)) return kFailed;
    if (interp.m_hNotifyWnd != nullptr)
        interp.m_hNotifyWnd->Post(WM_FRAMENOTIFY, FRAME_CLEAR_VIEW, 0);
    return kDone;
}

// --- log ---

CFnLog::CFnLog(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnLog::~CFnLog() = default;

ScriptResult CFnLog::Execute() {
    CScriptInterpreter& interp = *m_pInterp;
    if (!CheckArgCount(interp, 1, 1)) return kFailed;
    if (!interp.EvalStringArg(Arg(interp, 0))) return kFailed;
    AppendEventLog(interp.m_strMessage);
    return kDone;
}

// --- exec, sleep ---

CFnExec::CFnExec(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnExec::~CFnExec() = default;

ScriptResult CFnExec::Execute() {
    CScriptInterpreter& interp = *m_pInterp;
    if (!CheckArgCount(interp, 1, 1)) return kFailed;
    if (!interp.EvalStringArg(Arg(interp, 0))) return kFailed;
    return platform::RunShellCommand(interp.m_strMessage) ? kDone : Fail(interp, kCommandFailed);
}

CFnSleep::CFnSleep(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnSleep::~CFnSleep() = default;

ScriptResult CFnSleep::Execute() {
    CScriptInterpreter& interp = *m_pInterp;
    if (!CheckArgCount(interp, 1, 1)) return kFailed;
    int milliseconds = 0;
    if (!EvalIntArg(interp, Arg(interp, 0), milliseconds)) return kFailed;
    if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    return kDone;
}

// --- runscript ---

CFnRunscript::CFnRunscript(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnRunscript::~CFnRunscript() = default;

ScriptResult CFnRunscript::Execute() {
    CScriptInterpreter& interp = *m_pInterp;
    if (!CheckArgCount(interp, 1, 1)) return kFailed;
    if (!interp.EvalStringArg(Arg(interp, 0))) return kFailed;
    if (interp.m_nLevel >= kMaxLevel) return Fail(interp, kChildFailed);
    const std::string file = interp.m_strMessage;
    // On the heap: a chain of children keeps every level's interpreter alive at once.
    auto child = std::make_unique<CScriptInterpreter>(interp.m_hNotifyWnd);
    child->m_nListingLimit = interp.m_nListingLimit;
    const int ok = child->RunScript(file, interp.m_nLevel + 1);
    interp.m_strMessage = std::move(child->m_strMessage);
    return ok ? kDone : Fail(interp, kChildFailed);
}

// --- geterror ---

CFnGeterror::CFnGeterror(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnGeterror::~CFnGeterror() = default;

ScriptResult CFnGeterror::Execute() {
    CScriptInterpreter& interp = *m_pInterp;
    if (!CheckArgCount(interp, 1, 2)) return kFailed;
    int full = 1;
    if (interp.m_nArgCount == 2 && !EvalIntArg(interp, Arg(interp, 1), full)) return kFailed;
    const std::string message = g_settings.Get(g_strProject.Get(), project_key::lstprojerrmsg);
    return StoreIn(interp, Arg(interp, 0), full == 0 ? ErrorNumber(message) : message);
}

#include "quarn/script/functions/control_functions.h"

#include <string>
#include <string_view>
#include <vector>

#include "platform/ascii.h"
#include "quarn/script/functions/function_support.h"
#include "quarn/script/number_text.h"
#include "quarn/script/script_interpreter.h"
#include "quarn/services/messages.h"

using namespace script_result;
using namespace script_functions;

namespace {

constexpr int kDoWithoutWhile = 69;
constexpr int kUnknownSubroutine = 77;
constexpr int kBreakOutsideLoop = 84;
constexpr int kContinueOutsideLoop = 85;
constexpr int kUnknownOperator = 86;
constexpr int kDied = 87;
constexpr int kElseWithoutIf = 91;
constexpr int kOutsideHandler = 118;

// m_nIfState values: the last branch ran, it was skipped, or no chain is open.
constexpr int kBranchRan = 1;
constexpr int kBranchSkipped = 0;
constexpr int kNoChain = 3;

// The truth of if, elseif, loop and while: the number truncated toward zero, without wrapping,
// is not 0.
bool IsTrue(std::string_view number) {
    return TruncateToInt(NumberFromText(number)) != 0;
}

// if and elseif once the block is open and the condition is known.
ScriptResult RunIfBranch(CScriptInterpreter& interp, bool isElseif, bool condition) {
    if (isElseif) {
        if (interp.m_nIfState == kNoChain) return Fail(interp, kElseWithoutIf);
        if (interp.m_nIfState == kBranchRan) return SkipRestOfBlock(interp);
    }
    if (condition) {
        const ScriptResult result = RunClosedBlock(interp);
        interp.m_nIfState = kBranchRan;
        return result;
    }
    if (!interp.SkipBlock()) return kFailed;
    if (!isElseif) interp.m_nIfState = kBranchSkipped;
    return kDone;
}

// A loop whose condition is false before a pass: skip its block from the body, done.
ScriptResult SkipLoopBody(CScriptInterpreter& interp, int body) {
    interp.m_nPos = body;
    return SkipRestOfBlock(interp);
}

}  // namespace

// --- if / elseif with one condition ---

CFnIf::CFnIf(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnIf::~CFnIf() = default;

ScriptResult CFnIf::Execute(int mode) {
    CScriptInterpreter& interp = *m_pInterp;
    if (!CheckArgCount(interp, 1, 1)) return kFailed;
    if (!interp.ExpectBlockOpen()) return kFailed;
    if (!interp.EvalNumberArg(Arg(interp, 0))) return kFailed;
    return RunIfBranch(interp, mode == 1, IsTrue(interp.m_strMessage));
}

// --- strcmp, and if / elseif with comparisons ---

CFnStrcmp::CFnStrcmp(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnStrcmp::~CFnStrcmp() = default;

ScriptResult CFnStrcmp::Execute(int mode) {
    CScriptInterpreter& interp = *m_pInterp;
    const bool isStrcmp = mode == 0;
    // strcmp takes its result variable before the triples.
    m_nNextArg = isStrcmp ? 1 : 0;
    const int tripleArgs = interp.m_nArgCount - m_nNextArg;
    if (tripleArgs < 3 || (tripleArgs - 3) % 4 != 0) return Fail(interp, kArgumentCount);
    if (!EvaluateTriples()) return kFailed;
    if (isStrcmp) return interp.SetVariable(Arg(interp, 0), m_bResult ? "1" : "0");
    if (!interp.ExpectBlockOpen()) return kFailed;
    return RunIfBranch(interp, mode == 2, m_bResult);
}

int CFnStrcmp::EvaluateTriples() {
    CScriptInterpreter& interp = *m_pInterp;
    m_bResult = false;
    m_strJoin = "or";
    for (;;) {
        bool truth = false;
        if (!CompareTriple(truth)) return 0;
        // No precedence: each triple joins the result so far.
        if (m_strJoin == "or") {
            m_bResult = m_bResult || truth;
        } else if (m_strJoin == "and") {
            m_bResult = m_bResult && truth;
        } else {
            return Fail(interp, kUnknownOperator);
        }
        m_nNextArg += 3;
        if (m_nNextArg >= interp.m_nArgCount) return 1;
        m_strJoin = platform::AsciiLowered(Arg(interp, m_nNextArg));
        ++m_nNextArg;
    }
}

int CFnStrcmp::CompareTriple(bool& truth) {
    CScriptInterpreter& interp = *m_pInterp;
    const auto arg = [&](int offset) -> const std::string& {
        return Arg(interp, m_nNextArg + offset);
    };
    if (!interp.EvalStringArg(arg(0))) return 0;
    std::string left = interp.m_strMessage;
    if (!interp.EvalStringArg(arg(2))) return 0;
    std::string right = interp.m_strMessage;
    std::string op = platform::AsciiLowered(arg(1));
    constexpr std::string_view kNoCase = ".nc";
    if (op.size() >= kNoCase.size() &&
        op.compare(op.size() - kNoCase.size(), kNoCase.size(), kNoCase) == 0) {
        op.resize(op.size() - kNoCase.size());
        left = platform::AsciiLowered(left);
        right = platform::AsciiLowered(right);
    }
    // std::string compares bytes as unsigned values.
    if (op == "eq") {
        truth = left == right;
    } else if (op == "ne") {
        truth = left != right;
    } else if (op == "lt") {
        truth = left < right;
    } else if (op == "gt") {
        truth = left > right;
    } else if (op == "in") {
        truth = right.find(left) != std::string::npos;
    } else if (op == "ni") {
        truth = right.find(left) == std::string::npos;
    } else {
        return Fail(interp, kUnknownOperator);
    }
    return 1;
}

// --- else ---

CFnElse::CFnElse(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnElse::~CFnElse() = default;

ScriptResult CFnElse::Execute() {
    CScriptInterpreter& interp = *m_pInterp;
    const int oldState = interp.m_nIfState;
    interp.m_nIfState = kNoChain;
    if (!CheckArgCount(interp, 0, 0)) return kFailed;
    if (oldState == kNoChain) return Fail(interp, kElseWithoutIf);
    if (!interp.ExpectBlockOpen()) return kFailed;
    if (oldState == kBranchSkipped) return RunClosedBlock(interp);
    return SkipRestOfBlock(interp);
}

// --- for ---

CFnFor::CFnFor(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnFor::~CFnFor() = default;

ScriptResult CFnFor::Execute() {
    CScriptInterpreter& interp = *m_pInterp;
    if (!CheckArgCount(interp, 4, 4)) return kFailed;
    if (!interp.ExpectBlockOpen()) return kFailed;
    m_nBody = interp.m_nPos;
    // The body's calls overwrite the argument list; the texts are evaluated afresh each pass.
    m_strVarRef = Arg(interp, 0);
    m_strCond = Arg(interp, 2);
    m_strStep = Arg(interp, 3);
    if (!interp.EvalNumberArg(Arg(interp, 1))) return kFailed;
    if (!interp.SetVariable(m_strVarRef, interp.m_strMessage)) return kFailed;
    for (;;) {
        interp.m_nPos = m_nBody;
        double condition = 0;
        if (!EvalDoubleArg(interp, m_strCond, condition)) return kFailed;
        if (condition == 0.0) return SkipLoopBody(interp, m_nBody);
        const ScriptResult result = RunLoopPass(interp, m_nBody);
        if (result != kNextPass) return result;
        if (!ApplyStep()) return kFailed;
    }
}

int CFnFor::ApplyStep() {
    CScriptInterpreter& interp = *m_pInterp;
    double step = 0;
    if (!EvalDoubleArg(interp, m_strVarRef, m_dValue)) return 0;
    if (!EvalDoubleArg(interp, m_strStep, step)) return 0;
    m_dValue += step;
    return interp.SetVariable(m_strVarRef, FormatNumber(m_dValue));
}

// --- do ... while ---

CFnDo::CFnDo(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnDo::~CFnDo() = default;

ScriptResult CFnDo::Execute() {
    CScriptInterpreter& interp = *m_pInterp;
    if (!CheckArgCount(interp, 0, 0)) return kFailed;
    if (!interp.ExpectBlockOpen()) return kFailed;
    m_nBody = interp.m_nPos;
    for (;;) {
        const ScriptResult result = RunLoopPass(interp, m_nBody, m_nLast);
        if (m_nLast == kBreak && result == kDone) {
            m_bCondition = false;
            return ReadWhile(false) ? kDone : kFailed;
        }
        if (result != kNextPass) return result;
        if (!ReadWhile(true)) return kFailed;
        if (!m_bCondition) return kDone;
    }
}

int CFnDo::ReadWhile(bool evaluate) {
    CScriptInterpreter& interp = *m_pInterp;
    const auto size = static_cast<int>(interp.m_strText.size());
    const auto at = [&](int pos) {
        return pos < size ? interp.m_strText[static_cast<std::size_t>(pos)] : '\0';
    };
    // Past the block's last character and the white space after it.
    ++interp.m_nPos;
    while (interp.m_nPos < size && static_cast<unsigned char>(at(interp.m_nPos)) <= ' ')
        ++interp.m_nPos;
    const int start = interp.m_nPos;
    const char first = at(start);
    const bool isTag = first == '<' && (at(start + 1) == 'f' || at(start + 1) == 'F');
    if (first != '&' && !isTag) return Fail(interp, kDoWithoutWhile);
    interp.m_nErrorPos = start;
    interp.m_bTagForm = isTag ? 1 : 0;
    interp.m_nPos = start + (isTag ? 2 : 1);
    if (!interp.ReadFunctionName()) return 0;
    m_strName = platform::AsciiLowered(interp.m_strFuncName);
    if (m_strName != "while") return Fail(interp, kDoWithoutWhile);
    if (!interp.ParseArgs()) return 0;
    if (!evaluate) return 1;
    if (!CheckArgCount(interp, 1, 1)) return 0;
    if (!interp.EvalNumberArg(Arg(interp, 0))) return 0;
    m_bCondition = IsTrue(interp.m_strMessage);
    return 1;
}

// --- loop ---

CFnLoop::CFnLoop(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnLoop::~CFnLoop() = default;

ScriptResult CFnLoop::Execute() {
    CScriptInterpreter& interp = *m_pInterp;
    if (!CheckArgCount(interp, 1, 1)) return kFailed;
    if (!interp.ExpectBlockOpen()) return kFailed;
    m_nBody = interp.m_nPos;
    m_strCond = Arg(interp, 0);
    for (;;) {
        if (!interp.EvalNumberArg(m_strCond)) return kFailed;
        if (!IsTrue(interp.m_strMessage)) return SkipLoopBody(interp, m_nBody);
        const ScriptResult result = RunLoopPass(interp, m_nBody);
        if (result != kNextPass) return result;
    }
}

// --- repeat ---

CFnRepeat::CFnRepeat(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnRepeat::~CFnRepeat() = default;

ScriptResult CFnRepeat::Execute() {
    CScriptInterpreter& interp = *m_pInterp;
    const int argCount = interp.m_nArgCount;
    if (!CheckArgCount(interp, 1, 2)) return kFailed;
    if (!interp.ExpectBlockOpen()) return kFailed;
    m_nBody = interp.m_nPos;
    if (argCount == 2) m_strVarRef = Arg(interp, 0);
    int count = 0;
    if (!EvalIntArg(interp, Arg(interp, argCount - 1), count)) return kFailed;
    if (count <= 0) return SkipLoopBody(interp, m_nBody);
    for (int i = 1; i <= count; ++i) {
        if (argCount == 2 && !interp.SetVariable(m_strVarRef, std::to_string(i))) return kFailed;
        const ScriptResult result = RunLoopPass(interp, m_nBody);
        if (result != kNextPass) return result;
    }
    return kDone;
}

// --- break, continue, return ---

CFnBreak::CFnBreak(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnBreak::~CFnBreak() = default;

ScriptResult CFnBreak::Execute() {
    return CheckArgCount(*m_pInterp, 0, 0) ? kBreak : kFailed;
}

CFnContinue::CFnContinue(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnContinue::~CFnContinue() = default;

ScriptResult CFnContinue::Execute() {
    return CheckArgCount(*m_pInterp, 0, 0) ? kContinue : kFailed;
}

CFnReturn::CFnReturn(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnReturn::~CFnReturn() = default;

ScriptResult CFnReturn::Execute() {
    return CheckArgCount(*m_pInterp, 0, 0) ? kReturn : kFailed;
}

// --- defsub ---

CFnDefsub::CFnDefsub(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnDefsub::~CFnDefsub() = default;

ScriptResult CFnDefsub::Execute() {
    CScriptInterpreter& interp = *m_pInterp;
    if (!CheckArgCount(interp, 1, 1) || !interp.EvalStringArg(Arg(interp, 0))) return kFailed;
    if (!interp.ExpectBlockOpen()) return kFailed;
    return SkipRestOfBlock(interp);
}

// --- gosub and calls of user subroutines ---

CFnGosub::CFnGosub(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnGosub::~CFnGosub() = default;

ScriptResult CFnGosub::Execute(std::string_view name) {
    CScriptInterpreter& interp = *m_pInterp;
    m_strName = name;
    m_nSavedErrorPos = interp.m_nErrorPos;
    m_bSavedTagForm = interp.m_bTagForm;
    m_nAfterName = interp.m_nPos;
    const bool isCallByName = !m_strName.empty();
    // The error handler's call reads no argument list and binds no argv: the position where
    // the failed call stopped holds the rest of the text, not arguments of on_error.
    const bool isHandlerCall = isCallByName && interp.m_bInErrorHandler &&
                               platform::EqualsIgnoringAsciiCase(m_strName, "on_error");
    if (isCallByName) {
        m_strWanted = platform::AsciiLowered(m_strName);
    } else {
        if (!CheckArgCount(interp, 1, 1) || !interp.EvalStringArg(Arg(interp, 0))) return kFailed;
        m_strWanted = platform::AsciiLowered(interp.m_strMessage);
    }

    const ScriptResult found = FindDefinition();
    if (found != kDone) {
        interp.m_bTagForm = m_bSavedTagForm;
        if (found == kFailed) return kFailed;
        interp.m_nErrorPos = m_nSavedErrorPos;
        interp.m_nPos = m_nAfterName;
        interp.m_strMessage = LoadMessage(kUnknownSubroutine, m_strWanted);
        return kBlockEnd;
    }
    const int definition = interp.m_nPos;
    const int definitionTagForm = interp.m_bTagForm;

    int afterCall = m_nAfterName;
    int bound = 0;
    if (isCallByName && !isHandlerCall) {
        // A failure in the call's own arguments is reported at the call, not at the definition.
        const int definitionErrorPos = interp.m_nErrorPos;
        interp.m_nErrorPos = m_nSavedErrorPos;
        interp.m_nPos = m_nAfterName;
        interp.m_bTagForm = m_bSavedTagForm;
        if (!interp.ParseArgs()) return kFailed;
        afterCall = interp.m_nPos;
        if (!BindArguments(bound)) return kFailed;
        interp.m_nErrorPos = definitionErrorPos;
    }

    interp.m_nPos = definition;
    interp.m_bTagForm = definitionTagForm;
    if (!interp.ExpectBlockOpen()) return kFailed;
    const ScriptResult result = RunClosedBlock(interp);
    switch (result) {
        case kFailed:
            return kFailed;
        case kBreak:
            return Fail(interp, kBreakOutsideLoop);
        case kContinue:
            return Fail(interp, kContinueOutsideLoop);
        default:
            break;
    }
    interp.m_nPos = afterCall;
    interp.m_bTagForm = m_bSavedTagForm;
    if (!UnbindArguments(bound)) return kFailed;
    return result == kRetry || result == kIgnore ? result : kDone;
}

ScriptResult CFnGosub::FindDefinition() {
    CScriptInterpreter& interp = *m_pInterp;
    const std::string& text = interp.m_strText;
    const auto size = static_cast<int>(text.size());
    int pos = 0;
    while (pos < size) {
        const char c = text[static_cast<std::size_t>(pos)];
        if (c == '\\') {
            pos += 2;
            continue;
        }
        const char next = pos + 1 < size ? text[static_cast<std::size_t>(pos + 1)] : '\0';
        const bool isTag = c == '<' && (next == 'f' || next == 'F');
        if (c != '&' && !isTag) {
            ++pos;
            continue;
        }
        interp.m_nErrorPos = pos;
        interp.m_bTagForm = isTag ? 1 : 0;
        interp.m_nPos = pos + (isTag ? 2 : 1);
        if (!interp.ReadFunctionName()) return kFailed;
        const int afterName = interp.m_nPos;
        const bool isDefsub = platform::EqualsIgnoringAsciiCase(interp.m_strFuncName, "defsub");
        if (!interp.ParseArgs()) {
            if (isDefsub) return kFailed;
            pos = afterName;
            continue;
        }
        if (isDefsub) {
            if (!CheckArgCount(interp, 1, 1) || !interp.EvalStringArg(Arg(interp, 0))) {
                return kFailed;
            }
            if (platform::EqualsIgnoringAsciiCase(interp.m_strMessage, m_strWanted)) return kDone;
        }
        // ParseArgs leaves the position one before the first character after the call.
        pos = interp.m_nPos + 1;
    }
    return kBlockEnd;
}

int CFnGosub::BindArguments(int& bound) {
    CScriptInterpreter& interp = *m_pInterp;
    // Every value is taken before the first is bound, so an argument that reads ?argv? sees the
    // caller's arguments, not this call's.
    std::vector<std::string> values;
    values.reserve(interp.m_astrArgs.size());
    for (const std::string& raw : interp.m_astrArgs) {
        if (!interp.EvalArg(raw)) return 0;
        values.push_back(interp.m_strMessage);
    }
    for (const std::string& value : values) {
        const bool defined = interp.DefineVariable("argv");
        if (defined) ++bound;
        if (!defined || !interp.SetVariable("?argv?", value)) {
            const std::string message = interp.m_strMessage;
            UnbindArguments(bound);
            bound = 0;
            interp.m_strMessage = message;
            return 0;
        }
    }
    return 1;
}

int CFnGosub::UnbindArguments(int bound) {
    CScriptInterpreter& interp = *m_pInterp;
    for (int i = 0; i < bound; ++i)
        if (!interp.DeleteVariable("?argv?")) return 0;
    return 1;
}

// --- retry, ignore ---

CFnRetry::CFnRetry(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnRetry::~CFnRetry() = default;

ScriptResult CFnRetry::Execute() {
    CScriptInterpreter& interp = *m_pInterp;
    if (!CheckArgCount(interp, 0, 0)) return kFailed;
    return interp.m_bInErrorHandler ? kRetry : Fail(interp, kOutsideHandler);
}

CFnIgnore::CFnIgnore(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnIgnore::~CFnIgnore() = default;

ScriptResult CFnIgnore::Execute() {
    CScriptInterpreter& interp = *m_pInterp;
    if (!CheckArgCount(interp, 0, 0)) return kFailed;
    return interp.m_bInErrorHandler ? kIgnore : Fail(interp, kOutsideHandler);
}

// --- die ---

CFnDie::CFnDie(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnDie::~CFnDie() = default;

ScriptResult CFnDie::Execute() {
    CScriptInterpreter& interp = *m_pInterp;
    if (!CheckArgCount(interp, 0, 1)) return kFailed;
    if (interp.m_nArgCount == 0) return Fail(interp, kDied);
    // The given text, or the failure of evaluating it, is the message.
    interp.EvalStringArg(Arg(interp, 0));
    return kFailed;
}

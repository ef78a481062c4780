#include "quarn/script/functions/variable_functions.h"

#include <algorithm>
#include <climits>
#include <string>
#include <string_view>
#include <utility>

#include "quarn/script/functions/function_support.h"
#include "quarn/script/memory_guard.h"
#include "quarn/script/number_text.h"

using namespace script_functions;
using namespace script_result;

namespace {

constexpr int kZeroLengthSplit = 41;

// Room for `count` more definitions of `name`, so that defining them one by one allocates no
// more. ERROR 120 before anything is allocated when the store would pass kMaxTextLength, and when
// the room cannot be had; the store is unchanged then.
int ReserveDefinitions(CScriptInterpreter& in, std::string_view name, std::size_t count) {
    const std::size_t perDefinition = 2 * sizeof(std::string) + name.size();
    const std::size_t total = in.m_astrVarNames.size() + count;
    if (total > kMaxTextLength / perDefinition) return Fail(in, kOutOfMemory);
    return in.GuardMemory([&] {
        in.m_astrVarNames.reserve(total);
        in.m_astrVarValues.reserve(total);
        return 1;
    });
}

// The number of pieces `text` splits into at `separator` (not empty).
std::size_t CountPieces(std::string_view text, std::string_view separator) {
    std::size_t pieces = 1;
    for (std::size_t at = text.find(separator); at != std::string_view::npos;
         at = text.find(separator, at + separator.size()))
        ++pieces;
    return pieces;
}

// The values of every definition of `name`, oldest first, into `joined`; ERROR 120 when they
// would pass kMaxTextLength or memory runs out.
int JoinValues(CScriptInterpreter& in, std::string_view name, std::string& joined) {
    const auto& names = in.m_astrVarNames;
    const auto& values = in.m_astrVarValues;
    std::size_t total = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] != name) continue;
        total += values[i].size();
        if (total > kMaxTextLength) return Fail(in, kOutOfMemory);
    }
    return in.GuardMemory([&] {
        joined.reserve(total);
        for (std::size_t i = 0; i < names.size(); ++i)
            if (names[i] == name) joined += values[i];
        return 1;
    });
}

// inc and dec: the target as a number (an empty value counts as 0) plus `delta`.
ScriptResult AddToVariable(CScriptInterpreter& in, double delta) {
    if (!CheckArgCount(in, 1, 1)) return kFailed;
    double value = 0;
    if (!EvalDoubleArg(in, Arg(in, 0), value)) return kFailed;
    return in.SetVariable(Arg(in, 0), FormatNumber(value + delta));
}

}  // namespace

ScriptResult CFnDefvar::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    if (!CheckArgCount(in, 1, INT_MAX)) return kFailed;
    for (int i = 0; i < in.m_nArgCount; ++i) {
        if (!in.ParseVariableRef(Arg(in, i))) return kFailed;
        // A negative index defines nothing; none or 0 defines one.
        if (in.m_nRefIndex < 0) continue;
        const std::string name = std::move(in.m_strMessage);
        const int count = std::max(in.m_nRefIndex, 1);
        if (!ReserveDefinitions(in, name, static_cast<std::size_t>(count))) return kFailed;
        for (int n = 0; n < count; ++n)
            if (!in.DefineVariable(name)) return kFailed;
    }
    return kDone;
}

ScriptResult CFnAssign::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    if (in.m_nArgCount < 2 || in.m_nArgCount % 2 != 0) return Fail(in, kArgumentCount);
    for (int i = 0; i < in.m_nArgCount; i += 2) {
        if (!in.EvalArg(Arg(in, i + 1))) return kFailed;
        if (!in.SetVariable(Arg(in, i), in.m_strMessage)) return kFailed;
        in.WriteList(in.m_strMessage);
    }
    return kDone;
}

ScriptResult CFnInc::Execute() {
    return AddToVariable(*m_pInterp, 1);
}

ScriptResult CFnDec::Execute() {
    return AddToVariable(*m_pInterp, -1);
}

ScriptResult CFnDelete::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    if (!CheckArgCount(in, 1, INT_MAX)) return kFailed;
    for (int i = 0; i < in.m_nArgCount; ++i)
        if (!in.DeleteVariable(Arg(in, i))) return kFailed;
    return kDone;
}

ScriptResult CFnArraydelete::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    if (!CheckArgCount(in, 1, INT_MAX)) return kFailed;
    for (int i = 0; i < in.m_nArgCount; ++i)
        if (!in.DeleteArray(Arg(in, i))) return kFailed;
    return kDone;
}

ScriptResult CFnArraysize::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    if (!CheckArgCount(in, 2, 2)) return kFailed;
    // Parsed first, so that a malformed reference fails instead of counting as no array.
    if (!in.ParseVariableRef(Arg(in, 1))) return kFailed;
    const int count = in.CountVariable(Arg(in, 1));
    return in.SetVariable(Arg(in, 0), std::to_string(count));
}

ScriptResult CFnJoin::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    if (!CheckArgCount(in, 2, 2)) return kFailed;
    if (!in.ParseVariableRef(Arg(in, 1))) return kFailed;
    const std::string name = std::move(in.m_strMessage);
    std::string joined;
    if (!JoinValues(in, name, joined)) return kFailed;
    return in.SetVariable(Arg(in, 0), joined);
}

ScriptResult CFnSplit::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    if (!CheckArgCount(in, 2, 3)) return kFailed;
    if (!in.ParseVariableRef(Arg(in, 0))) return kFailed;
    const std::string name = std::move(in.m_strMessage);
    if (!in.EvalStringArg(Arg(in, 1))) return kFailed;
    // Moved, not copied: taking a text of any size allocates nothing.
    const std::string text = std::move(in.m_strMessage);
    std::string separator = " ";
    if (in.m_nArgCount == 3) {
        if (!in.EvalStringArg(Arg(in, 2))) return kFailed;
        separator = std::move(in.m_strMessage);
    }
    if (separator.empty()) return Fail(in, kZeroLengthSplit);
    if (!ReserveDefinitions(in, name, CountPieces(text, separator))) return kFailed;
    std::string_view rest = text;
    for (;;) {
        const std::size_t at = rest.find(separator);
        if (!in.DefineVariable(name)) return kFailed;
        if (!in.SetVariable(Arg(in, 0), rest.substr(0, at))) return kFailed;
        if (at == std::string_view::npos) return kDone;
        rest.remove_prefix(at + separator.size());
    }
}

ScriptResult CFnVoidfunction::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    // Any number of arguments, none included.
    for (int i = 0; i < in.m_nArgCount; ++i) {
        if (!in.ParseVariableRef(Arg(in, i))) return kFailed;
        in.WriteList(in.m_strMessage + "," + std::to_string(in.m_nRefIndex));
    }
    in.WriteList("\r\n");
    return kDone;
}

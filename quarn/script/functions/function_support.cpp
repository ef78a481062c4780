#include "quarn/script/functions/function_support.h"

#include <algorithm>

#include "platform/ascii.h"
#include "quarn/script/number_text.h"
#include "quarn/script/output_page.h"
#include "quarn/services/messages.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"
#include "quarn/services/settings_keys.h"

namespace script_functions {

namespace {

constexpr int kHtmlRootUnusable = 94;
constexpr int kIllegalPath = 95;

}  // namespace

ScriptResult Fail(CScriptInterpreter& interp, int message, std::string_view value) {
    interp.m_strMessage = LoadMessage(message, value);
    return script_result::kFailed;
}

bool ArgCountIn(const CScriptInterpreter& interp, int least, int most) {
    return interp.m_nArgCount >= least && interp.m_nArgCount <= most;
}

int CheckArgCount(CScriptInterpreter& interp, int least, int most) {
    if (ArgCountIn(interp, least, most)) return 1;
    Fail(interp, kArgumentCount);
    return 0;
}

const std::string& Arg(const CScriptInterpreter& interp, int index) {
    return interp.m_astrArgs[static_cast<std::size_t>(index)];
}

int EvalDoubleArg(CScriptInterpreter& interp, std::string_view raw, double& value) {
    if (!interp.EvalNumberArg(raw)) return 0;
    value = NumberFromText(interp.m_strMessage);
    return 1;
}

int EvalIntArg(CScriptInterpreter& interp, std::string_view raw, int& value) {
    double number = 0;
    if (!EvalDoubleArg(interp, raw, number)) return 0;
    value = TruncateToInt(number);
    return 1;
}

std::string Quoted(std::string_view text) {
    std::string quoted = "\"";
    quoted += text;
    quoted += '"';
    return quoted;
}

int OpenHtmlRoot(CScriptInterpreter& interp, std::string& root) {
    root = interp.HtmlRootDir();
    if (!CanEnterDirectory(root)) {
        Fail(interp, kHtmlRootUnusable);
        return 0;
    }
    return 1;
}

int PlaceBelowHtmlRoot(CScriptInterpreter& interp, const std::string& normalName, int noDirectory,
                       std::string& root, OutputPlace& place) {
    if (!OpenHtmlRoot(interp, root)) return 0;
    switch (interp.m_outputRoot.Place(root, normalName, place)) {
        case PlaceResult::kPlaced:
            return 1;
        case PlaceResult::kOutside:
            Fail(interp, kIllegalPath);
            return 0;
        case PlaceResult::kNoDirectory:
            break;
    }
    Fail(interp, noDirectory);
    return 0;
}

ScriptResult SkipRestOfBlock(CScriptInterpreter& interp) {
    return interp.SkipBlock() ? script_result::kDone : script_result::kFailed;
}

ScriptResult RunClosedBlock(CScriptInterpreter& interp) {
    const ScriptResult result = interp.RunBlock();
    return result == script_result::kDone ? Fail(interp, kBlockNotClosed) : result;
}

ScriptResult RunSessionBlock(CScriptInterpreter& interp) {
    using namespace script_result;
    const int body = interp.m_nPos;
    const ScriptResult result = RunClosedBlock(interp);
    switch (result) {
        case kFailed:
            return kFailed;
        case kBreak:
        case kContinue:
        case kReturn:
            interp.m_nPos = body;
            return SkipRestOfBlock(interp);
        case kRetry:
        case kIgnore:
            interp.m_nPos = body;
            return interp.SkipBlock() ? result : kFailed;
        default:
            return kDone;
    }
}

int TextArg(CScriptInterpreter& interp, int index, std::string& out) {
    if (!interp.EvalStringArg(Arg(interp, index))) return 0;
    out = std::move(interp.m_strMessage);
    return 1;
}

ScriptResult RunLoopPass(CScriptInterpreter& interp, int body, ScriptResult& blockResult) {
    using namespace script_result;
    interp.m_nPos = body;
    blockResult = interp.RunBlock();
    switch (blockResult) {
        case kFailed:
        case kReturn:
        case kRetry:
        case kIgnore:
            return blockResult;
        case kDone:
            return Fail(interp, kBlockNotClosed);
        case kBreak:
            interp.m_nPos = body;
            return SkipRestOfBlock(interp);
        case kContinue:
            interp.m_nPos = body;
            return interp.SkipBlock() ? kNextPass : kFailed;
        default:
            return kNextPass;
    }
}

ScriptResult RunLoopPass(CScriptInterpreter& interp, int body) {
    ScriptResult blockResult = script_result::kBlockEnd;
    return RunLoopPass(interp, body, blockResult);
}

}  // namespace script_functions

#include "quarn/script/functions/http_functions.h"

#include <string>

#include "quarn/script/functions/function_support.h"
#include "quarn/script/script_interpreter.h"
#include "quarn/services/http_request.h"

using namespace script_functions;
using namespace script_result;

namespace {

constexpr int kDefaultPort = 80;
constexpr int kHttpError = 119;

}  // namespace

CFnHttp::CFnHttp(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnHttp::~CFnHttp() = default;

ScriptResult CFnHttp::Execute() {
    CScriptInterpreter& interp = *m_pInterp;
    if (!CheckArgCount(interp, 4, 6)) return kFailed;
    if (!interp.EvalStringArg(Arg(interp, 2))) return kFailed;
    const std::string url = interp.m_strMessage;
    if (!interp.EvalStringArg(Arg(interp, 3))) return kFailed;
    const std::string method = interp.m_strMessage;
    int port = kDefaultPort;
    if (interp.m_nArgCount > 4 && !EvalIntArg(interp, Arg(interp, 4), port)) return kFailed;
    std::string body;
    if (interp.m_nArgCount > 5) {
        if (!interp.EvalStringArg(Arg(interp, 5))) return kFailed;
        body = interp.m_strMessage;
    }
    CHttpRequest request;
    if (!request.Send(url, method, port, body)) return Fail(interp, kHttpError);
    if (!interp.SetVariable(Arg(interp, 0), request.GetHeader())) return kFailed;
    return interp.SetVariable(Arg(interp, 1), request.GetBody()) ? kDone : kFailed;
}

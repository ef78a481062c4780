#include "quarn/script/functions/dialup_function.h"

#include "quarn/script/functions/function_support.h"
#include "quarn/script/script_interpreter.h"
#include "quarn/services/ras_dialer.h"

using namespace script_result;
using namespace script_functions;

namespace {

// Hangs up what `dialer` dialled when the call ends, however it ends.
class HangUpOnExit {
public:
    explicit HangUpOnExit(CRasDialer& dialer) : m_dialer(dialer) {}
    ~HangUpOnExit() { m_dialer.HangUp(); }
    HangUpOnExit(const HangUpOnExit&) = delete;
    HangUpOnExit& operator=(const HangUpOnExit&) = delete;

private:
    CRasDialer& m_dialer;
};

}  // namespace

CFnDialup::CFnDialup(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnDialup::~CFnDialup() = default;

ScriptResult CFnDialup::Execute() {
    CScriptInterpreter& interp = *m_pInterp;
    if (!CheckArgCount(interp, 0, 1)) return kFailed;
    int dial = 1;
    if (interp.m_nArgCount == 1 && !EvalIntArg(interp, Arg(interp, 0), dial)) return kFailed;
    if (!interp.ExpectBlockOpen()) return kFailed;
    if (dial == 0) return RunClosedBlock(interp);
    CRasDialer dialer(interp.m_hNotifyWnd);
    if (!dialer.Dial()) {
        interp.m_strMessage = dialer.m_strMessage;
        return kFailed;
    }
    const HangUpOnExit hangUp(dialer);
    return RunClosedBlock(interp);
}

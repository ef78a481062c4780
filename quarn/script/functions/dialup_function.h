#pragma once
// dialup ([dial]) { block }: brings the Internet connection of the program settings up around
// its block (CRasDialer) and takes it down afterwards when it brought it up itself, whatever way
// the block ends. With dial 0 the block runs alone. Built by Dispatch for one call and destroyed
// after Execute; on 0 the message is in the interpreter's m_strMessage. Dialling blocks the task
// thread.

#include "quarn/script/script_result.h"

class CScriptInterpreter;

// A failed dial fails the call with the dialer's message, and the block does not run. The block's
// result is passed on (a text that ends inside it: ERROR 79).
class CFnDialup {
public:
    explicit CFnDialup(CScriptInterpreter& interp);
    virtual ~CFnDialup();
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

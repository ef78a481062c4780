#pragma once
// The variable and array built-ins: defining, setting, counting and removing script variables,
// and splitting a text into an array or joining one. An array is every definition of one name,
// element n the n-th oldest; targets are references as written ("?name?", "?name[index]?") and go
// to the interpreter's variable store unexpanded.
//
// Each class is built by Dispatch on its stack for one call; Execute returns a ScriptResult
// with the message in the interpreter's m_strMessage. A failing step ends the call and keeps what
// the steps before it did (earlier pairs of assign, earlier elements of split). Definitions that
// would pass the store's size limit fail with ERROR 120 before anything is allocated.

#include "quarn/script/script_interpreter.h"

// defvar (target, ...): each target's name defined index times (no index or 0: once).
class CFnDefvar {
public:
    explicit CFnDefvar(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnDefvar() = default;
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// assign (target, value, ...): quoted values as text, others as expressions; each change listed.
class CFnAssign {
public:
    explicit CFnAssign(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnAssign() = default;
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// inc (target): the target's number plus 1.
class CFnInc {
public:
    explicit CFnInc(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnInc() = default;
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// dec (target): the target's number minus 1.
class CFnDec {
public:
    explicit CFnDec(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnDec() = default;
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// delete (target, ...): the newest definition of each name, whatever the index says.
class CFnDelete {
public:
    explicit CFnDelete(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnDelete() = default;
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// arraydelete (target, ...): every definition of each name.
class CFnArraydelete {
public:
    explicit CFnArraydelete(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnArraydelete() = default;
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// arraysize (target, array): the number of definitions of the array's name, 0 when none.
class CFnArraysize {
public:
    explicit CFnArraysize(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnArraysize() = default;
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// join (target, array): the elements' values, oldest first, with nothing between them.
class CFnJoin {
public:
    explicit CFnJoin(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnJoin() = default;
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// split (target, text [, separator]): one new definition of the target's name per piece (the
// separator defaults to a blank), each piece stored in the occurrence the target picks.
class CFnSplit {
public:
    explicit CFnSplit(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnSplit() = default;
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// voidfunction (reference, ...): lists each reference's name and index ("a,0b,2"), then a line
// break.
class CFnVoidfunction {
public:
    explicit CFnVoidfunction(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnVoidfunction() = default;
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

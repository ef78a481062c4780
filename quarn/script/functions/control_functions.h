#pragma once
// The control-flow built-ins: conditions, loops, subroutines and the error-handler answers.
// Each object is built by Dispatch for one call, with m_nPos just after the call's argument
// list, and destroyed after Execute. Results are ScriptResult codes; on 0 the message is in the
// interpreter's m_strMessage.
//
// Blocks are run and skipped through the interpreter's ExpectBlockOpen, RunBlock and SkipBlock;
// break, continue and return travel up as results to the nearest loop or subroutine call.

#include <string>
#include <string_view>

#include "quarn/script/script_result.h"

class CScriptInterpreter;

// if (mode 0) and elseif (mode 1) with one condition argument.
class CFnIf {
public:
    explicit CFnIf(CScriptInterpreter& interp);
    virtual ~CFnIf();
    ScriptResult Execute(int mode);

private:
    CScriptInterpreter* m_pInterp;
};

// strcmp (mode 0), and if (mode 1) / elseif (mode 2) with comparison triples.
class CFnStrcmp {
public:
    explicit CFnStrcmp(CScriptInterpreter& interp);
    virtual ~CFnStrcmp();
    ScriptResult Execute(int mode);

private:
    // Evaluates the triples from m_nNextArg on into m_bResult; 0 with the message on failure.
    int EvaluateTriples();
    int CompareTriple(bool& truth);

    CScriptInterpreter* m_pInterp;
    int m_nNextArg = 0;
    bool m_bResult = false;
    std::string m_strJoin;
};

class CFnElse {
public:
    explicit CFnElse(CScriptInterpreter& interp);
    virtual ~CFnElse();
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// for (var, init, cond, step).
class CFnFor {
public:
    explicit CFnFor(CScriptInterpreter& interp);
    virtual ~CFnFor();
    ScriptResult Execute();

private:
    int ApplyStep();

    CScriptInterpreter* m_pInterp;
    std::string m_strVarRef;
    std::string m_strCond;
    std::string m_strStep;
    int m_nBody = 0;
    double m_dValue = 0.0;
};

// do {...} while (cond).
class CFnDo {
public:
    explicit CFnDo(CScriptInterpreter& interp);
    virtual ~CFnDo();
    ScriptResult Execute();

private:
    // Reads the while call after the block, leaving the position after it, and with `evaluate`
    // its condition into m_bCondition; 0 with ERROR 69, 68 or the parse failure.
    int ReadWhile(bool evaluate);

    CScriptInterpreter* m_pInterp;
    int m_nBody = 0;
    ScriptResult m_nLast = script_result::kBlockEnd;
    std::string m_strName;
    bool m_bCondition = false;
};

// loop (cond).
class CFnLoop {
public:
    explicit CFnLoop(CScriptInterpreter& interp);
    virtual ~CFnLoop();
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
    std::string m_strCond;
    int m_nBody = 0;
};

// repeat ([var,] count).
class CFnRepeat {
public:
    explicit CFnRepeat(CScriptInterpreter& interp);
    virtual ~CFnRepeat();
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
    std::string m_strVarRef;
    int m_nBody = 0;
};

class CFnBreak {
public:
    explicit CFnBreak(CScriptInterpreter& interp);
    virtual ~CFnBreak();
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

class CFnContinue {
public:
    explicit CFnContinue(CScriptInterpreter& interp);
    virtual ~CFnContinue();
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

class CFnReturn {
public:
    explicit CFnReturn(CScriptInterpreter& interp);
    virtual ~CFnReturn();
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// defsub (name) {...}: skipped when the flow reaches it; CFnGosub finds it by searching.
class CFnDefsub {
public:
    explicit CFnDefsub(CScriptInterpreter& interp);
    virtual ~CFnDefsub();
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// gosub (name) when Execute gets an empty name; otherwise a call of the user subroutine `name`
// (an unknown function name, or "on_error" from the error handler). 0 failed, 2 no such
// subroutine (ERROR 77 in the message, read position unchanged), 102/103 the handler's retry or
// ignore, 1 done.
class CFnGosub {
public:
    explicit CFnGosub(CScriptInterpreter& interp);
    virtual ~CFnGosub();
    ScriptResult Execute(std::string_view name);

private:
    // Finds the defsub of m_strWanted; 1 with m_nPos after its argument list, 2 when none
    // matches, 0 on a parse failure.
    ScriptResult FindDefinition();
    // Binds the call's own arguments as new definitions of argv, counted in `bound`; on failure
    // nothing stays bound.
    int BindArguments(int& bound);
    int UnbindArguments(int bound);

    CScriptInterpreter* m_pInterp;
    std::string m_strWanted;
    std::string m_strName;
    int m_nSavedErrorPos = 0;
    int m_nAfterName = 0;
    int m_bSavedTagForm = 0;
};

class CFnRetry {
public:
    explicit CFnRetry(CScriptInterpreter& interp);
    virtual ~CFnRetry();
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

class CFnIgnore {
public:
    explicit CFnIgnore(CScriptInterpreter& interp);
    virtual ~CFnIgnore();
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// die ([text]): always 0, with ERROR 87 or the given text.
class CFnDie {
public:
    explicit CFnDie(CScriptInterpreter& interp);
    virtual ~CFnDie();
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

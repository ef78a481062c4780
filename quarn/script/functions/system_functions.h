#pragma once
// The built-ins that talk to the user and to the system: message boxes and input lines through
// the current prompter (quarn/services/prompt.h), status lines and clearing of the main window's
// message-log view, the event log, shell commands, pauses, child scripts and the project's last
// error message. Each object is built by Dispatch for one call and destroyed after Execute; on 0
// the message is in the interpreter's m_strMessage. They run on the task thread and may block it
// (a question waiting for its answer, a command, a pause, a child script).

#include "quarn/script/script_result.h"

class CScriptInterpreter;

// msgbox ([target,] text [, type]): with a target the button pressed is stored in it.
class CFnMsgbox {
public:
    explicit CFnMsgbox(CScriptInterpreter& interp);
    virtual ~CFnMsgbox();
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// input (target [, prompt]): the line entered is stored in the target; Cancel stores nothing.
class CFnInput {
public:
    explicit CFnInput(CScriptInterpreter& interp);
    virtual ~CFnInput();
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// print ([text]): one status line (a blank without text) for the message-log view.
class CFnPrint {
public:
    explicit CFnPrint(CScriptInterpreter& interp);
    virtual ~CFnPrint();
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// cls (): clears the message-log view, the lines posted before it included.
class CFnCls {
public:
    explicit CFnCls(CScriptInterpreter& interp);
    virtual ~CFnCls();
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// log (text): one event-log line, whatever the logen setting; a log that cannot be written is
// skipped without a message.
class CFnLog {
public:
    explicit CFnLog(CScriptInterpreter& interp);
    virtual ~CFnLog();
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// exec (command): runs the command with /bin/sh -c in the current directory and waits for it
// (platform::RunShellCommand: its standard output goes to quarn's standard error); its exit
// status is ignored. ERROR 93 when the shell cannot be started.
class CFnExec {
public:
    explicit CFnExec(CScriptInterpreter& interp);
    virtual ~CFnExec();
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// sleep (milliseconds): pauses the task thread; a cancel request does not end the pause.
class CFnSleep {
public:
    explicit CFnSleep(CScriptInterpreter& interp);
    virtual ~CFnSleep();
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// runscript (file): runs the file in a child interpreter one level deeper that shares nothing
// with this one but the notify window; the child's final message becomes this one's. ERROR 99
// when the child fails, and at level kMaxLevel or deeper, where no child starts.
class CFnRunscript {
public:
    static constexpr int kMaxLevel = 32;

    explicit CFnRunscript(CScriptInterpreter& interp);
    virtual ~CFnRunscript();
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// geterror (target [, full]): the project's last error message (project key lstprojerrmsg), or
// with full 0 its error number ("0" for a message that is no numbered error).
class CFnGeterror {
public:
    explicit CFnGeterror(CScriptInterpreter& interp);
    virtual ~CFnGeterror();
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

#pragma once
// The POP3 built-ins: the session blocks pop3session and getmails, and getmsg, msgno,
// deletemail and mailheader. Each object is built by Dispatch for one call, with m_nPos just
// after the call's argument list, and destroyed after Execute. Results are ScriptResult codes;
// on 0 the message is in the interpreter's m_strMessage.
//
// A block's session is the interpreter's m_pPop3 while the block runs and is closed when the
// block's call ends, however it ends. QUIT, which commits the session's deletions, is sent only
// after the block succeeded: a failed run leaves the mailbox as it was.

#include <string>

#include "quarn/script/script_result.h"

class CScriptInterpreter;

// pop3session (server, user, password [, port]) {...}
class CFnPop3session {
public:
    explicit CFnPop3session(CScriptInterpreter& interp);
    virtual ~CFnPop3session();
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// getmails (server, user, password [, flags [, port]]) {...}: the block once per message, with
// mailheader, mailbody and mailnumber defined; flag 128 keeps the messages on the server.
class CFnGetmails {
public:
    explicit CFnGetmails(CScriptInterpreter& interp);
    virtual ~CFnGetmails();
    ScriptResult Execute();

private:
    // Retrieves message `number` into the block's variables and runs the block once.
    ScriptResult RunPass(int number, int deleteAfter);

    CScriptInterpreter* m_pInterp;
    int m_nBlockStart = 0;
    std::string m_strNumber;
};

// getmsg (header, body, number [, fourth]): the message stays on the server.
class CFnGetmsg {
public:
    explicit CFnGetmsg(CScriptInterpreter& interp);
    virtual ~CFnGetmsg();
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// msgno (count)
class CFnMsgno {
public:
    explicit CFnMsgno(CScriptInterpreter& interp);
    virtual ~CFnMsgno();
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// deletemail (number): marks the message; it goes with the session's QUIT.
class CFnDeletemail {
public:
    explicit CFnDeletemail(CScriptInterpreter& interp);
    virtual ~CFnDeletemail();
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// mailheader (from, subject, date, header)
class CFnMailheader {
public:
    explicit CFnMailheader(CScriptInterpreter& interp);
    virtual ~CFnMailheader();
    ScriptResult Execute();

private:
    // The trimmed value after `key` (lower case, with its leading CR LF) up to the next CR; ""
    // when the header has no such line.
    std::string FieldValue(const std::string& key) const;

    CScriptInterpreter* m_pInterp;
    std::string m_strHeader;
    std::string m_strLower;
};

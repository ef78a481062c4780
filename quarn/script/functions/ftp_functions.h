#pragma once
// The FTP built-ins. ftpsession logs on with a CFtpClient that lives exactly as long as its
// block and is the interpreter's m_pFtp meanwhile; the others work in that session and fail with
// ERROR 114 outside one. A refused command or transfer is ERROR 115 with the server's reply or
// the client's failure text, which on_error may handle. Each object is built by Dispatch for one
// call and destroyed after Execute; on 0 the message is in the interpreter's m_strMessage. They
// block the task thread for at most the client's time-out per network step.

#include "quarn/script/script_result.h"

class CScriptInterpreter;

// ftpsession (host, user, password [, account [, port [, passive [, firewall host, firewall type
// [, firewall user [, firewall password [, firewall port]]]]]]]) { block }: ERROR 20 inside
// another session, ERROR 26 when the logon fails (the block is then neither run nor skipped).
// Break, continue and return end the block only (1); retry and ignore are passed on.
class CFnFtpsession {
public:
    explicit CFnFtpsession(CScriptInterpreter& interp);
    virtual ~CFnFtpsession();
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// ftpput (local file, remote name): uploads the file (STOR).
class CFnFtpput {
public:
    explicit CFnFtpput(CScriptInterpreter& interp);
    virtual ~CFnFtpput();
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// ftpget (local file, remote name): downloads the remote file (RETR) to the local path.
class CFnFtpget {
public:
    explicit CFnFtpget(CScriptInterpreter& interp);
    virtual ~CFnFtpget();
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// ftpdel (name): DELE.
class CFnFtpdel {
public:
    explicit CFnFtpdel(CScriptInterpreter& interp);
    virtual ~CFnFtpdel();
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// ftpmkdir (directory): MKD.
class CFnFtpmkdir {
public:
    explicit CFnFtpmkdir(CScriptInterpreter& interp);
    virtual ~CFnFtpmkdir();
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// ftprmdir (directory): RMD.
class CFnFtprmdir {
public:
    explicit CFnFtprmdir(CScriptInterpreter& interp);
    virtual ~CFnFtprmdir();
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// ftpcommand (command): the command line as written; only a 2xx reply succeeds. An empty
// command is sent as an empty line, so the server still answers it.
class CFnFtpcommand {
public:
    explicit CFnFtpcommand(CScriptInterpreter& interp);
    virtual ~CFnFtpcommand();
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

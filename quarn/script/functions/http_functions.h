#pragma once
// The built-in that fetches from or posts to a web server. The object is built by Dispatch for
// one call and destroyed after Execute; on 0 the message is in the interpreter's m_strMessage. It
// runs on the task thread and blocks it for the request (each wait bounded by
// CHttpRequest::Timeout()).

#include "quarn/script/script_result.h"

class CScriptInterpreter;

// http (header, body, url, method [, port [, form body]]): one HTTP/1.0 request (port 80 by
// default); the response's header lines and body go to the two variables. Any failure of the
// request, a URL or method holding a line break included, is ERROR 119.
class CFnHttp {
public:
    explicit CFnHttp(CScriptInterpreter& interp);
    virtual ~CFnHttp();
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

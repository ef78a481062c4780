#pragma once
// The built-ins that send mail from a script: mailtxt, with the mail as its argument, and
// sendmail, whose block's output is the mail.
//
// The class is built by Dispatch on its stack for one call; Execute returns a ScriptResult with
// the message in the interpreter's m_strMessage.

#include <string>
#include <string_view>

#include "quarn/script/script_interpreter.h"

// sendmail (server, from, to [, flags [, port]]), a block: collects the block's output, takes
// its "HEADER:" and "BODY:" parts as the mail's header lines and body, and sends it with one SMTP
// dialogue. Returns the block's result code; nothing is sent when the block fails or its output
// is no mail.
class CFnSendmail {
public:
    // Flag values of the fourth argument (the expression words of the same names).
    static constexpr int kFormatCr = 1;
    static constexpr int kFormatNone = 2;
    static constexpr int kCr2Br = 4;
    static constexpr int kCr2BrStrip = 8;
    static constexpr int kDefaultPort = 25;

    explicit CFnSendmail(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnSendmail() = default;
    ScriptResult Execute();

    // The mail text of a block's compacted output: its line ends made CR LF, then everything
    // between "HEADER:" and "\r\nBODY:" (trimmed) as header lines, CR LF, and what follows
    // "BODY:". 0 with the text in `mail`; else the number of the message that refuses it (112
    // without "HEADER:" at the start, 113 without "\r\nBODY:" after it).
    static int ComposeMail(std::string_view output, std::string* mail);

private:
    CScriptInterpreter* m_pInterp;
};

// mailtxt (server, from, to, text [, port]): sends `text` as it stands (header lines, an empty
// line and the body) with one SMTP dialogue. 1, or 0 with the mailer's message.
class CFnMailtxt {
public:
    explicit CFnMailtxt(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnMailtxt() = default;
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

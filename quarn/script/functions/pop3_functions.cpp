#include "quarn/script/functions/pop3_functions.h"

#include <array>
#include <memory>
#include <string_view>

#include "platform/ascii.h"
#include "platform/leading_int.h"
#include "quarn/script/functions/function_support.h"
#include "quarn/script/script_interpreter.h"
#include "quarn/services/pop3_session.h"

using namespace script_result;
using script_functions::Arg;
using script_functions::CheckArgCount;
using script_functions::EvalIntArg;
using script_functions::Fail;
using script_functions::RunSessionBlock;
using script_functions::TextArg;

namespace {

constexpr int kNestedSession = 15;
constexpr int kNoSession = 16;
constexpr int kDefaultPort = 110;
constexpr int kKeepMessages = 128;
constexpr std::array<std::string_view, 3> kMailVariables = {"mailheader", "mailbody", "mailnumber"};

// The session's failure as the call's.
ScriptResult SessionFailure(CScriptInterpreter& in) {
    in.m_strMessage = in.m_pPop3->GetMessage();
    return kFailed;
}

// Holds the block's session as the interpreter's m_pPop3 and closes it, without QUIT, when the
// call ends.
class OpenSession {
public:
    explicit OpenSession(CScriptInterpreter& in) : m_in(in) {}
    ~OpenSession() { m_in.m_pPop3.reset(); }
    OpenSession(const OpenSession&) = delete;
    OpenSession& operator=(const OpenSession&) = delete;

    // Logs on with the evaluated arguments; 0 with the session's message.
    int Logon(const std::string& server, const std::string& user, const std::string& password,
              int port) {
        m_in.m_pPop3 = std::make_unique<CPop3Session>();
        return m_in.m_pPop3->Logon(server, user, password, port) ? 1 : SessionFailure(m_in);
    }
    // QUIT, which commits the deletions; its answer is not awaited.
    int Quit() { return m_in.m_pPop3->SendLine("QUIT") ? 1 : SessionFailure(m_in); }

private:
    CScriptInterpreter& m_in;
};

// The logon arguments both blocks start with.
struct LogonArgs {
    std::string server;
    std::string user;
    std::string password;
    int port = kDefaultPort;
};

int ReadLogonArgs(CScriptInterpreter& in, LogonArgs& args) {
    return TextArg(in, 0, args.server) && TextArg(in, 1, args.user) &&
           TextArg(in, 2, args.password);
}

// STAT: the text between the reply's first and second blank (to the line's end without a
// second). A negative reply fails with its ERROR 104.
int ReadMessageCount(CScriptInterpreter& in, std::string& count) {
    CPop3Session& session = *in.m_pPop3;
    if (!session.SendLine("STAT") || !session.CheckReply()) return SessionFailure(in);
    const std::string& reply = session.GetReplyLine();
    const std::size_t first = reply.find(' ');
    count = first == std::string::npos
                ? ""
                : reply.substr(first + 1, reply.find(' ', first + 1) - first - 1);
    return 1;
}

// Defines the getmails variables and removes them again when the call ends.
class MailVariables {
public:
    explicit MailVariables(CScriptInterpreter& in) : m_in(in) {}
    // Keeps the call's message: deleting writes one of its own.
    ~MailVariables() {
        const std::string message = std::move(m_in.m_strMessage);
        for (std::string_view name : kMailVariables)
            if (m_defined-- > 0) m_in.DeleteVariable("?" + std::string(name) + "?");
        m_in.m_strMessage = message;
    }
    MailVariables(const MailVariables&) = delete;
    MailVariables& operator=(const MailVariables&) = delete;

    int Define() {
        for (std::string_view name : kMailVariables) {
            if (!m_in.DefineVariable(name)) return 0;
            ++m_defined;
        }
        return 1;
    }

private:
    CScriptInterpreter& m_in;
    int m_defined = 0;
};

}  // namespace

// --- pop3session ---

CFnPop3session::CFnPop3session(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnPop3session::~CFnPop3session() = default;

ScriptResult CFnPop3session::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    LogonArgs args;
    if (!CheckArgCount(in, 3, 4) || !ReadLogonArgs(in, args)) return kFailed;
    if (in.m_nArgCount == 4 && !EvalIntArg(in, Arg(in, 3), args.port)) return kFailed;
    if (in.m_pPop3) return Fail(in, kNestedSession);
    OpenSession session(in);
    if (!session.Logon(args.server, args.user, args.password, args.port)) return kFailed;
    if (!in.ExpectBlockOpen()) return kFailed;
    const ScriptResult result = RunSessionBlock(in);
    if (result == kFailed || !session.Quit()) return kFailed;
    return result;
}

// --- getmails ---

CFnGetmails::CFnGetmails(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnGetmails::~CFnGetmails() = default;

ScriptResult CFnGetmails::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    LogonArgs args;
    int flags = 0;
    if (!CheckArgCount(in, 3, 5) || !ReadLogonArgs(in, args)) return kFailed;
    if (in.m_nArgCount >= 4 && !EvalIntArg(in, Arg(in, 3), flags)) return kFailed;
    if (in.m_nArgCount == 5 && !EvalIntArg(in, Arg(in, 4), args.port)) return kFailed;
    if (in.m_pPop3) return Fail(in, kNestedSession);
    OpenSession session(in);
    if (!session.Logon(args.server, args.user, args.password, args.port)) return kFailed;
    std::string count;
    if (!ReadMessageCount(in, count) || !in.ExpectBlockOpen()) return kFailed;
    m_nBlockStart = in.m_nPos;
    MailVariables variables(in);
    if (!variables.Define()) return kFailed;
    const int messages = platform::LeadingInt(count);
    if (messages <= 0 && !in.SkipBlock()) return kFailed;
    ScriptResult result = kDone;
    for (int number = 1; number <= messages; ++number) {
        result = RunPass(number, (flags & kKeepMessages) == 0);
        if (result == kFailed) return kFailed;
        if (result != kNextPass) break;
        result = kDone;
    }
    if (!session.Quit()) return kFailed;
    return result;
}

ScriptResult CFnGetmails::RunPass(int number, int deleteAfter) {
    CScriptInterpreter& in = *m_pInterp;
    m_strNumber = std::to_string(number);
    if (!in.SetVariable("?mailnumber?", m_strNumber)) return kFailed;
    CPop3Session& session = *in.m_pPop3;
    if (!session.RetrieveMessage(m_strNumber, deleteAfter)) return SessionFailure(in);
    if (!in.SetVariable("?mailheader?", session.GetHeader()) ||
        !in.SetVariable("?mailbody?", session.GetBody()))
        return kFailed;
    return script_functions::RunLoopPass(in, m_nBlockStart);
}

// --- getmsg ---

CFnGetmsg::CFnGetmsg(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnGetmsg::~CFnGetmsg() = default;

ScriptResult CFnGetmsg::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    if (!CheckArgCount(in, 3, 4)) return kFailed;
    if (!in.m_pPop3) return Fail(in, kNoSession);
    if (!in.EvalNumberArg(Arg(in, 2))) return kFailed;
    const std::string number = in.m_strMessage;
    // Evaluated for its errors only: getmsg never deletes.
    if (in.m_nArgCount == 4 && !in.EvalNumberArg(Arg(in, 3))) return kFailed;
    CPop3Session& session = *in.m_pPop3;
    if (!session.RetrieveMessage(number, 0)) return SessionFailure(in);
    return in.SetVariable(Arg(in, 0), session.GetHeader()) &&
                   in.SetVariable(Arg(in, 1), session.GetBody())
               ? kDone
               : kFailed;
}

// --- msgno ---

CFnMsgno::CFnMsgno(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnMsgno::~CFnMsgno() = default;

ScriptResult CFnMsgno::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    if (!CheckArgCount(in, 1, 1)) return kFailed;
    if (!in.m_pPop3) return Fail(in, kNoSession);
    std::string count;
    if (!ReadMessageCount(in, count)) return kFailed;
    return in.SetVariable(Arg(in, 0), count);
}

// --- deletemail ---

CFnDeletemail::CFnDeletemail(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnDeletemail::~CFnDeletemail() = default;

ScriptResult CFnDeletemail::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    int number = 0;
    if (!CheckArgCount(in, 1, 1)) return kFailed;
    if (!in.m_pPop3) return Fail(in, kNoSession);
    if (!EvalIntArg(in, Arg(in, 0), number)) return kFailed;
    return in.m_pPop3->DeleteMessage(number) ? kDone : SessionFailure(in);
}

// --- mailheader ---

CFnMailheader::CFnMailheader(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnMailheader::~CFnMailheader() = default;

ScriptResult CFnMailheader::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    if (!CheckArgCount(in, 4, 4) || !TextArg(in, 3, m_strHeader)) return kFailed;
    m_strLower = platform::AsciiLowered(m_strHeader);
    const std::array<std::string, 3> values = {FieldValue("\r\nfrom:"), FieldValue("\r\nsubject:"),
                                               FieldValue("\r\ndate:")};
    for (int i = 0; i < 3; ++i)
        if (!in.SetVariable(Arg(in, i), values[static_cast<std::size_t>(i)])) return kFailed;
    return kDone;
}

std::string CFnMailheader::FieldValue(const std::string& key) const {
    const std::size_t at = m_strLower.find(key);
    if (at == std::string::npos) return "";
    const std::size_t from = at + key.size();
    const std::string_view value =
        std::string_view(m_strHeader).substr(from, m_strHeader.find('\r', from) - from);
    return std::string(platform::TrimAsciiSpace(value));
}

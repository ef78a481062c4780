#include "quarn/script/functions/ftp_functions.h"

#include <string>
#include <string_view>

#include "quarn/script/functions/function_support.h"
#include "quarn/script/script_interpreter.h"
#include "quarn/services/ftp_client.h"

using namespace script_result;
using namespace script_functions;

namespace {

constexpr int kNestedSession = 20;
constexpr int kLogonFailed = 26;
constexpr int kNoSession = 114;
constexpr int kFtpError = 115;

constexpr int kMostSessionArgs = 11;
// From this many arguments on, the firewall host and type are read.
constexpr int kFirewallArgs = 8;
constexpr int kDefaultPort = 21;

// What ftpsession hands to LogOn, read from its arguments.
struct LogOnFields {
    std::string host;
    std::string user;
    std::string password;
    std::string account;
    int port = kDefaultPort;
    std::string firewallHost;
    int firewallType = 0;
    std::string firewallUser;
    std::string firewallPassword;
    int firewallPort = kDefaultPort;
};

// Makes `client` the interpreter's session for the life of this object.
class SessionScope {
public:
    SessionScope(CScriptInterpreter& interp, CFtpClient& client) : m_interp(interp) {
        m_interp.m_pFtp = &client;
    }
    ~SessionScope() { m_interp.m_pFtp = nullptr; }
    SessionScope(const SessionScope&) = delete;
    SessionScope& operator=(const SessionScope&) = delete;

private:
    CScriptInterpreter& m_interp;
};

// Optional arguments keep their default when the call does not give them.
int EvalOptionalText(CScriptInterpreter& interp, int index, std::string& value) {
    return index >= interp.m_nArgCount || TextArg(interp, index, value);
}

int EvalOptionalInt(CScriptInterpreter& interp, int index, int& value) {
    return index >= interp.m_nArgCount || EvalIntArg(interp, Arg(interp, index), value);
}

// The arguments in the order of the call. The account may be quoted text or a number: an
// account is a name as often as a number. A seventh argument alone is not read.
int ReadLogOnFields(CScriptInterpreter& interp, LogOnFields& fields) {
    if (!TextArg(interp, 0, fields.host) || !TextArg(interp, 1, fields.user) ||
        !TextArg(interp, 2, fields.password))
        return 0;
    interp.m_nFtpOption = 0;
    if (interp.m_nArgCount > 3) {
        if (!interp.EvalArg(Arg(interp, 3))) return 0;
        fields.account = interp.m_strMessage;
    }
    if (!EvalOptionalInt(interp, 4, fields.port) ||
        !EvalOptionalInt(interp, 5, interp.m_nFtpOption))
        return 0;
    if (interp.m_nArgCount < kFirewallArgs) return 1;
    return TextArg(interp, 6, fields.firewallHost) &&
           EvalIntArg(interp, Arg(interp, 7), fields.firewallType) &&
           EvalOptionalText(interp, 8, fields.firewallUser) &&
           EvalOptionalText(interp, 9, fields.firewallPassword) &&
           EvalOptionalInt(interp, 10, fields.firewallPort);
}

// ftpput and ftpget.
ScriptResult TransferInSession(CScriptInterpreter& interp, int download) {
    if (!CheckArgCount(interp, 2, 2)) return kFailed;
    std::string localPath;
    std::string remoteName;
    if (!TextArg(interp, 0, localPath) || !TextArg(interp, 1, remoteName)) return kFailed;
    CFtpClient* client = interp.m_pFtp;
    if (client == nullptr) return Fail(interp, kNoSession);
    if (!client->TransferFile(remoteName, localPath, interp.m_nFtpOption, download))
        return Fail(interp, kFtpError, client->GetMessage());
    return kDone;
}

// ftpdel, ftpmkdir, ftprmdir and ftpcommand: `verb` + the argument as one command line.
ScriptResult CommandInSession(CScriptInterpreter& interp, std::string_view verb) {
    if (!CheckArgCount(interp, 1, 1)) return kFailed;
    CFtpClient* client = interp.m_pFtp;
    if (client == nullptr) return Fail(interp, kNoSession);
    if (!interp.EvalStringArg(Arg(interp, 0))) return kFailed;
    std::string line(verb);
    line += interp.m_strMessage;
    // FtpCommand sends nothing for an empty text; an empty line is still a command to answer.
    const int accepted = line.empty() ? client->SendCommand(line) && client->FtpCommand(line)
                                      : client->FtpCommand(line);
    if (!accepted) return Fail(interp, kFtpError, client->GetMessage());
    return kDone;
}

}  // namespace

CFnFtpsession::CFnFtpsession(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnFtpsession::~CFnFtpsession() = default;

ScriptResult CFnFtpsession::Execute() {
    CScriptInterpreter& interp = *m_pInterp;
    if (interp.m_pFtp != nullptr) return Fail(interp, kNestedSession);
    if (!CheckArgCount(interp, 3, kMostSessionArgs)) return kFailed;
    LogOnFields fields;
    if (!ReadLogOnFields(interp, fields)) return kFailed;
    // Closed without QUIT when the call ends, however it ends.
    CFtpClient client;
    if (!client.LogOn(fields.host, fields.port, fields.user, fields.password, fields.account,
                      fields.firewallHost, fields.firewallUser, fields.firewallPassword,
                      fields.firewallPort, fields.firewallType))
        return Fail(interp, kLogonFailed, client.GetMessage());
    const SessionScope session(interp, client);
    if (!interp.ExpectBlockOpen()) return kFailed;
    return RunSessionBlock(interp);
}

CFnFtpput::CFnFtpput(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnFtpput::~CFnFtpput() = default;

ScriptResult CFnFtpput::Execute() {
    return TransferInSession(*m_pInterp, 0);
}

CFnFtpget::CFnFtpget(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnFtpget::~CFnFtpget() = default;

ScriptResult CFnFtpget::Execute() {
    return TransferInSession(*m_pInterp, 1);
}

CFnFtpdel::CFnFtpdel(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnFtpdel::~CFnFtpdel() = default;

ScriptResult CFnFtpdel::Execute() {
    return CommandInSession(*m_pInterp, "DELE ");
}

CFnFtpmkdir::CFnFtpmkdir(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnFtpmkdir::~CFnFtpmkdir() = default;

ScriptResult CFnFtpmkdir::Execute() {
    return CommandInSession(*m_pInterp, "MKD ");
}

CFnFtprmdir::CFnFtprmdir(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnFtprmdir::~CFnFtprmdir() = default;

ScriptResult CFnFtprmdir::Execute() {
    return CommandInSession(*m_pInterp, "RMD ");
}

CFnFtpcommand::CFnFtpcommand(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnFtpcommand::~CFnFtpcommand() = default;

ScriptResult CFnFtpcommand::Execute() {
    return CommandInSession(*m_pInterp, "");
}

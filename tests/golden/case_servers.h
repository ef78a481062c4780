#pragma once
// The servers a golden case runs against, named one per line in the case's `servers` file:
//   dovecot    a real POP3 server (fixtures::DovecotServer); `mailbox/` seeds it (one file per
//              message, numbered in name order) and `expected-mailbox/`, when present, is what
//              the mailbox must hold after the run, compared byte for byte; mark @POP3_PORT@
//   scripted   a scripted line server (fixtures::ScriptedFtpServer) playing `server-script`;
//              the whole script must have run by the end; mark @SCRIPTED_PORT@
// A `server-script` line is "S text" (send the line), "C text" (the client's next line),
// "WAIT-CLOSE" (the client closes), "ACCEPT" (take the next client) or "CUT" (close).
// A server kind adds its marks, starts before the run and checks what it holds afterwards.

#include <filesystem>
#include <map>
#include <memory>
#include <string>

namespace golden {

class CaseServer {
public:
    virtual ~CaseServer() = default;
    // "" when the server runs; else why not. `skip` tells whether the reason is the machine's
    // (a missing server program) rather than a fault of the case.
    virtual std::string Start(const std::filesystem::path& caseDir, bool* skip) = 0;
    // Marks to replace in the case's files, with their values.
    virtual std::map<std::string, std::string> Marks() const = 0;
    // "" when the server's state after the run is what the case expects; else the difference.
    virtual std::string Check(const std::filesystem::path& caseDir) = 0;
};

// The server of `kind`, or null for an unknown kind.
std::unique_ptr<CaseServer> MakeCaseServer(const std::string& kind);

}  // namespace golden

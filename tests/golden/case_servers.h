#pragma once
// The servers a golden case runs against, named in its `servers` file. Each starts before the
// run on a free loopback port, defines placeholders that tell the case where it listens, takes
// the case's NAME/ directory (copied, placeholders replaced, into ContentDir(), then Loaded()),
// and after the run shows in RecordDir() what it holds or received, which the case's
// expected-NAME/ lists file by file:
//   http      pages served from http/; records request-1, request-2, ...: each request's bytes
//   ftp       pyftpdlib; ftp/ is the server's files before the run, expected-ftp/ after it
//   smtp      records transcript: every message accepted (envelope, data)
//   dovecot   POP3; dovecot/ seeds the mailbox (one file a message, numbered in name order);
//             records the messages left after the run, by name
//   scripted  a scripted line server playing scripted/server-script ("S text" sends a line,
//             "C text" expects the client's, "WAIT-CLOSE", "ACCEPT" the next client, "CUT");
//             records result: "" when the whole script ran, else why not

#include <map>
#include <memory>
#include <string>

namespace golden {

class CaseServer {
public:
    virtual ~CaseServer() = default;
    // Why the server did not start (the case is skipped); "" while it runs.
    virtual std::string SkipReason() const = 0;
    virtual std::map<std::string, std::string> Placeholders() const = 0;
    virtual std::string ContentDir() const = 0;
    // After the case's files are in ContentDir(): "" or why the server cannot use them.
    virtual std::string Loaded() { return ""; }
    virtual std::string RecordDir() = 0;
};

// The server named `name`, started; null for a name no server has.
std::unique_ptr<CaseServer> StartCaseServer(const std::string& name);

}  // namespace golden

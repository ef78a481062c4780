#pragma once
// The log-on both remote's session and window tests script: user "ann" with password "a b".

#include <string>
#include <vector>

#include "tests/fixtures/scripted_ftp_server.h"

// Scripts the greeting and a log-on that succeeds.
inline void LogOnSteps(fixtures::ScriptedFtpServer& server) {
    server.Reply("220 Hi from Quarn Pro")
        .Expect("user ann")
        .Reply("331 Password required for ann")
        .Expect("pass a b")
        .Reply("230 OK");
}

// The lines remote sends: the log-on, then `lines`.
inline std::vector<std::string> WithLogOn(std::vector<std::string> lines) {
    lines.insert(lines.begin(), {"user ann", "pass a b"});
    return lines;
}

#pragma once
// The dial-up backend of a system run by NetworkManager, through its command-line client nmcli:
// an entry is a connection profile, dialling activates it and hanging up deactivates it.

#include <string>

#include "platform/dialup_backend.h"

namespace platform {

class NmcliDialupBackend : public DialupBackend {
public:
    // `program`: the nmcli to run, a path or a name looked up on PATH at each call.
    explicit NmcliDialupBackend(std::string program) : m_program(std::move(program)) {}

    bool Present() const override { return true; }
    int ListActive(std::vector<std::string>& names) override;
    int ListEntries(std::vector<std::string>& names) override;
    // The password reaches nmcli in a mode-0600 file removed when the call returns, never on its
    // command line; a password holding CR or LF fails without a call. nmcli takes no user name
    // for one activation, so the profile's own is used.
    int Dial(const DialRequest& request, DialupHandle& handle) override;
    void HangUp(const DialupHandle& handle) override;

private:
    int ListConnections(bool activeOnly, std::vector<std::string>& names);

    std::string m_program;
};

}  // namespace platform

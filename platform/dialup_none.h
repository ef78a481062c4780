#pragma once
// The dial-up backend of a system without a dial-up service: it is absent and every operation
// fails.

#include "platform/dialup_backend.h"

namespace platform {

class NoDialupBackend : public DialupBackend {
public:
    bool Present() const override { return false; }
    int ListActive(std::vector<std::string>& names) override;
    int ListEntries(std::vector<std::string>& names) override;
    int Dial(const DialRequest& request, DialupHandle& handle) override;
    void HangUp(const DialupHandle& handle) override;
};

}  // namespace platform

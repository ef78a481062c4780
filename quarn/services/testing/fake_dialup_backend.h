#pragma once
// A dial-up backend for tests of what dials: it answers on cue and records every call.

#include <string>
#include <vector>

#include "platform/dialup_backend.h"
#include "quarn/services/program_context.h"

namespace services_testing {

// A dial-up service on cue. Attempt n (from 1) answers outcomes[n-1], failing beyond the list,
// and names its connection "attempt n".
class FakeDialupBackend : public platform::DialupBackend {
public:
    bool Present() const override { return true; }
    int ListActive(std::vector<std::string>& names) override {
        names = active;
        return listFails ? 0 : 1;
    }
    int ListEntries(std::vector<std::string>& names) override {
        names = active;
        return 1;
    }
    int Dial(const platform::DialRequest& request, platform::DialupHandle& handle) override {
        dials.push_back(request);
        const std::size_t attempt = dials.size();
        handle = "attempt " + std::to_string(attempt);
        if (static_cast<int>(attempt) == cancelDuringAttempt) g_bCancelRequested = true;
        return attempt <= outcomes.size() ? outcomes[attempt - 1] : 0;
    }
    void HangUp(const platform::DialupHandle& handle) override {
        if (handle) hangUps.push_back(*handle);
    }

    std::vector<std::string> active;
    bool listFails = false;
    std::vector<int> outcomes;
    int cancelDuringAttempt = 0;
    std::vector<platform::DialRequest> dials;
    std::vector<std::string> hangUps;
};

}  // namespace services_testing

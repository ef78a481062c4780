#include "platform/dialup_none.h"

namespace platform {

int NoDialupBackend::ListActive(std::vector<std::string>& names) {
    names.clear();
    return 0;
}

int NoDialupBackend::ListEntries(std::vector<std::string>& names) {
    names.clear();
    return 0;
}

int NoDialupBackend::Dial(const DialRequest&, DialupHandle& handle) {
    handle.reset();
    return 0;
}

void NoDialupBackend::HangUp(const DialupHandle&) {}

}  // namespace platform

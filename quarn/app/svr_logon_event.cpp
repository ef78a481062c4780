#include "quarn/app/svr_logon_event.h"

namespace {

std::string ShownUser(std::string_view user) {
    constexpr char kHex[] = "0123456789ABCDEF";
    std::string shown;
    for (const char c : user.substr(0, kMaxUserShown)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && c != '"' && c != '\\') {
            shown += c;
        } else {
            shown.append("\\x").append(1, kHex[byte >> 4]).append(1, kHex[byte & 0xF]);
        }
    }
    if (user.size() > kMaxUserShown) shown += "...";
    return shown;
}

}  // namespace

std::string DottedAddress(std::uint32_t address) {
    return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 0xFF) + "." +
           std::to_string((address >> 8) & 0xFF) + "." + std::to_string(address & 0xFF);
}

std::string LogonRefusedText(std::string_view user, std::uint32_t address) {
    return "Remote logon refused for user \"" + ShownUser(user) + "\" from " +
           DottedAddress(address);
}

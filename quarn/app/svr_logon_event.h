#pragma once
// The status line and event log text of a refused remote logon. The user name is the client's
// input, so it is shown safe: at most kMaxUserShown bytes (then "..."), and every byte outside
// printable ASCII, the double quote and the backslash as \xNN, so that no control character
// reaches the log or the window and the quoted name cannot be mistaken. The password never
// appears.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

inline constexpr std::size_t kMaxUserShown = 64;

// "Remote logon refused for user "<name>" from <a.b.c.d>"; `address` is IPv4 in host order.
std::string LogonRefusedText(std::string_view user, std::uint32_t address);
// `address` (IPv4, host order) in dotted decimal.
std::string DottedAddress(std::uint32_t address);

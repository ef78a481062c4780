#pragma once
// The integer at the start of a text as settings files and typed-in fields hold it: "12", " -3",
// "+7 items". Anything after the digits is ignored.

#include <string_view>

namespace platform {

// Skips leading blanks (spaces and tabs), takes an optional "+" or "-" and the decimal digits that
// follow, saturated to the int range. A text with no digit there gives 0.
int LeadingInt(std::string_view text);

}  // namespace platform

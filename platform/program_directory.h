#pragma once
// Where the running program file lies, which the programs take as their program directory.

#include <string>

namespace platform {

// The directory of /proc/self/exe; `fallback` when it cannot be read.
std::string ProgramDirectory(const std::string& fallback);

}  // namespace platform

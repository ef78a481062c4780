#pragma once
// Running a program directly, without a shell, and reading what it prints: for tools whose
// arguments must reach them exactly as given (names holding blanks or quotes).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Runs argv[0] (looked up on PATH when it holds no '/') with `argv`, standard input from
// /dev/null and standard error shared with this process, and waits for it to end. `output`
// receives everything it wrote to standard output. Returns its exit status (128 + the signal
// number when a signal ended it, -1 when its status was lost), or nullopt when it could not be
// started; `output` then is empty.
std::optional<int> RunProgram(const std::vector<std::string>& argv, std::string& output);

// The path of the first executable file named `name` in the directories of PATH, as PATH spells
// them (an empty entry is "."); nullopt when there is none.
std::optional<std::string> FindOnPath(std::string_view name);

}  // namespace platform

#pragma once
// What every built-in's Execute, CallFunction and RunBlock return.

using ScriptResult = int;

namespace script_result {
constexpr ScriptResult kFailed = 0;    // the message is in m_strMessage
constexpr ScriptResult kDone = 1;      // go on after the call; from RunBlock: end of text
constexpr ScriptResult kBlockEnd = 2;  // a block ended ("}" or a tag closer)
constexpr ScriptResult kBreak = 4;
constexpr ScriptResult kContinue = 5;
constexpr ScriptResult kReturn = 6;
constexpr ScriptResult kNextPass = 100;   // internal to loops and subroutines
constexpr ScriptResult kTagCloser = 101;  // internal to CallFunction; RunBlock turns it into 2
constexpr ScriptResult kRetry = 102;
constexpr ScriptResult kIgnore = 103;
}  // namespace script_result

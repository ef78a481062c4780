#pragma once
// What the built-in function classes share: failing with a numbered message, checking and
// reading the call's arguments, and the names and paths of the files they write below the HTML
// root. Every operation that returns an int returns 1 or 0 and leaves its message in the
// interpreter's m_strMessage.

#include <string>
#include <string_view>

#include "quarn/script/output_root.h"
#include "quarn/script/script_interpreter.h"
#include "quarn/script/script_result.h"

namespace script_functions {

// ERROR 68: a call with a number of arguments its function does not take.
inline constexpr int kArgumentCount = 68;
// ERROR 79: the text ends inside a block.
inline constexpr int kBlockNotClosed = 79;

// m_strMessage := LoadMessage(message, value); returns script_result::kFailed.
ScriptResult Fail(CScriptInterpreter& interp, int message, std::string_view value = {});

// Whether least <= m_nArgCount <= most (most may be INT_MAX); sets no message.
bool ArgCountIn(const CScriptInterpreter& interp, int least, int most);
// ArgCountIn, failing with ERROR 68 when the count is out of range.
int CheckArgCount(CScriptInterpreter& interp, int least, int most);

// The call's argument `index` (0-based, below m_nArgCount), raw as the parser left it.
const std::string& Arg(const CScriptInterpreter& interp, int index);

// The argument evaluated as a number (TruncateToInt for the int); the number's text stays in
// m_strMessage. 0 with the evaluator's message.
int EvalIntArg(CScriptInterpreter& interp, std::string_view raw, int& value);
int EvalDoubleArg(CScriptInterpreter& interp, std::string_view raw, double& value);
// The text in double quotes, as the run listing shows names.
std::string Quoted(std::string_view text);

// The HTML root in `root`, when it is a directory the process can enter; else 0 with ERROR 94.
int OpenHtmlRoot(CScriptInterpreter& interp, std::string& root);
// The HTML root entered into `root` (OpenHtmlRoot) and `normalName` placed below it
// (output_root.h): 1, or 0 with ERROR 94, ERROR 95 when the directory it lands in resolves outside
// the root, or the message `noDirectory` when that directory does not exist.
int PlaceBelowHtmlRoot(CScriptInterpreter& interp, const std::string& normalName, int noDirectory,
                       std::string& root, OutputPlace& place);

// SkipBlock as a result: done, or failed.
ScriptResult SkipRestOfBlock(CScriptInterpreter& interp);
// Runs the block that is open to its end: its result, or ERROR 79 when the text ends inside it.
ScriptResult RunClosedBlock(CScriptInterpreter& interp);
// A session's block (ftpsession, pop3session), from just after its opening brace. Break,
// continue and return end only this block; retry and ignore (the block runs inside on_error) go
// on to the handler's caller. Either way the rest of the block is passed, so the run goes on
// after it: kDone, kRetry or kIgnore; kFailed with the message, ERROR 79 when the text ends
// inside the block.
ScriptResult RunSessionBlock(CScriptInterpreter& interp);
// The text argument `index` expanded, moved into `out`; 0 with the evaluator's message.
int TextArg(CScriptInterpreter& interp, int index, std::string& out);

// One pass of a loop body from `body`, the body's own result in `blockResult`. kNextPass when the
// loop goes on (the body ended, or a continue skipped its rest); any other code ends the loop and
// is its result (after a break: 1, with the read position on the block's end; a text that ends
// inside the body: ERROR 79).
ScriptResult RunLoopPass(CScriptInterpreter& interp, int body, ScriptResult& blockResult);
ScriptResult RunLoopPass(CScriptInterpreter& interp, int body);

}  // namespace script_functions

#pragma once
// The argument layer of the script interpreter: splits the argument list of one call in
// m_strText into raw argument texts, and evaluates a raw argument on demand as quoted text, as a
// number, or as either.
//
// A raw argument is quoted (it begins and ends with a double quote and keeps every backslash pair
// as written) or plain (trimmed of white space on both sides). A call's list is "(a, b)" in the
// ampersand form and "a, b>" in the tag form (m_bTagForm set); in the tag form ')' is ordinary
// text and the first '>' outside a quoted argument ends the list. A comma always ends a plain
// argument, whatever parentheses are open, so max(a,b) is two arguments.
//
// Every operation returns 1 (TRUE) or 0 (FALSE) and leaves its result or its message in
// m_strMessage. The evaluators never change the arguments.

#include <string>
#include <string_view>
#include <vector>

#include "quarn/script/script_context.h"

class CScriptArgParser : public CScriptContext {
public:
    explicit CScriptArgParser(platform::MessageQueue* hNotifyWnd);
    ~CScriptArgParser() override;

    // Reads the argument list of the call whose name ends before m_nPos into m_astrArgs and
    // m_nArgCount. On success m_nPos is one before the first character after the call (the
    // caller's next step lands there): after the list end and the blanks that follow it, or,
    // for an ampersand call without '(', just before its first non-blank character. On '{' or
    // at the end of the text there are no arguments and m_nPos stays on that spot. ERROR 44
    // (empty argument, trailing comma, text after a closing quote), 45, 46, 49.
    int ParseArgs();
    // Read one argument starting at m_nPos and append it. ReadQuotedArg starts on the opening
    // quote and leaves m_nPos on the first non-blank after the closing one; ReadPlainArg leaves
    // m_nPos on the ',' or list end that ended the argument.
    int ReadQuotedArg();
    int ReadPlainArg();
    // Advances over bytes 0-32; ERROR 49 when the text ends.
    int SkipBlanks();

    // A quoted raw argument, expanded, without its quotes. ERROR 47 when it is not quoted.
    int EvalStringArg(std::string_view raw);
    // The raw argument expanded and evaluated: the number ("%.15g") or the evaluator's message.
    int EvalNumberArg(std::string_view raw);
    // The raw argument expanded once; quoted: the text without its quotes (ERROR 47 when only
    // the start is quoted); else evaluated as by EvalNumberArg.
    int EvalArg(std::string_view raw);

    int m_nArgCount = 0;
    std::vector<std::string> m_astrArgs;
    int m_nPos = 0;
    std::string m_strText;

private:
    // The list end of the current form: ')' or '>'.
    char ListEnd() const { return m_bTagForm ? '>' : ')'; }
    bool AtEnd() const { return static_cast<std::size_t>(m_nPos) >= m_strText.size(); }
    char Current() const { return m_strText[static_cast<std::size_t>(m_nPos)]; }
    // Advances over bytes 0-32; false at the end of the text (no message).
    bool SkipBlankBytes();
    // Passes the list end at m_nPos and the blanks after it, then steps back one.
    int FinishList();
    // The expanded quoted text in m_strMessage loses its first and last character.
    void StripQuotes();
    // Evaluates the expanded text in m_strMessage; the number or the message replaces it.
    int EvaluateMessage();
};

#include "quarn/script/script_arg_parser.h"

#include "platform/ascii.h"

namespace {

constexpr int kEndOfScript = 49;
constexpr int kArgumentSyntax = 44;

bool IsBlankByte(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

}  // namespace

CScriptArgParser::CScriptArgParser(platform::MessageQueue* hNotifyWnd)
    : CScriptContext(hNotifyWnd) {}

CScriptArgParser::~CScriptArgParser() = default;

bool CScriptArgParser::SkipBlankBytes() {
    while (!AtEnd() && IsBlankByte(Current()))
        ++m_nPos;
    return !AtEnd();
}

int CScriptArgParser::SkipBlanks() {
    return SkipBlankBytes() ? 1 : Fail(kEndOfScript);
}

int CScriptArgParser::ParseArgs() {
    m_astrArgs.clear();
    m_nArgCount = 0;
    SkipBlankBytes();
    if (AtEnd() || Current() == '{') return 1;
    if (!m_bTagForm) {
        if (Current() != '(') {
            // The caller's next step lands on this character.
            --m_nPos;
            return 1;
        }
        ++m_nPos;
    }
    if (!SkipBlanks()) return 0;
    if (Current() == ListEnd()) return FinishList();
    for (;;) {
        const char first = Current();
        if (first == ListEnd() || first == ',') return Fail(kArgumentSyntax);
        if (!(first == '"' ? ReadQuotedArg() : ReadPlainArg())) return 0;
        ++m_nArgCount;
        // Both readers stop on a character of the text, never at its end.
        const char after = Current();
        if (after == ListEnd()) return FinishList();
        if (after != ',') return Fail(kArgumentSyntax);
        ++m_nPos;
        if (!SkipBlanks()) return 0;
    }
}

int CScriptArgParser::FinishList() {
    ++m_nPos;
    // Blanks and line ends after a call are not part of the page.
    SkipBlankBytes();
    --m_nPos;
    return 1;
}

int CScriptArgParser::ReadQuotedArg() {
    const int start = m_nPos;
    ++m_nPos;
    for (;;) {
        if (AtEnd()) return Fail(kEndOfScript);
        const char c = Current();
        ++m_nPos;
        if (c == '\\') {
            // The escaped character goes with the backslash, so \" does not end the text.
            if (AtEnd()) return Fail(kEndOfScript);
            ++m_nPos;
        } else if (c == '\n') {
            return Fail(45);
        } else if (c == '"') {
            break;
        }
    }
    m_astrArgs.emplace_back(m_strText, static_cast<std::size_t>(start),
                            static_cast<std::size_t>(m_nPos - start));
    return SkipBlanks();
}

int CScriptArgParser::ReadPlainArg() {
    const int start = m_nPos;
    int depth = 0;
    for (;; ++m_nPos) {
        if (AtEnd()) return Fail(kEndOfScript);
        const char c = Current();
        if (c == ',') break;
        if (m_bTagForm) {
            if (c == '>') break;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')') {
            if (depth == 0) break;
            --depth;
        }
        if (c == '\n') return Fail(46);
    }
    const std::string_view text(m_strText);
    m_astrArgs.emplace_back(platform::TrimAsciiSpace(
        text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(m_nPos - start))));
    return 1;
}

void CScriptArgParser::StripQuotes() {
    if (m_strMessage.size() < 2) {
        m_strMessage.clear();
        return;
    }
    m_strMessage.pop_back();
    m_strMessage.erase(0, 1);
}

int CScriptArgParser::EvaluateMessage() {
    const int result = Evaluate(m_strMessage);
    m_strMessage.assign(m_strResult);
    return result;
}

int CScriptArgParser::EvalStringArg(std::string_view raw) {
    if (raw.size() < 2 || raw.front() != '"' || raw.back() != '"') return Fail(47);
    if (!ExpandText(raw)) return 0;
    StripQuotes();
    return 1;
}

int CScriptArgParser::EvalNumberArg(std::string_view raw) {
    if (!ExpandText(raw)) return 0;
    return EvaluateMessage();
}

int CScriptArgParser::EvalArg(std::string_view raw) {
    // Read before the expansion, which rewrites m_strMessage (the raw text may view it).
    const bool opensQuoted = !raw.empty() && raw.front() == '"';
    const bool closesQuoted = raw.size() >= 2 && raw.back() == '"';
    if (!ExpandText(raw)) return 0;
    if (!opensQuoted) return EvaluateMessage();
    if (!closesQuoted) return Fail(47);
    StripQuotes();
    return 1;
}

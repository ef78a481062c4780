// The block runner, the call parser and the error report of CScriptInterpreter.

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <string>

#include "platform/ascii.h"
#include "quarn/script/functions/function_support.h"
#include "quarn/script/listing_archive.h"
#include "quarn/script/script_interpreter.h"
#include "quarn/services/messages.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"
#include "shared/output_buffer.h"
#include "shared/script_escapes.h"

namespace {

// A name has at most this many characters less one; reading stops at this many.
constexpr int kNameLimit = 20;
constexpr int kMaxReferenceRead = 256;
constexpr int kElseIndex = 7;
constexpr int kElseifIndex = 74;

constexpr std::string_view kCancelled = "Script execution terminated by user.";
constexpr std::string_view kCaretRow =
    "^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^ ^\r\n";
constexpr std::string_view kOnError = "on_error";

// The errors whose failure runs the script's on_error subroutine.
constexpr std::array kHandledErrors = {1,   29,  30,  87,  99,  102, 103, 104,
                                       105, 106, 108, 109, 110, 111, 115, 119};

// The bytes RunBlock treats as more than template text.
constexpr std::array<bool, 256> kSpecialBytes = [] {
    std::array<bool, 256> special{};
    for (const unsigned char c : std::string_view("&<?\\{}"))
        special[c] = true;
    return special;
}();

bool IsSpecial(char c) {
    return kSpecialBytes[static_cast<unsigned char>(c)];
}

bool IsVisible(char c) {
    return static_cast<unsigned char>(c) > ' ';
}

// True when `message` ("ERROR " + number ...) carries a handled number. A message of six characters
// or fewer carries no number.
bool IsHandledError(std::string_view message) {
    if (message.size() <= 6) return false;
    const char* first = message.data() + 6;
    int number = 0;
    const auto [end, ec] = std::from_chars(first, message.data() + message.size(), number);
    if (ec != std::errc() || end == first) return false;
    return std::find(kHandledErrors.begin(), kHandledErrors.end(), number) != kHandledErrors.end();
}

// Length of the valid UTF-8 sequence at the start of `text` that encodes one code point above
// 127, with the code point; 0 when there is none.
int Utf8Sequence(std::string_view text, unsigned& codePoint) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned lead = byte(0);
    int length = 0;
    unsigned minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (text.size() < static_cast<std::size_t>(length)) return 0;
    for (int i = 1; i < length; ++i) {
        const unsigned next = byte(static_cast<std::size_t>(i));
        if ((next & 0xC0) != 0x80) return 0;
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

void AppendEntity(std::string& out, unsigned value) {
    char entity[16];
    const int n = std::snprintf(entity, sizeof entity, "&#%u;", value);
    out.append(entity, static_cast<std::size_t>(n));
}

// RunBlock activations are counted so that runaway nesting ends with a message, not a crash.
class NestingGuard {
public:
    explicit NestingGuard(int& depth) : m_depth(++depth) {}
    ~NestingGuard() { --m_depth; }
    NestingGuard(const NestingGuard&) = delete;
    NestingGuard& operator=(const NestingGuard&) = delete;

private:
    int& m_depth;
};

}  // namespace

ScriptResult CScriptInterpreter::RunBlock() {
    if (g_bCancelRequested) {
        m_strMessage = WithProgramTitle(kCancelled);
        return script_result::kFailed;
    }
    if (m_nBlockDepth >= kMaxNesting) return Fail(125);
    NestingGuard nesting(m_nBlockDepth);
    for (;;) {
        const int length = static_cast<int>(m_strText.size());
        if (m_nPos >= length) return script_result::kDone;
        m_nErrorPos = m_nPos;
        const char c = m_strText[static_cast<std::size_t>(m_nPos)];
        switch (c) {
            case '&':
            case '<': {
                m_bTagForm = c == '<' ? 1 : 0;
                const ScriptResult r = CallFunction();
                switch (r) {
                    case script_result::kFailed:
                    case script_result::kBreak:
                    case script_result::kContinue:
                    case script_result::kReturn:
                    case script_result::kRetry:
                    case script_result::kIgnore:
                        return r;
                    case script_result::kTagCloser:
                        return script_result::kBlockEnd;
                    default:
                        break;
                }
                break;
            }
            case '?':
                if (!SubstituteVariable()) return script_result::kFailed;
                break;
            case '\\':
                if (m_nPos + 1 >= length) return Fail(72);
                ++m_nPos;
                if (!EmitChar(ScriptEscapeByte(m_strText[static_cast<std::size_t>(m_nPos)])))
                    return script_result::kFailed;
                break;
            case '{':
                return Fail(73);
            case '}':
                m_strCloser = "}";
                return script_result::kBlockEnd;
            default: {
                int end = m_nPos + 1;
                while (end < length && !IsSpecial(m_strText[static_cast<std::size_t>(end)]))
                    ++end;
                if (!EmitTextRun(m_nPos, end)) return script_result::kFailed;
                m_nPos = end - 1;
                break;
            }
        }
        ++m_nPos;
        if (m_nPos >= static_cast<int>(m_strText.size())) return script_result::kDone;
    }
}

int CScriptInterpreter::EmitChar(char c) {
    WriteList(std::string_view(&c, 1));
    if (m_pOutput) return m_pOutput->AppendChar(c) ? 1 : Fail(35);
    // White space and line ends between calls need no open file.
    return IsVisible(c) ? Fail(74) : 1;
}

int CScriptInterpreter::EmitTextRun(int from, int to) {
    const std::string_view run(m_strText.data() + from, static_cast<std::size_t>(to - from));
    if (m_pOutput) {
        WriteList(run);
        return m_pOutput->AppendString(run) ? 1 : Fail(35);
    }
    const auto visible = std::find_if(run.begin(), run.end(), IsVisible);
    if (visible == run.end()) {
        WriteList(run);
        return 1;
    }
    const auto at = static_cast<std::size_t>(visible - run.begin());
    WriteList(run.substr(0, at + 1));
    m_nPos = from + static_cast<int>(at);
    m_nErrorPos = m_nPos;
    return Fail(74);
}

int CScriptInterpreter::SubstituteVariable() {
    std::string& reference = m_strFuncName;
    reference.assign(1, '?');
    ++m_nPos;
    const int length = static_cast<int>(m_strText.size());
    int depth = 0;
    int read = 0;
    for (;;) {
        if (m_nPos >= length) return Fail(75);
        const char c = m_strText[static_cast<std::size_t>(m_nPos)];
        if (c == '\n') return Fail(98);
        reference.push_back(c);
        if (c == '?' && depth == 0) break;
        if (c == '[') {
            ++depth;
        } else if (c == ']') {
            if (depth > 0) --depth;
        } else if (c == '\\') {
            // The escaped character goes with it, so \? never closes the reference.
            if (++m_nPos >= length) return Fail(75);
            reference.push_back(m_strText[static_cast<std::size_t>(m_nPos)]);
            ++read;
        }
        ++m_nPos;
        if (++read >= kMaxReferenceRead) return Fail(97);
    }
    if (!ExpandText(reference)) return 0;
    if (!m_pOutput) return Fail(74);

    std::string_view value = m_strMessage;
    if (m_nLineMode == 1 || m_nLineMode == 2 || m_bEntities) {
        std::string& out = m_strSubstituted;
        out.clear();
        for (std::size_t i = 0; i < value.size(); ++i) {
            const char c = value[i];
            if (c == '\r' && m_nLineMode == 1) {
                out.append("<BR>\r");
            } else if (c == '\r' && m_nLineMode == 2) {
            } else if (c == '\n' && m_nLineMode == 2) {
                out.append("<BR>");
            } else if (m_bEntities && (c == '"' || c == '&' || c == '<' || c == '>' ||
                                       static_cast<unsigned char>(c) >= 161)) {
                unsigned codePoint = 0;
                const int sequence = Utf8Sequence(value.substr(i), codePoint);
                if (sequence > 0) {
                    AppendEntity(out, codePoint);
                    i += static_cast<std::size_t>(sequence) - 1;
                } else {
                    AppendEntity(out, static_cast<unsigned char>(c));
                }
            } else {
                out.push_back(c);
            }
        }
        value = out;
    }
    if (!m_pOutput->AppendString(value)) return Fail(35);
    WriteList(value);
    return 1;
}

ScriptResult CScriptInterpreter::EmitCallStartAsText(int start) {
    m_nPos = start;
    return EmitChar(m_strText[static_cast<std::size_t>(start)]);
}

ScriptResult CScriptInterpreter::CallFunction() {
    const int start = m_nPos;
    // Nested calls change m_bTagForm; the block check needs the form this call began with.
    const int tagForm = m_bTagForm;
    const int length = static_cast<int>(m_strText.size());
    m_nArgCount = 0;
    ++m_nPos;
    bool closer = false;
    if (tagForm) {
        if (m_nPos < length && m_strText[static_cast<std::size_t>(m_nPos)] == '/') {
            closer = true;
            ++m_nPos;
        }
        const char f = m_nPos < length ? m_strText[static_cast<std::size_t>(m_nPos)] : '\0';
        if (f != 'f' && f != 'F') return EmitCallStartAsText(start);
        ++m_nPos;
    }
    if (!ReadFunctionName()) return script_result::kFailed;
    const std::string lower = platform::AsciiLowered(m_strFuncName);

    if (tagForm && IsFTagExclusion(lower)) return EmitCallStartAsText(start);
    const int index = KeywordIndex(lower);
    if (closer) {
        if (index < 0) return EmitCallStartAsText(start);
        m_strCloser = lower;
        return script_result::kTagCloser;
    }
    if (lower.empty()) return Fail(96);

    if (index < 0) {
        const std::string name(m_strFuncName);
        const ScriptResult r = CallSubroutine(name);
        m_bTagForm = tagForm;
        if (r == script_result::kFailed) return script_result::kFailed;
        if (r != script_result::kBlockEnd) return script_result::kDone;
        // No such subroutine: an unknown tag is always text, an unknown ampersand call only
        // when the project allows it; ERROR 77 is in the message.
        if (!tagForm && g_settings.Get(g_strProject.Get(), project_key::eofnnf) != 0)
            return script_result::kFailed;
        return EmitCallStartAsText(start);
    }

    if (index != kElseIndex && index != kElseifIndex) m_nIfState = 3;
    if (!ParseArgs()) return script_result::kFailed;
    ScriptResult r = Dispatch(index);
    m_bTagForm = tagForm;
    if (r == script_result::kFailed) r = HandleFailedCall(start, tagForm, lower);
    if ((r == script_result::kDone || r == script_result::kBlockEnd) && IsBlockFunction(lower)) {
        const bool endsAsBegun = tagForm ? m_strCloser == lower : m_strCloser == "}";
        if (!endsAsBegun) return Fail(117);
    }
    return r;
}

ScriptResult CScriptInterpreter::HandleFailedCall(int start, int tagForm,
                                                  std::string_view lowerName) {
    // An error inside the handler, or one that reaches an outer call while the handler's flag
    // is still set, is not handled again.
    if (m_bInErrorHandler || !IsHandledError(m_strMessage)) return script_result::kFailed;
    m_bInErrorHandler = 1;
    g_settings.Set(g_strProject.Get(), project_key::lstprojerrmsg, m_strMessage);
    const std::string keptMessage = m_strMessage;
    const int keptErrorPos = m_nErrorPos;
    ScriptResult answer = CallSubroutine(kOnError);
    for (;;) {
        m_bTagForm = tagForm;
        if (answer == script_result::kIgnore) {
            m_bInErrorHandler = 0;
            if (!SkipFailedCall(start, tagForm, IsBlockFunction(lowerName)))
                return script_result::kFailed;
            return script_result::kDone;
        }
        if (answer != script_result::kRetry) {
            // The handler ended normally, or there is none: the first failure stands. A handler
            // that failed leaves its own message.
            if (answer != script_result::kFailed) {
                m_strMessage = keptMessage;
                m_nErrorPos = keptErrorPos;
            }
            return script_result::kFailed;
        }
        m_nPos = start;
        const ScriptResult retried = CallFunction();
        m_bTagForm = tagForm;
        if (retried != script_result::kFailed) {
            m_strMessage = keptMessage;
            m_nErrorPos = keptErrorPos;
            m_bInErrorHandler = 0;
            return retried;
        }
        answer = CallSubroutine(kOnError);
    }
}

int CScriptInterpreter::SkipFailedCall(int start, int tagForm, bool blockFunction) {
    // The call is read again from its start without evaluating anything, wherever it stopped.
    m_bTagForm = tagForm;
    m_nPos = start + (tagForm ? 2 : 1);
    if (!ReadFunctionName() || !ParseArgs()) return 0;
    if (!blockFunction) return 1;
    return ExpectBlockOpen() && SkipBlock() ? 1 : 0;
}

int CScriptInterpreter::ReadFunctionName() {
    const int length = static_cast<int>(m_strText.size());
    const int start = m_nPos;
    for (;;) {
        if (m_nPos - start == kNameLimit) break;
        if (m_nPos >= length) return Fail(80);
        const char c = m_strText[static_cast<std::size_t>(m_nPos)];
        if (!IsVisible(c) || c == '(' || c == '{' || c == '}' || (m_bTagForm && c == '>')) break;
        ++m_nPos;
    }
    const std::string_view name(m_strText.data() + start, static_cast<std::size_t>(m_nPos - start));
    if (name.size() == static_cast<std::size_t>(kNameLimit)) {
        // Too long for a function: in the ampersand form an error, unless the project allows
        // unknown names as text; the lookups then take it as text.
        m_strMessage = LoadMessage(83, name);
        if (!m_bTagForm && g_settings.Get(g_strProject.Get(), project_key::eofnnf) != 0) return 0;
    }
    m_strFuncName.assign(name);
    return 1;
}

int CScriptInterpreter::ExpectBlockOpen() {
    const int length = static_cast<int>(m_strText.size());
    if (m_nPos < length && m_strText[static_cast<std::size_t>(m_nPos)] == (m_bTagForm ? '>' : ')'))
        ++m_nPos;
    if (!SkipBlanks()) return 0;
    if (m_bTagForm) return 1;
    if (m_strText[static_cast<std::size_t>(m_nPos)] != '{') return Fail(82);
    ++m_nPos;
    return 1;
}

int CScriptInterpreter::SkipBlock() {
    const int savedTagForm = m_bTagForm;
    const int length = static_cast<int>(m_strText.size());
    int depth = 1;
    std::string closer;
    while (depth > 0) {
        if (m_nPos >= length) {
            m_bTagForm = savedTagForm;
            return Fail(79);
        }
        const char c = m_strText[static_cast<std::size_t>(m_nPos)];
        if (c == '\\') {
            m_nPos += 2;
        } else if (c == '{') {
            ++depth;
            ++m_nPos;
        } else if (c == '}') {
            --depth;
            closer = "}";
            ++m_nPos;
        } else if (c == '<') {
            const int resume = m_nPos + 1;
            m_nPos = resume;
            const bool isCloser =
                m_nPos < length && m_strText[static_cast<std::size_t>(m_nPos)] == '/';
            if (isCloser) ++m_nPos;
            m_bTagForm = 1;
            if (!ReadFunctionName()) {
                m_bTagForm = savedTagForm;
                return 0;
            }
            const std::string name = platform::AsciiLowered(m_strFuncName);
            if (name.size() > 1 && name.front() == 'f' &&
                IsBlockFunction(std::string_view(name).substr(1))) {
                ++m_nPos;
                if (isCloser) {
                    --depth;
                    closer = name.substr(1);
                } else {
                    ++depth;
                }
            } else {
                m_nPos = resume;
            }
        } else {
            ++m_nPos;
        }
    }
    // Blanks after the block are passed; the caller's next step lands on what follows them.
    while (m_nPos < length && !IsVisible(m_strText[static_cast<std::size_t>(m_nPos)]))
        ++m_nPos;
    --m_nPos;
    m_strCloser = std::move(closer);
    m_bTagForm = savedTagForm;
    return 1;
}

void CScriptInterpreter::WriteList(std::string_view text) {
    if (m_pListArchive) m_pListArchive->Write(text);
}

void CScriptInterpreter::MapErrorLine(int line, int& fileLine, std::string& file) const {
    if (m_astrIncludeMap.empty()) {
        fileLine = line;
        file = m_strScriptPath;
        return;
    }
    const auto split = [](const std::string& entry, std::string_view& name, int& from) {
        const std::size_t bar = entry.rfind('|');
        name = std::string_view(entry).substr(0, std::min(bar, entry.size()));
        from = 0;
        if (bar != std::string::npos)
            std::from_chars(entry.data() + bar + 1, entry.data() + entry.size(), from);
    };
    std::string_view errorFile;
    for (const std::string& entry : m_astrIncludeMap) {
        std::string_view name;
        int from = 0;
        split(entry, name, from);
        if (from > line) break;
        errorFile = name;
    }
    int skipped = 0;
    int previousFrom = 0;
    std::string_view previousName;
    for (std::size_t k = 0; k < m_astrIncludeMap.size(); ++k) {
        std::string_view name;
        int from = 0;
        split(m_astrIncludeMap[k], name, from);
        if (k > 0 && from > line) break;
        // Lines of other files before the error's line are not lines of the error file.
        if (k == 0 || previousName != errorFile) skipped += from - previousFrom;
        previousFrom = from;
        previousName = name;
    }
    fileLine = line + 1 - skipped;
    file.assign(errorFile);
}

void CScriptInterpreter::ReportError() {
    const std::string_view text = m_strText;
    const int length = static_cast<int>(text.size());
    const int pos = std::clamp(m_nErrorPos, 0, length);
    int end = pos;
    while (end < length - 1 && text[static_cast<std::size_t>(end)] != '\r' &&
           text[static_cast<std::size_t>(end)] != '\n') {
        ++end;
    }
    WriteList(text.substr(static_cast<std::size_t>(pos), static_cast<std::size_t>(end - pos)));
    WriteList("\r\n");

    const int expandedLine =
        1 + static_cast<int>(std::count(text.begin(), text.begin() + pos, '\n'));
    int line = 0;
    std::string file;
    MapErrorLine(expandedLine, line, file);
    g_settings.Set(kGlobalSection, global_key::lasterrorline, line);

    std::string report(kCaretRow);
    report.append("Error in or near above line. (Line ")
        .append(std::to_string(line))
        .append(" of file \"")
        .append(file)
        .append("\")\r\n\r\n")
        .append(m_strMessage)
        .append("\r\nProcessing halted.\r\n");
    WriteList(report);
}

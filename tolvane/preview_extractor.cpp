#include "tolvane/preview_extractor.h"

#include <algorithm>

#include "shared/script_keywords.h"

namespace {

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

bool IsBuiltIn(std::string_view name) {
    if (!name.starts_with('&')) return false;
    name.remove_prefix(1);
    return name == "include" ||
           std::find(kScriptKeywords.begin(), kScriptKeywords.end(), name) != kScriptKeywords.end();
}

}  // namespace

bool CPreviewExtractor::BuildPage(std::string_view script, std::string_view name) {
    RemoveComments(script);
    m_output = std::make_unique<COutputBuffer>();
    m_nDepth = 0;
    m_bCopying = true;
    m_nSwitchOffDepth = 0;
    m_bFull = false;
    m_activeSubroutines.clear();
    if (!CopyBlock("&html", name) || m_bFull) return false;
    m_output->CompactLines();
    return true;
}

void CPreviewExtractor::RemoveComments(std::string_view script) {
    m_strSource.clear();
    m_strSource.reserve(script.size());
    for (std::size_t i = 0; i < script.size(); ++i) {
        if (script[i] == '\\') {
            m_strSource += script.substr(i, 2);
            ++i;
        } else if (script[i] == '#') {
            const std::size_t lineEnd = script.find('\n', i);
            if (lineEnd == std::string_view::npos) break;
            i = lineEnd;
        } else {
            m_strSource += script[i];
        }
    }
}

CPreviewExtractor::Call CPreviewExtractor::ReadCall(std::size_t at) const {
    const std::string_view source = m_strSource;
    Call call;
    std::size_t i = at + 1;
    while (i < source.size() && !IsBlank(source[i]) && source[i] != '(' && source[i] != '{' &&
           source[i] != '}')
        ++i;
    call.name = source.substr(at, i - at);
    call.nameEnd = i;
    while (i < source.size() && IsBlank(source[i]))
        ++i;
    if (i < source.size() && source[i] == '(') {
        const std::size_t open = i;
        int nesting = 0;
        for (; i < source.size() && source[i] != '\n'; ++i) {
            if (source[i] == '(') ++nesting;
            if (source[i] == ')' && --nesting == 0) {
                ++i;
                break;
            }
        }
        const std::string_view list = source.substr(open, i - open);
        const std::size_t quote = list.find('"');
        const std::size_t closing =
            quote == std::string_view::npos ? quote : list.find('"', quote + 1);
        if (closing != std::string_view::npos)
            call.firstArgument = list.substr(quote + 1, closing - quote - 1);
    }
    call.end = i;
    return call;
}

bool CPreviewExtractor::CopyBlock(std::string_view keyword, std::string_view argument) {
    const std::string_view source = m_strSource;
    for (std::size_t i = 0; i < source.size();) {
        if (source[i] == '\\') {
            i += 2;
            continue;
        }
        if (source[i] != '&') {
            ++i;
            continue;
        }
        const Call call = ReadCall(i);
        if (call.name != keyword) {
            i = call.nameEnd;
            continue;
        }
        if (call.firstArgument != argument) {
            i = call.end;
            continue;
        }
        const std::size_t open = source.find('{', call.end);
        return open == std::string_view::npos || WalkBlock(open);
    }
    return false;
}

bool CPreviewExtractor::WalkBlock(std::size_t at) {
    const std::string_view source = m_strSource;
    const int entryDepth = m_nDepth;
    for (std::size_t i = at; i < source.size();) {
        const char c = source[i];
        if (c == '\\') {
            if (i + 1 < source.size() && !Copy(source[i + 1])) return true;
            i += 2;
        } else if (c == '{') {
            ++m_nDepth;
            ++i;
        } else if (c == '}') {
            --m_nDepth;
            if (!m_bCopying && m_nDepth == m_nSwitchOffDepth) m_bCopying = true;
            // The block's own closing brace: what follows is outside it.
            if (m_nDepth == entryDepth) return true;
            ++i;
        } else if (c == '&') {
            const Call call = ReadCall(i);
            i = call.end;
            if (!IsBuiltIn(call.name)) {
                const std::string subroutine(call.name.substr(1));
                if (m_activeSubroutines.contains(subroutine) ||
                    m_activeSubroutines.size() >= kMaxSubroutineDepth)
                    return false;
                m_activeSubroutines.insert(subroutine);
                const bool found = CopyBlock("&defsub", subroutine);
                m_activeSubroutines.erase(subroutine);
                if (!found) return false;
            } else if ((call.name == "&html" || call.name == "&else") && m_bCopying) {
                m_bCopying = false;
                m_nSwitchOffDepth = m_nDepth;
            }
        } else if (m_nDepth == entryDepth) {
            return true;
        } else {
            if (!Copy(c)) return true;
            ++i;
        }
    }
    return true;
}

// False once the page no longer fits the buffer; BuildPage then reports the page as not built.
bool CPreviewExtractor::Copy(char c) {
    if (!m_bCopying) return true;
    if (!m_output->AppendChar(c)) m_bFull = true;
    return !m_bFull;
}

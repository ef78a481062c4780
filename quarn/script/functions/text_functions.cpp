#include "quarn/script/functions/text_functions.h"

#include <locale.h>
#include <wctype.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cwchar>
#include <limits>
#include <string>
#include <string_view>
#include <utility>

#include "platform/ascii.h"
#include "platform/c_locale.h"
#include "quarn/script/functions/function_support.h"
#include "quarn/script/memory_guard.h"

using namespace script_functions;
using namespace script_result;

namespace {

constexpr int kHexConversion = 17;

// The bytes pack leaves as they are.
constexpr std::string_view kUnescaped =
    "1234567890abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_@-.*+";
constexpr std::string_view kHexDigits = "0123456789ABCDEF";

// Runs `build`(result) and stores the result in the call's target. Nothing is stored when the
// build fails; running out of memory fails it with ERROR 120.
template <typename Build>
ScriptResult StoreBuilt(CScriptInterpreter& in, Build build) {
    std::string result;
    if (!in.GuardMemory([&] { return build(result); })) return kFailed;
    return in.SetVariable(Arg(in, 0), result);
}

// --- Case ---

using CaseMap = wint_t (*)(wint_t, locale_t);

// The character tables case mapping reads: C.UTF-8's, whatever the process locale is; where
// that locale is missing, C's, which decodes and maps ASCII only.
locale_t CaseLocale() {
    static const locale_t locale = [] {
        const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
        return utf8 != locale_t{} ? utf8 : platform::CLocale();
    }();
    return locale;
}

// `text` with each character that decodes replaced by its mapping; other bytes (not UTF-8, or a
// zero byte) as they stand. ERROR 120 when the result would pass kMaxTextLength.
int MapCase(CScriptInterpreter& in, std::string_view text, CaseMap map, std::string& out) {
    const locale_t locale = CaseLocale();
    const platform::ThreadLocale scope(locale);
    out.reserve(text.size());
    std::mbstate_t state{};
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t left = text.size() - i;
        wchar_t decoded = 0;
        std::size_t used = std::mbrtowc(&decoded, text.data() + i, left, &state);
        char encoded[MB_LEN_MAX];
        std::size_t length = 0;
        if (used == 0 || used > left) {
            // A zero byte, or no character (the error values are above any count).
            state = std::mbstate_t{};
            used = 1;
        } else {
            std::mbstate_t encodeState{};
            length =
                std::wcrtomb(encoded, static_cast<wchar_t>(map(decoded, locale)), &encodeState);
        }
        const bool mapped = length > 0 && length <= sizeof encoded;
        const std::size_t grown = mapped ? length : used;
        if (out.size() + grown > kMaxTextLength) return Fail(in, kOutOfMemory);
        if (mapped) {
            out.append(encoded, length);
        } else {
            out.append(text.data() + i, used);
        }
        i += used;
    }
    return 1;
}

// toupper and tolower: the mapped text stored and, on success, listed.
ScriptResult ConvertCase(CScriptInterpreter& in, CaseMap map) {
    if (!CheckArgCount(in, 2, 2) || !in.EvalStringArg(Arg(in, 1))) return kFailed;
    const ScriptResult result =
        StoreBuilt(in, [&](std::string& out) { return MapCase(in, in.m_strMessage, map, out); });
    if (result) in.WriteList(in.m_strMessage);
    return result;
}

// --- replace ---

// `text` with its first `count` occurrences of `search` replaced (all when `count` is
// negative). The result's size is known before it is built: ERROR 120 when it would pass
// kMaxTextLength.
int ReplaceText(CScriptInterpreter& in, std::string_view text, std::string_view search,
                std::string_view replacement, int count, std::string& out) {
    if (count == 0 || (search.empty() && (count < 0 || replacement.empty()))) {
        out.assign(text);
        return 1;
    }
    if (search.empty()) {
        // An empty search text is found in front of the text, count times.
        const std::uint64_t total =
            text.size() + static_cast<std::uint64_t>(count) * replacement.size();
        if (total > kMaxTextLength) return Fail(in, kOutOfMemory);
        out.reserve(total);
        for (int n = 0; n < count; ++n)
            out.append(replacement);
        out.append(text);
        return 1;
    }
    const std::uint64_t wanted =
        count < 0 ? std::numeric_limits<std::uint64_t>::max() : static_cast<std::uint64_t>(count);
    std::uint64_t found = 0;
    for (std::size_t at = text.find(search); at != std::string_view::npos && found < wanted;
         at = text.find(search, at + search.size()))
        ++found;
    const std::uint64_t total = text.size() - found * search.size() + found * replacement.size();
    if (total > kMaxTextLength) return Fail(in, kOutOfMemory);
    out.reserve(total);
    std::size_t from = 0;
    for (std::uint64_t n = 0; n < found; ++n) {
        const std::size_t at = text.find(search, from);
        out.append(text.substr(from, at - from));
        out.append(replacement);
        from = at + search.size();
    }
    out.append(text.substr(from));
    return 1;
}

// --- Tags and escapes ---

void StripHtml(std::string_view text, std::string& out) {
    out.reserve(text.size());
    bool inTag = false;
    for (const char c : text) {
        if (inTag) {
            inTag = c != '>';
        } else if (c == '<') {
            inTag = true;
        } else {
            out += c;
        }
    }
}

int PackText(CScriptInterpreter& in, std::string_view text, std::string& out) {
    const auto escaped = [](char c) { return kUnescaped.find(c) == std::string_view::npos; };
    const std::uint64_t total = text.size() + 2 * static_cast<std::uint64_t>(std::count_if(
                                                      text.begin(), text.end(), escaped));
    if (total > kMaxTextLength) return Fail(in, kOutOfMemory);
    out.reserve(total);
    for (const char c : text) {
        if (!escaped(c)) {
            out += c;
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        out += '%';
        out += kHexDigits[byte >> 4];
        out += kHexDigits[byte & 0x0F];
    }
    return 1;
}

// ERROR 17 for a "%" without two hexadecimal digits after it; "%00" yields nothing.
int UnpackText(CScriptInterpreter& in, std::string_view text, std::string& out) {
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        const int high = i + 1 < text.size() ? platform::HexDigitValue(text[i + 1]) : -1;
        const int low = i + 2 < text.size() ? platform::HexDigitValue(text[i + 2]) : -1;
        if (high < 0 || low < 0) return Fail(in, kHexConversion);
        if (const int byte = high * 16 + low; byte != 0) out += static_cast<char>(byte);
        i += 2;
    }
    return 1;
}

}  // namespace

ScriptResult CFnToupper::Execute() {
    return ConvertCase(*m_pInterp, towupper_l);
}

ScriptResult CFnTolower::Execute() {
    return ConvertCase(*m_pInterp, towlower_l);
}

ScriptResult CFnStrin::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    std::string part;
    if (!CheckArgCount(in, 3, 3) || !TextArg(in, 1, part) || !in.EvalStringArg(Arg(in, 2)))
        return kFailed;
    const std::size_t at = in.m_strMessage.find(part);
    const long long position = at == std::string::npos ? -1 : static_cast<long long>(at);
    return in.SetVariable(Arg(in, 0), std::to_string(position));
}

ScriptResult CFnMidstr::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    std::string text;
    int start = 0;
    int count = 0;
    if (!CheckArgCount(in, 4, 4) || !TextArg(in, 1, text) || !EvalIntArg(in, Arg(in, 2), start) ||
        !EvalIntArg(in, Arg(in, 3), count))
        return kFailed;
    // substr stops a count that runs past the end there, without adding start and count.
    const std::size_t from = static_cast<std::size_t>(std::max(start, 0));
    const std::size_t length = static_cast<std::size_t>(std::max(count, 0));
    return in.SetVariable(Arg(in, 0),
                          from < text.size() ? std::string_view(text).substr(from, length) : "");
}

ScriptResult CFnStrlen::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    if (!CheckArgCount(in, 2, 2) || !in.EvalStringArg(Arg(in, 1))) return kFailed;
    return in.SetVariable(Arg(in, 0), std::to_string(in.m_strMessage.size()));
}

ScriptResult CFnStrtrim::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    if (!CheckArgCount(in, 2, 2) || !in.EvalStringArg(Arg(in, 1))) return kFailed;
    return StoreBuilt(in, [&](std::string& out) {
        out.assign(platform::TrimAsciiSpace(in.m_strMessage));
        return 1;
    });
}

ScriptResult CFnAscii::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    std::string text;
    int position = 0;
    if (!CheckArgCount(in, 2, 3) || !TextArg(in, 1, text)) return kFailed;
    if (in.m_nArgCount == 3 && !EvalIntArg(in, Arg(in, 2), position)) return kFailed;
    const bool inside = position >= 0 && static_cast<std::size_t>(position) < text.size();
    const int byte =
        inside ? static_cast<signed char>(text[static_cast<std::size_t>(position)]) : 0;
    return in.SetVariable(Arg(in, 0), std::to_string(byte));
}

ScriptResult CFnChr::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    int code = 0;
    if (!CheckArgCount(in, 2, 2) || !EvalIntArg(in, Arg(in, 1), code)) return kFailed;
    const char byte = static_cast<char>(static_cast<unsigned>(code) & 0xFFu);
    return in.SetVariable(Arg(in, 0), std::string_view(&byte, 1));
}

ScriptResult CFnReplace::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    std::string text;
    std::string search;
    std::string replacement;
    int count = -1;
    if (!CheckArgCount(in, 4, 5) || !TextArg(in, 1, text) || !TextArg(in, 2, search) ||
        !TextArg(in, 3, replacement))
        return kFailed;
    if (in.m_nArgCount == 5 && !EvalIntArg(in, Arg(in, 4), count)) return kFailed;
    return StoreBuilt(in, [&](std::string& out) {
        return ReplaceText(in, text, search, replacement, count, out);
    });
}

ScriptResult CFnStriphtml::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    if (!CheckArgCount(in, 2, 2) || !in.EvalStringArg(Arg(in, 1))) return kFailed;
    return StoreBuilt(in, [&](std::string& out) {
        StripHtml(in.m_strMessage, out);
        return 1;
    });
}

ScriptResult CFnPack::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    if (!CheckArgCount(in, 2, 2) || !in.EvalStringArg(Arg(in, 1))) return kFailed;
    return StoreBuilt(in, [&](std::string& out) { return PackText(in, in.m_strMessage, out); });
}

ScriptResult CFnUnpack::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    if (!CheckArgCount(in, 2, 2) || !in.EvalStringArg(Arg(in, 1))) return kFailed;
    return StoreBuilt(in, [&](std::string& out) { return UnpackText(in, in.m_strMessage, out); });
}

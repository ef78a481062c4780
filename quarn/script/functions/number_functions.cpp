#include "quarn/script/functions/number_functions.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <string_view>

#include "platform/ascii.h"
#include "platform/c_locale.h"
#include "quarn/script/functions/function_support.h"
#include "quarn/script/memory_guard.h"
#include "quarn/script/number_text.h"
#include "quarn/script/script_interpreter.h"

using namespace script_result;
using namespace script_functions;

namespace {

constexpr int kBadFormat = 14;
constexpr int kBadHexDigit = 92;
constexpr int kBadDate = 124;

// Widest width and precision a number mask may ask for, which keeps a formatted number short.
constexpr int kMaxMaskField = 500;
// Longest dateformat result; a longer one is the empty text.
constexpr std::size_t kMaxDateText = 127;
// Days, hours, minutes and seconds of int range move a date by fewer years than this.
constexpr std::int64_t kMaxCarryYears = 10'000'000;

ScriptResult StoreInt(CScriptInterpreter& in, int value) {
    return in.SetVariable(Arg(in, 0), std::to_string(value));
}

// Whether a value of `length` bytes stored through `target` keeps the message SetVariable
// leaves ("Variable " + target + " set to " + value + CR LF) within the engine's text limit.
bool FitsStoredMessage(std::int64_t length, std::string_view target) {
    constexpr auto kFrame =
        static_cast<std::int64_t>(std::string_view("Variable  set to \r\n").size());
    return length <= static_cast<std::int64_t>(kMaxTextLength) - kFrame -
                         static_cast<std::int64_t>(target.size());
}

int LeadingInt(std::string_view text) {
    return TruncateToInt(NumberFromText(text));
}

// The leading numbers of `text`, of the text after its first `separator` and of the text after
// its second; false when either separator is missing.
bool ReadTriple(std::string_view text, char separator, int& first, int& second, int& third) {
    const std::size_t cut1 = text.find(separator);
    if (cut1 == std::string_view::npos) return false;
    const std::size_t cut2 = text.find(separator, cut1 + 1);
    if (cut2 == std::string_view::npos) return false;
    first = LeadingInt(text);
    second = LeadingInt(text.substr(cut1 + 1));
    third = LeadingInt(text.substr(cut2 + 1));
    return true;
}

struct CalendarFields {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// `fields` as a local time (the time zone's daylight saving rule decides), every field carrying
// over into the next larger one: normalised into `local`, and its seconds since 1970 into `time`.
// False when 32-bit signed seconds cannot hold it.
bool ToLocalTime(const CalendarFields& fields, std::tm& local, std::time_t& time) {
    // Months carry into years here, so that the year handed to mktime fits its int.
    const std::int64_t months = std::int64_t{fields.year} * 12 + fields.month - 1;
    std::int64_t year = months / 12;
    std::int64_t month = months % 12;
    if (month < 0) {
        month += 12;
        --year;
    }
    if (year < 1970 - kMaxCarryYears || year > 1970 + kMaxCarryYears) return false;
    local = std::tm{};
    local.tm_year = static_cast<int>(year - 1900);
    local.tm_mon = static_cast<int>(month);
    local.tm_mday = fields.day;
    local.tm_hour = fields.hour;
    local.tm_min = fields.minute;
    local.tm_sec = fields.second;
    local.tm_isdst = -1;
    // mktime fills tm_wday only on success; its result -1 is also a valid moment.
    local.tm_wday = -1;
    time = std::mktime(&local);
    if (local.tm_wday < 0) return false;
    return time >= std::numeric_limits<std::int32_t>::min() &&
           time <= std::numeric_limits<std::int32_t>::max();
}

// Passes the decimal digits at `pos`; false when their value passes kMaxMaskField.
bool SkipMaskField(std::string_view mask, std::size_t& pos) {
    int value = 0;
    for (; pos < mask.size() && mask[pos] >= '0' && mask[pos] <= '9'; ++pos) {
        value = value * 10 + (mask[pos] - '0');
        if (value > kMaxMaskField) return false;
    }
    return true;
}

// A number mask is "%", flags, width, "." and precision, one of e E f g G, then plain text in
// which "%%" stands for "%". `conversion` gets the checked conversion, the only text that ever
// reaches printf, and `text` the plain text with "%%" read. False for any other mask.
bool SplitNumberMask(std::string_view mask, std::string& conversion, std::string& text) {
    constexpr std::string_view kFlags = "-+ 0#";
    constexpr std::string_view kConversions = "eEfgG";
    std::size_t pos = 1;
    while (pos < mask.size() && kFlags.find(mask[pos]) != std::string_view::npos)
        ++pos;
    if (!SkipMaskField(mask, pos)) return false;
    if (pos < mask.size() && mask[pos] == '.' && !SkipMaskField(mask, ++pos)) return false;
    if (pos >= mask.size() || kConversions.find(mask[pos]) == std::string_view::npos) return false;
    conversion.assign(mask.substr(0, ++pos));
    text.clear();
    for (; pos < mask.size(); ++pos) {
        if (mask[pos] == '%' && (++pos == mask.size() || mask[pos] != '%')) return false;
        text += mask[pos];
    }
    return true;
}

}  // namespace

// --- ftoint ---

CFnFtoint::CFnFtoint(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnFtoint::~CFnFtoint() = default;

ScriptResult CFnFtoint::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    if (!CheckArgCount(in, 2, 2)) return kFailed;
    if (!in.EvalStringArg(Arg(in, 1))) return kFailed;
    return StoreInt(in, TruncateToInt(NumberFromText(in.m_strMessage) + 0.5));
}

// --- dec2hex ---

CFnDec2hex::CFnDec2hex(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnDec2hex::~CFnDec2hex() = default;

ScriptResult CFnDec2hex::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    if (!CheckArgCount(in, 2, 3)) return kFailed;
    int number = 0;
    if (!EvalIntArg(in, Arg(in, 1), number)) return kFailed;
    int width = 0;
    if (in.m_nArgCount == 3 && !EvalIntArg(in, Arg(in, 2), width)) return kFailed;
    char digits[8];
    char* end =
        std::to_chars(digits, digits + sizeof digits, static_cast<std::uint32_t>(number), 16).ptr;
    std::transform(digits, end, digits,
                   [](char c) { return c >= 'a' ? static_cast<char>(c - 'a' + 'A') : c; });
    const std::int64_t length = end - digits;
    const std::int64_t padding = std::max<std::int64_t>(std::int64_t{width} - length, 0);
    if (!FitsStoredMessage(padding + length, Arg(in, 0))) return Fail(in, kOutOfMemory);
    std::string hex;
    const int built = in.GuardMemory([&] {
        hex.assign(static_cast<std::size_t>(padding), '0');
        hex.append(digits, end);
        return 1;
    });
    return built ? in.SetVariable(Arg(in, 0), hex) : kFailed;
}

// --- hex2dec ---

CFnHex2dec::CFnHex2dec(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnHex2dec::~CFnHex2dec() = default;

ScriptResult CFnHex2dec::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    if (!CheckArgCount(in, 2, 2)) return kFailed;
    if (!in.EvalStringArg(Arg(in, 1))) return kFailed;
    const std::string_view text = in.m_strMessage;
    constexpr std::size_t kCountedDigits = 8;
    std::uint32_t value = 0;
    std::size_t position = 0;
    for (auto it = text.rbegin(); it != text.rend(); ++it, ++position) {
        const int digit = platform::UpperHexDigitValue(*it);
        if (digit < 0) return Fail(in, kBadHexDigit);
        if (position < kCountedDigits) value |= static_cast<std::uint32_t>(digit) << (4 * position);
    }
    return StoreInt(in, static_cast<std::int32_t>(value));
}

// --- format ---

CFnFormat::CFnFormat(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnFormat::~CFnFormat() = default;

ScriptResult CFnFormat::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    if (!CheckArgCount(in, 3, 3)) return kFailed;
    if (!in.EvalArg(Arg(in, 2))) return kFailed;
    m_strValue = in.m_strMessage;
    if (!in.EvalStringArg(Arg(in, 1))) return kFailed;
    m_strMask = in.m_strMessage;
    int formatted = 0;
    if (m_strMask.starts_with('%')) {
        formatted = ApplyNumberMask();
    } else if (m_strMask.starts_with('&')) {
        formatted = ApplyPartMask();
    } else {
        formatted = Fail(in, kBadFormat);
    }
    if (!formatted) return kFailed;
    return in.SetVariable(Arg(in, 0), m_strValue);
}

int CFnFormat::ApplyNumberMask() {
    // "#" starts a comment in scripts, so masks write the alternate-form flag as "D".
    std::replace(m_strMask.begin(), m_strMask.end(), 'D', '#');
    std::string conversion;
    std::string text;
    if (!SplitNumberMask(m_strMask, conversion, text)) return Fail(*m_pInterp, kBadFormat);
    const double number = NumberFromText(m_strValue);
    const platform::ThreadLocale cLocale(platform::CLocale());
    const int length = std::snprintf(nullptr, 0, conversion.c_str(), number);
    if (length < 0) return Fail(*m_pInterp, kBadFormat);
    m_strValue.resize(static_cast<std::size_t>(length));
    std::snprintf(m_strValue.data(), m_strValue.size() + 1, conversion.c_str(), number);
    m_strValue += text;
    return 1;
}

int CFnFormat::ApplyPartMask() {
    CScriptInterpreter& in = *m_pInterp;
    m_strMask = platform::AsciiLowered(m_strMask);
    std::string_view part = m_strValue;
    const std::size_t blank = part.find(' ');
    std::string_view letters;
    char separator = 0;
    if (m_strMask.starts_with("&d.")) {
        letters = "ymd";
        separator = '-';
        part = part.substr(0, blank);
    } else if (m_strMask.starts_with("&t.")) {
        letters = "hms";
        separator = ':';
        if (blank != std::string_view::npos) part.remove_prefix(blank + 1);
    } else {
        return Fail(in, kBadFormat);
    }
    if (!SplitParts(part, separator)) return Fail(in, kBadFormat);
    const std::string_view mask = std::string_view(m_strMask).substr(3);
    std::int64_t length = 0;
    for (const char c : mask) {
        const std::size_t which = letters.find(c);
        length += which == std::string_view::npos ? 1 : m_astrParts[which].size();
        if (!FitsStoredMessage(length, Arg(in, 0))) return Fail(in, kOutOfMemory);
    }
    return in.GuardMemory([&] {
        m_strValue.clear();
        m_strValue.reserve(static_cast<std::size_t>(length));
        for (const char c : mask) {
            const std::size_t which = letters.find(c);
            if (which == std::string_view::npos) {
                m_strValue += c;
            } else {
                m_strValue += m_astrParts[which];
            }
        }
        return 1;
    });
}

bool CFnFormat::SplitParts(std::string_view text, char separator) {
    m_astrParts.clear();
    for (int cut = 0; cut < 2; ++cut) {
        const std::size_t at = text.find(separator);
        if (at == std::string_view::npos) return false;
        m_astrParts.emplace_back(text.substr(0, at));
        text.remove_prefix(at + 1);
    }
    m_astrParts.emplace_back(text);
    return true;
}

// --- datecomp ---

CFnDatecomp::CFnDatecomp(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnDatecomp::~CFnDatecomp() = default;

ScriptResult CFnDatecomp::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    if (!CheckArgCount(in, 3, 3)) return kFailed;
    if (!in.EvalStringArg(Arg(in, 1))) return kFailed;
    const std::string first = in.m_strMessage;
    if (!in.EvalStringArg(Arg(in, 2))) return kFailed;
    std::time_t firstTime = 0;
    std::time_t secondTime = 0;
    if (!ParseDateTime(first, firstTime)) return Fail(in, kBadDate);
    const bool firstHasDate = m_bHasDate;
    const bool firstHasTime = m_bHasTime;
    if (!ParseDateTime(in.m_strMessage, secondTime) || m_bHasDate != firstHasDate ||
        m_bHasTime != firstHasTime) {
        return Fail(in, kBadDate);
    }
    return StoreInt(in, (firstTime > secondTime) - (firstTime < secondTime));
}

// A time alone lies on 1 January 1970 local time, which east of UTC is before the epoch: those
// moments are negative and compare like any other.
bool CFnDatecomp::ParseDateTime(std::string_view text, std::time_t& time) {
    const std::size_t blank = text.find(' ');
    const bool bothParts = blank != std::string_view::npos;
    m_bHasDate = bothParts || text.find('-') != std::string_view::npos;
    m_bHasTime = bothParts || !m_bHasDate;
    CalendarFields fields;
    if (m_bHasDate &&
        !ReadTriple(text.substr(0, blank), '-', fields.year, fields.month, fields.day)) {
        return false;
    }
    if (fields.year == 0) fields = CalendarFields{};
    if (m_bHasTime && !ReadTriple(bothParts ? text.substr(blank + 1) : text, ':', fields.hour,
                                  fields.minute, fields.second)) {
        return false;
    }
    std::tm local{};
    return ToLocalTime(fields, local, time);
}

// --- dateformat ---

CFnDateformat::CFnDateformat(CScriptInterpreter& interp) : m_pInterp(&interp) {}
CFnDateformat::~CFnDateformat() = default;

ScriptResult CFnDateformat::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    if (!CheckArgCount(in, 3, 3)) return kFailed;
    if (!in.EvalStringArg(Arg(in, 1))) return kFailed;
    const std::string mask = in.m_strMessage;
    if (!in.EvalStringArg(Arg(in, 2))) return kFailed;
    const std::string_view date =
        std::string_view(in.m_strMessage).substr(0, in.m_strMessage.find(' '));
    CalendarFields fields;
    if (!ReadTriple(date, '-', fields.year, fields.month, fields.day)) return Fail(in, kBadDate);
    std::tm local{};
    std::time_t time = 0;
    if (!ToLocalTime(fields, local, time)) return Fail(in, kBadDate);
    char text[kMaxDateText + 1];
    const std::size_t length =
        strftime_l(text, sizeof text, mask.c_str(), &local, platform::CLocale());
    return in.SetVariable(Arg(in, 0), std::string_view(text, length));
}

// The keyword table and the dispatcher: one row per built-in, in dispatch order.

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

#include "quarn/script/functions/control_functions.h"
#include "quarn/script/functions/data_functions.h"
#include "quarn/script/functions/dialup_function.h"
#include "quarn/script/functions/ftp_functions.h"
#include "quarn/script/functions/http_functions.h"
#include "quarn/script/functions/number_functions.h"
#include "quarn/script/functions/output_functions.h"
#include "quarn/script/functions/pop3_functions.h"
#include "quarn/script/functions/smtp_functions.h"
#include "quarn/script/functions/system_functions.h"
#include "quarn/script/functions/text_functions.h"
#include "quarn/script/functions/variable_functions.h"
#include "quarn/script/script_interpreter.h"
#include "shared/script_keywords.h"

namespace {

// The dispatch index of each keyword.
enum Keyword : int {
    kSql,
    kHtml,
    kNextrow,
    kDatasource,
    kForeachrow,
    kIf,
    kGetrow,
    kElse,
    kDefvar,
    kAssign,
    kDefsub,
    kGosub,
    kInc,
    kDec,
    kLoop,
    kGetdata,
    kDatawrite,
    kDataread,
    kBreak,
    kContinue,
    kToupper,
    kTolower,
    kStrcmp,
    kStrin,
    kMidstr,
    kStrlen,
    kStrtrim,
    kReturn,
    kDie,
    kFtoint,
    kAscii,
    kFor,
    kDo,
    kDelete,
    kWhile,
    kArraydelete,
    kArraysize,
    kMsgbox,
    kInput,
    kPrint,
    kLog,
    kCls,
    kRepeat,
    kChr,
    kDec2hex,
    kHex2dec,
    kExec,
    kSleep,
    kJoin,
    kSplit,
    kRunscript,
    kHtmlrootdir,
    kGetcol,
    kExport,
    kReplace,
    kMkldir,
    kFilelink,
    kFiletest,
    kFormat,
    kDialup,
    kGetmsg,
    kPop3session,
    kMsgno,
    kGetmails,
    kUnpack,
    kHttp,
    kMailtxt,
    kSendmail,
    kPack,
    kFtpsession,
    kFtpput,
    kFtpget,
    kFtpdel,
    kMailheader,
    kElseif,
    kSqlnr,
    kGeterror,
    kDeletemail,
    kRetry,
    kIgnore,
    kStriphtml,
    kFtpcommand,
    kDirectory,
    kFtpmkdir,
    kFtprmdir,
    kDatecomp,
    kDateformat,
    kVoidfunction,
};

constexpr const auto& kKeywords = kScriptKeywords;
static_assert(kKeywords.size() == CScriptInterpreter::kKeywordCount);
static_assert(kKeywords[kForeachrow] == "foreachrow" && kKeywords[kDataread] == "dataread" &&
              kKeywords[kWhile] == "while" && kKeywords[kRunscript] == "runscript" &&
              kKeywords[kFtpsession] == "ftpsession" && kKeywords[kElseif] == "elseif" &&
              kKeywords[kRetry] == "retry" && kKeywords[kVoidfunction] == "voidfunction");

constexpr std::string_view kBlockFuncs =
    " fsql fhtml fforeachrow fif felse fdefsub floop fgetdata ffor fdo frepeat fdialup "
    "fpop3session fgetmails fsendmail fftpsession felseif ";
constexpr std::string_view kFTagExclusions = " ont orm rame rameset n ieldset ";

// The keywords sorted by name, for a binary search that finds what the linear one would: the
// names are distinct.
using IndexedName = std::pair<std::string_view, int>;
const std::array<IndexedName, CScriptInterpreter::kKeywordCount>& SortedKeywords() {
    static const auto sorted = [] {
        std::array<IndexedName, CScriptInterpreter::kKeywordCount> names{};
        for (int i = 0; i < CScriptInterpreter::kKeywordCount; ++i)
            names[static_cast<std::size_t>(i)] = {kKeywords[static_cast<std::size_t>(i)], i};
        std::sort(names.begin(), names.end());
        return names;
    }();
    return sorted;
}

// Built-ins run in a frame of their own, so that Dispatch's frame, which every nested block level
// keeps on the stack, holds none of them.
template <typename Function, typename... Args>
[[gnu::noinline]] ScriptResult RunFunction(CScriptInterpreter& interp, Args... args) {
    Function function(interp);
    return function.Execute(args...);
}

// True when the blank-separated `list` holds `prefix` + `name` as a whole entry, so no name is
// ever found inside a longer one.
bool ListHolds(std::string_view list, std::string_view prefix, std::string_view name) {
    while (!list.empty()) {
        const std::size_t start = list.find_first_not_of(' ');
        if (start == std::string_view::npos) return false;
        list.remove_prefix(start);
        const std::size_t end = std::min(list.find(' '), list.size());
        const std::string_view entry = list.substr(0, end);
        if (entry.size() == prefix.size() + name.size() && entry.starts_with(prefix) &&
            entry.substr(prefix.size()) == name) {
            return true;
        }
        list.remove_prefix(end);
    }
    return false;
}

}  // namespace

void CScriptInterpreter::InitKeywordTables() {
    m_astrKeywords.assign(kKeywords.begin(), kKeywords.end());
    m_strBlockFuncs = kBlockFuncs;
    m_strFTagExclusions = kFTagExclusions;
}

int CScriptInterpreter::KeywordIndex(std::string_view lowerName) const {
    const auto& sorted = SortedKeywords();
    const auto it = std::lower_bound(
        sorted.begin(), sorted.end(), lowerName,
        [](const IndexedName& entry, std::string_view name) { return entry.first < name; });
    return it != sorted.end() && it->first == lowerName ? it->second : -1;
}

bool CScriptInterpreter::IsBlockFunction(std::string_view lowerName) const {
    return !lowerName.empty() && ListHolds(m_strBlockFuncs, "f", lowerName);
}

bool CScriptInterpreter::IsFTagExclusion(std::string_view lowerName) const {
    return !lowerName.empty() && ListHolds(m_strFTagExclusions, "", lowerName);
}

ScriptResult CScriptInterpreter::CallSubroutine(std::string_view name) {
    return RunFunction<CFnGosub>(*this, name);
}

ScriptResult CScriptInterpreter::Dispatch(int index) {
    switch (index) {
        case kSql:
            return RunFunction<CFnSql>(*this, 1);
        case kHtml:
            return RunFunction<CFnHtml>(*this);
        case kNextrow:
            return RunFunction<CFnNextrow>(*this);
        case kDatasource:
            return RunFunction<CFnDatasource>(*this);
        case kForeachrow:
            return RunFunction<CFnForeachrow>(*this);
        case kIf:
            return m_nArgCount < 2 ? RunFunction<CFnIf>(*this, 0)
                                   : RunFunction<CFnStrcmp>(*this, 1);
        case kGetrow:
            return RunFunction<CFnGetrow>(*this);
        case kElse:
            return RunFunction<CFnElse>(*this);
        case kDefvar:
            return RunFunction<CFnDefvar>(*this);
        case kAssign:
            return RunFunction<CFnAssign>(*this);
        case kDefsub:
            return RunFunction<CFnDefsub>(*this);
        case kGosub: {
            // No such subroutine is a failure of gosub itself.
            const ScriptResult result = RunFunction<CFnGosub>(*this, std::string_view{});
            return result == script_result::kBlockEnd ? script_result::kFailed : result;
        }
        case kInc:
            return RunFunction<CFnInc>(*this);
        case kDec:
            return RunFunction<CFnDec>(*this);
        case kLoop:
            return RunFunction<CFnLoop>(*this);
        case kGetdata:
            return RunFunction<CFnGetdata>(*this);
        case kDatawrite:
            return RunFunction<CFnDatawrite>(*this);
        case kDataread:
            return RunFunction<CFnDataread>(*this);
        case kBreak:
            return RunFunction<CFnBreak>(*this);
        case kContinue:
            return RunFunction<CFnContinue>(*this);
        case kToupper:
            return RunFunction<CFnToupper>(*this);
        case kTolower:
            return RunFunction<CFnTolower>(*this);
        case kStrcmp:
            return RunFunction<CFnStrcmp>(*this, 0);
        case kStrin:
            return RunFunction<CFnStrin>(*this);
        case kMidstr:
            return RunFunction<CFnMidstr>(*this);
        case kStrlen:
            return RunFunction<CFnStrlen>(*this);
        case kStrtrim:
            return RunFunction<CFnStrtrim>(*this);
        case kReturn:
            return RunFunction<CFnReturn>(*this);
        case kDie:
            return RunFunction<CFnDie>(*this);
        case kFtoint:
            return RunFunction<CFnFtoint>(*this);
        case kAscii:
            return RunFunction<CFnAscii>(*this);
        case kFor:
            return RunFunction<CFnFor>(*this);
        case kDo:
            return RunFunction<CFnDo>(*this);
        case kDelete:
            return RunFunction<CFnDelete>(*this);
        // A while that belongs to a do block is read by do itself.
        case kWhile:
            return Fail(101);
        case kArraydelete:
            return RunFunction<CFnArraydelete>(*this);
        case kArraysize:
            return RunFunction<CFnArraysize>(*this);
        case kMsgbox:
            return RunFunction<CFnMsgbox>(*this);
        case kInput:
            return RunFunction<CFnInput>(*this);
        case kPrint:
            return RunFunction<CFnPrint>(*this);
        case kLog:
            return RunFunction<CFnLog>(*this);
        case kCls:
            return RunFunction<CFnCls>(*this);
        case kRepeat:
            return RunFunction<CFnRepeat>(*this);
        case kChr:
            return RunFunction<CFnChr>(*this);
        case kDec2hex:
            return RunFunction<CFnDec2hex>(*this);
        case kHex2dec:
            return RunFunction<CFnHex2dec>(*this);
        case kExec:
            return RunFunction<CFnExec>(*this);
        case kSleep:
            return RunFunction<CFnSleep>(*this);
        case kJoin:
            return RunFunction<CFnJoin>(*this);
        case kSplit:
            return RunFunction<CFnSplit>(*this);
        case kRunscript:
            return RunFunction<CFnRunscript>(*this);
        case kHtmlrootdir:
            return RunFunction<CFnHtmlrootdir>(*this);
        case kGetcol:
            return RunFunction<CFnGetcol>(*this);
        case kExport:
            return RunFunction<CFnExport>(*this);
        case kReplace:
            return RunFunction<CFnReplace>(*this);
        case kMkldir:
            return RunFunction<CFnMkldir>(*this);
        case kFilelink:
            return RunFunction<CFnFilelink>(*this);
        case kFiletest:
            return RunFunction<CFnFiletest>(*this);
        case kFormat:
            return RunFunction<CFnFormat>(*this);
        case kDialup:
            return RunFunction<CFnDialup>(*this);
        case kUnpack:
            return RunFunction<CFnUnpack>(*this);
        case kPack:
            return RunFunction<CFnPack>(*this);
        case kMailtxt:
            return RunFunction<CFnMailtxt>(*this);
        case kSendmail:
            return RunFunction<CFnSendmail>(*this);
        case kFtpsession:
            return RunFunction<CFnFtpsession>(*this);
        case kFtpput:
            return RunFunction<CFnFtpput>(*this);
        case kFtpget:
            return RunFunction<CFnFtpget>(*this);
        case kFtpdel:
            return RunFunction<CFnFtpdel>(*this);
        case kElseif:
            return m_nArgCount < 2 ? RunFunction<CFnIf>(*this, 1)
                                   : RunFunction<CFnStrcmp>(*this, 2);
        case kSqlnr:
            return RunFunction<CFnSql>(*this, 0);
        case kGeterror:
            return RunFunction<CFnGeterror>(*this);
        case kRetry:
            return RunFunction<CFnRetry>(*this);
        case kIgnore:
            return RunFunction<CFnIgnore>(*this);
        case kStriphtml:
            return RunFunction<CFnStriphtml>(*this);
        case kFtpcommand:
            return RunFunction<CFnFtpcommand>(*this);
        case kDirectory:
            return RunFunction<CFnDirectory>(*this);
        case kFtpmkdir:
            return RunFunction<CFnFtpmkdir>(*this);
        case kFtprmdir:
            return RunFunction<CFnFtprmdir>(*this);
        case kDatecomp:
            return RunFunction<CFnDatecomp>(*this);
        case kDateformat:
            return RunFunction<CFnDateformat>(*this);
        case kVoidfunction:
            return RunFunction<CFnVoidfunction>(*this);
        case kHttp:
            return RunFunction<CFnHttp>(*this);
        case kPop3session:
            return RunFunction<CFnPop3session>(*this);
        case kGetmails:
            return RunFunction<CFnGetmails>(*this);
        case kGetmsg:
            return RunFunction<CFnGetmsg>(*this);
        case kMsgno:
            return RunFunction<CFnMsgno>(*this);
        case kDeletemail:
            return RunFunction<CFnDeletemail>(*this);
        case kMailheader:
            return RunFunction<CFnMailheader>(*this);
    }
    // Every keyword has its case above; only an index outside the table comes here.
    return Fail(76);
}

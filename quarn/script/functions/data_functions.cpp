#include "quarn/script/functions/data_functions.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/ascii.h"
#include "quarn/script/file_bytes.h"
#include "quarn/script/file_replacement.h"
#include "quarn/script/functions/function_support.h"
#include "quarn/script/memory_guard.h"
#include "quarn/script/name_list.h"
#include "quarn/script/output_change.h"
#include "quarn/script/output_path.h"
#include "quarn/script/output_root.h"
#include "shared/output_buffer.h"

using namespace script_functions;

namespace {

using namespace script_result;

constexpr int kDefaultMaximum = 1000000000;

// datawrite's flags.
constexpr int kExtractOlePackage = 1;
constexpr int kNoHexConversion = 2;
constexpr int kHexConversion = 4;

// The leading decimal digits of `text` as an int (saturating); 0 without any.
int LeadingDigits(std::string_view text) {
    long long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') break;
        value = std::min<long long>(value * 10 + (c - '0'), std::numeric_limits<int>::max());
    }
    return static_cast<int>(value);
}

// Pops the source this call opened, keeping the message of the failure that ends the call.
int PopAndFail(CScriptInterpreter& in) {
    std::string message = std::move(in.m_strMessage);
    in.CloseDatasource();
    in.m_strMessage = std::move(message);
    return 0;
}

// Turns pairs of upper-case hex digits into bytes in place; a trailing odd digit is dropped.
// False at any other character.
bool DecodeHex(std::string& data) {
    const std::size_t pairs = data.size() / 2;
    for (std::size_t i = 0; i < pairs; ++i) {
        const int high = platform::UpperHexDigitValue(data[2 * i]);
        const int low = platform::UpperHexDigitValue(data[2 * i + 1]);
        if (high < 0 || low < 0) return false;
        data[i] = static_cast<char>(high << 4 | low);
    }
    data.resize(pairs);
    return true;
}

// Walks an OLE object's header to its embedded package and keeps only the package's data. Every
// step stays inside `data`; false when the layout does not fit.
class OlePackageReader {
public:
    explicit OlePackageReader(std::string& data) : m_data(data) {}

    bool Extract() {
        std::uint64_t headerSize = 0;
        std::uint64_t length = 0;
        if (!ReadLittleEndian(2, 2, &headerSize)) return false;
        if (!Skip(headerSize) || !Skip(12) || !SkipString() || !Skip(14) || !SkipString() ||
            !SkipString() || !Skip(8) || !SkipString() || !ReadLittleEndian(m_pos, 4, &length) ||
            !Skip(4) || length > m_data.size() - m_pos) {
            return false;
        }
        m_data.erase(0, m_pos);
        m_data.resize(length);
        return true;
    }

private:
    bool Skip(std::uint64_t count) {
        if (count > m_data.size() - m_pos) return false;
        m_pos += count;
        return true;
    }
    bool SkipString() {
        const std::size_t end = m_data.find('\0', m_pos);
        if (end == std::string::npos) return false;
        m_pos = end + 1;
        return true;
    }
    bool ReadLittleEndian(std::uint64_t at, int bytes, std::uint64_t* value) const {
        if (at > m_data.size() || static_cast<std::uint64_t>(bytes) > m_data.size() - at) {
            return false;
        }
        *value = 0;
        for (int i = bytes - 1; i >= 0; --i) {
            *value = *value << 8 | static_cast<unsigned char>(m_data[at + i]);
        }
        return true;
    }

    std::string& m_data;
    std::uint64_t m_pos = 0;
};

// Closes the innermost source and lists the closing message.
void CloseAndList(CScriptInterpreter& in) {
    in.CloseDatasource();
    in.WriteList(in.m_strMessage);
}

// Appends `text` as it stands to the open page: ERROR 74 without one, 35 without memory.
int AppendToPage(CScriptInterpreter& in, std::string_view text) {
    if (in.m_pOutput == nullptr) return Fail(in, 74);
    return in.m_pOutput->AppendString(text) ? 1 : Fail(in, 35);
}

// A call without a target appends `value` to the open page; with one (the first argument) it
// sets that variable and lists the result.
int ToPageOrVariable(CScriptInterpreter& in, bool hasTarget, std::string_view value) {
    if (!hasTarget) return AppendToPage(in, value);
    const int result = in.SetVariable(Arg(in, 0), value);
    in.WriteList(in.m_strMessage);
    return result;
}

}  // namespace

// --- datasource ---

ScriptResult CFnDatasource::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    if (!CheckArgCount(in, 1, 1) || !in.EvalStringArg(Arg(in, 0))) return kFailed;
    in.m_strConnect = in.m_strMessage;
    in.WriteList("datasource connect string set to \"" + in.m_strConnect + "\".\r\n");
    return kDone;
}

// --- sql, sqlnr ---

ScriptResult CFnSql::Execute(int withResultSet) {
    CScriptInterpreter& in = *m_pInterp;
    if (!CheckArgCount(in, 1, 1) || !in.EvalStringArg(Arg(in, 0))) return kFailed;
    if (!withResultSet) {
        if (!in.ExecuteSql(in.m_strMessage)) return kFailed;
        in.WriteList(in.m_strMessage);
        return kDone;
    }
    if (!in.OpenDatasource(in.m_strMessage)) return kFailed;
    in.WriteList(in.m_strMessage);
    if (!in.ExpectBlockOpen()) return PopAndFail(in);
    const ScriptResult result = RunClosedBlock(in);
    if (result == kFailed) return kFailed;
    CloseAndList(in);
    return result;
}

// --- getdata ---

ScriptResult CFnGetdata::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    if (!CheckArgCount(in, 1, 2) || !in.EvalStringArg(Arg(in, 0))) return kFailed;
    if (!in.OpenDatasource(in.m_strMessage)) return kFailed;
    in.WriteList(in.m_strMessage);
    m_nMaximum = kDefaultMaximum;
    if (in.m_nArgCount == 2 && !EvalIntArg(in, Arg(in, 1), m_nMaximum)) return PopAndFail(in);
    in.m_nIfState = 0;
    if (!in.ExpectBlockOpen()) return PopAndFail(in);
    if (in.CurrentRowValid() && m_nMaximum != 0) {
        m_nStart = in.m_nPos;
        const ScriptResult result = RunPass();
        if (result != kNextPass) return result;
    } else if (!in.SkipBlock()) {
        return kFailed;
    }
    CloseAndList(in);
    return kDone;
}

ScriptResult CFnGetdata::RunPass() {
    CScriptInterpreter& in = *m_pInterp;
    for (;;) {
        const ScriptResult result = RunLoopPass(in, m_nStart);
        if (result == kFailed) return kFailed;
        if (result != kNextPass) {
            CloseAndList(in);
            return result;
        }
        const int fetched = in.NextRow();
        if (fetched == 0) return kFailed;
        --m_nMaximum;
        if (fetched != 1 || m_nMaximum <= 0) {
            in.m_nIfState = 1;
            return kNextPass;
        }
    }
}

// --- foreachrow ---

ScriptResult CFnForeachrow::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    if (!CheckArgCount(in, 0, 1)) return kFailed;
    m_nMaximum = kDefaultMaximum;
    if (in.m_nArgCount == 1 && !EvalIntArg(in, Arg(in, 0), m_nMaximum)) return kFailed;
    in.m_nIfState = 0;
    if (!in.ExpectBlockOpen()) return kFailed;
    if (in.m_nDsTop < 0) return Fail(in, 78);
    if (!in.CurrentRowValid() || m_nMaximum == 0) return in.SkipBlock() ? kDone : kFailed;
    m_nStart = in.m_nPos;
    do {
        const ScriptResult result = RunPass();
        if (result != kNextPass) return result;
    } while (in.CurrentRowValid() && m_nMaximum > 0);
    in.m_nIfState = 1;
    return kDone;
}

ScriptResult CFnForeachrow::RunPass() {
    CScriptInterpreter& in = *m_pInterp;
    const ScriptResult result = RunLoopPass(in, m_nStart);
    if (result != kNextPass) return result;
    if (in.NextRow() == 0) return kFailed;
    --m_nMaximum;
    return kNextPass;
}

// --- getrow, nextrow ---

ScriptResult CFnGetrow::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    int row = 0;
    if (!CheckArgCount(in, 1, 1) || !EvalIntArg(in, Arg(in, 0), row)) return kFailed;
    const std::string rowText = in.m_strMessage;
    // No row lies before the first, so nothing is fetched for one.
    if (row < 1 && in.m_nDsTop >= 0) return Fail(in, 52);
    if (!in.MoveCursor(row)) return kFailed;
    in.WriteList("Datasource row " + rowText + " selected.\r\n");
    return kDone;
}

ScriptResult CFnNextrow::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    if (!CheckArgCount(in, 0, 0)) return kFailed;
    return in.NextRow() == 1 ? kDone : kFailed;
}

// --- getcol ---

ScriptResult CFnGetcol::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    if (!CheckArgCount(in, 2, 3)) return kFailed;
    const int last = in.m_nArgCount - 1;
    int column = 0;
    int level = 0;
    if (!EvalIntArg(in, Arg(in, last - 1), column) || !EvalIntArg(in, Arg(in, last), level) ||
        !in.GetColumn(column, level)) {
        return kFailed;
    }
    return ToPageOrVariable(in, in.m_nArgCount == 3, in.m_strMessage);
}

// --- export ---

ScriptResult CFnExport::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    if (!CheckArgCount(in, 1, 2) || !in.EvalStringArg(Arg(in, 0))) return kFailed;
    const std::string written = in.m_strMessage;
    const std::optional<std::string> name = CheckedOutputName(written);
    if (!name) return Fail(in, 95);
    int rows = -1;
    if (in.m_nArgCount == 2 && !EvalIntArg(in, Arg(in, 1), rows)) return kFailed;
    std::string root;
    OutputPlace place;
    if (!PlaceBelowHtmlRoot(in, *name, 4, root, place)) return kFailed;
    in.m_astrGenFiles.push_back(ListEntry(*name));
    const int result = in.ExportRecordset(place.name, rows, place.dir);
    if (result == 0) return kFailed;
    if (result == 1) in.m_astrChgFiles.push_back(ListEntry(*name));
    in.WriteList("Recordset exported to file " + Quoted(written) + ".\r\n");
    return kDone;
}

// --- dataread ---

ScriptResult CFnDataread::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    if (!CheckArgCount(in, 1, 2)) return kFailed;
    if (!in.EvalStringArg(Arg(in, in.m_nArgCount - 1))) return kFailed;
    std::string root;
    if (!OpenHtmlRoot(in, root)) return kFailed;
    std::string text;
    switch (ReadFileBytes(PathBelowRoot(root, in.m_strMessage), text, kMaxTextLength)) {
        case FileBytesRead::kRead:
            break;
        case FileBytesRead::kMissing:
        case FileBytesRead::kUnreadable:
            return Fail(in, 89);
        case FileBytesRead::kTooLong:
        case FileBytesRead::kNoMemory:
            return Fail(in, kOutOfMemory);
    }
    return ToPageOrVariable(in, in.m_nArgCount == 2, text);
}

// --- datawrite ---

ScriptResult CFnDatawrite::Execute() {
    CScriptInterpreter& in = *m_pInterp;
    if (!CheckArgCount(in, 2, 3) || !in.EvalStringArg(Arg(in, 0))) return kFailed;
    const std::string written = in.m_strMessage;
    const std::optional<std::string> name = CheckedOutputName(written);
    if (!name) return Fail(in, 95);
    in.m_astrGenFiles.push_back(ListEntry(*name));
    if (!in.GetValueRef(Arg(in, 1))) return kFailed;
    // Only a NULL column value has no length.
    if (in.m_nRefLength < 0) return kDone;
    const bool binary = in.m_nRefType == COdbcRecordset::kBinary;
    // The value is copied before the flags are evaluated: their expansion may look up columns
    // and variables, which replaces what m_pRefValue points at.
    std::string data;
    const auto copy = [&] {
        data.assign(in.m_pRefValue, static_cast<std::size_t>(in.m_nRefLength));
        return 1;
    };
    if (!CatchOutOfMemory(copy, [&] { return Fail(in, 10); })) return kFailed;
    int flags = 0;
    if (in.m_nArgCount == 3) {
        if (!in.EvalNumberArg(Arg(in, 2))) return kFailed;
        flags = LeadingDigits(in.m_strMessage);
    }
    const bool hexConversion =
        (flags & kHexConversion) != 0 || (binary && (flags & kNoHexConversion) == 0);
    if (hexConversion && !DecodeHex(data)) return Fail(in, 9);
    if ((flags & kExtractOlePackage) != 0 && !OlePackageReader(data).Extract()) return Fail(in, 8);
    std::string root;
    OutputPlace place;
    if (!PlaceBelowHtmlRoot(in, *name, 63, root, place)) return kFailed;
    if (!OutputUnchanged(place.dir, place.name, data)) {
        // Through a temporary, so a failed write leaves the old file whole and out of the list.
        if (!CFileReplacement::ReplaceWith(place.dir, place.name, data)) return Fail(in, 63);
        in.m_astrChgFiles.push_back(ListEntry(*name));
    }
    in.WriteList("Data written to file " + written + ".\r\n");
    return kDone;
}

#include "quarn/script/script_context.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <ctime>
#include <utility>

#include "platform/c_locale.h"
#include "platform/clock.h"
#include "quarn/script/file_replacement.h"
#include "quarn/script/output_change.h"
#include "quarn/services/messages.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"
#include "shared/output_buffer.h"

namespace {

// Room for one more entry, growing geometrically: an exact reserve() per definition would copy
// the whole store each time.
void ReserveOneMore(std::vector<std::string>& entries) {
    if (entries.size() < entries.capacity()) return;
    entries.reserve(std::max<std::size_t>(16, entries.capacity() * 2));
}

constexpr int kBufferOutOfMemory = 35;

// Unnumbered texts of the string table.
constexpr std::string_view kDatasourceClosed = "Datasource closed.";

struct BuiltinName {
    std::string_view name;
    const char* format;
};
constexpr std::array<BuiltinName, CScriptContext::kBuiltinCount> kBuiltins = {{
    {"quarntime", "%X"},
    {"quarntime.s", "%S"},
    {"quarntime.m", "%M"},
    {"quarntime.h", "%H"},
    {"quarndate", "%x"},
    {"quarndate.d", "%d"},
    {"quarndate.dn", "%a"},
    {"quarndate.m", "%m"},
    {"quarndate.mn", "%b"},
    {"quarndate.y", "%Y"},
}};

// The current local time formatted with `format` in the C locale.
void FormatCurrentTime(const char* format, std::string& out) {
    const std::time_t now = platform::CurrentTime();
    std::tm local{};
    char text[64];
    std::size_t length = 0;
    if (localtime_r(&now, &local) != nullptr)
        length = strftime_l(text, sizeof text, format, &local, platform::CLocale());
    out.assign(text, length);
}

// An index written as a plain decimal integer: the number the evaluator would give, without
// running it. False for anything else, which goes to the evaluator.
bool ReadPlainIndex(std::string_view text, int& index) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, index);
    return error == std::errc() && stop == end;
}

bool Append(std::string& out, std::string_view text) {
    if (text.size() > kMaxTextLength - out.size()) return false;
    out.append(text);
    return true;
}

// The end (one past the closing '?') of the reference that starts at `start`, or 0 with the
// message number: 57 when the text ends first, 64 when no close comes within kMaxNameLength + 1
// characters. Brackets nest; a backslash takes the next character with it.
std::size_t ReferenceEnd(std::string_view text, std::size_t start, int* nError) {
    constexpr std::size_t kMaxRead = CScriptContext::kMaxNameLength + 1;
    int depth = 0;
    bool escaped = false;
    for (std::size_t i = start + 1;; ++i) {
        if (i - start - 1 == kMaxRead) {
            *nError = 64;
            return 0;
        }
        if (i == text.size()) {
            *nError = 57;
            return 0;
        }
        const char c = text[i];
        if (escaped) {
            escaped = false;
        } else if (c == '\\') {
            escaped = true;
        } else if (c == '[') {
            ++depth;
        } else if (c == ']') {
            if (depth > 0) --depth;
        } else if (c == '?' && depth == 0) {
            return i + 1;
        }
    }
}

bool IsPlainTextByte(char c) {
    return c != '\\' && c != '?';
}

// One CSV field: a number as it is, anything else quoted with its quotes doubled. The value ends
// at its first zero byte.
int AppendCsvField(COutputBuffer& buffer, std::string_view value, bool numeric) {
    value = value.substr(0, std::min(value.find('\0'), value.size()));
    if (numeric) return buffer.AppendString(value);
    if (!buffer.AppendChar('"')) return 0;
    for (std::size_t quote; (quote = value.find('"')) != std::string_view::npos;) {
        if (!buffer.AppendString(value.substr(0, quote + 1)) || !buffer.AppendChar('"')) return 0;
        value.remove_prefix(quote + 1);
    }
    return buffer.AppendString(value) && buffer.AppendChar('"');
}

// Replaces the file `name` relative to `dir` with `text` (a link there is replaced, not written
// through): 0, or the message number 4 (cannot create) or 6 (a write or the close failed).
int WriteExportFile(int dir, const std::string& name, std::string_view text) {
    CFileReplacement file(dir, name);
    if (!file.Open()) return 4;
    return file.Write(text) && file.Commit() ? 0 : 6;
}

}  // namespace

// Takes the next scratch level for the length of one expansion or parse.
class CScriptContext::ScratchLease {
public:
    explicit ScratchLease(CScriptContext& context) : m_context(context) {
        auto& levels = context.m_vecScratch;
        if (static_cast<std::size_t>(context.m_nScratchDepth) == levels.size())
            levels.push_back(std::make_unique<Scratch>());
        m_scratch = levels[static_cast<std::size_t>(context.m_nScratchDepth)].get();
        ++context.m_nScratchDepth;
    }
    ~ScratchLease() { --m_context.m_nScratchDepth; }
    ScratchLease(const ScratchLease&) = delete;
    ScratchLease& operator=(const ScratchLease&) = delete;

    Scratch& Get() { return *m_scratch; }

private:
    CScriptContext& m_context;
    Scratch* m_scratch;
};

CScriptContext::CScriptContext(platform::MessageQueue* hNotifyWnd) : m_hNotifyWnd(hNotifyWnd) {
    m_astrBuiltinNames.reserve(kBuiltins.size());
    for (const BuiltinName& builtin : kBuiltins)
        m_astrBuiltinNames.emplace_back(builtin.name);
    ResetDatasources();
}

CScriptContext::~CScriptContext() {
    CloseAllDatasources();
}

char CScriptContext::EscapeByte(char c) {
    switch (c) {
        case '0':
            return 0;
        case 'a':
            return 7;
        case 'b':
            return 8;
        case 'f':
            return 12;
        case 'n':
            return 10;
        case 'r':
            return 13;
        case 't':
            return 9;
        case 'v':
            return 11;
        default:
            return c;
    }
}

int CScriptContext::Fail(int nMessage) {
    m_strMessage = LoadMessage(nMessage);
    return 0;
}

template <typename Use>
int CScriptContext::WithReference(std::string_view reference, Use use) {
    return GuardMemory([&] {
        ScratchLease lease(*this);
        std::string_view name;
        int index = 0;
        if (!SplitReference(reference, lease.Get(), name, index)) return 0;
        return use(name, index);
    });
}

// --- Variable store ---

int CScriptContext::DefineVariable(std::string_view name) {
    return GuardMemory([&] {
        // Copied first: the name may view an entry that growing the store moves.
        std::string defined(name);
        ReserveOneMore(m_astrVarNames);
        ReserveOneMore(m_astrVarValues);
        // Neither push can fail once both arrays have room, so they stay of equal size.
        m_astrVarNames.push_back(std::move(defined));
        m_astrVarValues.emplace_back();
        return 1;
    });
}

int CScriptContext::FindVariable(std::string_view name, int n) const {
    const int count = static_cast<int>(m_astrVarNames.size());
    if (n > 0) {
        for (int i = 0; i < count; ++i) {
            if (m_astrVarNames[i] == name && --n == 0) return i;
        }
        return -1;
    }
    for (int i = count - 1; i >= 0; --i) {
        if (m_astrVarNames[i] != name) continue;
        if (n == 0) return i;
        ++n;
    }
    return -1;
}

int CScriptContext::SetVariable(std::string_view reference, std::string_view value) {
    return WithReference(reference, [&](std::string_view name, int index) {
        const int i = FindVariable(name, index);
        if (i < 0) return Fail(54);
        std::string& stored = m_astrVarValues[static_cast<std::size_t>(i)];
        stored.assign(value.data(), value.size());
        m_strCompose.assign("Variable ");
        m_strCompose.append(reference);
        m_strCompose.append(" set to ");
        m_strCompose.append(stored);
        m_strCompose.append("\r\n");
        m_strMessage.swap(m_strCompose);
        return 1;
    });
}

int CScriptContext::CountVariable(std::string_view reference) {
    return WithReference(reference, [&](std::string_view name, int /*index*/) {
        int count = 0;
        for (const std::string& defined : m_astrVarNames)
            count += defined == name;
        return count > 0 ? count : Fail(54);
    });
}

int CScriptContext::DeleteVariable(std::string_view reference) {
    // The newest definition, whatever the index says.
    return WithReference(reference, [&](std::string_view name, int /*index*/) {
        const int i = FindVariable(name, 0);
        if (i < 0) return Fail(54);
        m_strCompose.assign("Variable ?");
        m_strCompose.append(name);
        m_strCompose.append("? deleted.");
        RemoveDefinition(i);
        m_strMessage.swap(m_strCompose);
        return 1;
    });
}

int CScriptContext::DeleteArray(std::string_view reference) {
    return GuardMemory([&] {
        // Each deletion rewrites m_strMessage, which the reference may view.
        const std::string kept(reference);
        int removed = 0;
        while (DeleteVariable(kept))
            ++removed;
        if (removed == 0) return Fail(54);
        m_strMessage = "Array ?" + kept + "? deleted.";
        return 1;
    });
}

void CScriptContext::RemoveDefinition(int i) {
    m_astrVarNames.erase(m_astrVarNames.begin() + i);
    m_astrVarValues.erase(m_astrVarValues.begin() + i);
}

// --- Lookups ---

int CScriptContext::BuiltinIndex(std::string_view name) const {
    for (int i = 0; i < kBuiltinCount; ++i) {
        if (m_astrBuiltinNames[static_cast<std::size_t>(i)] == name) return i;
    }
    return -1;
}

int CScriptContext::FindDefinedValue(std::string_view name, int index, std::string_view& value) {
    if (const int builtin = BuiltinIndex(name); builtin >= 0) {
        FormatCurrentTime(kBuiltins[static_cast<std::size_t>(builtin)].format, m_strBuiltinText);
        value = m_strBuiltinText;
        return 1;
    }
    const int i = FindVariable(name, index);
    if (i < 0) return 0;
    value = m_astrVarValues[static_cast<std::size_t>(i)];
    return 1;
}

int CScriptContext::DatasourceSlot(int level) const {
    const long long slot = level < 1 ? static_cast<long long>(m_nDsTop) + level : level - 1LL;
    return slot >= 0 && slot <= m_nDsTop ? static_cast<int>(slot) : -1;
}

COdbcRecordset* CScriptContext::FindColumn(std::string_view name, int index) {
    if (m_nDsTop < 0) {
        Fail(54);
        return nullptr;
    }
    const int slot = DatasourceSlot(index);
    if (slot < 0) {
        Fail(59);
        return nullptr;
    }
    COdbcRecordset* recordset = m_apDatasource[static_cast<std::size_t>(slot)].get();
    if (!recordset->GetVariable(name)) {
        m_strMessage.assign(recordset->GetValue());
        return nullptr;
    }
    return recordset;
}

int CScriptContext::GetVariableValue(std::string_view name, int n) {
    return GuardMemory([&] {
        std::string_view value;
        if (!FindDefinedValue(name, n, value)) return 0;
        m_strValue.assign(value.data(), value.size());
        return 1;
    });
}

int CScriptContext::FindValue(std::string_view name, int index, std::string_view& value) {
    if (FindDefinedValue(name, index, value)) return 1;
    const COdbcRecordset* recordset = FindColumn(name, index);
    if (recordset == nullptr) return 0;
    value = recordset->GetValue();
    return 1;
}

int CScriptContext::LookupValue(std::string_view name, int index) {
    return GuardMemory([&] {
        std::string_view value;
        if (!FindValue(name, index, value)) return 0;
        m_strValue.assign(value.data(), value.size());
        return 1;
    });
}

int CScriptContext::GetValueRef(std::string_view reference) {
    return WithReference(reference, [&](std::string_view name, int index) {
        if (GetVariableValue(name, index)) {
            m_pRefValue = m_strValue.c_str();
            m_nRefLength = static_cast<int>(m_strValue.size());
            m_nRefType = kVariableType;
            return 1;
        }
        const COdbcRecordset* recordset = FindColumn(name, index);
        if (recordset == nullptr) return 0;
        m_pRefValue = recordset->GetValue().data();
        m_nRefLength = recordset->GetLength();
        m_nRefType = recordset->GetType();
        return 1;
    });
}

// --- Data-source stack ---

int CScriptContext::ResetDatasources() {
    CloseAllDatasources();
    m_strConnect.clear();
    return 1;
}

int CScriptContext::OpenDatasource(std::string_view sql) {
    if (m_nDsTop >= kMaxDatasources - 1) return Fail(60);
    return GuardMemory([&] {
        auto recordset = std::make_unique<COdbcRecordset>(m_hNotifyWnd);
        const bool opened = recordset->Connect(m_strConnect) && recordset->ExecuteSql(sql, true);
        // The diagnostic, or the recordset's "SQL successfully executed.".
        m_strMessage.assign(recordset->GetValue());
        // A source that failed to open is never left on the stack.
        if (!opened) return 0;
        m_apDatasource[static_cast<std::size_t>(++m_nDsTop)] = std::move(recordset);
        return 1;
    });
}

int CScriptContext::ExecuteSql(std::string_view sql) {
    return GuardMemory([&] {
        COdbcRecordset recordset(m_hNotifyWnd);
        const bool executed = recordset.Connect(m_strConnect) && recordset.ExecuteSql(sql, false);
        // The diagnostic, or the recordset's "SQL successfully executed.".
        m_strMessage.assign(recordset.GetValue());
        return executed ? 1 : 0;
    });
}

int CScriptContext::CloseDatasource() {
    if (m_nDsTop >= 0) m_apDatasource[static_cast<std::size_t>(m_nDsTop--)].reset();
    m_strMessage = WithProgramTitle(kDatasourceClosed);
    return 1;
}

void CScriptContext::CloseAllDatasources() {
    for (; m_nDsTop >= 0; --m_nDsTop)
        m_apDatasource[static_cast<std::size_t>(m_nDsTop)].reset();
}

int CScriptContext::CurrentRowValid() const {
    return m_nDsTop >= 0 && m_apDatasource[static_cast<std::size_t>(m_nDsTop)]->IsRowAvailable();
}

int CScriptContext::MoveCursor(int row) {
    if (m_nDsTop < 0) return Fail(53);
    COdbcRecordset& recordset = *m_apDatasource[static_cast<std::size_t>(m_nDsTop)];
    if (!recordset.FetchRow(row)) {
        m_strMessage.assign(recordset.GetValue());
        return 0;
    }
    return recordset.IsRowAvailable() ? 1 : Fail(52);
}

int CScriptContext::NextRow() {
    if (m_nDsTop < 0) return Fail(53);
    COdbcRecordset& recordset = *m_apDatasource[static_cast<std::size_t>(m_nDsTop)];
    if (!recordset.FetchNext()) {
        m_strMessage.assign(recordset.GetValue());
        return 0;
    }
    if (recordset.IsRowAvailable()) return 1;
    Fail(52);
    return 2;
}

int CScriptContext::GetColumn(int column, int level) {
    const int slot = DatasourceSlot(level);
    if (slot < 0) return Fail(59);
    COdbcRecordset& recordset = *m_apDatasource[static_cast<std::size_t>(slot)];
    const int result = recordset.GetColumn(column);
    m_strMessage.assign(recordset.GetValue());
    return result;
}

int CScriptContext::ExportRecordset(std::string_view name, int rows, int dir) {
    if (m_nDsTop < 0) return Fail(5);
    return GuardMemory([&] {
        const std::string file(name);
        COdbcRecordset& recordset = *m_apDatasource[static_cast<std::size_t>(m_nDsTop)];
        if (rows == -1) rows = recordset.GetRowCount();
        COutputBuffer buffer;
        for (int row = 0; row < rows && recordset.IsRowAvailable(); ++row) {
            for (int column = 1; column <= recordset.GetColumnCount(); ++column) {
                if (!recordset.GetColumn(column)) {
                    m_strMessage.assign(recordset.GetValue());
                    return 0;
                }
                if (column > 1 && !buffer.AppendChar(',')) return Fail(kBufferOutOfMemory);
                const bool numeric = recordset.GetType() == COdbcRecordset::kNumber;
                if (!AppendCsvField(buffer, recordset.GetValue(), numeric))
                    return Fail(kBufferOutOfMemory);
            }
            if (!buffer.AppendString("\r\n")) return Fail(kBufferOutOfMemory);
            if (!recordset.FetchNext()) {
                m_strMessage.assign(recordset.GetValue());
                return 0;
            }
        }
        if (OutputUnchanged(dir, file, buffer.GetWrittenText())) return 2;
        if (const int nError = WriteExportFile(dir, file, buffer.GetWrittenText()))
            return Fail(nError);
        return 1;
    });
}

// --- Substitution ---

int CScriptContext::ExpandText(std::string_view text) {
    return GuardMemory([&] {
        if (!ExpandInto(text, m_strExpandOut)) return 0;
        m_strMessage.swap(m_strExpandOut);
        return 1;
    });
}

int CScriptContext::ParseVariableRef(std::string_view reference) {
    return WithReference(reference, [&](std::string_view name, int /*index*/) {
        m_strCompose.assign(name);
        m_strMessage.swap(m_strCompose);
        return 1;
    });
}

int CScriptContext::ExpandInto(std::string_view text, std::string& out) {
    ScratchLease lease(*this);
    out.clear();
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t run = i;
        while (run < text.size() && IsPlainTextByte(text[run]))
            ++run;
        if (!Append(out, text.substr(i, run - i))) return Fail(kOutOfMemory);
        i = run;
        if (i == text.size()) break;

        if (text[i] == '\\') {
            const char escaped = i + 1 < text.size() ? EscapeByte(text[i + 1]) : '\\';
            if (!Append(out, std::string_view(&escaped, 1))) return Fail(kOutOfMemory);
            i += 2;
            continue;
        }

        int nError = 0;
        const std::size_t end = ReferenceEnd(text, i, &nError);
        if (end == 0) return Fail(nError);
        std::string_view name;
        int index = 0;
        if (!SplitReference(text.substr(i, end - i), lease.Get(), name, index)) return 0;
        std::string_view value;
        if (!FindValue(name, index, value)) return 0;
        if (!Append(out, value)) return Fail(kOutOfMemory);
        i = end;
    }
    return 1;
}

int CScriptContext::SplitReference(std::string_view reference, Scratch& scratch,
                                   std::string_view& name, int& index) {
    if (reference.empty() || reference.front() != '?' || reference.back() != '?') return Fail(48);
    const std::string_view rest =
        reference.size() < 2 ? std::string_view() : reference.substr(1, reference.size() - 2);
    if (rest.empty()) return Fail(50);
    if (rest.size() > static_cast<std::size_t>(kMaxNameLength)) return Fail(64);

    index = 0;
    if (rest.find_first_of("[]\\") == std::string_view::npos) {
        name = rest;
        m_nRefIndex = 0;
        return 1;
    }

    scratch.strName.clear();
    scratch.strIndex.clear();
    bool hasIndex = false;
    int depth = 0;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        const char c = rest[i];
        if (c == '\\') {
            if (++i < rest.size()) scratch.strName += rest[i];
        } else if (c == '[') {
            if (depth == 0) {
                hasIndex = true;
            } else {
                scratch.strIndex += c;
            }
            ++depth;
        } else if (c == ']') {
            if (depth > 1) scratch.strIndex += c;
            if (depth > 0) --depth;
        } else {
            (depth > 0 ? scratch.strIndex : scratch.strName) += c;
        }
    }
    if (hasIndex && rest.back() != ']') return Fail(58);
    name = scratch.strName;

    m_nRefIndex = 0;
    if (hasIndex) {
        if (!ExpandInto(scratch.strIndex, scratch.strExpanded)) return 0;
        if (!ReadPlainIndex(scratch.strExpanded, index)) {
            if (!Evaluate(scratch.strExpanded)) {
                m_strMessage = m_strResult;
                return 0;
            }
            index = TruncateToInt(NumberFromText(m_strResult));
        }
    }
    m_nRefIndex = index;
    return 1;
}

// The run entry, the loader and the include pass of CScriptInterpreter.

#include "quarn/script/script_interpreter.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <system_error>

#include "platform/ascii.h"
#include "platform/profile_file.h"
#include "quarn/script/file_bytes.h"
#include "quarn/script/functions/function_support.h"
#include "quarn/script/listing_archive.h"
#include "quarn/script/memory_guard.h"
#include "quarn/script/number_text.h"
#include "quarn/script/output_path.h"
#include "quarn/script/output_tracker.h"
#include "quarn/services/frame_caption.h"
#include "quarn/services/html_root.h"
#include "quarn/services/messages.h"
#include "quarn/services/pop3_session.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"
#include "shared/output_buffer.h"
#include "shared/sce_codec.h"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kRunComplete = "Script execution complete.";

// The name an include chain compares: absolute and lexically normal, so "a.inc", "./a.inc" and
// "sub/../a.inc" are one file.
std::string IncludeChainKey(std::string_view path) {
    fs::path file(FileSystemPath(path));
    std::error_code ec;
    if (file.is_relative()) file = fs::current_path(ec) / file;
    return file.lexically_normal().string();
}

bool EndsWithSce(std::string_view path) {
    if (path.size() < 4) return false;
    return platform::EqualsIgnoringAsciiCase(path.substr(path.size() - 4), ".sce");
}

// The text a script file holds: everything before its first zero byte.
std::string_view UpToZeroByte(std::string_view text) {
    return text.substr(0, std::min(text.find('\0'), text.size()));
}

// The part of `path` after its last separator.
std::string_view FileNamePart(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

void SetCaptionTo(std::string_view suffix) {
    std::string caption = g_strProgramTitle.Get();
    if (!suffix.empty()) caption.append("- ").append(suffix);
    SetFrameCaption(caption);
}

}  // namespace

CScriptInterpreter::CScriptInterpreter(platform::MessageQueue* hNotifyWnd)
    : CScriptArgParser(hNotifyWnd) {
    InitKeywordTables();
    m_strMessage = LoadMessage(65);
}

CScriptInterpreter::~CScriptInterpreter() = default;

int CScriptInterpreter::RunScript(std::string_view path, int level) {
    // The project keys every page reads (roothtml, htmltop, resetupload) cost one look at the
    // settings file per run; the run's own writes are still seen at once.
    const platform::ProfileFile::ReadHold settingsHold;
    COutputTracker tracker(".");
    m_nLevel = level;
    m_nErrorPos = 0;
    m_nIfState = 3;
    m_pOutput = nullptr;
    m_pListArchive = nullptr;
    m_pFtp = nullptr;
    m_bInErrorHandler = 0;
    m_nBlockDepth = 0;
    ResetDatasources();

    g_settings.Set(kGlobalSection, global_key::lasterrorline, -1);
    if (level == 0 && !tracker.RotateLogs()) {
        m_strMessage = tracker.Message();
        return 0;
    }

    const std::string listingName = COutputTracker::ListingName(level);
    CListingArchive archive(m_nListingLimit);
    if (!archive.Open(listingName)) {
        Fail(67);
        SetCaptionTo({});
        return 0;
    }
    const bool listing = g_settings.Get(g_strProject.Get(), project_key::listen) != 0;
    if (listing) m_pListArchive = &archive;

    // The listing file stays as created: the next run at this level truncates it.
    if (!LoadScript(path)) return 0;
    SetCaptionTo(FileNamePart(path));

    StripComments();
    m_astrIncludeMap.push_back(std::string(path) + "|1");
    m_astrIncludeChain.assign(1, IncludeChainKey(path));
    const int expanded = ExpandIncludes(*this);
    m_astrIncludeChain.clear();
    m_strText = std::move(m_strExpanded);
    m_strExpanded.clear();

    ScriptResult result = 0;
    if (expanded) {
        m_nPos = 0;
        result = ExecuteBody();
    } else {
        ReportError();
    }

    SetCaptionTo({});
    m_pListArchive = nullptr;
    // A listing that lost bytes is not folded into the run listing as if it were whole.
    const bool listingWritten = archive.Close() != 0;
    if (listing && !listingWritten) {
        if (result != 0) Fail(67);
        result = 0;
    }

    COutputTracker::RunRecord record;
    record.scriptPath = path;
    record.level = level;
    record.succeeded = result != 0;
    record.listing = listing && listingWritten;
    record.listingLimit = m_nListingLimit;
    record.genFiles = m_astrGenFiles;
    record.chgFiles = m_astrChgFiles;
    record.genDirs = m_astrGenDirs;
    record.chgDirs = m_astrChgDirs;
    if (!tracker.FinishRun(record)) {
        m_strMessage = tracker.Message();
        return 0;
    }
    if (result == 0) return 0;
    g_settings.Set(g_strProject.Get(), project_key::resetupload, 0);
    // A return at the top level (6) ends the run successfully too.
    return 1;
}

int CScriptInterpreter::LoadScript(std::string_view path) {
    m_strScriptPath = path;
    std::string bytes;
    switch (ReadFileBytes(FileSystemPath(path), bytes)) {
        case FileBytesRead::kRead:
            break;
        case FileBytesRead::kNoMemory:
            return Fail(kOutOfMemory);
        default:
            m_strMessage = LoadMessage(66, path);
            return 0;
    }
    if (!EndsWithSce(path)) {
        bytes.resize(UpToZeroByte(bytes).size());
        m_strText = std::move(bytes);
        return 1;
    }
    COutputBuffer decoded;
    switch (DecodeScript(bytes, decoded)) {
        case SceDecodeResult::kOk:
            break;
        case SceDecodeResult::kTooShort:
        case SceDecodeResult::kHeaderMismatch:
        case SceDecodeResult::kCheckMismatch:
            return Fail(121);
        case SceDecodeResult::kOutOfMemory:
            return Fail(35);
    }
    return GuardMemory([&] {
        m_strText.assign(decoded.GetWrittenText());
        return 1;
    });
}

ScriptResult CScriptInterpreter::ExecuteBody() {
    if (m_strText.empty()) {
        m_strMessage = WithProgramTitle(kRunComplete);
        return script_result::kDone;
    }
    ScriptResult r = RunBlock();
    switch (r) {
        case script_result::kFailed:
            ReportError();
            break;
        case script_result::kBlockEnd:
            Fail(70);
            ReportError();
            r = script_result::kFailed;
            break;
        case script_result::kBreak:
            Fail(84);
            ReportError();
            r = script_result::kFailed;
            break;
        case script_result::kContinue:
            Fail(85);
            ReportError();
            r = script_result::kFailed;
            break;
        default:
            m_strMessage = WithProgramTitle(kRunComplete);
            break;
    }
    const int length = static_cast<int>(m_strText.size());
    if (r != script_result::kFailed && r != script_result::kReturn && m_nPos < length - 1) {
        r = script_result::kFailed;
        Fail(65);
        WriteList(m_strMessage);
    }
    if (r == script_result::kFailed) g_settings.Set(g_strProject.Get(), project_key::htmltop, "");
    CloseAllDatasources();
    return r;
}

int CScriptInterpreter::FindInclude() {
    const int length = static_cast<int>(m_strText.size());
    for (int pos = 0; pos < length; ++pos) {
        const char c = m_strText[static_cast<std::size_t>(pos)];
        if (c != '&' && c != '<') continue;
        m_bTagForm = c == '<' ? 1 : 0;
        int name = pos + 1;
        if (m_bTagForm) {
            if (name >= length) continue;
            const char f = m_strText[static_cast<std::size_t>(name)];
            if (f != 'f' && f != 'F') continue;
            ++name;
        }
        constexpr std::string_view kInclude = "include";
        int end = name;
        while (end < length) {
            const char n = m_strText[static_cast<std::size_t>(end)];
            if (static_cast<unsigned char>(n) <= ' ' || n == '(' || n == '>') break;
            ++end;
        }
        const std::string_view word = std::string_view(m_strText).substr(
            static_cast<std::size_t>(name), static_cast<std::size_t>(end - name));
        if (platform::EqualsIgnoringAsciiCase(word, kInclude)) return pos;
    }
    return -1;
}

int CScriptInterpreter::ExpandIncludes(CScriptInterpreter& target) {
    for (;;) {
        const int pos = FindInclude();
        if (pos < 0) {
            target.m_strExpanded.append(m_strText);
            return 1;
        }
        target.m_strExpanded.append(m_strText, 0, static_cast<std::size_t>(pos)).append("\r\n");
        target.m_nErrorPos = static_cast<int>(target.m_strExpanded.size()) - 2;

        m_nPos = pos + (m_bTagForm ? 2 : 1);
        if (!ReadFunctionName() || !ParseArgs()) return 0;
        if (m_nArgCount != 1 && m_nArgCount != 2) return Fail(68);
        int flags = 0;
        if (m_nArgCount == 2) {
            if (!EvalNumberArg(m_astrArgs[1])) return 0;
            flags = TruncateToInt(NumberFromText(m_strMessage));
        }
        if (!EvalStringArg(m_astrArgs[0])) return 0;
        const std::string fileName = m_strMessage;

        const std::size_t close =
            m_strText.find(m_bTagForm ? '>' : ')', static_cast<std::size_t>(pos));
        m_strText.erase(0, close == std::string::npos ? m_strText.size() : close + 1);

        auto child = std::make_unique<CScriptInterpreter>(m_hNotifyWnd);
        if (!LoadIncludeFile(target, *child, fileName, flags)) return 0;
        target.m_astrIncludeMap.push_back(fileName + "|" +
                                          std::to_string(CountLines(target.m_strExpanded)));
        child->StripComments();
        const int expanded = child->ExpandIncludes(target);
        target.m_astrIncludeChain.pop_back();
        if (!expanded) {
            m_strMessage = child->m_strMessage;
            return 0;
        }
        target.m_astrIncludeMap.push_back(m_strScriptPath + "|" +
                                          std::to_string(CountLines(target.m_strExpanded) + 1));
    }
}

int CScriptInterpreter::LoadIncludeFile(CScriptInterpreter& target, CScriptInterpreter& child,
                                        const std::string& fileName, int flags) {
    std::vector<std::string>& chain = target.m_astrIncludeChain;
    std::string key = IncludeChainKey(fileName);
    if (static_cast<int>(chain.size()) >= kMaxIncludeChain ||
        std::find(chain.begin(), chain.end(), key) != chain.end()) {
        return Fail(116);
    }
    if (!child.LoadScript(fileName)) {
        m_strMessage = child.m_strMessage;
        return 0;
    }
    child.EscapeSpecials(flags);
    chain.push_back(std::move(key));
    return 1;
}

int CScriptInterpreter::EscapeSpecials(int flags) {
    if (flags == 0) return 1;
    std::string escaped;
    escaped.reserve(m_strText.size() + m_strText.size() / 8);
    for (const char c : m_strText) {
        const bool mark = (c == '#' && (flags & 1)) || (c == '&' && (flags & 2)) ||
                          (c == '?' && (flags & 4)) || (c == '\\' && (flags & 8)) ||
                          ((c == '{' || c == '}') && (flags & 16));
        if (mark) escaped.push_back('\\');
        escaped.push_back(c);
    }
    m_strText = std::move(escaped);
    return 1;
}

void CScriptInterpreter::StripComments() {
    const std::string_view text = m_strText;
    std::string stripped;
    stripped.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\') {
            stripped.push_back(c);
            if (i + 1 < text.size()) stripped.push_back(text[++i]);
        } else if (c == '#') {
            // The comment goes up to its LF, which stays as CR LF so lines keep their numbers.
            const std::size_t lf = text.find('\n', i);
            if (lf == std::string_view::npos) break;
            stripped.append("\r\n");
            i = lf;
        } else {
            stripped.push_back(c);
        }
    }
    m_strText = std::move(stripped);
}

int CScriptInterpreter::CountLines(std::string_view text) {
    return 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

std::string CScriptInterpreter::HtmlRootDir() const {
    return HtmlRootDirectory(".");
}

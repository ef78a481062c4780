#include "quarn/script/ext_script_runner.h"

#include <algorithm>
#include <optional>

#include "platform/ascii.h"
#include "quarn/script/memory_guard.h"
#include "quarn/script/name_list.h"
#include "quarn/script/number_text.h"
#include "quarn/script/output_page.h"
#include "quarn/script/output_path.h"
#include "quarn/script/output_tracker.h"
#include "quarn/services/html_root.h"
#include "quarn/services/messages.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"
#include "shared/output_buffer.h"

namespace {

constexpr std::string_view kTag = "<quarn ";
constexpr std::size_t kReadChunk = 4096;
constexpr std::string_view kRunComplete = "Script execution complete.";
constexpr std::string_view kPrematureEnd =
    "Premature termination of script (Quarn end function not found).";
constexpr std::string_view kNotAllClosed = "ERROR- not all open Quarn output files were closed";

constexpr int kOutputBufferFull = 35;
constexpr int kEndOfLine = 49;
constexpr int kArgumentCount = 68;
constexpr int kUnknownFunction = 77;
constexpr int kPageNotWritten = 81;
constexpr int kHtmlRootUnusable = 94;
constexpr int kIllegalPath = 95;
constexpr int kNestingTooDeep = 125;

std::string_view StartFailureText(platform::PipedShellCommand::StartFailure failure) {
    using StartFailure = platform::PipedShellCommand::StartFailure;
    switch (failure) {
        case StartFailure::kOutputPipe:
            return "Stdout pipe creation failed\n";
        case StartFailure::kInputPipe:
            return "Stdin pipe creation failed\n";
        default:
            return "Create process failed";
    }
}

// A raw argument as the parser's command means it: a quoted one without its quotes.
std::string Unquoted(const std::string& raw) {
    if (raw.size() >= 2 && raw.front() == '"') return raw.substr(1, raw.size() - 2);
    return raw;
}

// A directory as the file system takes it: "\" is a separator.
}  // namespace

CExtScriptRunner::CExtScriptRunner(platform::MessageQueue* hNotifyWnd)
    : m_hNotifyWnd(hNotifyWnd), m_argParser(hNotifyWnd) {}

CExtScriptRunner::~CExtScriptRunner() = default;

int CExtScriptRunner::Run(std::string_view quotedPath, int level) {
    const std::string project = g_strProject.Get();
    std::string command = g_settings.Get(project, project_key::scriptexec);
    command.append(" ").append(quotedPath);
    const auto failure =
        m_parser.Start(command, FileSystemPath(g_settings.Get(project, project_key::scriptdir)));
    if (failure != platform::PipedShellCommand::StartFailure::kNone) {
        m_strMessage = StartFailureText(failure);
        PostText(m_strMessage);
        return 0;
    }

    COutputTracker tracker(".");
    if (level == 0 && !tracker.RotateLogs()) {
        m_strMessage = tracker.Message();
        return 0;
    }
    COutputBuffer outside;
    m_pCurrent = &outside;
    const int read =
        CatchOutOfMemory([this] { return ReadOutput(); }, [this] { return Fail(kOutOfMemory); });
    m_pCurrent = nullptr;
    // Output the reading left behind must not keep the parser blocked on a full pipe.
    m_parser.Finish();

    COutputTracker::RunRecord record;
    record.scriptPath = quotedPath;
    record.level = level;
    record.succeeded = read && m_bEndSeen;
    record.genFiles = m_astrGenFiles;
    record.chgFiles = m_astrChgFiles;
    if (!tracker.FinishRun(record)) {
        m_strMessage = tracker.Message();
        return 0;
    }
    if (!read) return 0;
    if (!m_bEndSeen) {
        PostCompacted(outside);
        m_strMessage = kPrematureEnd;
        return 0;
    }
    g_settings.Set(project, project_key::resetupload, 0);
    m_strMessage = kRunComplete;
    return 1;
}

int CExtScriptRunner::ReadOutput() {
    while (NextLine()) {
        if (!ParseLine() || !AppendLine(m_strLine)) return 0;
        switch (m_nCommand) {
            case kOpenFile:
                if (!OpenFile()) return 0;
                break;
            case kCloseFile:
                return 1;
            case kEnd:
                m_bEndSeen = true;
                break;
            default:
                break;
        }
    }
    if (m_nOpenDepth == 0) return 1;
    PostCompacted(*m_pCurrent);
    m_strMessage = kNotAllClosed;
    m_bEndSeen = true;
    return 0;
}

int CExtScriptRunner::NextLine() {
    std::size_t scanned = 0;
    std::size_t lineEnd = 0;
    while ((lineEnd = m_strPending.find('\n', scanned)) == std::string::npos) {
        scanned = m_strPending.size();
        char chunk[kReadChunk];
        const ssize_t got = m_parser.Read(chunk, sizeof chunk);
        if (got <= 0) {
            if (m_strPending.empty()) return 0;
            m_strLine = std::move(m_strPending);
            m_strPending.clear();
            return 1;
        }
        m_strPending.append(chunk, static_cast<std::size_t>(got));
    }
    m_strLine.assign(m_strPending, 0, lineEnd);
    m_strPending.erase(0, lineEnd + 1);
    return 1;
}

int CExtScriptRunner::ParseLine() {
    m_nCommand = kNoCommand;
    const std::size_t tag = m_strLine.find(kTag);
    if (tag == std::string::npos) return 1;
    const std::size_t nameStart = tag + kTag.size();
    const std::size_t nameEnd =
        std::min(m_strLine.find_first_of("(>", nameStart), m_strLine.size());
    const std::string name(platform::TrimAsciiSpace(
        std::string_view(m_strLine).substr(nameStart, nameEnd - nameStart)));

    m_argParser.m_strText = m_strLine;
    m_argParser.m_nPos = static_cast<int>(nameEnd);
    m_argParser.m_bTagForm = 0;
    if (!m_argParser.ParseArgs()) {
        m_strMessage = m_argParser.m_strMessage;
        return 0;
    }
    // ParseArgs stops one before the first byte after the list and the blanks that follow it.
    const std::size_t close = m_strLine.find('>', static_cast<std::size_t>(m_argParser.m_nPos + 1));
    if (close == std::string::npos) return Fail(kEndOfLine);
    m_astrArgs.clear();
    for (const std::string& raw : m_argParser.m_astrArgs)
        m_astrArgs.push_back(Unquoted(raw));

    std::string_view rest = std::string_view(m_strLine).substr(close + 1);
    if (rest.starts_with('\r')) rest.remove_prefix(1);
    if (!rest.empty()) {
        std::string line(rest);
        line += '\n';
        m_strPending.insert(0, line);
    }
    m_strLine.resize(tag);

    const auto word = std::find(m_astrCommands.begin(), m_astrCommands.end(), name);
    if (word == m_astrCommands.end()) {
        m_nCommand = kUnknown;
        // The run goes on, so the message alone would be overwritten unseen.
        Fail(kUnknownFunction, name);
        PostText(m_strMessage);
    } else {
        m_nCommand = static_cast<int>(word - m_astrCommands.begin());
    }
    return 1;
}

int CExtScriptRunner::OpenFile() {
    if (m_nOpenDepth + 1 >= kMaxOpenDepth) return Fail(kNestingTooDeep);
    if (m_astrArgs.size() != 1 && m_astrArgs.size() != 2) return Fail(kArgumentCount);
    int flags = 0;
    if (m_astrArgs.size() == 2) {
        if (!m_argParser.Evaluate(m_astrArgs[1])) {
            m_strMessage = m_argParser.m_strResult;
            return 0;
        }
        flags = TruncateToInt(NumberFromText(m_argParser.m_strResult));
    }
    const std::optional<std::string> name = CheckedOutputName(m_astrArgs[0]);
    if (!name) return Fail(kIllegalPath);

    const std::string project = g_strProject.Get();
    if (g_settings.Get(project, project_key::htmltop).empty()) {
        g_settings.Set(project, project_key::htmltop, *name);
    }
    m_astrGenFiles.push_back(ListEntry(*name));

    COutputBuffer page;
    COutputBuffer* const enclosing = m_pCurrent;
    m_pCurrent = &page;
    ++m_nOpenDepth;
    const int read = ReadOutput();
    --m_nOpenDepth;
    m_pCurrent = enclosing;
    if (!read) return 0;

    CompactPage(page, flags);
    switch (StorePage(m_outputRoot, HtmlRootDirectory("."), *name, page.GetWrittenText(),
                      m_astrChgFiles)) {
        case PageStore::kStored:
            return 1;
        case PageStore::kOutside:
            return Fail(kIllegalPath);
        case PageStore::kRootUnusable:
            return Fail(kHtmlRootUnusable);
        case PageStore::kNotWritten:
            break;
    }
    return Fail(kPageNotWritten);
}

int CExtScriptRunner::AppendLine(std::string_view text) {
    if (m_pCurrent->AppendString(text) && m_pCurrent->AppendString("\r\n")) return 1;
    return Fail(kOutputBufferFull);
}

void CExtScriptRunner::PostCompacted(COutputBuffer& page) {
    page.CompactLines();
    PostText(std::string(page.GetWrittenText()));
}

void CExtScriptRunner::PostText(std::string text) {
    if (m_hNotifyWnd != nullptr) PostStatusText(*m_hNotifyWnd, std::move(text));
}

int CExtScriptRunner::Fail(int messageNumber, std::string_view value) {
    m_strMessage = LoadMessage(messageNumber, value);
    return 0;
}

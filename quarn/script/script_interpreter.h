#pragma once
// CScriptInterpreter runs one script template: it loads a plain (.scp) or encoded (.sce) file,
// splices in its includes, strips comments, runs the text with the block runner and hands the
// run's bookkeeping to COutputTracker. Construct, RunScript once, destroy; a runscript child is
// a second interpreter at level + 1 on the same thread.
//
// Built-in functions (the CFn classes under functions/) receive the interpreter and work on its
// members directly, so the run state is public. Paths: the process's current directory is the
// project directory; the HTML root is `roothtml` resolved against it. Nothing here changes the
// current directory: file names are resolved to full paths instead.
//
// Only the task thread runs interpreters.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "quarn/script/listing_archive.h"
#include "quarn/script/output_root.h"
#include "quarn/script/script_arg_parser.h"
#include "quarn/script/script_result.h"

class COutputBuffer;
class CFtpClient;
class CPop3Session;

class CScriptInterpreter : public CScriptArgParser {
public:
    static constexpr int kKeywordCount = 88;
    // Most RunBlock activations at once (the script itself, its blocks and subroutine bodies):
    // one more gives ERROR 125, so blocks nest at most 999 deep.
    static constexpr int kMaxNesting = 1000;
    // Most files on one include chain, the main script included: one more gives ERROR 116.
    static constexpr int kMaxIncludeChain = 32;

    explicit CScriptInterpreter(platform::MessageQueue* hNotifyWnd);
    ~CScriptInterpreter() override;

    // Runs the script at `path` (relative to the current directory unless absolute) at nesting
    // `level` (0 for a job of the task thread). 1 on success, 0 on failure; the final text
    // ("Script execution complete." or the error) is in m_strMessage. The cancel flag is left
    // as found: the job that runs the script clears it when it starts.
    int RunScript(std::string_view path, int level);

    // Loading and the include pass.
    int LoadScript(std::string_view path);
    ScriptResult ExecuteBody();
    int ExpandIncludes(CScriptInterpreter& target);
    int FindInclude();
    int EscapeSpecials(int flags);
    void StripComments();
    static int CountLines(std::string_view text);

    // The block runner, call parser and dispatcher.
    ScriptResult RunBlock();
    int EmitChar(char c);
    int SubstituteVariable();
    ScriptResult CallFunction();
    ScriptResult Dispatch(int index);
    int ReadFunctionName();
    int ExpectBlockOpen();
    int SkipBlock();
    void WriteList(std::string_view text);
    void ReportError();

    // The keyword's dispatch index, or -1 for a name that is no keyword.
    int KeywordIndex(std::string_view lowerName) const;
    // True when `lowerName` (without its f) is one of the block functions.
    bool IsBlockFunction(std::string_view lowerName) const;

    // The HTML root (HtmlRootDirectory) of the current directory, the project directory; a
    // relative root stays relative, so file names below it resolve from the current directory.
    std::string HtmlRootDir() const;
    // Where this run's output lands below the HTML root (its root resolved once per run).
    COutputRoot m_outputRoot;

    std::string m_strFuncName;
    std::string m_strScriptPath;
    COutputBuffer* m_pOutput = nullptr;  // the open output file's text; not owned
    std::vector<std::string> m_astrGenFiles;
    std::vector<std::string> m_astrChgFiles;
    std::vector<std::string> m_astrGenDirs;
    std::vector<std::string> m_astrChgDirs;
    std::vector<std::string> m_astrIncludeMap;
    std::string m_strExpanded;
    int m_bEntities = 0;
    int m_nIfState = 3;
    int m_nErrorPos = 0;
    int m_nLevel = 0;
    int m_nLineMode = 0;
    int m_bInErrorHandler = 0;
    std::vector<std::string> m_astrKeywords;
    std::string m_strBlockFuncs;
    std::string m_strCloser;
    std::string m_strFTagExclusions;
    CListingArchive* m_pListArchive = nullptr;  // the run's listing; null when listing is off
    // Most bytes of the run's listing and of its section of the run listing; a runscript child
    // takes its parent's. Tests lower it.
    std::size_t m_nListingLimit = CListingArchive::kDefaultLimit;
    int m_nBlockDepth = 0;  // RunBlock activations now running
    // The session of the pop3session or getmails block that runs; null outside one.
    std::unique_ptr<CPop3Session> m_pPop3;
    // The session of the running ftpsession block, which owns it; null when none.
    CFtpClient* m_pFtp = nullptr;
    int m_nFtpOption = 0;  // 1: the session's transfers are passive
    // The files being expanded by the include pass, outermost first, as absolute lexically
    // normal paths; kept by the top-level interpreter.
    std::vector<std::string> m_astrIncludeChain;

private:
    // The keyword and block-function tables of the constructor.
    void InitKeywordTables();
    // True when the tag <f + `lowerName` is text (font, form, frame, ...).
    bool IsFTagExclusion(std::string_view lowerName) const;
    // CFnGosub's Execute with `name`: 0 failed, 2 no such subroutine, else done.
    ScriptResult CallSubroutine(std::string_view name);
    // EmitChar of each byte in [from, to) of m_strText, in one pass; m_nErrorPos and m_nPos are
    // left on a byte that fails.
    int EmitTextRun(int from, int to);
    // The call at `start` is text after all: its first byte is emitted and RunBlock goes on after
    // it. 1, or 0 when the byte cannot be written.
    ScriptResult EmitCallStartAsText(int start);
    // Runs on_error for the call at `start` that failed with a handled error: 0 when the failure
    // stands, the result of a successful retry, or 1 after an ignore.
    ScriptResult HandleFailedCall(int start, int tagForm, std::string_view lowerName);
    // Passes the call at `start` again without evaluating it, and its block for a block function,
    // so that `ignore` skips exactly that call.
    int SkipFailedCall(int start, int tagForm, bool blockFunction);
    // The line of the error file and the file itself that expanded line `line` came from.
    void MapErrorLine(int line, int& fileLine, std::string& file) const;
    // Loads the include `fileName` into `child` and puts it on the target's chain; ERROR 116 for a
    // file already on the chain or a chain that would grow too long.
    int LoadIncludeFile(CScriptInterpreter& target, CScriptInterpreter& child,
                        const std::string& fileName, int flags);

    std::string m_strSubstituted;  // SubstituteVariable's transformed value
};

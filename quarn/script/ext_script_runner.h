#pragma once
// CExtScriptRunner hands a script to the project's external parser instead of the interpreter and
// turns what the parser writes into pages below the HTML root.
//
// The parser is the project key scriptexec: "/bin/sh -c" runs scriptexec + " " + the quoted
// script path in the project key scriptdir (the project directory when empty). Its standard input
// is at end of file; its standard output and error are read line by line (a line ends at LF, and
// a CR before the LF stays part of the line). A line holding the tag "<quarn " carries a command:
//   <quarn openfile(name [, flags])>   a page opens; the lines up to its closefile are its text
//   <quarn closefile>                  the innermost page closes and is written when it changed
//   <quarn end>                        the parser's output is complete
// The text before the tag stays a line of the page; the text after the closing '>' is read as the
// next line. Arguments are taken literally: no substitution, a quoted one loses its quotes; flags
// are an expression (formatcr, formatnone as for html). Every other line is page text; text
// outside any page is shown as a status line when the run fails without the end command.
//
// Pages and lists are kept as by the interpreter: the same page writing (output_page.h) and the
// same bookkeeping (COutputTracker::FinishRun, without a listing). The reading ends when the
// parser's output closes, at a closefile outside any page, or at the first failure; then the
// pipe is closed and the parser waited for, so it never outlives the run.
//
// One runner per run, built on the task thread's stack, with the project directory as the
// current directory. The run waits for the parser as long as it writes or runs: no cancel.

#include <string>
#include <string_view>
#include <vector>

#include "platform/message_queue.h"
#include "platform/shell_command.h"
#include "quarn/script/output_root.h"
#include "quarn/script/script_arg_parser.h"

class COutputBuffer;

class CExtScriptRunner {
public:
    // An openfile that would make this many pages open at once fails with ERROR 125.
    static constexpr int kMaxOpenDepth = 256;

    // Status lines go to `hNotifyWnd` (nullptr: none).
    explicit CExtScriptRunner(platform::MessageQueue* hNotifyWnd);
    virtual ~CExtScriptRunner();
    CExtScriptRunner(const CExtScriptRunner&) = delete;
    CExtScriptRunner& operator=(const CExtScriptRunner&) = delete;

    // Runs the script `quotedPath` (its full path in double quotes, as the shell is to see it)
    // at nesting `level`; level 0 starts new output lists and deletes stale output at its end.
    // 1 with "Script execution complete.", or 0 with the failure in m_strMessage. Pages written
    // before a failure stay written and listed as changed.
    int Run(std::string_view quotedPath, int level);

    std::string m_strMessage;

private:
    enum Command { kNoCommand = -1, kOpenFile = 0, kCloseFile = 1, kEnd = 2, kUnknown = 3 };

    // Reads lines into m_pCurrent until a closefile (1), the end of the output (1 at the top
    // level; inside a page it fails with the not-all-closed text), or a failure (0).
    int ReadOutput();
    // The next line into m_strLine: 1, or 0 at the end of the output. A last line without LF
    // counts.
    int NextLine();
    // Finds the command of m_strLine into m_nCommand and its arguments into m_astrArgs; a
    // command line keeps the text before its tag, and the rest after its '>' goes back in front
    // of the pending input. 0 with ERROR 44, 45, 46 or 49.
    int ParseLine();
    // openfile: reads the page up to its closefile and writes it. 0 with the failure.
    int OpenFile();
    // Appends `text` + CR LF to the current page; ERROR 35 when memory runs out.
    int AppendLine(std::string_view text);
    // `page` compacted, as a status line.
    void PostCompacted(COutputBuffer& page);
    void PostText(std::string text);
    int Fail(int messageNumber, std::string_view value = {});

    platform::MessageQueue* m_hNotifyWnd;
    platform::PipedShellCommand m_parser;
    const std::vector<std::string> m_astrCommands{"openfile", "closefile", "end"};
    CScriptArgParser m_argParser;  // splits a command's argument list and evaluates its flags
    std::vector<std::string> m_astrArgs;
    std::vector<std::string> m_astrGenFiles;
    std::vector<std::string> m_astrChgFiles;
    COutputRoot m_outputRoot;
    bool m_bEndSeen = false;
    COutputBuffer* m_pCurrent = nullptr;  // the page receiving text; not owned
    int m_nCommand = kNoCommand;
    std::string m_strLine;
    std::string m_strPending;  // read from the pipe and not yet taken as a line
    int m_nOpenDepth = 0;
};

#pragma once
// The built-ins that write below the project's HTML root: html (a page from its block),
// directory, mkldir, filelink, filetest and htmlrootdir. Names below the root are checked and
// normalised (output_path.h) before anything is touched, and the bookkeeping lists record the
// normalised name + "\r\n". A page or a linked file is rewritten only when its bytes change (or
// the project key resetupload is set), and always through a temporary renamed over it, so a
// failed write leaves the old file whole and the name out of the change list.
//
// Each class is built by Dispatch on its stack for one call; Execute returns a ScriptResult
// with the message in the interpreter's m_strMessage.

#include <string>

#include "quarn/script/output_page.h"
#include "quarn/script/script_interpreter.h"
#include "shared/read_only_file.h"

// html (name [, flags]), a block: collects the block's output and writes it to the page `name`.
class CFnHtml {
public:
    // Flag values of the second argument (the expression words of the same names).
    static constexpr int kFormatCr = kPageFormatCr;
    static constexpr int kFormatNone = kPageFormatNone;
    static constexpr int kCr2Br = 4;       // line mode 1: "<BR>" before each CR of a value
    static constexpr int kCr2BrStrip = 8;  // line mode 2: CR dropped, LF becomes "<BR>"
    static constexpr int kHiAscii = 64;    // values as character references

    explicit CFnHtml(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnHtml() = default;
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// directory (path): makes one directory level below the root and records it for upload.
class CFnDirectory {
public:
    explicit CFnDirectory(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnDirectory() = default;
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// mkldir (path): a local directory below the root that is not recorded for upload.
class CFnMkldir {
public:
    explicit CFnMkldir(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnMkldir() = default;
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// filelink (source, target): copies `source` to the page `target` when their bytes differ.
class CFnFilelink {
public:
    explicit CFnFilelink(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnFilelink() = default;
    ScriptResult Execute();

    // True when both are open plain files of equal size and equal bytes, read from their start
    // and compared 2048 bytes at a time. A file not open or any read failure counts as different.
    static bool FilesEqual(const CReadOnlyFile& first, const CReadOnlyFile& second);

private:
    CScriptInterpreter* m_pInterp;
};

// filetest (variable, file [, code]): existence, times, size or attributes of a file below the
// root into a variable.
class CFnFiletest {
public:
    static constexpr int kCtime = 0;
    static constexpr int kMtime = 1;
    static constexpr int kAtime = 2;
    static constexpr int kFsize = 3;
    static constexpr int kFattr = 4;
    static constexpr int kExist = 5;

    explicit CFnFiletest(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnFiletest() = default;
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// htmlrootdir (path): the project key roothtml := path, as given, for the rest of the run.
class CFnHtmlrootdir {
public:
    explicit CFnHtmlrootdir(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnHtmlrootdir() = default;
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

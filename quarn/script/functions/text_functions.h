#pragma once
// The text built-ins: each computes a text from its arguments and stores it in the variable its
// first argument names (a reference as written, "?name?" or "?name[index]?"). Texts are byte
// strings: positions count bytes from 0 and lengths are byte counts; only the case conversions
// read UTF-8, and they leave bytes that are not UTF-8 as they stand.
//
// Each class is built by Dispatch on its stack for one call; Execute returns SetVariable's
// result, or 0 with the message in the interpreter's m_strMessage, and then nothing is stored.
// A result that would pass 2^31 - 1 bytes fails with ERROR 120 before it is allocated.

#include "quarn/script/script_interpreter.h"

// toupper (target, text): letters in upper case; the change is listed.
class CFnToupper {
public:
    explicit CFnToupper(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnToupper() = default;
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// tolower (target, text): letters in lower case; the change is listed.
class CFnTolower {
public:
    explicit CFnTolower(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnTolower() = default;
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// strin (target, part, text): the position of the first part in text, -1 when none, 0 for an
// empty part.
class CFnStrin {
public:
    explicit CFnStrin(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnStrin() = default;
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// midstr (target, text, start, count): count bytes from start, both clamped to the text.
class CFnMidstr {
public:
    explicit CFnMidstr(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnMidstr() = default;
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// strlen (target, text): the byte count.
class CFnStrlen {
public:
    explicit CFnStrlen(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnStrlen() = default;
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// strtrim (target, text): without leading and trailing white space.
class CFnStrtrim {
public:
    explicit CFnStrtrim(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnStrtrim() = default;
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// ascii (target, text [, position]): the byte at position as a signed number; 0 outside.
class CFnAscii {
public:
    explicit CFnAscii(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnAscii() = default;
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// chr (target, code): the one byte of the code's low 8 bits.
class CFnChr {
public:
    explicit CFnChr(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnChr() = default;
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// replace (target, text, search, replacement [, count]): the first count occurrences (all when
// count is negative or missing) replaced, left to right, never overlapping.
class CFnReplace {
public:
    explicit CFnReplace(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnReplace() = default;
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// striphtml (target, text): without anything from a "<" to the next ">".
class CFnStriphtml {
public:
    explicit CFnStriphtml(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnStriphtml() = default;
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// pack (target, text): percent-encoded for a web address.
class CFnPack {
public:
    explicit CFnPack(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnPack() = default;
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// unpack (target, text): percent escapes decoded; ERROR 17 for a "%" without two hex digits.
class CFnUnpack {
public:
    explicit CFnUnpack(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnUnpack() = default;
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

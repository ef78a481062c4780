#pragma once
// Guards for built-ins whose block writes somewhere of its own (a page, a mail): on every way
// out of the call, failures included, the enclosing code gets its output and its modes back.

#include "quarn/script/script_interpreter.h"

class COutputBuffer;

// Restores m_nLineMode, m_bTagForm and m_bEntities as they were at construction.
class OutputModesGuard {
public:
    explicit OutputModesGuard(CScriptInterpreter& interp)
        : m_interp(interp),
          m_nLineMode(interp.m_nLineMode),
          m_bTagForm(interp.m_bTagForm),
          m_bEntities(interp.m_bEntities) {}
    ~OutputModesGuard() {
        m_interp.m_nLineMode = m_nLineMode;
        m_interp.m_bTagForm = m_bTagForm;
        m_interp.m_bEntities = m_bEntities;
    }
    OutputModesGuard(const OutputModesGuard&) = delete;
    OutputModesGuard& operator=(const OutputModesGuard&) = delete;

private:
    CScriptInterpreter& m_interp;
    int m_nLineMode;
    int m_bTagForm;
    int m_bEntities;
};

// Makes `buffer` the open output; the enclosing output is open again when this goes.
class OpenOutputGuard {
public:
    OpenOutputGuard(CScriptInterpreter& interp, COutputBuffer& buffer)
        : m_interp(interp), m_pPrevious(interp.m_pOutput) {
        interp.m_pOutput = &buffer;
    }
    ~OpenOutputGuard() { m_interp.m_pOutput = m_pPrevious; }
    OpenOutputGuard(const OpenOutputGuard&) = delete;
    OpenOutputGuard& operator=(const OpenOutputGuard&) = delete;

private:
    CScriptInterpreter& m_interp;
    COutputBuffer* m_pPrevious;
};

#pragma once
// The data-source built-ins: the connection string, blocks over result sets, cursor moves,
// column reads, CSV export, and whole files into variables or pages and values out to files.
// They work on the interpreter's data-source stack (CScriptContext); every result set they open
// is the innermost source while its block runs and is popped when the block ends normally, by
// break or continue, or by return, retry or ignore. A block that fails leaves its source on the
// stack until the interpreter goes; a failure before the block starts pops it again.
//
// Each object lives for one call: Dispatch constructs it, runs Execute and destroys it. Execute
// returns a ScriptResult; on failure (0) the message is in m_pInterp->m_strMessage. File names of
// export, dataread and datawrite are relative to the HTML root (HtmlRootDir()); what export and
// datawrite write must stay below it.

#include "quarn/script/script_interpreter.h"

// datasource(connection): sets m_strConnect for the next sql, sqlnr or getdata.
class CFnDatasource {
public:
    explicit CFnDatasource(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnDatasource() = default;
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// sql(statement) { block } with `withResultSet` 1: runs the block once over the result set.
// sqlnr(statement) with 0: runs a statement that returns no rows, on a connection of its own.
class CFnSql {
public:
    explicit CFnSql(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnSql() = default;
    ScriptResult Execute(int withResultSet);

private:
    CScriptInterpreter* m_pInterp;
};

// getdata(statement [, maximum]) { block }: opens a result set and runs the block once per row.
class CFnGetdata {
public:
    explicit CFnGetdata(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnGetdata() = default;
    ScriptResult Execute();

private:
    // Runs the block from m_nStart once per row while rows and passes last. kNextPass when they
    // ran out (the source is still open); any other result has already closed the source where
    // the loop was left by break, return, retry or ignore.
    ScriptResult RunPass();

    CScriptInterpreter* m_pInterp;
    int m_nStart = 0;
    int m_nMaximum = 0;
};

// foreachrow([maximum]) { block }: runs the block once per row of the innermost source, from its
// current row on; it neither opens nor closes a source.
class CFnForeachrow {
public:
    explicit CFnForeachrow(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnForeachrow() = default;
    ScriptResult Execute();

private:
    // One pass from m_nStart: kNextPass after a normal end (or continue) and the next row's
    // fetch; otherwise the result that ends the loop.
    ScriptResult RunPass();

    CScriptInterpreter* m_pInterp;
    int m_nStart = 0;
    int m_nMaximum = 0;
};

// getrow(row): moves the innermost source to absolute row `row` (from 1).
class CFnGetrow {
public:
    explicit CFnGetrow(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnGetrow() = default;
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// nextrow(): fetches the next row of the innermost source; 1 only when there is one.
class CFnNextrow {
public:
    explicit CFnNextrow(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnNextrow() = default;
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// getcol([variable,] column, level): a column of the current row of the source at `level`, into
// the variable or the open page.
class CFnGetcol {
public:
    explicit CFnGetcol(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnGetcol() = default;
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// export(file [, rows]): the innermost result set, from its current row, as a CSV file.
class CFnExport {
public:
    explicit CFnExport(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnExport() = default;
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// dataread([variable,] file): a whole file into the variable or the open page.
class CFnDataread {
public:
    explicit CFnDataread(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnDataread() = default;
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// datawrite(file, reference [, flags]): a variable's or column's bytes into a file, binary
// columns hex-decoded, optionally unwrapped from an OLE package.
class CFnDatawrite {
public:
    explicit CFnDatawrite(CScriptInterpreter& interp) : m_pInterp(&interp) {}
    virtual ~CFnDatawrite() = default;
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

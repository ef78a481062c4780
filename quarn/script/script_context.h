#pragma once
// The data layer of the script interpreter: the message string that carries every operation's
// result or failure, the variable store, the ten built-in date and time names, and the stack of
// open data sources whose columns scripts read by name. It expands every substitution ("?name?",
// "?name[index]?", escapes) in template text and in call arguments.
//
// Operations return 1 (TRUE) or 0 (FALSE) and leave their result or their message, program title
// applied, in m_strMessage; nothing is thrown. Arguments may refer into m_strMessage or into the
// store itself: an operation reads them before it writes anything. Not thread-safe: one
// interpreter per thread (the task thread).
//
// Variables are a list of definitions in definition order; several definitions of one name form
// an array and nest. Occurrence n of a name: n > 0 counts from the oldest (1 is the oldest),
// n = 0 is the newest, n < 0 counts back from the newest (-1 is the one before it). Names compare
// byte for byte. Lookups scan the list; there is no index, so definitions can nest and repeat.

#include <fcntl.h>

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/message_queue.h"
#include "quarn/script/expr_evaluator.h"
#include "quarn/script/memory_guard.h"
#include "quarn/script/number_text.h"
#include "quarn/services/odbc_recordset.h"

class CScriptContext : public CExprEvaluator {
public:
    static constexpr int kMaxDatasources = 10;
    static constexpr int kBuiltinCount = 10;
    // Longest name between a reference's question marks.
    static constexpr int kMaxNameLength = 255;
    // m_nRefType of a variable or built-in value.
    static constexpr int kVariableType = 3;

    // `hNotifyWnd` (may be null) is handed to every recordset the stack opens.
    explicit CScriptContext(platform::MessageQueue* hNotifyWnd);
    // Closes every open data source.
    ~CScriptContext() override;
    CScriptContext(const CScriptContext&) = delete;
    CScriptContext& operator=(const CScriptContext&) = delete;

    // The byte an escape "\c" stands for: '0' 0, 'a' 7, 'b' 8, 'f' 12, 'n' 10, 'r' 13, 't' 9,
    // 'v' 11, any other character itself.
    static char EscapeByte(char c);

    // Runs `operation`, which returns 1 or 0; running out of memory fails it with ERROR 120.
    template <typename Operation>
    int GuardMemory(Operation operation) {
        return CatchOutOfMemory(operation, [this] { return Fail(kOutOfMemory); });
    }

    // --- Variable store ---
    // Appends a definition of `name` with the empty value. 1 (0 with ERROR 120 without memory).
    int DefineVariable(std::string_view name);
    // Index into m_astrVarNames of occurrence `n` of `name`, or -1.
    int FindVariable(std::string_view name, int n) const;
    // `reference` is "?name?" or "?name[index]?"; the selected definition gets `value`, and
    // m_strMessage := "Variable " + reference + " set to " + value + "\r\n". ERROR 54 when there
    // is no such definition; a malformed reference gives ParseVariableRef's message.
    int SetVariable(std::string_view reference, std::string_view value);
    // Number of definitions of the reference's name (its index is ignored); 0 with ERROR 54 when
    // there is none.
    int CountVariable(std::string_view reference);
    // Removes the newest definition of the reference's name (its index is ignored);
    // m_strMessage := "Variable ?name? deleted.". ERROR 54 when there is none.
    int DeleteVariable(std::string_view reference);
    // Removes every definition of the name; m_strMessage := "Array ?" + reference + "? deleted.".
    // ERROR 54 when nothing was removed.
    int DeleteArray(std::string_view reference);

    // --- Lookups (the value in m_strValue) ---
    // A built-in name (any index ignored), else occurrence `n` of a variable. 0 leaves
    // m_strMessage as it was.
    int GetVariableValue(std::string_view name, int n);
    // GetVariableValue, else the column `name` of a data source: `index` < 1 is relative to the
    // innermost source (0 innermost, -1 its parent), `index` >= 1 absolute (1 outermost).
    // ERROR 54 with no source open, 59 for a level outside the stack, the recordset's message
    // (ERROR 55 for an unknown column).
    int LookupValue(std::string_view name, int index);
    // LookupValue for a reference with its question marks, giving m_pRefValue, m_nRefLength and
    // m_nRefType: kVariableType and m_strValue for a variable or built-in; for a column the
    // recordset's value (valid until that recordset's next operation), its length (-1 for NULL)
    // and its type class.
    int GetValueRef(std::string_view reference);

    // --- Data-source stack ---
    // Closes every open source; m_strConnect := "". 1.
    int ResetDatasources();
    // Pushes a recordset that connects with m_strConnect and runs `sql` with a result set:
    // 1 with "SQL successfully executed.". ERROR 60 with ten open; any other failure pops the
    // recordset again and leaves its message.
    int OpenDatasource(std::string_view sql);
    // Runs `sql` without a result set on a connection of its own, closed afterwards: 1 with
    // "SQL successfully executed.", or 0 with the recordset's message. The stack is untouched.
    int ExecuteSql(std::string_view sql);
    // Closes the innermost source; m_strMessage := "Datasource closed.". 1.
    int CloseDatasource();
    void CloseAllDatasources();
    // 1 when a source is open and its cursor stands on a row.
    int CurrentRowValid() const;
    // The innermost source fetches absolute row `row`. ERROR 53 without a source, ERROR 52 when
    // no row is available afterwards, the recordset's message when the fetch fails.
    int MoveCursor(int row);
    // The innermost source fetches its next row: 1 on a row; 2 with ERROR 52 past the last row;
    // 0 with ERROR 53 without a source or with the recordset's message.
    int NextRow();
    // Column `column` (1-based) of the source at `level` (as LookupValue's index) into
    // m_strMessage; ERROR 59 for a level outside the stack, else the recordset's result.
    int GetColumn(int column, int level);
    // Writes up to `rows` rows (-1: the row count) of the innermost source, from its current
    // row, to the file `name` relative to the directory `dir` as CSV: numeric columns as they
    // are, others in double quotes with every quote doubled, "," between columns, "\r\n" after
    // each row. The file is replaced as a whole (a link there is replaced, not written through).
    // 1 written; 2 when the file already holds exactly that text (and the project key
    // resetupload is 0), left untouched; 0 with ERROR 5 (no source), 4 (cannot create), 6 (write
    // or close failed), 35 (memory) or the recordset's message, and then nothing is written.
    int ExportRecordset(std::string_view name, int rows, int dir = AT_FDCWD);

    // --- Substitution ---
    // Expands escapes and references of `text` into m_strMessage (m_strValue is left as it was).
    // ERROR 57 for a reference that is not closed, 64 for one whose name passes kMaxNameLength, or
    // the failure of parsing or looking it up.
    int ExpandText(std::string_view text);
    // Splits "?name?" / "?name[index]?" into the name (m_strMessage) and the index (m_nRefIndex;
    // 0 without one). The index is expanded and evaluated as an expression. ERROR 48 (no
    // enclosing question marks), 50 (empty), 64 (name too long), 58 (text after the index), or
    // the expansion's or evaluator's message.
    int ParseVariableRef(std::string_view reference);

    std::string m_strMessage;
    std::string m_strConnect;
    platform::MessageQueue* m_hNotifyWnd;
    int m_nRefIndex = 0;
    int m_nDsTop = -1;
    const char* m_pRefValue = nullptr;
    int m_nRefLength = 0;
    int m_nRefType = 0;
    int m_bTagForm = 0;
    // Slot 0 is the outermost source; slots above m_nDsTop are empty.
    std::array<std::unique_ptr<COdbcRecordset>, kMaxDatasources> m_apDatasource;
    std::string m_strValue;
    std::vector<std::string> m_astrBuiltinNames;
    // Always of equal size: entry i is one definition.
    std::vector<std::string> m_astrVarNames;
    std::vector<std::string> m_astrVarValues;

protected:
    // m_strMessage := message `nMessage`; returns 0.
    int Fail(int nMessage);

private:
    // The working texts of one level of expansion: a reference's index may itself hold
    // references, so each nested expansion takes the next level. Kept between calls, so that
    // expanding allocates nothing once the buffers have grown.
    struct Scratch {
        std::string strName;
        std::string strIndex;
        std::string strExpanded;
    };
    class ScratchLease;

    // ExpandText into `out`; m_strMessage is written only on failure.
    int ExpandInto(std::string_view text, std::string& out);
    // ParseVariableRef without touching m_strMessage on success: `name` views `reference` or
    // scratch.strName.
    int SplitReference(std::string_view reference, Scratch& scratch, std::string_view& name,
                       int& index);
    // The index of built-in `name`, or -1.
    int BuiltinIndex(std::string_view name) const;
    // A built-in's text or a variable's value; 0 (no message) when neither exists. The view
    // stays valid until the store changes or the next built-in is formatted.
    int FindDefinedValue(std::string_view name, int index, std::string_view& value);
    // The recordset holding column `name` at level `index`, its value looked up; nullptr with
    // the message.
    COdbcRecordset* FindColumn(std::string_view name, int index);
    // FindDefinedValue, else FindColumn's value; 0 with the message.
    int FindValue(std::string_view name, int index, std::string_view& value);
    // The slot for `level` (LookupValue's index), or -1 when outside the stack.
    int DatasourceSlot(int level) const;
    void RemoveDefinition(int i);
    // GuardMemory of `use`(name, index) for the parsed reference; a malformed one fails with
    // the parse's message.
    template <typename Use>
    int WithReference(std::string_view reference, Use use);

    std::vector<std::unique_ptr<Scratch>> m_vecScratch;
    int m_nScratchDepth = 0;
    std::string m_strExpandOut;    // ExpandText's result before it becomes m_strMessage
    std::string m_strCompose;      // messages built from arguments that may view m_strMessage
    std::string m_strBuiltinText;  // the last formatted built-in
};

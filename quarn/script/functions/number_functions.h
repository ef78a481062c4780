#pragma once
// The number, date and format built-ins: rounding, hexadecimal conversion, number and date masks
// and date comparison. Each stores its result in the variable that its first argument names
// (SetVariable, whose result Execute returns) and writes nothing to the listing; on failure
// nothing is stored.
//
// Numbers are read and written in the C locale whatever the process locale is. Dates are the
// ODBC texts year-month-day, optionally followed by a blank and hours:minutes:seconds; they are
// converted through the local time zone (TZ), fields beyond their range carry over, and a moment
// that 32-bit signed seconds since 1970 cannot hold is refused.
//
// Each object lives for one call: Dispatch constructs it, runs Execute and destroys it. Execute
// returns a ScriptResult; on failure (0) the message is in m_pInterp->m_strMessage.

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "quarn/script/script_result.h"

class CScriptInterpreter;

// ftoint(target, text): the text's leading number rounded half up (+0.5, then toward zero).
class CFnFtoint {
public:
    explicit CFnFtoint(CScriptInterpreter& interp);
    virtual ~CFnFtoint();
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// dec2hex(target, number [, width]): upper-case hexadecimal of the 32-bit integer; a negative
// number is written as its two's complement (-1 is FFFFFFFF), which hex2dec reads back. Zeros
// fill up to the width; a text too long to be stored is ERROR 120.
class CFnDec2hex {
public:
    explicit CFnDec2hex(CScriptInterpreter& interp);
    virtual ~CFnDec2hex();
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// hex2dec(target, text): upper-case hexadecimal digits as a signed 32-bit integer; only the last
// eight digits count. Any other character is ERROR 92.
class CFnHex2dec {
public:
    explicit CFnHex2dec(CScriptInterpreter& interp);
    virtual ~CFnHex2dec();
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

// format(target, mask, value): a mask starting with "%" formats the value's number ("D" stands
// for "#"); one starting with "&d." or "&t." (any case) rebuilds the value's date or time parts.
// A mask that is not exactly one floating-point conversion followed by plain text, or a value
// without three parts, is ERROR 14.
class CFnFormat {
public:
    explicit CFnFormat(CScriptInterpreter& interp);
    virtual ~CFnFormat();
    ScriptResult Execute();

private:
    // m_strValue := m_strValue's number through m_strMask. 0 with ERROR 14.
    int ApplyNumberMask();
    // m_strValue := m_strMask's letters replaced by the parts of m_strValue. 0 with ERROR 14.
    int ApplyPartMask();
    // m_astrParts := `text` cut at the first two `separator`s; false unless there are three.
    bool SplitParts(std::string_view text, char separator);

    CScriptInterpreter* m_pInterp;
    std::vector<std::string> m_astrParts;
    std::string m_strValue;
    std::string m_strMask;
};

// datecomp(target, first, second): 1, -1 or 0 as the first date or time is later, earlier or the
// same. ERROR 124 for an invalid text or two texts of different shapes.
class CFnDatecomp {
public:
    explicit CFnDatecomp(CScriptInterpreter& interp);
    virtual ~CFnDatecomp();
    ScriptResult Execute();

    // "date", "time" or "date time" into seconds since 1970; sets m_bHasDate and m_bHasTime.
    // False when a separator is missing or the moment is out of range.
    bool ParseDateTime(std::string_view text, std::time_t& time);

private:
    CScriptInterpreter* m_pInterp;
    bool m_bHasDate = false;
    bool m_bHasTime = false;
};

// dateformat(target, mask, date): the date at local midnight through a strftime mask in the C
// locale; a result of more than 127 bytes is the empty text. ERROR 124 for a date without two
// "-" or out of range.
class CFnDateformat {
public:
    explicit CFnDateformat(CScriptInterpreter& interp);
    virtual ~CFnDateformat();
    ScriptResult Execute();

private:
    CScriptInterpreter* m_pInterp;
};

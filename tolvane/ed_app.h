#pragma once
// tolvane's application data: the names the Script Functions window offers, the HTML Tags
// window's tags, and where the settings file is. Filled once at start-up, read-only after.

#include <string>
#include <vector>

class CEdApp {
public:
    // The 88 script function names and the 13 math function names, in the order the window
    // receives them.
    void BuildFunctionLists();
    const std::vector<std::string>& ScriptFunctions() const { return m_scriptFunctions; }
    const std::vector<std::string>& MathFunctions() const { return m_mathFunctions; }

private:
    std::vector<std::string> m_scriptFunctions;
    std::vector<std::string> m_mathFunctions;
};

// The 83 tags of the HTML Tags window.
const std::vector<std::string>& HtmlTagTexts();

// "Quarn.ini" in `programDir`, or in the current directory when `programDir` is empty.
std::string SettingsFilePath(const std::string& programDir);

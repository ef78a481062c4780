#include "quarn/services/messages.h"

#include <algorithm>
#include <array>
#include <utility>

#include "quarn/services/program_context.h"

namespace {

using Entry = std::pair<int, std::string_view>;

// Sorted by number. "{}" marks where a text composed in code takes its value.
constexpr std::array kMessages = {
    Entry{1, "ERROR 1- {}"},
    Entry{2, "ERROR 2- attempt made to auto-publish non existent project."},
    Entry{3, "ERROR 3- attempt made to fetch non-existent recordset column."},
    Entry{4, "ERROR 4- unable to open export file for writing."},
    Entry{5, "ERROR 5- no valid recordset available."},
    Entry{6, "ERROR 6- error writing to export file."},
    Entry{7, "ERROR 7- POP3 socket error."},
    Entry{8, "ERROR 8- unable to extract OLE package."},
    Entry{9, "ERROR 9- HEX conversion error."},
    Entry{10, "ERROR 10- unable to allocate memory for data buffer."},
    Entry{11, "ERROR 11- filelink function could not open source file."},
    Entry{12, "ERROR 12- filelink function could not write to target directory."},
    Entry{13, "ERROR 13- attempt made to fetch data from empty recordset."},
    Entry{14, "ERROR 14- syntax error in format specification or input data."},
    Entry{15, "ERROR 15- nesting of POP3 sessions is illegal."},
    Entry{16, "ERROR 16- function requires an open POP3 session."},
    Entry{17, "ERROR 17- HEX conversion error."},
    Entry{18,
          "ERROR 18- datasource column data larger than buffer. Increase ODBC memory allocation."},
    Entry{19, "ERROR 19- out of memory!"},
    Entry{20, "ERROR 20- nesting of FTP sessions not allowed"},
    Entry{21,
          "ERROR 21- unable load rasapi.dll. The system may not have dial-up networking "
          "installed."},
    Entry{22, "ERROR 22- unable to get RAS DLL function pointer."},
    Entry{23, "ERROR 23- unable to allocate memory whilst enumerating RAS connections."},
    Entry{24,
          "ERROR 24- unspecified RAS error whilst attempting to enumerate current RAS "
          "connections."},
    Entry{25, "ERROR 25- dialup connection could not be established. Check dialup settings."},
    Entry{26, "ERROR 26- {}"},
    Entry{27, "ERROR 27- specified web server upload directory could not be opened."},
    Entry{28, "ERROR 28- upload list file could not be opened."},
    Entry{29, "ERROR 29- {}"},
    Entry{30, "ERROR 30- file does not exist."},
    Entry{31, "ERROR 31- upload cancelled by user."},
    Entry{32, "ERROR 32- arithmetic/Boolean expression contains syntax errors."},
    Entry{33, "ERROR 33- arithmetic/Boolean expression contains illegal characters."},
    Entry{34, "ERROR 34- divide by zero in arithmetic/Boolean expression."},
    Entry{35, "ERROR 35- system out of memory! Please free up some resources and restart Quarn."},
    Entry{36, "ERROR 36- enter time in the form hh:mm"},
    Entry{37, "ERROR 37- unable to run text editor. Check program settings."},
    Entry{38, "ERROR 38- unable to run utility."},
    Entry{39,
          "ERROR 39- top-level HTML document not defined. (Before previewing HTML, you need to "
          "run a script.)"},
    Entry{40,
          "ERROR 40- unable to run web browser. Check Helper Apps settings under Program "
          "Settings."},
    Entry{41, "ERROR 41- illegal zero-length split string."},
    Entry{42,
          "ERROR 42- unable to run database. Check Helper Apps settings under Project Settings."},
    Entry{43,
          "ERROR 43- user database has not been defined. Check Helper Apps settings under "
          "Project settings."},
    Entry{44, "ERROR 44- syntax error in function argument."},
    Entry{45, "ERROR 45- newline character found in text string."},
    Entry{46, "ERROR 46- newline found in expression."},
    Entry{47, "ERROR 47- syntax error in text string."},
    Entry{48, "ERROR 48- syntax error in variable name."},
    Entry{49, "ERROR 49- premature end of script."},
    Entry{50, "ERROR 50- variable name ?? not allowed."},
    Entry{52,
          "ERROR 52- function attempted to set datasource cursor after the last record in the "
          "recordset."},
    Entry{53, "ERROR 53- reference made to database when no database connections exist."},
    Entry{54, "ERROR 54- unrecognised variable name."},
    Entry{55, "ERROR 55- ?{}? is not a recognized variable name."},
    Entry{57, "ERROR 57- closing character not found on variable name or index."},
    Entry{58, "ERROR 58- variable index must be followed by closing '?' of variable name."},
    Entry{59, "ERROR 59- invalid index supplied to datasource variable."},
    Entry{60, "ERROR 60- datasource SQL open failed due to too many open datasources."},
    Entry{61, "ERROR 61- dial-up networking error."},
    Entry{63, "ERROR 63- unable to create file. Check directory path."},
    Entry{64, "ERROR 64- variable name exceeds maximum allowed length."},
    Entry{65, "ERROR65- an undefined error occurred whilst running script file."},
    Entry{66, "ERROR 66- the script file {} could not be opened."},
    Entry{67, "ERROR 67- file could not be opened for writing."},
    Entry{68, "ERROR 68- illegal number of arguments in function."},
    Entry{69, "ERROR 69- do block must be followed by while function."},
    Entry{70, "ERROR 70- program block closed without having been opened."},
    Entry{72, "ERROR 72- '\\' character found at end of file."},
    Entry{73, "ERROR 73- opening curly braces found without owner function."},
    Entry{74, "ERROR 74- attempt made to write HTML without open file."},
    Entry{75, "ERROR 75- end of file found before closing '?' character in variable name."},
    Entry{76, "ERROR 76- function not yet defined."},
    Entry{77, "ERROR 77- function/subroutine {} not recognised."},
    Entry{78,
          "ERROR 78- an attempt was made to access datasource data when there was no "
          "datasource open."},
    Entry{79, "ERROR 79- end of script reached before program block closed."},
    Entry{80, "ERROR 80- premature end of script."},
    Entry{81, "ERROR 81- unable to write HTML file to disk. Check directory path."},
    Entry{82, "ERROR 82- opening curly brace character expected."},
    Entry{83, "ERROR 83- error in function name {}"},
    Entry{84, "ERROR 84- break function found without enclosing loop."},
    Entry{85, "ERROR 85- continue function found without enclosing loop."},
    Entry{86, "ERROR 86- unrecognised operator in function argument."},
    Entry{87, "ERROR 87- script terminated on die function."},
    Entry{88, "ERROR 88- unable to run text editor. Check program settings."},
    Entry{89, "ERROR 89- file could not be opened."},
    Entry{91,
          "ERROR 91- else or elseif function found without preceding if, elseif, foreachrow "
          "or getdata."},
    Entry{92, "ERROR 92- hexadecimal number contains invalid characters."},
    Entry{93, "ERROR 93- command line failed."},
    Entry{94, "ERROR 94- local HTML directory could not be opened. Check program settings."},
    Entry{95, "ERROR 95- illegal file path."},
    Entry{96, "ERROR 96- ampersand character must be followed by function name."},
    Entry{97, "ERROR 97- variable name exceeds maximum allowed length."},
    Entry{98, "ERROR 98- newline character found in variable name."},
    Entry{99, "ERROR 99- child script terminated with errors."},
    Entry{100, "ERROR 100- HTTP socket creation error."},
    Entry{101, "ERROR 101- while function can now only be used in a do loop."},
    Entry{102, "ERROR 102- unable to connect to POP3 server."},
    Entry{103, "ERROR 103- POP3 network error."},
    Entry{104, "ERROR 104- POP3 mail error {}"},
    Entry{105, "ERROR 105- unable to connect to web server."},
    Entry{106, "ERROR 106- HTTP network error."},
    Entry{107, "ERROR 107- SMTP network socket creation error."},
    Entry{108, "ERROR 108- unable to connect to SMTP server."},
    Entry{109, "ERROR 109- invalid SMTP server response."},
    Entry{110, "ERROR 110- SMTP mail error {}"},
    Entry{111, "ERROR 111- SMTP network error."},
    Entry{112, "ERROR 112- email must have a header."},
    Entry{113, "ERROR 113- email must have a body."},
    Entry{114, "ERROR 114- function requires an open FTP session."},
    Entry{115, "ERROR 115- FTP error: {}"},
    Entry{116, "ERROR 116- unable to open include file."},
    Entry{117, "ERROR 117- block nesting error."},
    Entry{118, "ERROR 118- ignore or retry function encountered outside of an error handler."},
    Entry{119, "ERROR 119- an error occurred whilst communicating with HTTP server."},
    Entry{120, "ERROR 120- unable to allocate memory."},
    Entry{121, "ERROR 121- script file not encoded."},
    Entry{122, "ERROR 122- unable to create directory."},
    Entry{123, "ERROR 123- illegal code in argument."},
    Entry{124, "ERROR 124- error in date string"},
    // Raised where a depth limit stops runaway nesting of blocks, calls or opened files.
    Entry{125, "ERROR 125- script nesting too deep."},
};

static_assert(std::is_sorted(kMessages.begin(), kMessages.end(),
                             [](const Entry& a, const Entry& b) { return a.first < b.first; }));

}  // namespace

std::string_view MessageText(int number) {
    auto it = std::lower_bound(kMessages.begin(), kMessages.end(), number,
                               [](const Entry& e, int n) { return e.first < n; });
    if (it == kMessages.end() || it->first != number) return {};
    return it->second;
}

std::string LoadMessage(int number, std::string_view value) {
    std::string text = WithProgramTitle(MessageText(number));
    // The value goes in after the title, so a path or server reply is never rewritten.
    if (auto at = text.find("{}"); at != std::string::npos) text.replace(at, 2, value);
    return text;
}

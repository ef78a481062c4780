#pragma once
// A script file as the editor holds it: the file's bytes turned into text (UTF-8 where the bytes
// are valid UTF-8, else Latin-1; lines split at CR LF, LF and a lone CR into "\n"), and turned
// back on save so that every byte the user did not edit comes back as it was read: the same
// encoding and, line by line, the same line ends. Not thread-safe; one per open document.

#include <string>
#include <string_view>
#include <vector>

class CScriptFile {
public:
    // A new, empty script: UTF-8 with CR LF line ends.
    CScriptFile();

    void Load(std::string_view bytes);
    // The text of the last Load or Save: UTF-8, lines separated by "\n".
    const std::string& Text() const { return m_text; }
    bool IsLatin1() const { return m_bLatin1; }

    // The bytes for `text` (UTF-8, "\n" line breaks). Unchanged lines at the start and end keep
    // their line ends; changed lines take the line ends of the lines they replace, in order, and
    // added ones the file's first line end (CR LF for a file without one). In a Latin-1 file a
    // character above U+00FF, which Latin-1 cannot hold, is written as its UTF-8 bytes so that
    // nothing typed is lost. `text` becomes the new baseline.
    std::string Save(std::string_view text);

private:
    bool m_bLatin1 = false;
    std::string m_text;
    // The line end after each line of m_text; the last line has none ("").
    std::vector<std::string> m_endings;
    std::string m_defaultEnding = "\r\n";
};

// True when `bytes` are well-formed UTF-8 (no overlong forms, surrogates or code points above
// U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

#pragma once
// One open script: where it lives and its file form (CScriptFile). Opening reads the whole file;
// saving writes a temporary file beside the target and renames it over the target, so a failed
// save leaves the old file whole. Not thread-safe; owned by the window that shows it.

#include <string>
#include <string_view>

#include "tolvane/script_file.h"

class CEdDoc {
public:
    // Reads `path`. 1 on success; 0 with the reason in m_strMessage (the document unchanged).
    int Open(const std::string& path);
    // Writes `text` (UTF-8, "\n" line breaks) to `path`, which becomes the document's path. 1 on
    // success; 0 with the reason in m_strMessage, the file at `path` untouched.
    int Save(const std::string& path, std::string_view text);

    const std::string& Path() const { return m_path; }
    // The file name without its directory; "" for a document never saved.
    std::string FileName() const;
    const CScriptFile& File() const { return m_file; }

    std::string m_strMessage;

private:
    std::string m_path;
    CScriptFile m_file;
};

#pragma once
// The preview file: where it goes, writing it, and removing the one written before.

#include <string>
#include <string_view>

inline constexpr std::string_view kPreviewFileName = "quarntmp.html";
// First line of a preview that the browser reloads every 4 seconds.
inline constexpr std::string_view kPreviewRefreshLine =
    "<META HTTP-EQUIV=\"Refresh\" CONTENT=\"4\">\r\n";

// The project's HTML root for a preview, without a closing "/": `roothtml` itself when absolute;
// else `roothtml` below the current directory when it exists there (tolvane started by quarn in
// the project's directory); else the active project's root below the program directory.
std::string PreviewDirectory(const std::string& currentDirectory, const std::string& programDir,
                             const std::string& defprofile, const std::string& roothtml);

class CPreviewFile {
public:
    // Attempts to create the file, and the pause between two, while another program holds it.
    static constexpr int kAttempts = 100;
    static constexpr int kPauseMs = 50;

    CPreviewFile() = default;
    CPreviewFile(const CPreviewFile&) = delete;
    CPreviewFile& operator=(const CPreviewFile&) = delete;
    // The last preview written goes with its writer.
    ~CPreviewFile();

    // Deletes the preview written before, then writes `page` (after the refresh line when
    // `refreshLine`) to `directory`/quarntmp.html. Its full path, or empty when the file could not
    // be created or written (nothing is left behind then).
    std::string Write(const std::string& directory, std::string_view page, bool refreshLine);
    const std::string& LastFile() const { return m_strLastFile; }

private:
    void RemoveLast();

    std::string m_strLastFile;
};

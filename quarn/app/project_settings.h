#pragma once
// What the Project Settings sheet does apart from its widgets: the keys of the project's section
// it edits (read with the sheet's defaults, written in a fixed order), the question about
// deleting old HTML files on the server, and what a new web server or a new local HTML root
// leaves to clean up. UI thread, inside g_csProject: the project, its directory and its keys do
// not change meanwhile. The current directory is never changed.

#include <string>
#include <string_view>

#include "quarn/app/numeric_field.h"

// One member per key of the sheet, named after its key.
struct ProjectSettingsValues {
    // Publish Actions
    int runscriptcheck = 0;
    std::string scriptfilename;
    int dialupen = 0;
    int runscript2check = 0;
    std::string script2filename;
    int ftpcheck = 0;
    int execcheck = 0;
    std::string execname;
    // FTP Logon
    std::string wsname;
    int ftpport = 0;
    std::string wslogon;
    std::string wspasswd;
    std::string wsaccount;
    std::string wsfilepath;
    int ftppasv = 0;
    // FTP Firewall
    int useproxy = 0;
    std::string proxyname;
    int proxyport = 0;
    std::string proxylogon;
    std::string proxypass;
    // FTP Options
    int uploadchg = 0;
    int wsclean = 0;
    int lfnferror = 0;
    int resumefailedupload = 0;
    int ftpretry = 0;
    int ftpretrypause = 0;
    // Scripter Settings
    std::string roothtml;
    std::string pscriptdir;
    int delh = 0;
    int listen = 0;
    int eofnnf = 0;
    // Helper Applications
    std::string database;
    // ODBC
    int odbccolsize = 0;
    int odbccursorlib = 0;
    // On Error
    int errorscripten = 0;
    std::string errorscript;
    // Scripting (not shown)
    std::string scriptexec;
    std::string scriptdir;
    int useexternalscript = 0;
};

// The ranges the numeric fields accept.
namespace project_range {
inline constexpr IntRange kPort{1, 65535};
inline constexpr IntRange kColumnSize{1, 1000};
inline constexpr IntRange kRetries{0, 100};
inline constexpr IntRange kRetryPause{1, 999};
// The spin buttons beside the column size and the two retry fields.
inline constexpr IntRange kSpin{1, 999};
}  // namespace project_range

class CProjectSettings {
public:
    static constexpr std::string_view kDelhQuestion =
        "If you select \"Upload changed-only Quarn output files\"\n"
        "and \"Delete old files from web server\" you must also\n"
        "select \"Delete old HTML files when script is run\".\n"
        "\n"
        "Select now?";
    static constexpr std::string_view kRootQuestion =
        "You have changed the local root HTML directory. Would you like to delete the HTML files "
        "from the old directory?";

    // `projectDir` is the project's directory, which relative paths of its keys start from.
    CProjectSettings(std::string project, std::string projectDir);

    // Reads every key of the sheet into m_values, a missing key as its default, and remembers the
    // web server, its directory and the HTML root as read.
    void Load();

    // Whether OK must first ask kDelhQuestion: deleting old files from the server with a
    // changed-only upload needs the old HTML files deleted when a script runs. Yes sets delh.
    bool AsksForDelh() const;

    // Writes every key of m_values to the project's section in the sheet's order. When the web
    // server or its directory differs (byte for byte) from what Load read, the record of the last
    // upload (htmlgen.old) is deleted, so the next changed-only upload sends everything. Returns
    // 1, or 0 with the reason in m_strMessage at the first key that could not be written (the
    // keys before it are written).
    int Save();

    // After Save: whether to ask kRootQuestion. True when the new HTML root and the one Load read
    // are different directories (resolved against the project directory; one directory reached
    // by two paths is the same) and the project's delh is set.
    bool AsksToDeleteOldOutput() const;

    // The answer Yes to kRootQuestion: deletes from the old HTML root the files that htmlgen.log
    // names (only names that stay inside the root; links are removed as entries, never followed;
    // nothing when the list or the old root cannot be opened), then deletes htmlgen.log and
    // htmlgen.chg and empties htmltop. Returns 1, or 0 with the reason in m_strMessage when
    // htmltop could not be written.
    int DeleteOldOutput();

    ProjectSettingsValues m_values;
    std::string m_strMessage;

private:
    std::string ProjectFile(std::string_view name) const;

    std::string m_strProject;
    std::string m_strProjectDir;
    std::string m_strReadWsname;
    std::string m_strReadWsfilepath;
    std::string m_strReadRoothtml;
};

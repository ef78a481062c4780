#pragma once
// The script wizard's answers and the generators that turn them into script files. The pages
// of the wizard read and write the answers; Finish escapes them and runs the generator of the
// chosen kind. No widgets here.

#include <optional>
#include <string>
#include <vector>

#include "shared/launcher.h"
#include "shared/script_escapes.h"

class CScriptText;

class CKestrelApp {
public:
    std::string m_strConnect;
    // Chosen fields, in the reverse of their order in the chosen list.
    std::vector<std::string> m_arrFields;
    std::string m_strScriptFile = "Script1.scp";
    std::string m_strHtmlFile = "index.html";
    std::string m_strTable;
    std::string m_strLinkField;
    std::string m_strCategoryTable;
    std::string m_strCategoryLinkField;
    std::string m_strCategoryKey;
    std::string m_strTableKey;
    std::string m_strCsvName = "table";
    std::string m_strCsvKey;
    std::string m_strCgiDir = "/cgi-bin";
    std::string m_strMailProgram = "/usr/lib/sendmail";
    std::string m_strAcceptedUrl = "http://";
    std::string m_strProject = "webform";
    std::string m_strEmail;
    std::string m_strPop3Server;
    std::string m_strPop3Logon;
    std::string m_strPop3Password;
    int m_bFormatTable = 0;
    int m_nScriptType = 0;
    int m_nSourceType = 0;
    int m_bOpenOnExit = 0;
    int m_bNumericKey = 0;
    int m_bDataNavLinks = 0;
    int m_bCategoryNavLinks = 0;
    int m_bDataBackLink = 0;
    int m_bCategoryBackLink = 0;
    int m_bCsvMultiFile = 1;
    int m_bCsvSequential = 0;
    int m_bCsvIndex = 1;

    // Where the files are written; empty for the current directory.
    std::string m_strDirectory;
    // Why the last generator failed.
    std::string m_strMessage;

    // Makes the answers safe to write into the script language (run once, before generating).
    void EscapeAnswers();
    // Runs the generator of m_nScriptType (none for another value). 1, or 0 with m_strMessage.
    int WriteScripts();

    int WriteSinglePageScript();
    int WriteMultiPageScript();
    int WriteBasicRelationalScript();
    int WriteAdvancedRelationalScript();
    int WriteCsvExportScript();
    int WriteWebFormProject();

    // What "open on exit" starts once the files are written: the editor `texted` (a program
    // setting; bare names are looked up in `programDir` first) on the script, or for a web-form
    // project the notes in the desktop's viewer. nullopt when nothing is to be opened.
    std::optional<LaunchCommand> OpenOnExitCommand(const std::string& programDir,
                                                   const std::string& texted) const;

private:
    // The path of a file the generators write.
    std::string OutputPath(const std::string& name) const;
    // Writes `text` as the text file `name` (CR LF line ends), replacing it whole. 1, or 0 with
    // m_strMessage "Unable to write file <name>.".
    int SaveText(const std::string& name, const CScriptText& text);
    // Writes the files in order, each replaced whole, trying every one; 0 with m_strMessage naming
    // the first that could not be written.
    struct OutputFile {
        std::string name;
        std::string bytes;
        unsigned mode;
    };
    int SaveFiles(const std::vector<OutputFile>& files);
    void DataSourceLines(CScriptText& text) const;
    // The key condition that selects the main table's rows of the current category row.
    std::string KeyCondition() const;
};

// The generator of the CSV export script.

#include "kestrel/kestrel_app.h"
#include "kestrel/script_text.h"

int CKestrelApp::WriteCsvExportScript() {
    std::string columns;
    for (std::string& field : m_arrFields) {
        field = SqlName(field);
        if (!columns.empty()) columns += ',';
        columns += field;
    }
    if (m_bCsvSequential) m_strCsvKey = "rownumber";
    const bool multiFile = m_bCsvMultiFile != 0;
    const bool index = multiFile && m_bCsvIndex;
    const std::string rowFile = m_strCsvName + "?" + m_strCsvKey + "?.txt";

    CScriptText text;
    text.TemplateBanner({
        "# This script will export the recordset as a CSV text file.",
        "# If you specified multi-file output, each row in the table",
        "# will be saved as a separate file, allowing the Quarn",
        "# changed-only upload feature to upload to the web server",
        "# only those rows that have changed.",
    });
    text.Write("&datasource(\"" + m_strConnect + "\")\n\n");
    text.Write("&print(\"Generating CSV files...\")\n\n");
    if (index) text.Write("&defvar(?index?)\n\n");
    text.Write("&sql(\"SELECT " + columns + " FROM " + EscapedFor(m_strTable, kQuotedSpecials) +
               "\")\n{\n\n");
    text.Write(1, "# The following code creates the CSV export file(s).\n");
    if (multiFile) {
        text.Write(1, "&do\n");
        text.Write(1, "{\n");
        if (index) {
            text.Write(2, "&defvar(?temp?)\n");
            text.Write(2, "&assign(?temp?,\"" + rowFile + "\\r\\n\")\n");
        }
        text.Write(2, "&export(\"" + rowFile + "\",1)\n");
        text.Write(1, "}\n");
        text.Write(1, "&while(?rownumber?<=?recordsetsize?)\n\n");
        if (index) {
            text.Write(
                1, "# The following code creates the index file. (\"" + m_strCsvName + ".idx\")\n");
            text.Write(1, "&join(?index?,?temp?)\n");
            text.Write(1, "&arraydelete(?temp?)\n");
            text.Write(1, "&datawrite(\"" + m_strCsvName + ".idx\",?index?)\n\n");
        }
    } else {
        text.Write(1, "&export(\"" + m_strCsvName + ".txt\")\n\n");
    }
    text.Write("}\n");
    return SaveText(m_strScriptFile, text);
}

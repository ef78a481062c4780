#include "kestrel/kestrel_app.h"

#include "kestrel/script_text.h"
#include "platform/replace_file.h"

void CKestrelApp::EscapeAnswers() {
    m_strConnect = EscapedFor(m_strConnect, kQuotedSpecials);
    // Names go into substitutions, some of them inside quoted arguments.
    for (std::string& field : m_arrFields)
        field = EscapedFor(field, kQuotedSpecials);
    for (std::string* name :
         {&m_strLinkField, &m_strCategoryLinkField, &m_strCategoryKey, &m_strCsvKey})
        *name = EscapedFor(*name, kQuotedSpecials);
    m_strTableKey = ScriptSqlName(m_strTableKey);
    for (std::string* text : {&m_strHtmlFile, &m_strCsvName})
        *text = EscapedFor(*text, kQuotedSpecials);
}

int CKestrelApp::WriteScripts() {
    switch (m_nScriptType) {
        case 1:
            return WriteSinglePageScript();
        case 2:
            return WriteMultiPageScript();
        case 3:
            return WriteBasicRelationalScript();
        case 4:
            return WriteAdvancedRelationalScript();
        case 5:
            return WriteCsvExportScript();
        case 6:
            return WriteWebFormProject();
        default:
            return 1;
    }
}

std::string CKestrelApp::OutputPath(const std::string& name) const {
    return m_strDirectory.empty() ? name : m_strDirectory + "/" + name;
}

int CKestrelApp::SaveText(const std::string& name, const CScriptText& text) {
    return SaveFiles({{name, WithCrLf(text.Text()), 0644}});
}

int CKestrelApp::SaveFiles(const std::vector<OutputFile>& files) {
    const std::string* failed = nullptr;
    for (const OutputFile& file : files) {
        if (!platform::ReplaceFile(OutputPath(file.name), file.bytes, file.mode, nullptr) &&
            !failed)
            failed = &file.name;
    }
    if (!failed) return 1;
    m_strMessage = "Unable to write file " + *failed + ".";
    return 0;
}

void CKestrelApp::DataSourceLines(CScriptText& text) const {
    text.TemplateBanner({
        "# This script has been generated with a minimum of HTML,",
        "# so you will probably need to go over the script and add",
        "# HTML to customize the appearance of the web pages",
        "# generated when the script is run. The most likely places",
        "# where you will want to add extra HTML are marked with",
        "# TODO lines.",
    });
    text.Write("&datasource(\"" + m_strConnect + "\")\n\n");
}

std::string CKestrelApp::KeyCondition() const {
    const std::string select = "&getdata(\"SELECT * FROM " +
                               EscapedFor(m_strTable, kQuotedSpecials) + " WHERE (" + m_strTableKey;
    if (m_bNumericKey) return select + "=?" + m_strCategoryKey + "?)\")\n";
    return select + " LIKE '?" + m_strCategoryKey + "?')\")\n";
}

std::optional<LaunchCommand> CKestrelApp::OpenOnExitCommand(const std::string& programDir,
                                                            const std::string& texted) const {
    if (!m_bOpenOnExit) return std::nullopt;
    if (m_nScriptType == 6)
        return SettingCommandIn(programDir, "notepad", {m_strProject + ".txt"}, m_strDirectory);
    return SettingCommandIn(programDir, texted, {m_strScriptFile}, m_strDirectory);
}

#include "kestrel/script_text.h"

void CScriptText::Write(int tabs, std::string_view text) {
    m_strText.append(static_cast<std::size_t>(tabs), '\t');
    m_strText.append(text);
}

void CScriptText::WriteLines(std::initializer_list<std::string_view> lines) {
    for (std::string_view line : lines) {
        Write(line);
        Write("\n");
    }
}

void CScriptText::TemplateBanner(std::initializer_list<std::string_view> about) {
    WriteLines({kBannerRule, "# *********KESTREL GENERATED TEMPLATE SCRIPT FILE*********", "#"});
    WriteLines(about);
    WriteLines({
        "# See the Quarn on-line help for more information on the",
        "# features of Quarn script language, which supports many",
        "# functions not included in this basic Kestrel script.",
        kBannerRule,
    });
    Write("\n\n\n\n\n");
}

void CScriptText::FieldTable(int tabs, const std::vector<std::string>& fields) {
    Write(tabs, "<TR>\n");
    for (const std::string& field : fields)
        Write(tabs, "<TD>?" + field + "?</TD>\n");
    Write(tabs, "</TR>\n");
}

void CScriptText::FieldPlain(int tabs, const std::vector<std::string>& fields) {
    Write(tabs, "# TODO- Add HTML required to format the datasource\n");
    Write(tabs, "# data between the following datasource variables.\n");
    Write(tabs, "# (The datasource variables are the words enclosed\n");
    Write(tabs, "# in question marks.)\n\n\n");
    for (const std::string& field : fields)
        Write(tabs, "?" + field + "?\n\n");
}

void CScriptText::FieldList(int tabs, const std::vector<std::string>& fields, bool asTable) {
    if (asTable)
        FieldTable(tabs, fields);
    else
        FieldPlain(tabs, fields);
}

void CScriptText::Navigation(std::string_view before, std::string_view after) {
    const std::string back(before);
    const std::string forward(after);
    Write(2, "\n\n");
    Write(2, "# The following code adds Forward/Backward links to page.\n");
    Write(2, "<BR>\n");
    Write(2, "&if(?rownumber?>1)\n");
    Write(2, "{\n");
    Write(3, "&assign(?var1?,?rownumber?-1)\n");
    Write(3, "<A HREF=\"" + back + "\"><IMG SRC=\"back.gif\" BORDER=\"0\"></A>\n");
    Write(2, "}\n");
    Write(2, "&if(?rownumber?<?recordsetsize?)\n");
    Write(2, "{\n");
    Write(3, "&assign(?var1?,?rownumber?+1)\n");
    Write(3, "<A HREF=\"" + forward + "\"><IMG SRC=\"forward.gif\" BORDER=\"0\"></A>\n");
    Write(2, "}\n\n");
}

void CScriptText::BackLink(std::string_view target) {
    Write(2, "# The following code adds a link back to the Top level or Category Page.\n");
    Write(2, "<BR>\n");
    Write(2, "<A HREF=\"" + std::string(target) + "\">Back</A>\n");
    Write(2, "\n\n");
}

std::string WithCrLf(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') bytes += '\r';
        bytes += c;
    }
    return bytes;
}

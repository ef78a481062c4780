// The generators of the four HTML site kinds: single page, multiple page, basic and advanced
// relational.

#include "kestrel/kestrel_app.h"
#include "kestrel/script_text.h"

namespace {

constexpr std::string_view kAboveData = "# TODO- Add any HTML that you wish to appear above\n";
constexpr std::string_view kBelowData = "# TODO- Add any HTML that you wish to appear below\n";

// A TODO note of two lines, `first` and "# " + `what`, then ten line ends.
void TodoBlock(CScriptText& text, int tabs, std::string_view first, std::string_view what) {
    text.Write(tabs, first);
    text.Write(tabs, "# " + std::string(what) + std::string(kTenLineEnds));
}

void SubroutineHeading(CScriptText& text, std::string_view pages, std::string_view linkedTo) {
    text.Write(std::string(kBannerRule) + "\n# The following subroutine is used to generate the " +
               std::string(pages) + " HTML\n# pages (The pages linked to the " +
               std::string(linkedTo) + " page)\n\n\n\n");
}

// The top page's opening, up to its loop over `table`.
void TopPageOpening(CScriptText& text, const std::string& htmlFile, std::string_view links,
                    const std::string& table) {
    text.Write("&print(\"Generating HTML...\")\n\n");
    text.Write("&html(\"" + htmlFile + "\")\n{\n\n");
    text.Write(1, "<HTML>\n\n");
    TodoBlock(text, 1, kAboveData, links);
    text.Write(1, "&getdata(\"SELECT * FROM " + table + "\")\n");
    text.Write(1, "{\n");
}

void TopPageClosing(CScriptText& text, std::string_view links) {
    text.Write(1, "}\n\n");
    TodoBlock(text, 1, kBelowData, links);
    text.Write(1, "</HTML>\n");
    text.Write("}\n\n");
    text.Write(kThirteenLineEnds);
}

// A data page's fields: the table (when asked for) or the plain list, at indent 2.
void DataPageFields(CScriptText& text, const std::vector<std::string>& fields, bool asTable) {
    if (asTable) {
        text.Write(2, "<TABLE WIDTH=\"100%\">\n");
        text.FieldTable(2, fields);
        text.Write(2, "</TABLE>\n");
    } else {
        text.FieldPlain(2, fields);
    }
}

void PageEnd(CScriptText& text) {
    text.Write(2, "</HTML>\n");
    text.Write(1, "}\n");
}

}  // namespace

int CKestrelApp::WriteSinglePageScript() {
    CScriptText text;
    DataSourceLines(text);
    text.Write("&print(\"Generating HTML...\")\n\n");
    text.Write("&html(\"" + m_strHtmlFile + "\")\n{\n\n");
    text.Write(1, "<HTML>\n\n");
    TodoBlock(text, 1, kAboveData, "the datasource data here.");
    if (m_bFormatTable) text.Write(1, "<TABLE WIDTH=\"100%\">\n\n");
    text.Write(1, "&getdata(\"SELECT * FROM " + m_strTable + "\")\n");
    text.Write(1, "{\n");
    text.FieldList(2, m_arrFields, m_bFormatTable);
    text.Write(1, "}\n\n");
    if (m_bFormatTable) text.Write(1, "</TABLE>\n\n");
    TodoBlock(text, 1, kBelowData, "the datasource data here.");
    text.Write(1, "</HTML>\n");
    text.Write("}\n\n");
    return SaveText(m_strScriptFile, text);
}

int CKestrelApp::WriteMultiPageScript() {
    constexpr std::string_view kLinks = "the links to the second-level HTML pages here.";
    CScriptText text;
    DataSourceLines(text);
    if (m_bDataNavLinks) text.Write("&defvar(?var1?)\n\n");
    TopPageOpening(text, m_strHtmlFile, kLinks, m_strTable);
    text.Write(2, "<A HREF=\"content?rownumber?.html\">?" + m_strLinkField + "?</A><BR>\n\n");
    text.Write(2, "# Subroutine &datapage generates the data page HTML\n");
    text.Write(2, "&datapage\n");
    TopPageClosing(text, kLinks);
    SubroutineHeading(text, "DATA", "top-level");
    text.Write("&defsub(\"datapage\")\n");
    text.Write("{\n");
    text.Write(1, "&html(\"content?rownumber?.html\")\n");
    text.Write(1, "{\n");
    text.Write(2, "<HTML>\n\n");
    TodoBlock(text, 2, kAboveData, "the datasource data here.");
    DataPageFields(text, m_arrFields, m_bFormatTable);
    text.Write(2, "\n\n");
    TodoBlock(text, 2, kBelowData, "the datasource data here.");
    if (m_bDataNavLinks) text.Navigation("content?var1?.html", "content?var1?.html");
    if (m_bDataBackLink) text.BackLink(m_strHtmlFile);
    PageEnd(text);
    text.Write("}\n");
    return SaveText(m_strScriptFile, text);
}

int CKestrelApp::WriteBasicRelationalScript() {
    constexpr std::string_view kLinks = "the links to the second-level HTML pages here.";
    CScriptText text;
    DataSourceLines(text);
    if (m_bDataNavLinks) text.Write("&defvar(?var1?)\n\n");
    TopPageOpening(text, m_strHtmlFile, kLinks, m_strCategoryTable);
    text.Write(2, "<A HREF=\"content?rownumber?.html\">?" + m_strCategoryLinkField + "?</A><BR>\n");
    text.Write(2, "&print(\"Generating category ?" + m_strCategoryLinkField + "?\")\n\n");
    text.Write(2, "# Subroutine &datapage generates the data page HTML\n");
    text.Write(2, "&datapage\n");
    TopPageClosing(text, kLinks);
    SubroutineHeading(text, "DATA", "top-level");
    text.Write("&defsub(\"datapage\")\n");
    text.Write("{\n");
    text.Write(1, "&html(\"content?rownumber?.html\")\n");
    text.Write(1, "{\n");
    text.Write(2, "<HTML>\n\n");
    TodoBlock(text, 2, kAboveData, "the datasource data here.");
    if (m_bFormatTable) text.Write(2, "<TABLE WIDTH=\"100%\">\n\n");
    text.Write(2, KeyCondition());
    text.Write(2, "{\n");
    text.FieldList(3, m_arrFields, m_bFormatTable);
    text.Write(2, "}");
    if (m_bFormatTable) text.Write("\n\n\t\t</TABLE>");
    text.Write(2, "\n\n");
    TodoBlock(text, 2, kBelowData, "the datasource data here.");
    if (m_bDataNavLinks) text.Navigation("content?var1?.html", "content?var1?.html");
    if (m_bDataBackLink) text.BackLink(m_strHtmlFile);
    PageEnd(text);
    text.Write("}\n");
    return SaveText(m_strScriptFile, text);
}

int CKestrelApp::WriteAdvancedRelationalScript() {
    constexpr std::string_view kLinks = "the links to the category HTML pages here.";
    constexpr std::string_view kDataLinks = "the links to the data HTML pages here.";
    CScriptText text;
    DataSourceLines(text);
    if (m_bDataNavLinks) text.Write("&defvar(?var1?)\n\n");
    TopPageOpening(text, m_strHtmlFile, kLinks, m_strCategoryTable);
    text.Write(2,
               "<A HREF=\"category?rownumber?.html\">?" + m_strCategoryLinkField + "?</A><BR>\n");
    text.Write(2, "&print(\"Generating category ?" + m_strCategoryLinkField + "?\")\n\n");
    text.Write(2, "# Subroutine &categorypage generates the category page HTML\n");
    text.Write(2, "&categorypage\n");
    TopPageClosing(text, kLinks);
    SubroutineHeading(text, "category", "top-level");
    text.Write("&defsub(\"categorypage\")\n");
    text.Write("{\n");
    text.Write(1, "&html(\"category?rownumber?.html\")\n");
    text.Write(1, "{\n");
    text.Write(2, "<HTML>\n\n");
    TodoBlock(text, 2, kAboveData, kDataLinks);
    text.Write(2, KeyCondition());
    text.Write(2, "{\n");
    text.Write(3, "<A HREF=\"content?rownumber?n?rownumber[-1]?.html\">?" + m_strLinkField +
                      "?</A><BR>\n\n");
    text.Write(3, "# Subroutine &datapage generates the data page HTML\n");
    text.Write(3, "&datapage\n");
    text.Write(2, "}");
    text.Write(2, "\n\n");
    TodoBlock(text, 2, kBelowData, kDataLinks);
    if (m_bCategoryNavLinks) text.Navigation("category?var1?.html", "category?var1?.html");
    if (m_bCategoryBackLink) text.BackLink(m_strHtmlFile);
    PageEnd(text);
    text.Write("}");
    text.Write(kThirteenLineEnds);
    SubroutineHeading(text, "DATA", "category");
    text.Write("&defsub(\"datapage\")\n");
    text.Write("{\n");
    text.Write(1, "&html(\"content?rownumber?n?rownumber[-1]?.html\")\n");
    text.Write(1, "{\n");
    text.Write(2, "<HTML>\n\n");
    TodoBlock(text, 2, kAboveData, "the datasource data here.");
    DataPageFields(text, m_arrFields, m_bFormatTable);
    text.Write(2, "\n\n");
    TodoBlock(text, 2, kBelowData, "the datasource data here.");
    if (m_bDataNavLinks)
        text.Navigation("content?var1?n?rownumber[-1]?.html", "content?var1?n?rownumber[-1]?.html");
    if (m_bDataBackLink) text.BackLink("category?rownumber[-1]?.html");
    PageEnd(text);
    text.Write("}\n");
    return SaveText(m_strScriptFile, text);
}

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
    text.Write(1, "&getdata(\"SELECT * FROM " + EscapedFor(table, kQuotedSpecials) + "\")\n");
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

// A subroutine that writes one page per row of the loop that calls it.
struct SubPage {
    std::string_view pages;     // what the heading calls the pages
    std::string_view linkedTo;  // the page that links to them
    std::string_view name;      // the subroutine's
    std::string_view file;      // the page's file name
    std::string_view navFile;   // the page file that the navigation links name
    std::string_view what;      // what the TODO notes add
};

constexpr SubPage kDataPage = {"DATA",
                               "top-level",
                               "datapage",
                               "content?rownumber?.html",
                               "content?var1?.html",
                               "the datasource data here."};

// The subroutine's heading and opening, up to its page's TODO note above the data.
void SubPageOpening(CScriptText& text, const SubPage& page) {
    SubroutineHeading(text, page.pages, page.linkedTo);
    text.Write("&defsub(\"" + std::string(page.name) + "\")\n");
    text.Write("{\n");
    text.Write(1, "&html(\"" + std::string(page.file) + "\")\n");
    text.Write(1, "{\n");
    text.Write(2, "<HTML>\n\n");
    TodoBlock(text, 2, kAboveData, page.what);
}

// The page's end from the TODO note below the data: the links asked for and the closing of the
// page; the subroutine's closing brace is the caller's.
void SubPageClosing(CScriptText& text, const SubPage& page, bool navLinks, bool backLink,
                    std::string_view backFile) {
    text.Write(2, "\n\n");
    TodoBlock(text, 2, kBelowData, page.what);
    if (navLinks) text.Navigation(page.navFile, page.navFile);
    if (backLink) text.BackLink(backFile);
    PageEnd(text);
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
    text.Write(1, "&getdata(\"SELECT * FROM " + EscapedFor(m_strTable, kQuotedSpecials) + "\")\n");
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
    SubPageOpening(text, kDataPage);
    DataPageFields(text, m_arrFields, m_bFormatTable);
    SubPageClosing(text, kDataPage, m_bDataNavLinks, m_bDataBackLink, m_strHtmlFile);
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
    SubPageOpening(text, kDataPage);
    if (m_bFormatTable) text.Write(2, "<TABLE WIDTH=\"100%\">\n\n");
    text.Write(2, KeyCondition());
    text.Write(2, "{\n");
    text.FieldList(3, m_arrFields, m_bFormatTable);
    text.Write(2, "}");
    if (m_bFormatTable) text.Write("\n\n\t\t</TABLE>");
    SubPageClosing(text, kDataPage, m_bDataNavLinks, m_bDataBackLink, m_strHtmlFile);
    text.Write("}\n");
    return SaveText(m_strScriptFile, text);
}

int CKestrelApp::WriteAdvancedRelationalScript() {
    constexpr std::string_view kLinks = "the links to the category HTML pages here.";
    constexpr SubPage kCategoryPage = {"category",
                                       "top-level",
                                       "categorypage",
                                       "category?rownumber?.html",
                                       "category?var1?.html",
                                       "the links to the data HTML pages here."};
    constexpr SubPage kCategoryDataPage = {"DATA",
                                           "category",
                                           "datapage",
                                           "content?rownumber?n?rownumber[-1]?.html",
                                           "content?var1?n?rownumber[-1]?.html",
                                           "the datasource data here."};
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
    SubPageOpening(text, kCategoryPage);
    text.Write(2, KeyCondition());
    text.Write(2, "{\n");
    text.Write(3, "<A HREF=\"content?rownumber?n?rownumber[-1]?.html\">?" + m_strLinkField +
                      "?</A><BR>\n\n");
    text.Write(3, "# Subroutine &datapage generates the data page HTML\n");
    text.Write(3, "&datapage\n");
    text.Write(2, "}");
    SubPageClosing(text, kCategoryPage, m_bCategoryNavLinks, m_bCategoryBackLink, m_strHtmlFile);
    text.Write("}");
    text.Write(kThirteenLineEnds);
    SubPageOpening(text, kCategoryDataPage);
    DataPageFields(text, m_arrFields, m_bFormatTable);
    SubPageClosing(text, kCategoryDataPage, m_bDataNavLinks, m_bDataBackLink,
                   "category?rownumber[-1]?.html");
    text.Write("}\n");
    return SaveText(m_strScriptFile, text);
}

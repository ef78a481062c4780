#include "tolvane/ed_app.h"

void CEdApp::BuildFunctionLists() {
    m_scriptFunctions = {
        "&format()",     "&filetest()",    "&sql()",         "&html()",        "&nextrow",
        "&datasource()", "&foreachrow()",  "&if()",          "&getrow()",      "&else",
        "&defvar()",     "&assign()",      "&defsub()",      "&gosub()",       "&inc()",
        "&dec()",        "&loop()",        "&getdata()",     "&datawrite()",   "&dataread()",
        "&break",        "&continue",      "&toupper()",     "&tolower()",     "&strcmp()",
        "&strin()",      "&midstr()",      "&strlen()",      "&strtrim()",     "&return",
        "&die()",        "&ftoint()",      "&ascii()",       "&for()",         "&do",
        "&delete()",     "&while()",       "&arraydelete()", "&arraysize()",   "&msgbox()",
        "&input()",      "&print()",       "&log()",         "&cls",           "&repeat()",
        "&chr()",        "&dec2hex()",     "&hex2dec()",     "&exec()",        "&sleep()",
        "&join()",       "&split()",       "&runscript()",   "&htmlrootdir()", "&getcol()",
        "&export()",     "&replace()",     "&mkldir()",      "&filelink()",    "&dialup()",
        "&getmsg()",     "&pop3session()", "&msgno()",       "&getmails",      "&unpack()",
        "&http()",       "&mailtxt()",     "&sendmail()",    "&pack()",        "&ftpsession()",
        "&ftpput()",     "&ftpget()",      "&ftpdel()",      "&mailheader()",  "&elseif()",
        "&include()",    "&sqlnr()",       "&geterror()",    "&deletemail()",  "&ignore",
        "&retry",        "&striphtml()",   "&ftpcommand()",  "&ftpmkdir()",    "&ftprmdir()",
        "&directory()",  "&dateformat()",  "&datecomp()",
    };
    m_mathFunctions = {"cos()",   "sin()",  "tan()", "acos()",   "asin()", "atan()", "ln()",
                       "log10()", "sqrt()", "exp()", "alog10()", "abs()",  "int()"};
}

const std::vector<std::string>& HtmlTagTexts() {
    static const std::vector<std::string> tags = {
        "<A>",        "<ADDRESS>",   "<APPLET>", "<AREA>",      "<B>",      "<BASE>",
        "<BASEFONT>", "<BGSOUND>",   "<BIG>",    "<BLOCKQUOT>", "<BODY>",   "<BR>",
        "<CAPTION>",  "<CENTER>",    "<CITE>",   "<CODE>",      "<COL>",    "<COLGROUP>",
        "<COMMENT>",  "<DD>",        "<DFN>",    "<DIR>",       "<DIV>",    "<DL>",
        "<DT>",       "<EM>",        "<EMBED>",  "<FONT>",      "<FORM>",   "<FRAME>",
        "<FRAMESET>", "<H>",         "<HEAD>",   "<HR>",        "<HTML>",   "<I>",
        "<IFRAME>",   "<IMG>",       "<INPUT>",  "<ISINDEX>",   "<KBD>",    "<LI>",
        "<LINK>",     "<LISTING>",   "<MAP>",    "<MARQUEE>",   "<MENU>",   "<META>",
        "<NOBR>",     "<NOFRAMES>",  "<OBJECT>", "<OL>",        "<OPTION>", "<P>",
        "<PARAM>",    "<PLAINTEXT>", "<PRE>",    "<S>",         "<SAMP>",   "<SCRIPT>",
        "<SELECT>",   "<SMALL>",     "<SPAN>",   "<STYLE>",     "<STRIKE>", "<STRONG>",
        "<SUB>",      "<SUP>",       "<TABLE>",  "<TBODY>",     "<TD>",     "<TEXTAREA>",
        "<TFOOT>",    "<TH>",        "<THEAD>",  "<TITLE>",     "<TR>",     "<TT>",
        "<U>",        "<UL>",        "<VAR>",    "<WBR>",       "<XMP>",
    };
    return tags;
}

std::string SettingsFilePath(const std::string& programDir) {
    return (programDir.empty() ? std::string(".") : programDir) + "/Quarn.ini";
}

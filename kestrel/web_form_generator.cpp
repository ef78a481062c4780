// The generator of the web-form project: the form page, the CGI script that mails what is
// posted, the script that collects those mails into a table, and the setup notes.

#include <string>
#include <vector>

#include "kestrel/kestrel_app.h"
#include "kestrel/script_text.h"

namespace {

// Marks the mails that the CGI script sends and the collecting script stores.
constexpr std::string_view kSubjectMarker = "QuarnXXG1846G";

// The comparisons that let a posted pair through: its name is one of the form's fields (as the
// form posts it) and its value is not empty.
std::string AcceptedPairCondition(const std::vector<std::string>& fields) {
    std::string condition;
    for (const std::string& field : fields) {
        if (!condition.empty()) condition += ",or,";
        condition += "\"?namevalue[1]?\",eq,\"" + EscapedFor(field, kQuotedSpecials) + "\"";
    }
    return condition + ",and,\"?namevalue[2]?\",ne,\"\"";
}

void CollectingScript(CScriptText& text, const CKestrelApp& app) {
    const std::string rule(kBannerRule);
    text.WriteLines({rule, "# **************KESTREL GENERATED SCRIPT FILE*************", "#",
                     "# This script will collect e-mails from a specified POP3",
                     "# mailbox and load the contained data into a database.", "#",
                     "# Please see the project help file for further info.", rule});
    text.Write("\n\n\n\n\n");
    text.Write("&datasource(\"" + app.m_strConnect + "\")\n\n");
    text.Write(
        "&defvar(?numpairs?,?paircount?,?nv?,?field?,?value?,?tablename?,?from?,?subject?,"
        "?date?,?numparts?)\n");
    text.Write("&assign(?tablename?,\"" + EscapedFor(app.m_strTable, kQuotedSpecials) + "\")\n\n");
    text.Write("&print(\"Collecting e-mail data...\")\n\n");
    text.Write("&getmails(\"" + EscapedFor(app.m_strPop3Server, kQuotedSpecials) + "\",\"" +
               EscapedFor(app.m_strPop3Logon, kQuotedSpecials) + "\",\"" +
               EscapedFor(app.m_strPop3Password, kQuotedSpecials) + "\")\n");
    const std::string marker = "\t&if(\"" + std::string(kSubjectMarker) + "\",in,\"?subject?\")";
    const std::string accepted = "\t\t\t\t&if(" + AcceptedPairCondition(app.m_arrFields) + ")";
    text.WriteLines(
        {"{",
         "\t&print(\"getting mail ?mailnumber?\")",
         "",
         "\t&mailheader(?from?,?subject?,?date?,\"?mailheader?\")",
         "",
         "\t# only database data if subject line matches",
         marker,
         "\t{",
         "\t\t# reset field and value strings",
         "\t\t&assign(?field?,\"\",?value?,\"\")",
         "",
         "\t\t# split e-mail text into array of name/value pairs",
         "\t\t&strtrim(?mailbody?,\"?mailbody?\")",
         "\t\t&split(?pairs?,\"?mailbody?\",\"&\")",
         "\t\t&arraysize(?numpairs?,?pairs?)",
         "",
         "\t\t# process each name-value pair",
         "\t\t&repeat(?paircount?,?numpairs?)",
         "\t\t{",
         "\t\t\t# split name/value pairs",
         "\t\t\t&split(?namevalue?,\"?pairs[?paircount?]?\",\"=\")",
         "\t\t\t&arraysize(?numparts?,?namevalue?)",
         "\t\t\t# anything but one name and one value is not from the form",
         "\t\t\t&if(?numparts?==2)",
         "\t\t\t{",
         "\t\t\t\t# unpack the data, and translate any single ' chars into double ' ' chars",
         "\t\t\t\t# (required to prevent errors in SQL INSERT statement)",
         "\t\t\t\t&repeat(?nv?,2)",
         "\t\t\t\t{",
         "\t\t\t\t\t&replace(?namevalue[?nv?]?,\"?namevalue[?nv?]?\",\"+\",\" \")",
         "\t\t\t\t\t&unpack(?namevalue[?nv?]?,\"?namevalue[?nv?]?\")",
         "\t\t\t\t\t&replace(?namevalue[?nv?]?,\"?namevalue[?nv?]?\",\"'\",\"''\")",
         "\t\t\t\t}",
         "",
         "\t\t\t\t# add field & values to strings",
         "\t\t\t\t# only the form's fields, and only when the value contains something",
         accepted,
         "\t\t\t\t{",
         "\t\t\t\t\t# separate field names & values with comma unless first ones",
         "\t\t\t\t\t&if(\"?field?\",ne,\"\")",
         "\t\t\t\t\t{",
         "\t\t\t\t\t\t&assign(?field?,\"?field?, \")",
         "\t\t\t\t\t\t&assign(?value?,\"?value?, \")",
         "\t\t\t\t\t}",
         "\t\t\t\t\t&assign(?field?,\"?field??namevalue[1]?\")",
         "\t\t\t\t\t&assign(?value?,\"?value?'?namevalue[2]?'\")",
         "\t\t\t\t}",
         "\t\t\t}",
         "\t\t\t&arraydelete(?namevalue?)",
         "\t\t}",
         "",
         "\t\t&if(\"?field?\",ne,\"\")",
         "\t\t{",
         "\t\t\t&sqlnr(\"INSERT INTO ?tablename? (?field?) VALUES(?value?)\")",
         "\t\t}",
         "\t\t&arraydelete(?pairs?)",
         "\t}",
         "}"});
}

void PerlScript(CScriptText& text, const CKestrelApp& app) {
    const std::string rule(78, '#');
    text.WriteLines({"#!/usr/bin/perl", rule, "# Kestrel generated Perl server script",
                     "# This script is to be used in conjunction with a Quarn formmail",
                     "# script, and allows data accepted from a web page form to be e-mailed to",
                     "# a POP3 mailbox for later collection by Quarn.", "#",
                     "# See the project help file for further info.", rule});
    text.Write("\n\n\n\n");
    // Perl reads "\", "$" and "@" inside double quotes, and "\" and "'" inside single ones.
    text.Write("$mailprog = '" + EscapedFor(app.m_strMailProgram, "\\'") + "';\n");
    text.Write("$toemail=\"" + EscapedFor(app.m_strEmail, "\\\"$@") + "\";\n");
    text.Write("$location=\"" + EscapedFor(app.m_strAcceptedUrl, "\\\"$@") + "\";\n\n\n");
    text.WriteLines({"if(-x $mailprog)",
                     "{",
                     "\t# get the data sent by the browser",
                     "\tif($ENV{'REQUEST_METHOD'} eq 'GET')",
                     "\t{",
                     "\t\t$buf=$ENV{'QUERY_STRING'};",
                     "\t}",
                     "\telsif($ENV{'REQUEST_METHOD'} eq 'POST')",
                     "\t{",
                     "\t\tread(STDIN, $buf, $ENV{'CONTENT_LENGTH'});",
                     "\t}",
                     "",
                     "",
                     "\t# e-mail the submitted data",
                     "\topen(MAIL,\"|$mailprog -t\");",
                     "\tprint MAIL \"To: \".$toemail.\"\\n\";",
                     "\tprint MAIL \"From: Web Server\\n\";",
                     "\tprint MAIL \"Subject: QuarnXXG1846G\\n\\n\";",
                     "\tprint MAIL $buf;",
                     "\tclose (MAIL);",
                     "",
                     "\tprint(\"Location: $location\\n\\n\");",
                     "}",
                     "else",
                     "{",
                     "\tprint \"Content-type: text/html\\r\\n\\r\\n\";",
                     "\tprint<<\"\";",
                     "<HTML>",
                     "<HEAD>",
                     "<TITLE>ERROR!</TITLE>",
                     "</HEAD>",
                     "<BODY>",
                     "<H2>CGI script error- sendmail program could not be executed!</H2><BR>",
                     "The CGI script was unable to execute the program used to send e-mail",
                     "from the web server. Contact your ISP requesting the path to the",
                     "sendmail program on the web server and re-run Kestrel entering this",
                     "path for the e-mail program in the Web server settings dialog.",
                     "<BR>",
                     "</BODY>",
                     "</HTML>",
                     "",
                     "",
                     "}",
                     ""});
}

void FormPage(CScriptText& text, const CKestrelApp& app) {
    text.Write("<HTML>\n");
    text.Write("<BODY>\n");
    text.Write("<FORM ACTION=\"" + app.m_strCgiDir + "/" + app.m_strProject + ".pl\">\n");
    for (auto field = app.m_arrFields.rbegin(); field != app.m_arrFields.rend(); ++field) {
        text.Write(*field + "<BR>\n");
        text.Write("<INPUT TYPE=TEXT NAME=\"" + *field + "\"><BR>\n");
    }
    text.WriteLines({"<BR>", "<INPUT TYPE=SUBMIT>", "</FORM>", "</HTML>", "</BODY>"});
}

void SetupNotes(CScriptText& text) {
    text.WriteLines(
        {"Formmail setup",
         "**************",
         "Kestrel will have created several files in the current project directory, these",
         "include an html file containing the data submission form, a Perl web server script",
         "which will accept the form data and e-mail it to a POP3 mailbox, and a Quarn script",
         "file which will collect the form data from the POP3 mailbox and move it into your",
         "database.",
         "",
         "",
         "1/ Copy the file \"projectname\".html into your web server html directory.",
         "2/ Copy the file \"projectname\".pl into your web server CGI directory. You",
         "may need to set execute permissions for the file.",
         "3/ Under the Quarn project settings, set the path for the on-line script file",
         "to the file \"projectname\".scp. If you are connecting to the Internet via a",
         "dial-up Internet connection, you will probably also want to tick the \"Establish",
         "dial-up Internet connection\" checkbox.",
         "",
         "",
         "Test the system out by loading the form page URL in your web browser, submitting",
         "some data, and then clicking the Quarn publish button. Once Quarn has finished",
         "executing the script, you should be able to see the data submitted on the web form",
         "in your database table.",
         "",
         "",
         "Notes:",
         "1/ E-mails sent to the email address other than those generated by the web server",
         "will be deleted when Quarn retrieves e-mail.",
         "2/ A Kestrel generated data retrieval project will produce a HTML form page where",
         "all of the form elements are text boxes. If you require the form elements to be",
         "multi-line text fields, radio buttons, drop-down list boxes etc you will need to",
         "edit the HTML form file yourself."});
}

}  // namespace

int CKestrelApp::WriteWebFormProject() {
    CScriptText collecting;
    CollectingScript(collecting, *this);
    CScriptText perl;
    PerlScript(perl, *this);
    CScriptText form;
    FormPage(form, *this);
    CScriptText notes;
    SetupNotes(notes);
    // The collecting script holds the POP3 password; the CGI script keeps LF line ends.
    return SaveFiles({{m_strProject + ".scp", WithCrLf(collecting.Text()), 0600},
                      {m_strProject + ".pl", perl.Text(), 0644},
                      {m_strProject + ".html", WithCrLf(form.Text()), 0644},
                      {m_strProject + ".txt", WithCrLf(notes.Text()), 0644}});
}

#pragma once
// The keys of the settings file with the default every reader uses. The file holds no key until
// something writes it, so these defaults are what a fresh installation runs with. Read and write
// them through CSettings (settings.h).

#include <array>
#include <string>
#include <string_view>

inline constexpr std::string_view kGlobalSection = "global";

struct StringKey {
    std::string_view name;
    std::string_view defaultValue;
};

struct IntKey {
    std::string_view name;
    int defaultValue;
};

// A copy of `key` read with the caller's own default, for readers whose default differs from the
// common one or is computed at run time.
constexpr StringKey WithDefault(const StringKey& key, std::string_view value) {
    return {key.name, value};
}
constexpr IntKey WithDefault(const IntKey& key, int value) {
    return {key.name, value};
}

// Keys of section kGlobalSection.
namespace global_key {

// Program Settings sheet.
inline constexpr StringKey texted{"texted", "tolvane"};
inline constexpr StringKey webb{"webb", ""};
inline constexpr StringKey listviewer{"listviewer", "xdg-open"};
inline constexpr IntKey priority{"priority", 1};  // 0 high, 1 normal, 2 idle
inline constexpr IntKey closewin{"closewin", 1};
inline constexpr IntKey hidewindow{"hidewindow", 0};
inline constexpr IntKey swonerror{"swonerror", 0};
inline constexpr IntKey logen{"logen", 1};
inline constexpr IntKey allowmultiinst{"allowmultiinst", 0};
inline constexpr IntKey numretry{"numretry", 3};
inline constexpr StringKey addressbook{"addressbook", ""};
inline constexpr StringKey isplogon{"isplogon", ""};
inline constexpr StringKey isppassword{"isppassword", ""};
inline constexpr IntKey timermon{"timermon", 0};
inline constexpr IntKey timertues{"timertues", 0};
inline constexpr IntKey timerwed{"timerwed", 0};
inline constexpr IntKey timerthurs{"timerthurs", 0};
inline constexpr IntKey timerfri{"timerfri", 0};
inline constexpr IntKey timersat{"timersat", 0};
inline constexpr IntKey timersun{"timersun", 0};
inline constexpr std::array<IntKey, 7> kWeekdayTimers{timermon, timertues, timerwed, timerthurs,
                                                      timerfri, timersat,  timersun};
// How many "ctime%d" keys are in use (ScheduleTimeKey).
inline constexpr IntKey numberoftimes{"numberoftimes", 0};
inline constexpr IntKey autopub{"autopub", 0};
inline constexpr StringKey autopubproj{"autopubproj", ""};
inline constexpr IntKey ncen{"ncen", 0};
inline constexpr IntKey ncport{"ncport", 124};
inline constexpr StringKey progtitle{"progtitle", "Quarn Pro"};
// The two characters backslash and 'n' separate the lines of the message view's banner.
inline constexpr StringKey welcmsg{
    "welcmsg",
    "Welcome!\\nChoose a project and run its script to build and publish your web site."};
inline constexpr IntKey splashscr{"splashscr", 1};
inline constexpr IntKey showapptitledlg{"showapptitledlg", 0};

// Run-time state.
inline constexpr StringKey defprofile{"defprofile", "default"};
inline constexpr StringKey erstat{"erstat", "   "};          // " ! " after a project error
inline constexpr IntKey lasterrorline{"lasterrorline", -1};  // -1: no error
inline constexpr IntKey logfilt{"logfilt", 0};
inline constexpr IntKey logfiltd{"logfiltd", 0};
inline constexpr IntKey readme{"readme", 1};
inline constexpr IntKey windowx{"windowx", 440};
inline constexpr IntKey windowy{"windowy", 360};
// No common default: the reader computes one (the screen-centred position of the main window)
// and reads with WithDefault.
inline constexpr IntKey windowx2{"windowx2", 0};
inline constexpr IntKey windowy2{"windowy2", 0};
inline constexpr IntKey pswindowx1{"pswindowx1", 120};
inline constexpr IntKey pswindowy1{"pswindowy1", 222};
// No common default: the reader computes one from the main window's position (left edge minus
// 124, top edge) and reads with WithDefault.
inline constexpr IntKey pswindowx2{"pswindowx2", 0};
inline constexpr IntKey pswindowy2{"pswindowy2", 0};
inline constexpr IntKey pswindowvis{"pswindowvis", 4};  // 4 shown without activation, 0 hidden

}  // namespace global_key

// "profile<index>" of kGlobalSection: one project name each, contiguous from 0; default "".
std::string ProjectListKey(int index);
// "ctime<index>" of kGlobalSection: an auto-publish time "h:mm" as typed; default "" (the
// scheduler reads with its own default "0:00").
std::string ScheduleTimeKey(int index);
// Readers take at most this many "ctime%d" keys, whatever numberoftimes holds: a day has no more
// distinct minutes, and a hand-edited count must not make a reader loop for ever.
inline constexpr int kMaxScheduleTimes = 1440;

// Keys of a project's section, named after the project.
namespace project_key {

inline constexpr IntKey runscriptcheck{"runscriptcheck", 1};
inline constexpr StringKey scriptfilename{"scriptfilename", "Script1.scp"};
inline constexpr IntKey dialupen{"dialupen", 0};
// One key, two defaults: the Project Settings sheet shows an unset key as off, while the publish
// job runs the on-line script unless the key says otherwise.
inline constexpr IntKey runscript2check{"runscript2check", 0};
inline constexpr IntKey runscript2checkInPublish{"runscript2check", 1};
inline constexpr StringKey script2filename{"script2filename", ""};
inline constexpr IntKey ftpcheck{"ftpcheck", 0};
inline constexpr IntKey execcheck{"execcheck", 0};
inline constexpr StringKey execname{"execname", ""};
inline constexpr StringKey wsname{"wsname", ""};
inline constexpr IntKey ftpport{"ftpport", 21};
inline constexpr StringKey wslogon{"wslogon", ""};
inline constexpr StringKey wspasswd{"wspasswd", ""};
inline constexpr StringKey wsaccount{"wsaccount", ""};
inline constexpr StringKey wsfilepath{"wsfilepath", ""};
inline constexpr IntKey ftppasv{"ftppasv", 0};
inline constexpr IntKey useproxy{"useproxy", 0};  // a FirewallScheme
inline constexpr StringKey proxyname{"proxyname", ""};
inline constexpr IntKey proxyport{"proxyport", 21};
inline constexpr StringKey proxylogon{"proxylogon", ""};
inline constexpr StringKey proxypass{"proxypass", ""};
// 0 changed-only output files, 1 all output files, 2 all files in the HTML directory.
inline constexpr IntKey uploadchg{"uploadchg", 1};
inline constexpr IntKey wsclean{"wsclean", 0};
inline constexpr IntKey lfnferror{"lfnferror", 0};
inline constexpr IntKey resumefailedupload{"resumefailedupload", 0};
inline constexpr IntKey ftpretry{"ftpretry", 1};
inline constexpr IntKey ftpretrypause{"ftpretrypause", 1};  // minutes
// Absolute, or relative to the project directory.
inline constexpr StringKey roothtml{"roothtml", "html"};
inline constexpr StringKey pscriptdir{"pscriptdir", ""};
inline constexpr IntKey delh{"delh", 1};
inline constexpr IntKey listen{"listen", 1};
inline constexpr IntKey eofnnf{"eofnnf", 1};
inline constexpr StringKey database{"database", ""};
inline constexpr IntKey odbccolsize{"odbccolsize", 64};  // KB
// 0 always use the cursor library, 1 use it if needed, 2 never use it.
inline constexpr IntKey odbccursorlib{"odbccursorlib", 1};
inline constexpr IntKey errorscripten{"errorscripten", 0};
inline constexpr StringKey errorscript{"errorscript", ""};
inline constexpr IntKey useexternalscript{"useexternalscript", 0};
inline constexpr StringKey scriptexec{"scriptexec", ""};
inline constexpr StringKey scriptdir{"scriptdir", ""};

// Run-time state.
inline constexpr StringKey lstprojerrmsg{"lstprojerrmsg", ""};
// 1: every output file counts as changed on the next run.
inline constexpr IntKey resetupload{"resetupload", 0};
inline constexpr StringKey htmltop{"htmltop", ""};
inline constexpr IntKey sco{"sco", 0};
inline constexpr IntKey addedit2chg{"addedit2chg", 0};

}  // namespace project_key

// Values of project_key::useproxy, in the order of the firewall page's radio buttons.
enum FirewallScheme : int {
    FIREWALL_NONE = 0,
    FIREWALL_SITE_HOSTNAME = 1,
    FIREWALL_USER_AFTER_LOGON = 2,
    FIREWALL_PROXY_OPEN = 3,
    FIREWALL_TRANSPARENT = 4,
    FIREWALL_USER_WITH_NO_LOGON = 5,
    FIREWALL_USER_FIREID_AT_REMOTEHOST = 6,
    FIREWALL_USER_REMOTEID_AT_REMOTEHOST_FIREID = 7,
    FIREWALL_USER_REMOTEID_AT_FIREID_AT_REMOTEHOST = 8,
};

// The radio button texts, indexed by FirewallScheme.
inline constexpr std::array<std::string_view, 9> kFirewallSchemeNames{
    "None",
    "SITE hostname",
    "USER after logon",
    "Proxy OPEN",
    "Transparent",
    "USER with no logon",
    "USER FireID@Remotehost",
    "USER RemoteID@Remotehost fireID",
    "USER remoteID@FireID@Remotehost",
};

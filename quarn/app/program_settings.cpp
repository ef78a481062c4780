#include "quarn/app/program_settings.h"

#include <algorithm>
#include <mutex>

#include "quarn/app/time_of_day.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"

namespace {

using namespace global_key;

// Writes keys of section global in order and stops at the first failure, keeping its reason.
class CGlobalWriter {
public:
    void Put(const StringKey& key, std::string_view value) {
        if (m_ok) m_ok = g_settings.Set(kGlobalSection, key, value, &m_error);
    }
    void Put(const IntKey& key, int value) {
        if (m_ok) m_ok = g_settings.Set(kGlobalSection, key, value, &m_error);
    }
    int Result(std::string* message) const {
        if (!m_ok) *message = m_error;
        return m_ok;
    }

private:
    int m_ok = 1;
    std::string m_error;
};

// Digits, blanks and signs pass; letters and ':' fail.
bool AllAtMostNine(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) <= '9'; });
}

}  // namespace

ProgramSettingsValues LoadProgramSettings() {
    const CSettings& s = g_settings;
    ProgramSettingsValues v;
    v.texted = s.GetGlobal(texted);
    v.webb = s.GetGlobal(webb);
    v.listviewer = s.GetGlobal(listviewer);
    v.priority = s.GetGlobal(priority);
    v.closewin = s.GetGlobal(closewin);
    v.hidewindow = s.GetGlobal(hidewindow);
    v.swonerror = s.GetGlobal(swonerror);
    v.logen = s.GetGlobal(logen);
    v.allowmultiinst = s.GetGlobal(allowmultiinst);
    v.numretry = s.GetGlobal(numretry);
    v.addressbook = s.GetGlobal(addressbook);
    v.isplogon = s.GetGlobal(isplogon);
    v.isppassword = s.GetGlobal(isppassword);
    for (std::size_t day = 0; day < kWeekdayTimers.size(); ++day)
        v.weekdays[day] = s.GetGlobal(kWeekdayTimers[day]);
    v.autopub = s.GetGlobal(autopub);
    v.autopubproj = s.GetGlobal(autopubproj);
    v.ncen = s.GetGlobal(ncen);
    v.ncport = s.GetGlobal(ncport);
    v.showapptitledlg = s.GetGlobal(showapptitledlg);
    v.progtitle = s.GetGlobal(progtitle);
    v.welcmsg = s.GetGlobal(welcmsg);
    v.splashscr = s.GetGlobal(splashscr);
    {
        std::lock_guard schedule(g_csSchedule);
        v.times = s.ReadScheduleTimes();
    }
    return v;
}

int SaveProgramSettings(const ProgramSettingsValues& v, std::string* message) {
    CGlobalWriter w;
    {
        std::lock_guard schedule(g_csSchedule);
        w.Put(texted, v.texted);
        w.Put(webb, v.webb);
        w.Put(listviewer, v.listviewer);
        w.Put(priority, v.priority);
        w.Put(closewin, v.closewin);
        w.Put(hidewindow, v.hidewindow);
        w.Put(swonerror, v.swonerror);
        w.Put(logen, v.logen);
        w.Put(allowmultiinst, v.allowmultiinst);
        w.Put(numretry, v.numretry);
        w.Put(addressbook, v.addressbook);
        w.Put(isplogon, v.isplogon);
        w.Put(isppassword, v.isppassword);
        for (std::size_t day = 0; day < kWeekdayTimers.size(); ++day)
            w.Put(kWeekdayTimers[day], v.weekdays[day]);
        w.Put(autopub, v.autopub);
        w.Put(autopubproj, v.autopubproj);
        w.Put(ncen, v.ncen);
        w.Put(ncport, v.ncport);
        w.Put(numberoftimes, static_cast<int>(v.times.size()));
        w.Put(showapptitledlg, v.showapptitledlg);
        w.Put(progtitle, v.progtitle);
        w.Put(welcmsg, v.welcmsg);
        w.Put(splashscr, v.splashscr);
        const std::vector<std::string> sorted = SortScheduleTimes(v.times);
        for (std::size_t index = 0; index < sorted.size(); ++index)
            w.Put(StringKey{ScheduleTimeKey(static_cast<int>(index)), ""}, sorted[index]);
    }
    if (!w.Result(message)) return 0;
    if (g_strProgramTitle.Get() != v.progtitle) g_strProgramTitle.Set(v.progtitle);
    return 1;
}

bool IsScheduleTime(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) return false;
    // ':' lies above '9', so a second one fails here too.
    if (!AllAtMostNine(text.substr(0, colon)) || !AllAtMostNine(text.substr(colon + 1)))
        return false;
    const TimeOfDay time = SplitTime(text);
    return time.hours >= 0 && time.hours <= 23 && time.minutes >= 0 && time.minutes <= 59;
}

std::vector<std::string> SortScheduleTimes(std::vector<std::string> times) {
    std::stable_sort(times.begin(), times.end(), [](const std::string& a, const std::string& b) {
        return ParseTime(a) < ParseTime(b);
    });
    return times;
}

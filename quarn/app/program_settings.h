#pragma once
// The values of the Program Settings sheet: the keys of section global it edits, read with the
// common defaults, checked as the sheet's fields check them, and written back on OK. Plain data
// and functions; the sheet only shows them.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "quarn/app/numeric_field.h"

struct ProgramSettingsValues {
    // Helper Applications
    std::string texted, webb, listviewer;
    // Program Behaviour
    int priority = 1;
    int closewin = 1, hidewindow = 0, swonerror = 0, logen = 1, allowmultiinst = 0;
    // Auto-Publish Schedule: the times as typed, in list order; the flags Monday to Sunday.
    std::vector<std::string> times;
    std::array<int, 7> weekdays{};
    // Connection Details
    int numretry = 3;
    std::string addressbook, isplogon, isppassword;
    // Auto-Publish Project
    int autopub = 0;
    std::string autopubproj;
    // Network Control
    int ncen = 0;
    int ncport = 124;
    // Application Title: not shown, written back as read.
    int showapptitledlg = 0;
    std::string progtitle, welcmsg;
    int splashscr = 1;

    bool operator==(const ProgramSettingsValues&) const = default;
};

// Every key from g_settings' section global, missing ones with their defaults.
ProgramSettingsValues LoadProgramSettings();

// Writes every key, the times sorted (SortScheduleTimes) as "ctime0" on with their count, all
// under g_csSchedule so that the scheduler reads the old timetable or the new one. Then makes
// progtitle the program title when it changed, and the main window's caption with it. Returns 1;
// 0 with `message` when a write failed: the keys before it are written, the title is unchanged.
int SaveProgramSettings(const ProgramSettingsValues& values, std::string* message);

inline constexpr std::string_view kScheduleTimeError = "ERROR 36- enter time in the form hh:mm";

// Whether the schedule page takes `text` as a time: one ':', no byte above '9' on either side
// of it, hours 0-23 and minutes 0-59 as SplitTime reads them.
bool IsScheduleTime(std::string_view text);

// The times earliest first by ParseTime; equal times keep their order.
std::vector<std::string> SortScheduleTimes(std::vector<std::string> times);

// What the sheet's numeric fields take: the remote-control port, and the connection attempts.
inline constexpr IntRange kNcPortRange{0, 10000};
inline constexpr IntRange kNumRetryRange{1, 999};

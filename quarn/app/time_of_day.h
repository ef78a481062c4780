#pragma once
// Times of day as the auto-publish timetable holds them: "h:mm", stored as typed. The scheduler
// and the Program Settings sheet read them the same way, so the sheet sorts the times in the
// order the scheduler fires them.

#include <string_view>

struct TimeOfDay {
    int hours = 0;
    int minutes = 0;
};

// The hours are read from the text before the first ":" (all of it when there is none), the
// minutes from the text after it, each as platform::LeadingInt reads it: blanks, an optional
// sign, the leading digits (so a second ":" ends the minutes), 0 when there are none. No range
// is checked.
TimeOfDay SplitTime(std::string_view text);

// Minutes since midnight: hours * 60 + minutes of SplitTime, saturated to the int range.
// "25:99" gives 1599 and "-1:00" gives -60.
int ParseTime(std::string_view text);

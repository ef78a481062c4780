#include "quarn/app/time_of_day.h"

#include <algorithm>
#include <climits>

#include "platform/leading_int.h"

TimeOfDay SplitTime(std::string_view text) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos) return {platform::LeadingInt(text), 0};
    return {platform::LeadingInt(text.substr(0, colon)),
            platform::LeadingInt(text.substr(colon + 1))};
}

int ParseTime(std::string_view text) {
    const TimeOfDay time = SplitTime(text);
    const long long minutes = static_cast<long long>(time.hours) * 60 + time.minutes;
    return static_cast<int>(std::clamp<long long>(minutes, INT_MIN, INT_MAX));
}

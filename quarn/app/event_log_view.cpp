#include "quarn/app/event_log_view.h"

#include <fstream>

#include "platform/leading_int.h"

namespace {

constexpr std::time_t kFiveDays = 5 * 86400;
constexpr int kPivotYear = 39;
constexpr int kFirstYear = 1970;
constexpr int kLastYear = 2038;

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string Trimmed(std::string_view text) {
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

// The text before `separator` (empty when it is missing); `rest` becomes the text after it.
std::string_view TakeUntil(std::string_view& rest, char separator) {
    const std::size_t at = rest.find(separator);
    if (at == std::string_view::npos) return {};
    const std::string_view part = rest.substr(0, at);
    rest.remove_prefix(at + 1);
    return part;
}

int InRangeOrOne(int value, int last) {
    return value < 1 || value > last ? 1 : value;
}

}  // namespace

EventLogEntry SplitLogLine(std::string_view line) {
    EventLogEntry entry;
    std::string_view rest = line;
    entry.date = Trimmed(TakeUntil(rest, ' '));
    entry.time = Trimmed(TakeUntil(rest, '<'));
    const std::size_t close = rest.find('>');
    if (close == std::string_view::npos) return entry;
    entry.project = Trimmed(rest.substr(0, close));
    std::string_view event = rest.substr(close + 1);
    if (!event.empty() && event.front() == ' ') event.remove_prefix(1);
    entry.event = Trimmed(event);
    return entry;
}

std::time_t ParseLogDate(std::string_view text) {
    std::string_view rest = text;
    const std::size_t first = rest.find('/');
    const std::string_view month = rest.substr(0, first);
    std::string_view day;
    std::string_view year;
    if (first != std::string_view::npos) {
        rest.remove_prefix(first + 1);
        const std::size_t second = rest.find('/');
        day = rest.substr(0, second);
        if (second != std::string_view::npos) year = rest.substr(second + 1);
    }
    const std::string century = platform::LeadingInt(year) < kPivotYear ? "20" : "19";
    int fullYear = platform::LeadingInt(century + std::string(year));
    fullYear = fullYear < kFirstYear ? kFirstYear : fullYear > kLastYear ? kLastYear : fullYear;
    std::tm date{};
    date.tm_year = fullYear - 1900;
    date.tm_mon = InRangeOrOne(platform::LeadingInt(month), 12) - 1;
    date.tm_mday = InRangeOrOne(platform::LeadingInt(day), 31);
    date.tm_isdst = -1;
    return std::mktime(&date);
}

std::vector<EventLogEntry> LoadLog(const std::string& path, EventLogFilter filter,
                                   std::time_t now) {
    std::vector<EventLogEntry> entries;
    std::ifstream file(path, std::ios::binary);
    if (!file) return entries;
    const std::time_t cutoff = now - kFiveDays;
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        EventLogEntry entry = SplitLogLine(line);
        if (filter.errorsOnly && entry.event.find("ERROR") == std::string::npos) continue;
        if (filter.lastFiveDays && ParseLogDate(entry.date) < cutoff) continue;
        entries.push_back(std::move(entry));
    }
    return entries;
}

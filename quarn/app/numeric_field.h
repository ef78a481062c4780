#pragma once
// The check a settings page makes of a numeric field before it takes its value: the text must be
// an integer (blanks around it and a sign allowed) within the field's range.

#include <string>
#include <string_view>

struct IntRange {
    int min;
    int max;
};

inline constexpr std::string_view kNotAnInteger = "Please enter an integer.";

// "Please enter an integer between MIN and MAX."
std::string RangeMessage(IntRange range);

// Returns 1 with the number in `value`, or 0 with kNotAnInteger or RangeMessage(range) in
// `message` (`value` is then unchanged).
int ParseIntField(std::string_view text, IntRange range, int& value, std::string& message);

#include "quarn/app/numeric_field.h"

#include <charconv>
#include <cstdint>

namespace {

std::string_view TrimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::string RangeMessage(IntRange range) {
    return "Please enter an integer between " + std::to_string(range.min) + " and " +
           std::to_string(range.max) + ".";
}

int ParseIntField(std::string_view text, IntRange range, int& value, std::string& message) {
    std::string_view digits = TrimBlanks(text);
    bool negative = false;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) {
        message = kNotAnInteger;
        return 0;
    }
    std::int64_t number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    // Too many digits for 64 bits is still an integer, only far out of range.
    const bool inRange = error == std::errc() && end == digits.data() + digits.size() &&
                         (negative ? -number : number) >= range.min &&
                         (negative ? -number : number) <= range.max;
    if (!inRange) {
        message = RangeMessage(range);
        return 0;
    }
    value = static_cast<int>(negative ? -number : number);
    return 1;
}

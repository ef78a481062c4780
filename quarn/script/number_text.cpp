#include "quarn/script/number_text.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

int TruncateToInt(double value) {
    if (std::isnan(value)) return 0;
    if (value >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (value <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

// to_chars with precision 15 writes exactly what printf's "%.15g" does, exponent of at least two
// digits included. NaN is written without its sign, which means nothing. Whole numbers of at
// most 15 digits, what scripts mostly compute, are written as integers: "%.15g" shows them with
// all their digits and no point, and the integer conversion is several times faster.
void FormatNumber(double value, std::string& out) {
    if (std::isnan(value)) {
        out = "nan";
        return;
    }
    char digits[32];
    constexpr double kWholeDigitsLimit = 1e15;
    if (value > -kWholeDigitsLimit && value < kWholeDigitsLimit) {
        const auto whole = static_cast<long long>(value);
        if (static_cast<double>(whole) == value) {
            char* end = digits;
            if (std::signbit(value)) *end++ = '-';  // "-0" as printf writes it
            end = std::to_chars(end, digits + sizeof digits, whole < 0 ? -whole : whole).ptr;
            out.assign(digits, end);
            return;
        }
    }
    const auto written =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general, 15);
    out.assign(digits, written.ptr);
}

std::string FormatNumber(double value) {
    std::string text;
    FormatNumber(value, text);
    return text;
}

double NumberFromText(std::string_view text) {
    double value = 0;
    const std::from_chars_result read =
        std::from_chars(text.data(), text.data() + text.size(), value);
    return read.ec == std::errc() ? value : 0;
}

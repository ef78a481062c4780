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
// digits included. NaN is written without its sign, which means nothing.
void FormatNumber(double value, std::string& out) {
    if (std::isnan(value)) {
        out = "nan";
        return;
    }
    char digits[32];
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

#include "platform/leading_int.h"

#include <algorithm>
#include <climits>

namespace platform {

int LeadingInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    constexpr long long kMagnitudeLimit = static_cast<long long>(INT_MAX) + 1;
    long long magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = std::min(kMagnitudeLimit, magnitude * 10 + (text[i] - '0'));
    }
    return static_cast<int>(negative ? -magnitude : std::min<long long>(magnitude, INT_MAX));
}

}  // namespace platform

#include "platform/leading_int.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(LeadingIntTest, ReadsBlanksSignAndDigits) {
    const struct {
        std::string_view text;
        int value;
    } cases[] = {
        {"", 0},
        {" \t ", 0},
        {"x12", 0},
        {"+", 0},
        {"- 5", 0},
        {"42", 42},
        {" \t-42abc", -42},
        {"+7:30", 7},
        {"007", 7},
        {"2147483647", INT_MAX},
        {"2147483648", INT_MAX},
        {"99999999999999999999", INT_MAX},
        {"-2147483648", INT_MIN},
        {"-99999999999999999999", INT_MIN},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(platform::LeadingInt(c.text), c.value);
    }
}

}  // namespace

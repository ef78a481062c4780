#include "quarn/app/numeric_field.h"

#include <gtest/gtest.h>

namespace {

TEST(NumericFieldTest, AcceptsIntegersWithinTheRangeOnly) {
    const std::string kPorts = "Please enter an integer between 1 and 65535.";
    const std::string kRetries = "Please enter an integer between 0 and 100.";
    const std::string kNotInt = "Please enter an integer.";
    const struct {
        std::string_view text;
        IntRange range;
        int value;            // when accepted
        std::string message;  // "" when accepted
    } kCases[] = {
        {"1", {1, 65535}, 1, ""},
        {"65535", {1, 65535}, 65535, ""},
        {" 21 ", {1, 65535}, 21, ""},
        {"+21", {1, 65535}, 21, ""},
        {"007", {1, 65535}, 7, ""},
        {"0", {1, 65535}, 0, kPorts},
        {"65536", {1, 65535}, 0, kPorts},
        {"-1", {1, 65535}, 0, kPorts},
        {"4294967317", {1, 65535}, 0, kPorts},  // 2^32 + 21 must not wrap to 21
        {"99999999999999999999999", {1, 65535}, 0, kPorts},
        {"0", {0, 100}, 0, ""},
        {"-0", {0, 100}, 0, ""},
        {"100", {0, 100}, 100, ""},
        {"101", {0, 100}, 0, kRetries},
        {"", {0, 100}, 0, kNotInt},
        {"   ", {0, 100}, 0, kNotInt},
        {"-", {0, 100}, 0, kNotInt},
        {"12abc", {0, 100}, 0, kNotInt},
        {"1 2", {0, 100}, 0, kNotInt},
        {"1.5", {0, 100}, 0, kNotInt},
        {"0x10", {0, 100}, 0, kNotInt},
    };
    for (const auto& c : kCases) {
        int value = -12345;
        std::string message;
        EXPECT_EQ(ParseIntField(c.text, c.range, value, message), c.message.empty() ? 1 : 0)
            << c.text;
        EXPECT_EQ(message, c.message) << c.text;
        EXPECT_EQ(value, c.message.empty() ? c.value : -12345) << c.text;
    }
}

}  // namespace

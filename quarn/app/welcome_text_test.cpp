#include "quarn/app/welcome_text.h"

#include <gtest/gtest.h>

namespace {

TEST(WelcomeTextTest, EscapesEndLinesOrStandForTheirCharacter) {
    struct Case {
        std::string_view text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"Hello\\nworld", {"Hello", "world"}},
        {"", {""}},
        // Too near the end to be an escape: kept as it is.
        {"end\\n", {"end\\n"}},
        {"a\\\\b\\xc", {"a\\bxc"}},
        {"\\n\\nx", {"", "", "x"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitWelcomeText(c.text), c.lines) << c.text;
}

}  // namespace

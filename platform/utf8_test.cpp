#include "platform/utf8.h"

#include <gtest/gtest.h>

namespace {

struct CutCase {
    const char* name;
    std::string text;
    std::size_t max;
    std::string expected;
};

TEST(CutAtUtf8Boundary, KeepsWholeSequences) {
    const CutCase cases[] = {
        {"shorter than limit", "abc", 5, "abc"},
        {"exact limit", "abcde", 5, "abcde"},
        {"ascii cut", "abcdef", 3, "abc"},
        {"before two-byte char", "ab\xC3\xA4", 3, "ab"},
        {"after two-byte char", "a\xC3\xA4z", 3, "a\xC3\xA4"},
        {"inside three-byte char", "a\xE2\x82\xAC", 3, "a"},
        {"inside four-byte char", "\xF0\x9F\x98\x80x", 3, ""},
        {"latin-1 bytes cut where they are", "a\xE4\xE4\xE4", 2, "a\xE4"},
        {"stray continuation bytes", "\x80\x80\x80\x80\x80", 4, "\x80\x80\x80\x80"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string text = c.text;
        platform::CutAtUtf8Boundary(text, c.max);
        EXPECT_EQ(text, c.expected);
    }
}

}  // namespace

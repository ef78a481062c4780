#include "quarn/script/output_path.h"

#include <gtest/gtest.h>

namespace {

TEST(OutputPathTest, NormalisesRelativeNames) {
    struct Case {
        std::string_view name;
        const char* expected;
    };
    const Case cases[] = {
        {"page.html", "page.html"},
        {"sub\\page.html", "sub/page.html"},
        {"a\\b//./c/", "a/b/c"},
        {"./page.html", "page.html"},
        {".\\a\\.\\b", "a/b"},
        {"my page.html", "my page.html"},
        {"...", "..."},
        {"..a/b..", "..a/b.."},
        {".hidden", ".hidden"},
        {"Mixed/CASE.HTML", "Mixed/CASE.HTML"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name));
        const std::optional<std::string> result = NormaliseOutputName(c.name);
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(*result, c.expected);
    }
}

TEST(OutputPathTest, RefusesNamesOutsideOrNotUnderTheRoot) {
    const std::string_view cases[] = {
        "",
        ".",
        "./",
        ".\\.\\",
        "/etc/passwd",
        "\\server\\share",
        "//double",
        "c:page.html",
        "C:\\web\\page.html",
        "sub/a:b",
        "..",
        "../page.html",
        "..\\page.html",
        "a/../page.html",
        "a/b/..",
        "a\\..\\..\\x",
        std::string_view("a\0b", 3),
        "a\nb",
        "a\rb",
        "page.html\r",
    };
    for (std::string_view name : cases) {
        SCOPED_TRACE(std::string(name));
        EXPECT_FALSE(NormaliseOutputName(name).has_value());
    }
}

TEST(OutputPathTest, ResolvesPathsBelowTheRoot) {
    struct Row {
        const char* name;
        const char* expected;
    };
    const Row rows[] = {
        {"a.txt", "/r/html/a.txt"},
        {"sub\\a.txt", "/r/html/sub/a.txt"},
        {"/abs/a.txt", "/abs/a.txt"},
        {"\\abs\\a.txt", "/abs/a.txt"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(PathBelowRoot("/r/html", row.name), row.expected);
    }
}

TEST(OutputPathTest, ChecksNamesThatScriptsWrite) {
    struct Row {
        const char* name;
        std::optional<std::string> expected;
    };
    const Row rows[] = {
        {"a\\b.html", "a/b.html"},   {".hidden", ".hidden"},      {"./a.html", std::nullopt},
        {".\\a.html", std::nullopt}, {"../a.html", std::nullopt}, {"/a.html", std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(CheckedOutputName(row.name), row.expected);
    }
}

}  // namespace

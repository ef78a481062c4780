#include "tolvane/text_search.h"

#include <gtest/gtest.h>

namespace {

constexpr std::size_t npos = std::u16string_view::npos;

TEST(TextSearchTest, FindsDownAndUpWithTheOptions) {
    const std::u16string text = u"&html(\"a\"){Html HTML_x html}\u2029&HTML";
    struct Case {
        const char16_t* what;
        std::size_t from;
        CSearchOptions options;
        std::size_t found;
    } cases[] = {
        {u"html", 0, {}, 1},
        {u"html", 2, {}, 11},
        {u"html", 2, {.matchCase = true}, 23},
        {u"html", 2, {.wholeWord = true}, 11},
        {u"html", 12, {.wholeWord = true}, 23},  // "HTML_x": "_" belongs to the word
        {u"html", 24, {.wholeWord = true}, 30},  // the line break separates words
        {u"HTML", 24, {.matchCase = true, .wholeWord = true}, 30},
        {u"html", 34, {}, npos},
        // Up: the last match that ends at or before `from`.
        {u"html", 34, {.down = false}, 30},
        {u"html", 33, {.down = false}, 23},
        {u"html", 15, {.down = false}, 11},
        {u"html", 14, {.down = false}, 1},
        {u"html", 4, {.down = false}, npos},
        {u"html", 99, {.matchCase = true, .down = false}, 23},
        {u"", 0, {}, npos},
        {u"much longer than the text itself", 0, {}, npos},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "from " << c.from << " down " << c.options.down);
        EXPECT_EQ(FindText(text, c.what, c.from, c.options), c.found);
    }
}

TEST(TextSearchTest, CaseFoldsLatinGreekAndCyrillicLetters) {
    struct Case {
        const char16_t* text;
        const char16_t* what;
        bool matches;
    } cases[] = {
        {u"GRÜSSE", u"grüsse", true},       {u"ÀÉÎÕÞ", u"àéîõþ", true}, {u"×", u"÷", false},
        {u"ŁÓDŹ ŻÓŁW", u"łódź żółw", true}, {u"Ÿ", u"ÿ", true},         {u"ΑΒΓ", u"αβγ", true},
        {u"ЁЖИК", u"ёжик", true},           {u"İ", u"i", false},        {u"ß", u"ss", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MatchesAt(c.text, c.what, 0, {}), c.matches);
        EXPECT_FALSE(MatchesAt(c.text, c.what, 0, {.matchCase = true}));
    }
    // Letters of any alphabet join a word; Latin-1 signs and blanks do not.
    EXPECT_EQ(FindText(u"öab ab\u00A0ab", u"ab", 0, {.wholeWord = true}), 4u);
    EXPECT_EQ(FindText(u"ab\u00A0abж ab", u"ab", 1, {.wholeWord = true}), 7u);
}

TEST(TextSearchTest, FindAllTakesEveryMatchWithoutOverlap) {
    EXPECT_EQ(FindAll(u"aaaa", u"aa", {}), (std::vector<std::size_t>{0, 2}));
    EXPECT_EQ(FindAll(u"x X xx", u"x", {.wholeWord = true, .down = false}),
              (std::vector<std::size_t>{0, 2}));
    EXPECT_TRUE(FindAll(u"abc", u"", {}).empty());
    EXPECT_FALSE(MatchesAt(u"abc", u"bc", 2, {}));
    EXPECT_FALSE(MatchesAt(u"abc", u"c", 4, {}));
}

}  // namespace

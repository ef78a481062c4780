#include "tolvane/script_file.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Replaces the first occurrence of `from` in `text` by `to`.
std::string EditOnce(std::string text, const std::string& from, const std::string& to) {
    text.replace(text.find(from), from.size(), to);
    return text;
}

struct RoundTrip {
    const char* name;
    std::string bytes;
    std::string lineBefore;  // a line of the text as shown, edited into lineAfter
    std::string lineAfter;
    std::string expected;  // the saved bytes
};

// Opened, one line edited, saved: only that line's bytes change.
TEST(ScriptFileTest, OneEditedLineChangesOnlyItsBytes) {
    const std::string tail = "\x01\x7f\x80\xfe\xff\r\x0b\x0c\xa0 \r\r\n\n\x1b[0m\xc3";
    const RoundTrip cases[] = {
        {"CR LF", "&html(\"a.html\"){\r\n\tline\r\n}\r\n", "\tline", "\tedited",
         "&html(\"a.html\"){\r\n\tedited\r\n}\r\n"},
        {"LF, no final line end", "one\ntwo\nthree", "two", "zwei", "one\nzwei\nthree"},
        {"not UTF-8", "caf\xe9\r\nna\xefve\r\n\xff\xfe\r\n", "caf\u00e9", "cafe",
         "cafe\r\nna\xefve\r\n\xff\xfe\r\n"},
        {"binary-looking tail", "first\nsecond\n" + tail, "second", "2nd", "first\n2nd\n" + tail},
        {"mixed ends", "a\r\nb\nc\rd\r\n", "c", "C", "a\r\nb\nC\rd\r\n"},
    };
    for (const RoundTrip& c : cases) {
        SCOPED_TRACE(c.name);
        CScriptFile file;
        file.Load(c.bytes);
        EXPECT_EQ(file.Save(file.Text()), c.bytes);
        EXPECT_EQ(file.Save(EditOnce(file.Text(), c.lineBefore, c.lineAfter)), c.expected);
    }
}

TEST(ScriptFileTest, AddedLinesTakeTheFilesFirstLineEnd) {
    struct Case {
        const char* name;
        std::string bytes;
        std::string expected;
    } cases[] = {
        {"LF file", "a\nb\r\n", "a\nnew\nb\r\n"},
        {"CR LF file", "a\r\nb\n", "a\r\nnew\r\nb\n"},
        {"no line end yet", "a", "a\r\nnew"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CScriptFile file;
        file.Load(c.bytes);
        const std::string text = file.Text();
        const std::size_t firstBreak = text.find('\n');
        const std::string edited =
            firstBreak == std::string::npos
                ? text + "\nnew"
                : text.substr(0, firstBreak) + "\nnew" + text.substr(firstBreak);
        EXPECT_EQ(file.Save(edited), c.expected);
    }
}

TEST(ScriptFileTest, NewFileIsUtf8WithCrLf) {
    CScriptFile file;
    EXPECT_EQ(file.Save("&html(\"\u00e9.html\"){\n}"), "&html(\"\xc3\xa9.html\"){\r\n}");
}

// Latin-1 cannot hold every character a user types; those are written as UTF-8 instead of
// being lost, and the rest of the file keeps its bytes.
TEST(ScriptFileTest, Latin1FileKeepsCharactersLatin1CannotHold) {
    CScriptFile file;
    file.Load("\xe9t\xe9\n");
    ASSERT_TRUE(file.IsLatin1());
    EXPECT_EQ(file.Save(file.Text() + "\u20ac"), "\xe9t\xe9\n\xe2\x82\xac");
}

TEST(ScriptFileTest, Utf8Validation) {
    const std::pair<std::string, bool> cases[] = {
        {"plain", true},
        {"\xc3\xa9", true},
        {"\xe2\x82\xac", true},
        {"\xf0\x9f\x98\x80", true},
        {"\xc0\xaf", false},
        {"\xed\xa0\x80", false},
        {"\xf4\x90\x80\x80", false},
        {"\xe2\x82", false},
        {"\x80", false},
    };
    for (const auto& [bytes, valid] : cases) {
        SCOPED_TRACE(bytes);
        EXPECT_EQ(IsValidUtf8(bytes), valid);
    }
}

}  // namespace

#include "quarn/services/messages.h"

#include <gtest/gtest.h>

#include <set>

#include "quarn/services/program_context.h"

namespace {

class MessagesTest : public ::testing::Test {
protected:
    void SetUp() override { g_strProgramTitle.Set("Quarn Pro"); }
};

TEST_F(MessagesTest, NumbersWithoutTextAreAbsent) {
    const std::set<int> without = {51, 56, 62, 71, 90};
    for (int n = -1; n <= 130; ++n) {
        SCOPED_TRACE(n);
        const bool has_text = n >= 1 && n <= 125 && !without.count(n);
        EXPECT_EQ(!MessageText(n).empty(), has_text);
    }
}

TEST_F(MessagesTest, EveryTextStartsWithItsNumber) {
    for (int n = 1; n <= 125; ++n) {
        std::string_view text = MessageText(n);
        if (text.empty()) continue;
        SCOPED_TRACE(n);
        // 65 is the one text without a blank after "ERROR".
        const std::string prefix = (n == 65 ? "ERROR" : "ERROR ") + std::to_string(n) + "- ";
        EXPECT_EQ(text.substr(0, prefix.size()), prefix);
    }
}

TEST_F(MessagesTest, ExactTexts) {
    struct Case {
        int number;
        const char* value;
        const char* expected;
    };
    const Case cases[] = {
        {1, "[unixODBC] no such table", "ERROR 1- [unixODBC] no such table"},
        {20, "", "ERROR 20- nesting of FTP sessions not allowed"},
        {21, "",
         "ERROR 21- unable load rasapi.dll. The system may not have dial-up networking "
         "installed."},
        {26, "Logon failed", "ERROR 26- Logon failed"},
        {29, "", "ERROR 29- "},
        {35, "",
         "ERROR 35- system out of memory! Please free up some resources and restart Quarn Pro."},
        {36, "", "ERROR 36- enter time in the form hh:mm"},
        {55, "name", "ERROR 55- ?name? is not a recognized variable name."},
        {65, "", "ERROR65- an undefined error occurred whilst running script file."},
        {66, "C:\\Quarn\\x.scp", "ERROR 66- the script file C:\\Quarn\\x.scp could not be opened."},
        {72, "", "ERROR 72- '\\' character found at end of file."},
        {77, "mysub", "ERROR 77- function/subroutine mysub not recognised."},
        {83, "ht{ml", "ERROR 83- error in function name ht{ml"},
        {104, "ERR no such message", "ERROR 104- POP3 mail error ERR no such message"},
        {110, "550 refused", "ERROR 110- SMTP mail error 550 refused"},
        {115, "Logon failed", "ERROR 115- FTP error: Logon failed"},
        {116, "", "ERROR 116- unable to open include file."},
        {124, "", "ERROR 124- error in date string"},
        {125, "", "ERROR 125- script nesting too deep."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(LoadMessage(c.number, c.value), c.expected);
    }
}

TEST_F(MessagesTest, SharedTextsMatchWordForWord) {
    const std::pair<int, int> pairs[] = {{9, 17}, {37, 88}, {49, 80}, {64, 97}};
    for (auto [a, b] : pairs) {
        SCOPED_TRACE(a);
        std::string_view ta = MessageText(a), tb = MessageText(b);
        EXPECT_EQ(ta.substr(ta.find("- ")), tb.substr(tb.find("- ")));
    }
}

TEST_F(MessagesTest, TitleIsAppliedToTheFixedTextOnly) {
    g_strProgramTitle.Set("Web");
    EXPECT_EQ(LoadMessage(35),
              "ERROR 35- system out of memory! Please free up some resources and restart Web.");
    EXPECT_EQ(LoadMessage(66, "/srv/Quarn/a.scp"),
              "ERROR 66- the script file /srv/Quarn/a.scp could not be opened.");
}

}  // namespace

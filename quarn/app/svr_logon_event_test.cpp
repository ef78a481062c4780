#include "quarn/app/svr_logon_event.h"

#include <gtest/gtest.h>

namespace {

TEST(SvrLogonEventTest, UserNameIsShownSafeAndCut) {
    struct Case {
        std::string user, shown;
    };
    const Case cases[] = {
        {"bob", "bob"},
        {"Pw 2", "Pw 2"},
        {"", ""},
        {"a\r\nb", "a\\x0D\\x0Ab"},
        {std::string("n\0ul\tl", 6), "n\\x00ul\\x09l"},
        {"\x1b[31mred\x7f", "\\x1B[31mred\\x7F"},
        {"say \"hi\" \\x41", "say \\x22hi\\x22 \\x5Cx41"},
        {"Jos\xC3\xA9", "Jos\\xC3\\xA9"},
        {std::string(64, 'u'), std::string(64, 'u')},
        {std::string(65, 'u'), std::string(64, 'u') + "..."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        EXPECT_EQ(LogonRefusedText(c.user, 0x7F000002),
                  "Remote logon refused for user \"" + c.shown + "\" from 127.0.0.2");
    }
}

TEST(SvrLogonEventTest, AddressIsDottedDecimal) {
    EXPECT_EQ(DottedAddress(0), "0.0.0.0");
    EXPECT_EQ(DottedAddress(0x0A01FF03), "10.1.255.3");
    EXPECT_EQ(DottedAddress(0xFFFFFFFF), "255.255.255.255");
}

}  // namespace

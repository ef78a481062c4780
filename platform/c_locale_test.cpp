#include "platform/c_locale.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string Formatted(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

TEST(ThreadLocale, FormatsInTheCLocaleThenRestoresTheThreadsLocale) {
    const locale_t comma = newlocale(LC_ALL_MASK, "de_DE.UTF-8", locale_t{});
    if (comma == locale_t{}) GTEST_SKIP() << "the locale de_DE.UTF-8 is not installed";
    {
        const platform::ThreadLocale german(comma);
        ASSERT_EQ(Formatted(2.5), "2,5");
        {
            const platform::ThreadLocale c(platform::CLocale());
            EXPECT_EQ(Formatted(2.5), "2.5");
        }
        EXPECT_EQ(Formatted(2.5), "2,5");
    }
    freelocale(comma);
}

}  // namespace

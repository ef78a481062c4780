#include "quarn/app/browse_start_folder.h"

#include <gtest/gtest.h>

namespace {

TEST(BrowseStartFolderTest, OneTrailingSeparatorGoesButNeverTheRoot) {
    const struct {
        std::string_view folder, start;
    } cases[] = {
        {"/home/ann/site", "/home/ann/site"},
        {"/home/ann/site/", "/home/ann/site"},
        {"/home/ann/site//", "/home/ann/site/"},
        {"C:\\site\\", "C:\\site"},
        {"/home/ann/site/ \t", "/home/ann/site"},
        {"/", "/"},
        {"/  ", "/"},
        {"\\", "\\"},
        {"", ""},
        {"   ", ""},
        {"  /srv", "  /srv"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        EXPECT_EQ(BrowseStartFolder(c.folder), c.start);
    }
}

}  // namespace

#include "platform/file_descriptor.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

namespace {

// A pipe whose write end has taken `bytes` and is closed, so reading it ends.
platform::UniqueFd FilledPipe(const std::string& bytes) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) return {};
    platform::UniqueFd readEnd(ends[0]);
    platform::UniqueFd writeEnd(ends[1]);
    if (!platform::WriteAll(writeEnd.Get(), bytes) || !writeEnd.Close()) return {};
    return readEnd;
}

TEST(ReadAllTest, AppendsEverythingUpToTheEnd) {
    // More than one read's worth, with a NUL inside.
    std::string sent(40000, 'x');
    sent[7] = '\0';
    const platform::UniqueFd pipe = FilledPipe(sent);
    ASSERT_TRUE(pipe);
    std::string bytes = "kept:";
    EXPECT_TRUE(platform::ReadAll(pipe.Get(), bytes));
    EXPECT_EQ(bytes, "kept:" + sent);
}

TEST(ReadAllTest, AFailedReadIsFalseWithErrnoAndKeepsWhatWasThere) {
    platform::UniqueFd writeOnly(::open("/dev/null", O_WRONLY | O_CLOEXEC));
    ASSERT_TRUE(writeOnly);
    std::string bytes = "kept";
    errno = 0;
    EXPECT_FALSE(platform::ReadAll(writeOnly.Get(), bytes));
    EXPECT_EQ(errno, EBADF);
    EXPECT_EQ(bytes, "kept");
}

}  // namespace

#include "platform/single_instance.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>

namespace platform {
namespace {

using Result = SingleInstanceLock::Result;

constexpr std::string_view kName = "Quarn1RunOnlyAllowed";

class SingleInstanceLockTest : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = testing::TempDir() + "single_instance_XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::string m_dir;
};

TEST_F(SingleInstanceLockTest, SecondHolderIsRefusedUntilTheFirstGoes) {
    std::string error;
    std::optional<SingleInstanceLock> first(std::in_place);
    ASSERT_EQ(first->TryAcquire(m_dir, kName, &error), Result::kAcquired) << error;
    EXPECT_TRUE(first->Held());
    EXPECT_EQ(first->TryAcquire(m_dir, kName, &error), Result::kAcquired) << "a holder keeps it";

    SingleInstanceLock second;
    EXPECT_EQ(second.TryAcquire(m_dir, kName, &error), Result::kHeldElsewhere);
    EXPECT_FALSE(second.Held());

    first.reset();
    EXPECT_EQ(second.TryAcquire(m_dir, kName, &error), Result::kAcquired) << error;
    struct stat st {};
    ASSERT_EQ(::stat((m_dir + "/" + std::string(kName)).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

// The lock belongs to the holding process: while a child holds it the parent is refused, and a
// child that dies without any cleanup leaves it free.
TEST_F(SingleInstanceLockTest, ADeadHolderNeverBlocksTheNext) {
    int toChild[2];
    int toParent[2];
    ASSERT_EQ(::pipe(toChild), 0);
    ASSERT_EQ(::pipe(toParent), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        SingleInstanceLock lock;
        const char held = lock.TryAcquire(m_dir, kName, nullptr) == Result::kAcquired ? 'y' : 'n';
        if (::write(toParent[1], &held, 1) != 1) ::_exit(2);
        char go;
        if (::read(toChild[0], &go, 1) != 1) ::_exit(2);
        ::_exit(0);  // no destructor runs: the kernel must drop the lock
    }
    char held = 0;
    ASSERT_EQ(::read(toParent[0], &held, 1), 1);
    ASSERT_EQ(held, 'y');

    SingleInstanceLock parent;
    std::string error;
    EXPECT_EQ(parent.TryAcquire(m_dir, kName, &error), Result::kHeldElsewhere);

    ASSERT_EQ(::write(toChild[1], "x", 1), 1);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    for (int fd : {toChild[0], toChild[1], toParent[0], toParent[1]})
        ::close(fd);
    EXPECT_EQ(parent.TryAcquire(m_dir, kName, &error), Result::kAcquired) << error;
}

TEST_F(SingleInstanceLockTest, AMissingDirectoryFailsWithTheReason) {
    SingleInstanceLock lock;
    std::string error;
    EXPECT_EQ(lock.TryAcquire(m_dir + "/missing", kName, &error), Result::kFailed);
    EXPECT_NE(error.find(m_dir + "/missing/Quarn1RunOnlyAllowed"), std::string::npos) << error;
    EXPECT_FALSE(lock.Held());
}

TEST(SingleInstanceLockDirectory, RuntimeDirectoryElseTmp) {
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::optional<std::string> old = saved ? std::optional<std::string>(saved) : std::nullopt;

    ::setenv("XDG_RUNTIME_DIR", "/run/user/4711", 1);
    EXPECT_EQ(SingleInstanceLock::DefaultDirectory(), "/run/user/4711");
    ::setenv("XDG_RUNTIME_DIR", "", 1);
    EXPECT_EQ(SingleInstanceLock::DefaultDirectory(), "/tmp");
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(SingleInstanceLock::DefaultDirectory(), "/tmp");

    if (old) ::setenv("XDG_RUNTIME_DIR", old->c_str(), 1);
}

}  // namespace
}  // namespace platform

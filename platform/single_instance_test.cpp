#include "platform/single_instance.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

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

// Each test sets XDG_RUNTIME_DIR as it needs; the variable is put back afterwards. The base that
// stands for /tmp is a folder of the test's own.
class SingleInstanceLockDirectory : public SingleInstanceLockTest {
protected:
    void SetUp() override {
        SingleInstanceLockTest::SetUp();
        const char* saved = std::getenv("XDG_RUNTIME_DIR");
        if (saved) m_savedRuntime = saved;
    }
    void TearDown() override {
        if (m_savedRuntime)
            ::setenv("XDG_RUNTIME_DIR", m_savedRuntime->c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
        SingleInstanceLockTest::TearDown();
    }
    std::string Own() const { return m_dir + "/quarn-" + std::to_string(::geteuid()); }

    std::optional<std::string> m_savedRuntime;
};

TEST_F(SingleInstanceLockDirectory, ARuntimeDirectoryIsTakenAsItIs) {
    ::setenv("XDG_RUNTIME_DIR", "/run/user/4711", 1);
    const LockDirectory dir = SingleInstanceLock::DefaultDirectory(m_dir);
    EXPECT_EQ(dir.path, "/run/user/4711");
    EXPECT_EQ(dir.fault, "");
    EXPECT_FALSE(std::filesystem::exists(Own())) << "nothing is made in the base";
}

// Without a runtime directory (unset or empty) the lock lives in the user's own folder below the
// base, which must be a real directory of the user's with mode 0700.
TEST_F(SingleInstanceLockDirectory, TheUsersOwnFolderOrARefusal) {
    const std::string own = Own();
    const std::string other = m_dir + "/elsewhere";
    ASSERT_EQ(::mkdir(other.c_str(), 0700), 0);
    const auto folder = [&](mode_t mode) {
        return ::mkdir(own.c_str(), 0700) == 0 && ::chmod(own.c_str(), mode) == 0;
    };
    struct Case {
        const char* name;
        std::function<bool()> make;  // what is at the folder's name beforehand
        std::string fault;           // empty: the folder is used
        const char* skip = nullptr;  // why the row cannot be made here
    };
    const std::string refused = "cannot use the lock folder " + own + ": ";
    const bool root = ::geteuid() == 0;
    const std::vector<Case> cases = {
        {"absent: made 0700", [] { return true; }, ""},
        {"own 0700: used", [&] { return folder(0700); }, ""},
        {"mode 0755", [&] { return folder(0755); }, refused + "its mode is 0755, not 0700"},
        {"mode 0770", [&] { return folder(0770); }, refused + "its mode is 0770, not 0700"},
        {"sticky 1700", [&] { return folder(01700); }, refused + "its mode is 1700, not 0700"},
        {"a symbolic link to an own 0700 folder",
         [&] { return ::symlink(other.c_str(), own.c_str()) == 0; },
         refused + "it is a symbolic link"},
        {"a dangling symbolic link",
         [&] { return ::symlink((m_dir + "/none").c_str(), own.c_str()) == 0; },
         refused + "it is a symbolic link"},
        {"a plain file",
         [&] {
             const int fd = ::open(own.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0700);
             return fd >= 0 && ::close(fd) == 0;
         },
         refused + "it is not a folder"},
        {"another user's 0700 folder",
         [&] { return folder(0700) && ::chown(own.c_str(), 65534, 65534) == 0; },
         refused + "it belongs to user 65534",
         root ? nullptr : "only root can give a folder to another user"},
    };
    for (const char* runtime : {static_cast<const char*>(nullptr), ""}) {
        for (const Case& row : cases) {
            SCOPED_TRACE(std::string(row.name) + (runtime ? ", XDG_RUNTIME_DIR empty" : ""));
            if (row.skip) {
                std::printf("skipped row \"%s\": %s\n", row.name, row.skip);
                continue;
            }
            if (runtime)
                ::setenv("XDG_RUNTIME_DIR", runtime, 1);
            else
                ::unsetenv("XDG_RUNTIME_DIR");
            std::filesystem::remove_all(own);
            ASSERT_TRUE(row.make()) << std::strerror(errno);
            const LockDirectory dir = SingleInstanceLock::DefaultDirectory(m_dir);
            EXPECT_EQ(dir.path, own);
            EXPECT_EQ(dir.fault, row.fault);
            struct stat st {};
            if (row.fault.empty()) {
                ASSERT_EQ(::lstat(own.c_str(), &st), 0);
                EXPECT_TRUE(S_ISDIR(st.st_mode));
                EXPECT_EQ(st.st_mode & 07777, 0700u);
                SingleInstanceLock lock;
                std::string error;
                EXPECT_EQ(lock.TryAcquire(dir.path, kName, &error), Result::kAcquired) << error;
            }
            EXPECT_TRUE(std::filesystem::is_empty(other)) << "a link is never followed";
        }
    }
    const LockDirectory unmade = SingleInstanceLock::DefaultDirectory(m_dir + "/missing");
    EXPECT_EQ(unmade.fault,
              "cannot make the lock folder " + unmade.path + ": No such file or directory");
}

}  // namespace
}  // namespace platform

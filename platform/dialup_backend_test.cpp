#include "platform/dialup_backend.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "platform/dialup_none.h"
#include "tests/fixtures/temp_dir.h"

namespace platform {
namespace {

TEST(MakeSystemDialupBackend, TakesNetworkManagerOnlyWhenNmcliIsOnPath) {
    fixtures::TempDir empty("dialup_path");
    ASSERT_TRUE(empty.Ok()) << empty.Error();
    const std::string oldPath = ::getenv("PATH") != nullptr ? ::getenv("PATH") : "";
    const struct {
        std::string path;
        bool present;
    } cases[] = {
        {empty.Path() + ":" + QUARN_FAKE_NMCLI_DIR, true},
        {empty.Path(), false},
        {"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        ::setenv("PATH", c.path.c_str(), 1);
        EXPECT_EQ(MakeSystemDialupBackend()->Present(), c.present);
    }
    ::setenv("PATH", oldPath.c_str(), 1);
}

TEST(NoDialupBackend, IsAbsentAndFailsEveryOperation) {
    NoDialupBackend backend;
    EXPECT_FALSE(backend.Present());
    std::vector<std::string> names{"stale"};
    EXPECT_EQ(backend.ListActive(names), 0);
    EXPECT_TRUE(names.empty());
    names = {"stale"};
    EXPECT_EQ(backend.ListEntries(names), 0);
    EXPECT_TRUE(names.empty());
    DialupHandle handle = "stale";
    EXPECT_EQ(backend.Dial({"entry", "user", "secret"}, handle), 0);
    EXPECT_EQ(handle, std::nullopt);
}

TEST(ScopedDialupBackend, InstallsForItsScopeAndRestoresThePreviousOne) {
    DialupBackend& system = CurrentDialupBackend();
    EXPECT_EQ(&CurrentDialupBackend(), &system) << "chosen once";
    NoDialupBackend outer;
    NoDialupBackend inner;
    {
        ScopedDialupBackend installOuter(outer);
        EXPECT_EQ(&CurrentDialupBackend(), &outer);
        {
            ScopedDialupBackend installInner(inner);
            EXPECT_EQ(&CurrentDialupBackend(), &inner);
        }
        EXPECT_EQ(&CurrentDialupBackend(), &outer);
    }
    EXPECT_EQ(&CurrentDialupBackend(), &system);
}

}  // namespace
}  // namespace platform

#include "platform/dialup_nmcli.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include "platform/dialup_backend.h"
#include "tests/fixtures/temp_dir.h"

namespace platform {
namespace {

// A fake nmcli first on PATH, with its state in a directory of the test's own.
class NmcliDialupTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_state.Ok()) << m_state.Error();
        const char* path = ::getenv("PATH");
        m_oldPath = path != nullptr ? path : "";
        ::setenv("PATH", (std::string(QUARN_FAKE_NMCLI_DIR) + ":" + m_oldPath).c_str(), 1);
        ::setenv("FAKE_NMCLI_STATE", m_state.Path().c_str(), 1);
        m_backend = MakeSystemDialupBackend();
        ASSERT_TRUE(m_backend->Present());
    }
    void TearDown() override {
        ::setenv("PATH", m_oldPath.c_str(), 1);
        ::unsetenv("FAKE_NMCLI_STATE");
    }

    void WriteState(const std::string& name, const std::string& content) {
        std::string error;
        ASSERT_TRUE(fixtures::WriteTextFile(m_state.File(name), content, &error)) << error;
    }
    std::string ReadState(const std::string& name) {
        return fixtures::ReadTextFile(m_state.File(name)).value_or("");
    }
    // Each recorded call's arguments after the program name.
    std::vector<std::vector<std::string>> Calls() {
        std::vector<std::vector<std::string>> calls(1);
        const std::string log = ReadState("calls.log");
        for (std::size_t start = 0, end; (end = log.find('\n', start)) != std::string::npos;
             start = end + 1) {
            std::string line = log.substr(start, end - start);
            if (line == "--") {
                calls.emplace_back();
            } else {
                calls.back().push_back(std::move(line));
            }
        }
        calls.pop_back();
        return calls;
    }

    fixtures::TempDir m_state{"fake_nmcli"};
    std::string m_oldPath;
    std::unique_ptr<DialupBackend> m_backend;
};

using Args = std::vector<std::string>;

TEST_F(NmcliDialupTest, ListsProfilesAndActiveOnesWithEscapesUndone) {
    WriteState("connections", "Home DSL\nWork\\:VPN\nback\\\\slash\n");
    WriteState("active", "Work\\:VPN\n");
    std::vector<std::string> names;
    ASSERT_EQ(m_backend->ListEntries(names), 1);
    EXPECT_EQ(names, (Args{"Home DSL", "Work:VPN", "back\\slash"}));
    ASSERT_EQ(m_backend->ListActive(names), 1);
    EXPECT_EQ(names, (Args{"Work:VPN"}));
    WriteState("active", "");
    ASSERT_EQ(m_backend->ListActive(names), 1);
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(
        Calls(),
        (std::vector<Args>{
            {"--terse", "--escape", "yes", "--fields", "NAME", "connection", "show"},
            {"--terse", "--escape", "yes", "--fields", "NAME", "connection", "show", "--active"},
            {"--terse", "--escape", "yes", "--fields", "NAME", "connection", "show", "--active"}}));
}

TEST_F(NmcliDialupTest, ListingFailsWhenNetworkManagerIsNotRunning) {
    WriteState("connections", "Home DSL\n");
    WriteState("not_running", "");
    std::vector<std::string> names{"stale"};
    EXPECT_EQ(m_backend->ListEntries(names), 0);
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(m_backend->ListActive(names), 0);
}

TEST_F(NmcliDialupTest, DialsAndHangsUpTheProfileByName) {
    WriteState("connections", "Work\\:VPN\n");
    DialupHandle handle;
    ASSERT_EQ(m_backend->Dial({"Work:VPN", "", ""}, handle), 1);
    EXPECT_EQ(handle, "Work:VPN");
    std::vector<std::string> names;
    ASSERT_EQ(m_backend->ListActive(names), 1);
    EXPECT_EQ(names, (Args{"Work:VPN"}));
    m_backend->HangUp(handle);
    ASSERT_EQ(m_backend->ListActive(names), 1);
    EXPECT_TRUE(names.empty());
    const std::vector<Args> calls = Calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0], (Args{"connection", "up", "id", "Work:VPN"}));
    EXPECT_EQ(calls[2], (Args{"connection", "down", "id", "Work:VPN"}));
    EXPECT_EQ(ReadState("stdin.log"), "");
    EXPECT_EQ(ReadState("secrets.log"), "") << "no password, no secrets file";
}

TEST_F(NmcliDialupTest, APasswordTravelsOnlyInAPrivateFileRemovedAfterTheCall) {
    WriteState("connections", "Mobile\n");
    const std::string password = "s3cr3t pass:word";
    for (bool fails : {false, true}) {
        SCOPED_TRACE(fails ? "failed activation" : "activation");
        if (fails) WriteState("fail_up", "");
        DialupHandle handle;
        EXPECT_EQ(m_backend->Dial({"Mobile", "user", password}, handle), fails ? 0 : 1);
        EXPECT_EQ(handle, "Mobile") << "a failed attempt is hung up too";
    }
    const std::vector<Args> calls = Calls();
    ASSERT_EQ(calls.size(), 2u);
    for (const Args& call : calls) {
        ASSERT_EQ(call.size(), 6u);
        EXPECT_EQ(Args(call.begin(), call.begin() + 5),
                  (Args{"connection", "up", "id", "Mobile", "passwd-file"}));
        EXPECT_EQ(::access(call[5].c_str(), F_OK), -1) << call[5] << " is left behind";
        for (const std::string& arg : call)
            EXPECT_EQ(arg.find("s3cr3t"), std::string::npos);
    }
    const std::string lines = "gsm.password:" + password + "\ncdma.password:" + password +
                              "\npppoe.password:" + password +
                              "\nvpn.secrets.password:" + password + "\n";
    EXPECT_EQ(ReadState("secrets.log"), lines + lines);
    EXPECT_EQ(ReadState("modes.log"), "600\n600\n");
}

TEST_F(NmcliDialupTest, APasswordWithALineBreakIsNeverHandedOn) {
    WriteState("connections", "Mobile\n");
    for (const char* password : {"one\ntwo", "one\rtwo"}) {
        DialupHandle handle;
        EXPECT_EQ(m_backend->Dial({"Mobile", "", password}, handle), 0);
        EXPECT_EQ(handle, std::nullopt);
    }
    EXPECT_TRUE(Calls().empty());
}

}  // namespace
}  // namespace platform

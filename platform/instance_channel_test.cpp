#include "platform/instance_channel.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace platform {
namespace {

class InstanceChannelTest : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = testing::TempDir() + "instance_channel_XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        m_path = m_dir + "/Quarn1RunOnlyAllowed.sock";
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::string m_dir;
    std::string m_path;
};

TEST_F(InstanceChannelTest, EachAskIsOneRequestAndNoneWaitsAfterwards) {
    std::string error;
    std::optional<InstanceChannel> running(std::in_place);
    ASSERT_TRUE(running->Listen(m_path, &error)) << error;
    EXPECT_GE(running->Descriptor(), 0);
    EXPECT_EQ(running->TakeRequests(), 0) << "nothing asked yet, and it must not block";

    ASSERT_TRUE(InstanceChannel::AskToShow(m_path, &error)) << error;
    ASSERT_TRUE(InstanceChannel::AskToShow(m_path, &error)) << error;
    EXPECT_EQ(running->TakeRequests(), 2);
    EXPECT_EQ(running->TakeRequests(), 0);

    running.reset();
    EXPECT_FALSE(std::filesystem::exists(m_path)) << "the socket file goes with its listener";
    EXPECT_FALSE(InstanceChannel::AskToShow(m_path, &error));
    EXPECT_NE(error.find(m_path), std::string::npos) << error;
}

TEST_F(InstanceChannelTest, AStaleSocketFileIsReplaced) {
    std::ofstream(m_path) << "left by a crashed instance";
    std::string error;
    InstanceChannel running;
    ASSERT_TRUE(running.Listen(m_path, &error)) << error;
    ASSERT_TRUE(InstanceChannel::AskToShow(m_path, &error)) << error;
    EXPECT_EQ(running.TakeRequests(), 1);
}

TEST_F(InstanceChannelTest, APathTooLongForASocketIsRefusedByBothSides) {
    const std::string path = m_dir + "/" + std::string(120, 'x');
    std::string error;
    InstanceChannel running;
    EXPECT_FALSE(running.Listen(path, &error));
    EXPECT_EQ(running.Descriptor(), -1);
    EXPECT_NE(error.find("too long"), std::string::npos) << error;
    error.clear();
    EXPECT_FALSE(InstanceChannel::AskToShow(path, &error));
    EXPECT_NE(error.find("too long"), std::string::npos) << error;
}

}  // namespace
}  // namespace platform

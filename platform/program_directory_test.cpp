#include "platform/program_directory.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(ProgramDirectory, IsTheDirectoryOfTheRunningProgram) {
    const std::string dir = platform::ProgramDirectory("/start");
    EXPECT_EQ(dir, std::filesystem::canonical("/proc/self/exe").parent_path().string());
}

}  // namespace

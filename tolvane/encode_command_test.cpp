#include "tolvane/encode_command.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "shared/sce_codec.h"
#include "tests/fixtures/quarn_program_dir.h"
#include "tests/fixtures/temp_dir.h"

namespace {

class EncodeCommandTest : public testing::Test {
protected:
    std::string Put(const std::string& name, std::string_view bytes) {
        const std::string path = m_dir.File(name);
        EXPECT_TRUE(fixtures::WriteTextFile(path, bytes, nullptr));
        return path;
    }
    bool Exists(const std::string& name) const { return std::filesystem::exists(m_dir.File(name)); }

    fixtures::TempDir m_dir{"tolvane_encode"};
    CEncodeCommand m_command;
};

TEST_F(EncodeCommandTest, WritesAFileThatDecodesToTheScript) {
    const std::string script =
        "&html(\"a.html\"){\r\n<p>\xff\x00\xff</p>\r\n}\r\n" + std::string(300, 'x');
    ASSERT_EQ(m_command.Encode(Put("in.scp", script), m_dir.File("out.sce")), 1);
    EXPECT_EQ(m_command.m_strMessage, "Script encoded OK");
    const std::optional<std::string> file = fixtures::ReadTextFile(m_dir.File("out.sce"));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->substr(0, kSceHeader.size()), kSceHeader);
    EXPECT_EQ(VerifyEncodedScript(*file, script), SceEncodeResult::kOk);
}

TEST_F(EncodeCommandTest, FailuresLeaveNoOutput) {
    const std::string script = Put("in.scp", "text");
    const std::string empty = Put("empty.scp", "");
    ::mkdir(m_dir.File("dir.sce").c_str(), 0700);
    struct Case {
        std::string input, output, message;
    } cases[] = {
        {m_dir.File("missing.scp"), m_dir.File("out.sce"), "Error opening input script file"},
        {m_dir.Path(), m_dir.File("out.sce"), "Error opening input script file"},
        {empty, m_dir.File("out.sce"), "Script file is empty- encoding cancelled"},
        {script, m_dir.File("dir.sce"), "Error opening output script file"},
        {script, m_dir.File("no/such/dir/out.sce"), "Error opening output script file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        EXPECT_EQ(m_command.Encode(c.input, c.output), 0);
        EXPECT_EQ(m_command.m_strMessage, c.message);
        EXPECT_FALSE(Exists("out.sce"));
    }
}

// Encoding a script onto itself would truncate it before it is read.
TEST_F(EncodeCommandTest, RefusesToOverwriteItsInput) {
    const std::string script = Put("in.scp", "keep me");
    ASSERT_EQ(::symlink(script.c_str(), m_dir.File("link.sce").c_str()), 0);
    for (const std::string& output : {script, m_dir.File("./in.scp"), m_dir.File("link.sce")}) {
        SCOPED_TRACE(output);
        EXPECT_EQ(m_command.Encode(script, output), 0);
        EXPECT_EQ(m_command.m_strMessage, "Input and output are the same file- encoding cancelled");
        EXPECT_EQ(fixtures::ReadTextFile(script), "keep me");
    }
}

// A full device fails the write: the partial file is removed and the failure reported.
TEST_F(EncodeCommandTest, AFailedWriteRemovesThePartialFile) {
    if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no writable /dev/full";
    ASSERT_EQ(::symlink("/dev/full", m_dir.File("full.sce").c_str()), 0);
    EXPECT_EQ(m_command.Encode(Put("in.scp", "text"), m_dir.File("full.sce")), 0);
    EXPECT_EQ(m_command.m_strMessage, "Error writing output script file");
}

TEST_F(EncodeCommandTest, PathsAreRememberedInTheSettingsFile) {
    platform::ProfileFile file(m_dir.File("Quarn.ini"));
    EXPECT_EQ(ReadEncodePaths(file), (CEncodePaths{"", "script1.sce"}));
    ASSERT_TRUE(WriteEncodePaths(file, {"/a/in.scp", "/b/out.sce"}, nullptr));
    EXPECT_EQ(file.GetString("tolvane", "lastencscpin", ""), "/a/in.scp");
    EXPECT_EQ(file.GetString("tolvane", "lastencscpout", ""), "/b/out.sce");
}

// The encoded copy runs through the real quarn and writes the pages the plain script writes.
TEST(EncodeEndToEndTest, QuarnRunsTheEncodedScriptLikeThePlainOne) {
    fixtures::QuarnProgramDir quarn(QUARN_BINARY);
    ASSERT_TRUE(quarn.Ok()) << quarn.Error();
    const std::string script =
        "&defvar(?i?)\r\n"
        "&html(\"page.html\"){\r\n"
        "<h1>Caf\xe9 \xff</h1>\r\n"
        "\t&for(?i?,1,?i?<=3,1){\r\n"
        "\t\t<p>?i?</p>\r\n"
        "\t}\r\n"
        "}\r\n";
    ASSERT_TRUE(fixtures::WriteTextFile(quarn.Project("plain.scp"), script, nullptr));
    std::string output;
    ASSERT_EQ(quarn.RunScript("plain.scp", &output), 0) << output;
    const std::optional<std::string> plainPage =
        fixtures::ReadTextFile(quarn.Project("html/page.html"));
    ASSERT_TRUE(plainPage);
    std::filesystem::remove(quarn.Project("html/page.html"));

    CEncodeCommand command;
    ASSERT_EQ(command.Encode(quarn.Project("plain.scp"), quarn.Project("coded.sce")), 1)
        << command.m_strMessage;
    ASSERT_EQ(quarn.RunScript("coded.sce", &output), 0) << output;
    EXPECT_EQ(fixtures::ReadTextFile(quarn.Project("html/page.html")), plainPage);
    EXPECT_NE(plainPage->find("<p>3</p>"), std::string::npos) << *plainPage;
}

}  // namespace

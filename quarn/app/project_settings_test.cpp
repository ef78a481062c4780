#include "quarn/app/project_settings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "quarn/app/app_test_support.h"
#include "quarn/services/settings.h"

namespace {

namespace fs = std::filesystem;

class ProjectSettingsTest : public ProgramDirTest {
protected:
    void SetUp() override {
        ProgramDirTest::SetUp();
        MakeProject("shop");
    }
    std::string Dir() const { return ProjectDir("shop"); }
    std::string SettingsText() const { return FileText(ProgramDir() + "/Quarn.ini"); }
    // A sheet loaded from `section` (the lines of the project's section).
    CProjectSettings Loaded(std::string_view section) const {
        WriteSettings("[global]\r\nprofile0=shop\r\n[shop]\r\n" + std::string(section));
        CProjectSettings settings("shop", Dir());
        settings.Load();
        return settings;
    }
};

TEST_F(ProjectSettingsTest, FirstOkWritesEveryKeyWithItsDefaultInOrder) {
    CProjectSettings settings = Loaded("");
    ASSERT_EQ(settings.Save(), 1) << settings.m_strMessage;
    EXPECT_EQ(SettingsText(),
              "[global]\r\nprofile0=shop\r\n[shop]\r\n"
              "dialupen=0\r\nrunscript2check=0\r\nrunscriptcheck=1\r\nftpcheck=0\r\n"
              "execcheck=0\r\nscriptfilename=Script1.scp\r\nscript2filename=\r\nexecname=\r\n"
              "wslogon=\r\nwsname=\r\nwspasswd=\r\nwsfilepath=\r\nftpport=21\r\n"
              "wsaccount=\r\nftppasv=0\r\nuseproxy=0\r\nproxyname=\r\nproxyport=21\r\n"
              "proxylogon=\r\nproxypass=\r\nwsclean=0\r\nuploadchg=1\r\nlfnferror=0\r\n"
              "resumefailedupload=0\r\nftpretry=1\r\nftpretrypause=1\r\ndelh=1\r\nlisten=1\r\n"
              "eofnnf=1\r\nroothtml=html\r\npscriptdir=\r\ndatabase=\r\nodbccolsize=64\r\n"
              "odbccursorlib=1\r\nerrorscripten=0\r\nerrorscript=\r\nscriptexec=\r\n"
              "scriptdir=\r\nuseexternalscript=0\r\n");
}

TEST_F(ProjectSettingsTest, LoadsStoredValuesAndWritesThemBackUnchanged) {
    const std::string section =
        "runscript2check=1\r\nscriptfilename=C:\\site\\main.scp\r\nwsname=ftp.example.org\r\n"
        "ftpport=2121\r\nwspasswd=p=w d\r\nuseproxy=5\r\nuploadchg=2\r\nroothtml=www\r\n"
        "odbccolsize=1000\r\nodbccursorlib=2\r\nscriptexec=/usr/bin/parser\r\n"
        "useexternalscript=1\r\nhtmltop=index.html\r\n";
    CProjectSettings settings = Loaded(section);
    EXPECT_EQ(settings.m_values.runscript2check, 1);
    EXPECT_EQ(settings.m_values.scriptfilename, "C:\\site\\main.scp");
    EXPECT_EQ(settings.m_values.ftpport, 2121);
    EXPECT_EQ(settings.m_values.wspasswd, "p=w d");
    EXPECT_EQ(settings.m_values.useproxy, 5);
    EXPECT_EQ(settings.m_values.roothtml, "www");
    EXPECT_EQ(settings.m_values.scriptexec, "/usr/bin/parser");
    EXPECT_EQ(settings.m_values.useexternalscript, 1);
    ASSERT_EQ(settings.Save(), 1) << settings.m_strMessage;
    const std::string text = SettingsText();
    for (const char* line :
         {"\r\nrunscript2check=1\r\n", "\r\nscriptfilename=C:\\site\\main.scp\r\n",
          "\r\nftpport=2121\r\n", "\r\nwspasswd=p=w d\r\n", "\r\nuseproxy=5\r\n",
          "\r\nodbccursorlib=2\r\n", "\r\nscriptexec=/usr/bin/parser\r\n",
          "\r\nuseexternalscript=1\r\n", "\r\nhtmltop=index.html\r\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
}

TEST_F(ProjectSettingsTest, AsksForDelhOnlyForChangedOnlyUploadsThatCleanTheServer) {
    const struct {
        int wsclean, uploadchg, delh;
        bool asks;
    } kCases[] = {
        {1, 0, 0, true}, {1, 0, 1, false}, {0, 0, 0, false}, {1, 1, 0, false}, {1, 2, 0, false},
    };
    CProjectSettings settings = Loaded("");
    for (const auto& c : kCases) {
        settings.m_values.wsclean = c.wsclean;
        settings.m_values.uploadchg = c.uploadchg;
        settings.m_values.delh = c.delh;
        EXPECT_EQ(settings.AsksForDelh(), c.asks) << c.wsclean << c.uploadchg << c.delh;
    }
}

TEST_F(ProjectSettingsTest, NewServerOrServerDirectoryForgetsTheLastUpload) {
    const struct {
        std::string wsname, wsfilepath;
        bool forgets;
    } kCases[] = {
        {"ftp.example.org", "/www", false},
        {"ftp2.example.org", "/www", true},
        {"ftp.example.org", "/WWW", true},
        {"ftp.example.org", "", true},
    };
    for (const auto& c : kCases) {
        PutFile(Dir() + "/htmlgen.old", "a.html\r\n");
        CProjectSettings settings = Loaded("wsname=ftp.example.org\r\nwsfilepath=/www\r\n");
        settings.m_values.wsname = c.wsname;
        settings.m_values.wsfilepath = c.wsfilepath;
        ASSERT_EQ(settings.Save(), 1) << settings.m_strMessage;
        EXPECT_EQ(fs::exists(Dir() + "/htmlgen.old"), !c.forgets) << c.wsname << c.wsfilepath;
    }
}

TEST_F(ProjectSettingsTest, AsksAboutOldOutputOnlyWhenTheRootIsAnotherDirectory) {
    fs::create_directories(Dir() + "/www");
    fs::create_directory_symlink(Dir() + "/html", Dir() + "/alias");
    const struct {
        std::string before, after, delh;
        bool asks;
    } kCases[] = {
        {"html", "www", "1", true},
        {"html", "www", "0", false},
        {"html", "missing", "", true},  // delh unset reads as 1
        {"html", "HTML", "1", true},
        {"html", "html/", "1", false},
        {"html", "./html", "1", false},
        {"html", "html\\", "1", false},
        {"html", Dir() + "/html", "1", false},
        {"html", "alias", "1", false},
        {"", ".", "1", false},
        {"html", "html", "1", false},
    };
    for (const auto& c : kCases) {
        CProjectSettings settings = Loaded("roothtml=" + c.before + "\r\n" +
                                           (c.delh.empty() ? "" : "delh=" + c.delh + "\r\n"));
        settings.m_values.roothtml = c.after;
        ASSERT_EQ(settings.Save(), 1) << settings.m_strMessage;
        EXPECT_EQ(settings.AsksToDeleteOldOutput(), c.asks) << c.before << " -> " << c.after;
        EXPECT_EQ(g_settings.Get("shop", project_key::roothtml), c.after);
    }
}

class OldOutputTest : public ProjectSettingsTest {
protected:
    void SetUp() override {
        ProjectSettingsTest::SetUp();
        outside = ProgramDir() + "/outside";
        fs::create_directories(outside);
        fs::create_directories(Dir() + "/html/sub");
        fs::create_directories(Dir() + "/www");
        fs::create_directory_symlink(outside, Dir() + "/html/link");
        for (const std::string& file :
             {Dir() + "/html/a.html", Dir() + "/html/sub/b.html", Dir() + "/html/kept.html",
              Dir() + "/www/a.html", Dir() + "/keep.txt", outside + "/c.html", outside + "/d.html"})
            PutFile(file, "x");
        PutFile(Dir() + "/htmlgen.chg", "a.html\r\n");
        settings = Loaded("roothtml=html\r\nhtmltop=a.html\r\n");
        settings.m_values.roothtml = "www";
        ASSERT_EQ(settings.Save(), 1) << settings.m_strMessage;
    }
    void ExpectListsGone() const {
        EXPECT_FALSE(fs::exists(Dir() + "/htmlgen.log"));
        EXPECT_FALSE(fs::exists(Dir() + "/htmlgen.chg"));
        EXPECT_EQ(g_settings.Get("shop", project_key::htmltop), "");
    }
    std::string outside;
    CProjectSettings settings{"shop", ""};
};

TEST_F(OldOutputTest, DeletesOnlyListedFilesInsideTheOldRoot) {
    PutFile(Dir() + "/htmlgen.log",
            "a.html\r\nsub\\b.html\r\n../keep.txt\r\nsub/../../keep.txt\r\n" + outside +
                "/d.html\r\nlink/c.html\r\nlink\r\nC:/x.html\r\nmissing.html\r\n");
    ASSERT_EQ(settings.DeleteOldOutput(), 1) << settings.m_strMessage;
    EXPECT_FALSE(fs::exists(Dir() + "/html/a.html"));
    EXPECT_FALSE(fs::exists(Dir() + "/html/sub/b.html"));
    // The link itself is listed and goes as an entry; what it points to stays.
    EXPECT_FALSE(fs::is_symlink(Dir() + "/html/link"));
    for (const std::string& kept : {Dir() + "/html/kept.html", Dir() + "/www/a.html",
                                    Dir() + "/keep.txt", outside + "/c.html", outside + "/d.html"})
        EXPECT_TRUE(fs::exists(kept)) << kept;
    ExpectListsGone();
}

TEST_F(OldOutputTest, WithoutAListOrAnOldRootDeletesOnlyTheLists) {
    ASSERT_EQ(settings.DeleteOldOutput(), 1) << settings.m_strMessage;
    EXPECT_TRUE(fs::exists(Dir() + "/html/a.html"));
    ExpectListsGone();

    PutFile(Dir() + "/htmlgen.log", "a.html\r\n");
    PutFile(Dir() + "/htmlgen.chg", "a.html\r\n");
    fs::rename(Dir() + "/html", Dir() + "/moved");
    ASSERT_EQ(settings.DeleteOldOutput(), 1) << settings.m_strMessage;
    EXPECT_TRUE(fs::exists(Dir() + "/moved/a.html"));
    EXPECT_TRUE(fs::exists(Dir() + "/www/a.html"));
    ExpectListsGone();
}

TEST_F(ProjectSettingsTest, AKeyThatCannotBeWrittenIsReported) {
    CProjectSettings settings = Loaded("");
    g_settings.SetPath(ProgramDir() + "/no such dir/Quarn.ini");
    EXPECT_EQ(settings.Save(), 0);
    EXPECT_NE(settings.m_strMessage.find("no such dir"), std::string::npos)
        << settings.m_strMessage;
    settings.m_strMessage.clear();
    EXPECT_EQ(settings.DeleteOldOutput(), 0);
    EXPECT_FALSE(settings.m_strMessage.empty());
}

}  // namespace

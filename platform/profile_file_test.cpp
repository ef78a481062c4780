#include "platform/profile_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace platform {
namespace {

using Strings = std::vector<std::string>;

// Runs `body` in a child process that does nothing else and exits with body's result.
pid_t Spawn(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(body());
    return pid;
}

int ExitStatus(pid_t pid) {
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class ProfileFileTest : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = testing::TempDir() + "profile_file_XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        m_path = m_dir + "/Quarn.ini";
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    void Put(const std::string& bytes) const {
        std::ofstream(m_path, std::ios::binary | std::ios::trunc) << bytes;
    }
    std::string Bytes() const {
        std::ifstream in(m_path, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    Strings Entries() const {
        Strings names;
        for (const auto& entry : std::filesystem::directory_iterator(m_dir)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    bool HasTemporary() const {
        const Strings names = Entries();
        return std::any_of(names.begin(), names.end(), [](const std::string& name) {
            return name.starts_with("Quarn.ini.tmp.");
        });
    }
    unsigned Mode(const std::string& path) const {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
    }

    std::string m_dir;
    std::string m_path;
};

const Strings kSettledEntries = {"Quarn.ini", "Quarn.ini.lock"};

TEST_F(ProfileFileTest, MissingOrEmptyFileGivesDefaults) {
    struct Case {
        const char* name;
        bool create;
    };
    for (const Case& c : {Case{"missing file", false}, Case{"empty file", true}}) {
        SCOPED_TRACE(c.name);
        if (c.create) Put("");
        ProfileFile file(m_path);
        EXPECT_EQ(file.GetString("global", "texted", "tolvane.exe"), "tolvane.exe");
        EXPECT_EQ(file.GetString("global", "erstat", "   "), "   ");
        EXPECT_EQ(file.GetInt("global", "priority", 1), 1);
        EXPECT_EQ(file.GetInt("global", "lasterrorline", -1), -1);
    }
    ProfileFile unset;
    EXPECT_EQ(unset.GetString("global", "texted", "d"), "d");
    std::string error;
    EXPECT_FALSE(unset.WriteString("global", "texted", "x", &error));
    EXPECT_FALSE(error.empty());
}

// Reads reuse the bytes they last read only while the file is the same file: a write through
// another object, or an edit in place of the same size, is seen at the next read.
TEST_F(ProfileFileTest, EveryReadSeesTheCurrentFile) {
    platform::ProfileFile reader(m_path), writer(m_path);
    Put("[global]\r\nkey=a\r\n");
    EXPECT_EQ(reader.GetString("global", "key", ""), "a");
    ASSERT_TRUE(writer.WriteString("global", "key", "b"));
    EXPECT_EQ(reader.GetString("global", "key", ""), "b");

    Put("[global]\r\nkey=c\r\n");  // same size, rewritten in place
    const struct timespec later[2] = {{0, UTIME_OMIT}, {2000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, m_path.c_str(), later, 0), 0);
    EXPECT_EQ(reader.GetString("global", "key", ""), "c");

    std::filesystem::remove(m_path);
    EXPECT_EQ(reader.GetString("global", "key", "gone"), "gone");
}

// Under a hold the thread reads what it read last, whatever another process does to the file,
// but a write of this process is seen at once; other threads are not held, and the end of the
// hold (of the outer one, when they nest) brings back reads of the current file.
TEST_F(ProfileFileTest, AHeldReadSeesOnlyThisProcesssWrites) {
    platform::ProfileFile reader(m_path), writer(m_path);
    Put("[global]\r\nkey=a\r\n");
    const auto other = [&] {
        std::string seen;
        std::thread([&] { seen = reader.GetString("global", "key", ""); }).join();
        return seen;
    };
    {
        const ProfileFile::ReadHold outer;
        EXPECT_EQ(reader.GetString("global", "key", ""), "a");
        Put("[global]\r\nkey=bb\r\n");  // another process's edit
        {
            const ProfileFile::ReadHold inner;
            EXPECT_EQ(reader.GetString("global", "key", ""), "a");
        }
        EXPECT_EQ(reader.GetString("global", "key", ""), "a");
        EXPECT_EQ(other(), "bb");
        EXPECT_EQ(reader.GetString("global", "key", ""), "bb") << "read again by the other thread";
        ASSERT_TRUE(writer.WriteString("global", "key", "c"));
        EXPECT_EQ(reader.GetString("global", "key", ""), "c");
        Put("[global]\r\nkey=dd\r\n");
        EXPECT_EQ(reader.GetString("global", "key", ""), "c");
    }
    EXPECT_EQ(reader.GetString("global", "key", ""), "dd");
}

TEST_F(ProfileFileTest, LooksUpNamesWithoutCaseInTheirOwnSection) {
    Put("[Global]\r\nTextEd=ed\r\n[Other]\r\nwebb=w\r\n");
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"global", "texted", "ed"},      {"GLOBAL", "TEXTED", "ed"}, {"Global", "TextEd", "ed"},
        {" global\t", " texted ", "ed"}, {"other", "TextEd", "-"},   {"global", "webb", "-"},
        {"glob", "texted", "-"},         {"global", "text", "-"},
    };
    ProfileFile file(m_path);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        EXPECT_EQ(file.GetString(c.section, c.key, "-"), c.expected);
    }
    ASSERT_TRUE(file.WriteString("GLOBAL", "texted", "new"));
    EXPECT_EQ(Bytes(), "[Global]\r\nTextEd=new\r\n[Other]\r\nwebb=w\r\n");
}

TEST_F(ProfileFileTest, FirstSectionAndFirstKeyWin) {
    Put("[s]\r\nk=1\r\nK=2\r\n[S]\r\nk=3\r\nonly=4\r\n");
    ProfileFile file(m_path);
    EXPECT_EQ(file.GetString("s", "k", "-"), "1");
    EXPECT_EQ(file.GetString("s", "only", "-"), "-");
    ASSERT_TRUE(file.WriteString("s", "k", "9"));
    EXPECT_EQ(Bytes(), "[s]\r\nk=9\r\nK=2\r\n[S]\r\nk=3\r\nonly=4\r\n");
}

TEST_F(ProfileFileTest, ReadsLineSyntax) {
    struct Case {
        const char* name;
        std::string content;
        const char* key;
        std::string expected;
    };
    const Case cases[] = {
        {"blanks around header and name", "  [ global ]\t\r\nk=v\r\n", "k", "v"},
        {"text after the header", "[global] ; main\r\nk=v\r\n", "k", "v"},
        {"blanks around key, value kept", "[global]\r\n \tk \t=  v \t\r\n", "k", "  v \t"},
        {"value holding =", "[global]\r\nk=a=b\r\n", "k", "a=b"},
        {"empty value", "[global]\r\nk=\r\n", "k", ""},
        {"key before any section", "k=v\r\n[global]\r\n", "k", "-"},
        {"line without =", "[global]\r\nk\r\n", "k", "-"},
        {"unclosed header is no section", "[global]\r\n[other\r\nk=v\r\n", "k", "v"},
        {"bytes above 127", "[global]\r\nk=caf\xc3\xa9 \xe9\xff\r\n", "k", "caf\xc3\xa9 \xe9\xff"},
        {"NUL in a value", std::string("[global]\r\nk=a\0b\r\n", 16), "k", std::string("a\0b", 3)},
    };
    ProfileFile file(m_path);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Put(c.content);
        EXPECT_EQ(file.GetString("global", c.key, "-"), c.expected);
    }
}

TEST_F(ProfileFileTest, ReadsLeadingDecimalDigits) {
    struct Case {
        std::string value;
        int expected;
    };
    const Case cases[] = {
        {"-1", -1},
        {"+5", 5},
        {"  7", 7},
        {"\t8", 8},
        {"12abc", 12},
        {"abc", 0},
        {"", 42},
        {"   ", 42},
        {"-0", 0},
        {"- 3", 0},
        {"0x10", 0},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"99999999999", INT_MAX},
        {"-99999999999", INT_MIN},
        {"000000000000000000000012", 12},
    };
    ProfileFile file(m_path);
    for (const Case& c : cases) {
        SCOPED_TRACE("value \"" + c.value + "\"");
        Put("[global]\r\nn=" + c.value + "\r\n");
        EXPECT_EQ(file.GetInt("global", "n", 42), c.expected);
    }
    EXPECT_EQ(file.GetInt("global", "missing", 42), 42);
}

TEST_F(ProfileFileTest, IntegersRoundTrip) {
    ProfileFile file(m_path);
    for (const int value : {-1, 0, 124, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(value);
        ASSERT_TRUE(file.WriteInt("global", "lasterrorline", value));
        EXPECT_EQ(file.GetInt("global", "lasterrorline", 7), value);
    }
    EXPECT_EQ(Bytes(), "[global]\r\nlasterrorline=2147483647\r\n");
}

TEST_F(ProfileFileTest, ValuesRoundTripByteForByte) {
    const std::string values[] = {
        "   ",         " ! ",          "",
        "a=b=c",       "; not a note", "[x]",
        "tab\there\t", "trail ",       "caf\xc3\xa9",
        "caf\xe9",     "\xff\xfe",     std::string("a\0b", 3),
    };
    ProfileFile file(m_path);
    for (const std::string& value : values) {
        SCOPED_TRACE("value \"" + value + "\"");
        ASSERT_TRUE(file.WriteString("global", "k", value));
        EXPECT_EQ(file.GetString("global", "k", "-"), value);
        EXPECT_EQ(Bytes(), "[global]\r\nk=" + value + "\r\n");
    }
}

TEST_F(ProfileFileTest, LineBreaksInValueAreWrittenAsBlanks) {
    ProfileFile file(m_path);
    ASSERT_TRUE(file.WriteString("global", "k", "a\r\nb\nc\rd"));
    EXPECT_EQ(file.GetString("global", "k", "-"), "a  b c d");
    EXPECT_EQ(Bytes(), "[global]\r\nk=a  b c d\r\n");
}

TEST_F(ProfileFileTest, RefusesNamesThatCannotBeReadBack) {
    const std::string bad[] = {"a\rb", "a\nb", std::string("a\0b", 3), "[a", "a]", "a=b"};
    const std::string before = "[global]\r\nk=v\r\n";
    Put(before);
    ProfileFile file(m_path);
    const auto refused = [&](const std::string& what, const std::function<bool(std::string*)>& op) {
        SCOPED_TRACE(what);
        std::string error;
        EXPECT_FALSE(op(&error));
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(Bytes(), before);
    };
    for (const std::string& name : bad) {
        SCOPED_TRACE("name \"" + name + "\"");
        refused("section", [&](std::string* e) { return file.WriteString(name, "k", "x", e); });
        refused("section", [&](std::string* e) { return file.WriteInt(name, "k", 1, e); });
        refused("section", [&](std::string* e) { return file.DeleteKey(name, "k", e); });
        refused("section", [&](std::string* e) { return file.DeleteSection(name, e); });
        refused("key", [&](std::string* e) { return file.WriteString("global", name, "x", e); });
        refused("key", [&](std::string* e) { return file.DeleteKey("global", name, e); });
    }
    for (const char* key : {"", " \t "}) {
        SCOPED_TRACE("key \"" + std::string(key) + "\"");
        refused("empty key",
                [&](std::string* e) { return file.WriteString("global", key, "x", e); });
    }
}

TEST_F(ProfileFileTest, KeepsOtherLinesOnRewrite) {
    const std::string lines =
        "; notes before any section\r\n"
        "\r\n"
        "garbage line\r\n"
        "[global]\r\n"
        "# hash note\r\n"
        "texted=%s\r\n"
        "  \t\r\n"
        "[other\r\n"
        "=no key\r\n"
        "\xe9t\xe9\r\n";
    const auto with = [&](const char* value) {
        std::string text = lines;
        return text.replace(text.find("%s"), 2, value);
    };
    Put(with("a"));
    ProfileFile file(m_path);
    ASSERT_TRUE(file.WriteString("global", "texted", "b"));
    EXPECT_EQ(Bytes(), with("b"));
}

TEST_F(ProfileFileTest, ReadsLfAndUnterminatedLinesAndWritesCrLf) {
    struct Case {
        const char* name;
        const char* content;
    };
    const Case cases[] = {
        {"LF only", "[g]\nk=v\nn=1\n"},
        {"CR LF without final line end", "[g]\r\nk=v\r\nn=1"},
        {"LF without final line end", "[g]\nk=v\nn=1"},
        {"mixed", "[g]\nk=v\r\nn=1\r\n"},
        {"lone CR at the end", "[g]\r\nk=v\r\nn=1\r"},
    };
    ProfileFile file(m_path);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Put(c.content);
        EXPECT_EQ(file.GetString("g", "k", "-"), "v");
        EXPECT_EQ(file.GetInt("g", "n", 0), 1);
        ASSERT_TRUE(file.WriteString("g", "k", "w"));
        EXPECT_EQ(Bytes(), "[g]\r\nk=w\r\nn=1\r\n");
    }
}

TEST_F(ProfileFileTest, PlacesNewKeysAndSections) {
    struct Case {
        const char* name;
        const char* before;
        const char* section;
        const char* key;
        const char* after;
    };
    const Case cases[] = {
        {"new file", "", "global", "texted", "[global]\r\ntexted=x\r\n"},
        {"key after the section's last key", "[a]\r\nk=1\r\n\r\n[b]\r\nk=2\r\n", "a", "z",
         "[a]\r\nk=1\r\nz=x\r\n\r\n[b]\r\nk=2\r\n"},
        {"key before the section's trailing notes", "[a]\r\nk=1\r\n; end of a\r\n\r\n[b]\r\n", "a",
         "z", "[a]\r\nk=1\r\nz=x\r\n; end of a\r\n\r\n[b]\r\n"},
        {"key into an empty section", "[a]\r\n\r\n[b]\r\n", "a", "z", "[a]\r\nz=x\r\n\r\n[b]\r\n"},
        {"section after a blank line", "[a]\r\nk=1\r\n", "b", "z",
         "[a]\r\nk=1\r\n\r\n[b]\r\nz=x\r\n"},
        {"section after an existing blank line", "[a]\r\nk=1\r\n\r\n", "b", "z",
         "[a]\r\nk=1\r\n\r\n[b]\r\nz=x\r\n"},
        {"section after an unterminated line", "[a]\r\nk=1", "b", "z",
         "[a]\r\nk=1\r\n\r\n[b]\r\nz=x\r\n"},
        {"value replaced, spelling kept", "[A]\r\n  Z = old\r\n", "a", "z", "[A]\r\n  Z =x\r\n"},
        {"names trimmed", "", " global\t", " texted ", "[global]\r\ntexted=x\r\n"},
    };
    ProfileFile file(m_path);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Put(c.before);
        ASSERT_TRUE(file.WriteString(c.section, c.key, "x"));
        EXPECT_EQ(Bytes(), c.after);
    }
}

TEST_F(ProfileFileTest, DeletesKeysAndSections) {
    struct Case {
        const char* name;
        const char* before;
        std::function<bool(ProfileFile&)> remove;
        const char* after;
    };
    const auto deleteKey = [](const char* section, const char* key) {
        return [=](ProfileFile& file) { return file.DeleteKey(section, key); };
    };
    const auto deleteSection = [](const char* section) {
        return [=](ProfileFile& file) { return file.DeleteSection(section); };
    };
    const Case cases[] = {
        {"key", "[a]\r\nk=1\r\nj=2\r\n", deleteKey("A", "K"), "[a]\r\nj=2\r\n"},
        {"key and its duplicates", "[a]\r\nk=1\r\nK=2\r\nj=3\r\n", deleteKey("a", "k"),
         "[a]\r\nj=3\r\n"},
        {"key only in its section", "[a]\r\nk=1\r\n[b]\r\nk=2\r\n", deleteKey("b", "k"),
         "[a]\r\nk=1\r\n[b]\r\n"},
        {"missing key", "[a]\nj=1\n", deleteKey("a", "k"), "[a]\nj=1\n"},
        {"section with its lines", "[a]\r\nk=1\r\n\r\n[B]\r\nk=2\r\n; b's note\r\n[c]\r\nk=3\r\n",
         deleteSection("b"), "[a]\r\nk=1\r\n\r\n[c]\r\nk=3\r\n"},
        {"section and its duplicates", "[b]\r\nk=1\r\n[a]\r\n[ B ]\r\nk=2\r\n", deleteSection("b"),
         "[a]\r\n"},
        {"only section", "[b]\r\nk=1\r\n", deleteSection("b"), ""},
        {"missing section", "[a]\nk=1\n", deleteSection("b"), "[a]\nk=1\n"},
    };
    ProfileFile file(m_path);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Put(c.before);
        ASSERT_TRUE(c.remove(file));
        EXPECT_EQ(Bytes(), c.after);
        EXPECT_EQ(file.GetString("b", "k", "-"), "-");
    }
}

TEST_F(ProfileFileTest, NoChangeCreatesNoFile) {
    ProfileFile file(m_path);
    EXPECT_TRUE(file.DeleteSection("global"));
    EXPECT_TRUE(file.DeleteKey("global", "texted"));
    EXPECT_FALSE(std::filesystem::exists(m_path));
}

TEST_F(ProfileFileTest, NewFileIsPrivateAndExistingFileKeepsItsMode) {
    ProfileFile file(m_path);
    ASSERT_TRUE(file.WriteString("global", "isppassword", "secret"));
    EXPECT_EQ(Mode(m_path), 0600u);
    EXPECT_EQ(Mode(m_path + ".lock"), 0600u);
    for (const unsigned mode : {0640u, 0644u, 0600u}) {
        SCOPED_TRACE(mode);
        ASSERT_EQ(::chmod(m_path.c_str(), mode), 0);
        ASSERT_TRUE(file.WriteInt("global", "priority", static_cast<int>(mode)));
        EXPECT_EQ(Mode(m_path), mode);
    }
    EXPECT_EQ(Entries(), kSettledEntries);
}

TEST_F(ProfileFileTest, FailedWriteLeavesNothingBehind) {
    Put("");
    struct Case {
        const char* name;
        std::string path;
    };
    const Case cases[] = {
        {"directory missing", m_dir + "/missing/Quarn.ini"},
        {"file in place of the directory", m_path + "/Quarn.ini"},
        {"directory in place of the file", m_dir + "/adir"},
    };
    ASSERT_EQ(::mkdir(cases[2].path.c_str(), 0700), 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProfileFile file(c.path);
        std::string error;
        EXPECT_FALSE(file.WriteString("global", "texted", "x", &error));
        EXPECT_FALSE(error.empty());
    }
    EXPECT_EQ(Bytes(), "");
    EXPECT_EQ(Entries(), (Strings{"Quarn.ini", "adir", "adir.lock"}));
}

// A file size limit makes the temporary's write() come up short and then fail midway.
TEST_F(ProfileFileTest, WriteFailingMidwayLeavesOldFile) {
    const std::string before = "[global]\r\nk=old\r\n";
    Put(before);
    const pid_t child = Spawn([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 10;
        ProfileFile file(m_path);
        std::string error;
        if (file.WriteString("global", "k", std::string(100000, 'n'), &error)) return 1;
        return error.find("cannot write") != std::string::npos ? 0 : 2;
    });
    EXPECT_EQ(ExitStatus(child), 0);
    EXPECT_EQ(Bytes(), before);
    EXPECT_EQ(Entries(), kSettledEntries);
}

TEST_F(ProfileFileTest, KilledWriterLeavesOldOrNewFile) {
    constexpr std::size_t kSize = 256 * 1024;
    const auto pattern = [](int n) { return std::string(kSize, static_cast<char>('a' + n % 26)); };
    ProfileFile file(m_path);
    ASSERT_TRUE(file.WriteString("s", "big", pattern(0)));
    ASSERT_TRUE(file.WriteString("s", "tail", "end"));
    // Kills land from 0 to 2 write cycles after the writer's first write, wherever a cycle
    // spends its time in this build.
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(file.WriteString("s", "big", pattern(0)));
    const auto cycle = std::chrono::steady_clock::now() - started;

    int interrupted = 0;
    for (int round = 0; round < 100; ++round) {
        SCOPED_TRACE(round);
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t writer = Spawn([&] {
            ::close(ready[0]);
            ProfileFile own(m_path);
            for (int n = 1;; ++n) {
                if (!own.WriteString("s", "big", pattern(round + n))) return 3;
                if (n == 1 && ::write(ready[1], "+", 1) != 1) return 4;
            }
        });
        ::close(ready[1]);
        char byte = 0;
        const ssize_t got = ::read(ready[0], &byte, 1);
        ::close(ready[0]);
        std::this_thread::sleep_for(cycle * (round % 20) / 10);
        ::kill(writer, SIGKILL);
        ::waitpid(writer, nullptr, 0);
        ASSERT_EQ(got, 1) << "the writer failed before its first write";

        if (HasTemporary()) ++interrupted;
        const std::string big = file.GetString("s", "big", "");
        ASSERT_EQ(big.size(), kSize);
        ASSERT_EQ(big.find_first_not_of(big[0]), std::string::npos);
        ASSERT_EQ(file.GetString("s", "tail", ""), "end");
    }
    EXPECT_GT(interrupted, 0) << "no kill landed inside a write";
    ASSERT_TRUE(file.WriteString("s", "tail", "done"));
    EXPECT_EQ(Entries(), kSettledEntries);
}

constexpr int kKeysPerWriter = 200;

std::string KeyOf(char writer, int i) {
    return std::string(1, writer) + std::to_string(i);
}

bool WriteKeys(ProfileFile& file, char writer) {
    for (int i = 0; i < kKeysPerWriter; ++i) {
        if (!file.WriteString("s", KeyOf(writer, i), "v" + KeyOf(writer, i))) return false;
    }
    return true;
}

void ExpectAllKeys(const ProfileFile& file, const std::string& writers) {
    for (const char writer : writers) {
        for (int i = 0; i < kKeysPerWriter; ++i) {
            ASSERT_EQ(file.GetString("s", KeyOf(writer, i), "-"), "v" + KeyOf(writer, i));
        }
    }
}

TEST_F(ProfileFileTest, ConcurrentProcessesLoseNoKey) {
    const auto writeAs = [&](char writer) {
        return Spawn([&, writer] {
            ProfileFile own(m_path);
            return WriteKeys(own, writer) ? 0 : 1;
        });
    };
    const pid_t a = writeAs('a');
    const pid_t b = writeAs('b');
    EXPECT_EQ(ExitStatus(a), 0);
    EXPECT_EQ(ExitStatus(b), 0);
    ExpectAllKeys(ProfileFile(m_path), "ab");
}

TEST_F(ProfileFileTest, ConcurrentThreadsLoseNoKey) {
    for (const bool shared : {true, false}) {
        SCOPED_TRACE(shared ? "one shared object" : "an object per thread");
        ProfileFile common(m_path);
        ProfileFile ownA(m_path);
        ProfileFile ownB(m_path);
        bool okA = false;
        bool okB = false;
        std::thread a([&] { okA = WriteKeys(shared ? common : ownA, shared ? 'a' : 'c'); });
        std::thread b([&] { okB = WriteKeys(shared ? common : ownB, shared ? 'b' : 'd'); });
        a.join();
        b.join();
        EXPECT_TRUE(okA);
        EXPECT_TRUE(okB);
        ExpectAllKeys(common, shared ? "ab" : "abcd");
    }
}

}  // namespace
}  // namespace platform

#include "tests/golden/case_servers.h"

#include <sstream>
#include <vector>

#include "tests/fixtures/dovecot_server.h"
#include "tests/fixtures/scripted_ftp_server.h"
#include "tests/fixtures/temp_dir.h"

namespace golden {

namespace {

namespace fs = std::filesystem;

std::map<std::string, std::string> FilesIn(const fs::path& dir) {
    std::map<std::string, std::string> files;
    if (!fs::is_directory(dir)) return files;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (name != ".keep" && name != ".gitkeep")
            files[name] = fixtures::ReadTextFile(entry.path().string()).value_or("");
    }
    return files;
}

class DovecotCaseServer : public CaseServer {
public:
    std::string Start(const fs::path& caseDir, bool* skip) override {
        if (!m_server.IsRunning()) {
            *skip = true;
            return m_server.FailureReason();
        }
        std::string error;
        for (const auto& [name, bytes] : FilesIn(caseDir / "mailbox"))
            if (!m_server.AddMessage(name, bytes, &error)) return error;
        return "";
    }
    std::map<std::string, std::string> Marks() const override {
        return {{"@POP3_PORT@", std::to_string(m_server.Port())}};
    }
    std::string Check(const fs::path& caseDir) override {
        const fs::path expected = caseDir / "expected-mailbox";
        if (!fs::is_directory(expected)) return "";
        const auto want = FilesIn(expected);
        const auto have = m_server.Messages();
        std::string difference;
        for (const auto& [name, bytes] : want) {
            const auto found = have.find(name);
            if (found == have.end()) {
                difference += "mailbox: " + name + " was deleted\n";
            } else if (found->second != bytes) {
                difference += "mailbox: " + name + " differs\n";
            }
        }
        for (const auto& entry : have)
            if (!want.count(entry.first)) difference += "mailbox: " + entry.first + " was kept\n";
        return difference;
    }

private:
    fixtures::DovecotServer m_server;
};

class ScriptedCaseServer : public CaseServer {
public:
    std::string Start(const fs::path& caseDir, bool*) override {
        const fs::path scriptFile = caseDir / "server-script";
        const auto script = fixtures::ReadTextFile(scriptFile.string());
        if (!script) return "cannot read " + scriptFile.string();
        std::istringstream lines(*script);
        for (std::string line; std::getline(lines, line);) {
            const std::string text = line.size() > 2 ? line.substr(2) : "";
            if (line.starts_with("S ")) {
                m_server.Reply(text);
            } else if (line.starts_with("C ")) {
                m_server.Expect(text);
            } else if (line == "WAIT-CLOSE") {
                m_server.ExpectClose();
            } else if (line == "ACCEPT") {
                m_server.AcceptNextClient();
            } else if (line == "CUT") {
                m_server.CloseControl();
            } else if (!line.empty()) {
                return "server-script: unknown step \"" + line + "\"";
            }
        }
        return m_server.Start() ? "" : m_server.Failure();
    }
    std::map<std::string, std::string> Marks() const override {
        return {{"@SCRIPTED_PORT@", std::to_string(m_server.Port())}};
    }
    std::string Check(const fs::path&) override {
        return m_server.WaitDone() ? "" : "server-script: " + m_server.Failure();
    }

private:
    fixtures::ScriptedFtpServer m_server;
};

}  // namespace

std::unique_ptr<CaseServer> MakeCaseServer(const std::string& kind) {
    if (kind == "dovecot") return std::make_unique<DovecotCaseServer>();
    if (kind == "scripted") return std::make_unique<ScriptedCaseServer>();
    return nullptr;
}

}  // namespace golden

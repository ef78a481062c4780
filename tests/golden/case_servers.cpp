#include "tests/golden/case_servers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "tests/fixtures/dovecot_server.h"
#include "tests/fixtures/ftp_server.h"
#include "tests/fixtures/http_server.h"
#include "tests/fixtures/scripted_ftp_server.h"
#include "tests/fixtures/smtp_server.h"
#include "tests/fixtures/temp_dir.h"

namespace golden {

namespace {

namespace fs = std::filesystem;

// Writes `files` (name -> bytes) into `dir`; false on the first failure.
bool WriteRecords(const fixtures::TempDir& dir, const std::map<std::string, std::string>& files) {
    std::string error;
    for (const auto& [name, bytes] : files) {
        const bool written = fixtures::WriteTextFile(dir.File(name), bytes, &error);
        EXPECT_TRUE(written) << error;
        if (!written) return false;
    }
    return true;
}

class HttpCaseServer : public CaseServer {
public:
    std::string SkipReason() const override { return m_server.FailureReason(); }
    std::map<std::string, std::string> Placeholders() const override {
        return {{"@HTTP_PORT@", std::to_string(m_server.Port())}};
    }
    std::string ContentDir() const override { return m_server.RootDir(); }
    std::string RecordDir() override { return m_server.RecordDir(); }

private:
    fixtures::HttpServer m_server;
};

class FtpCaseServer : public CaseServer {
public:
    std::string SkipReason() const override { return m_server.FailureReason(); }
    std::map<std::string, std::string> Placeholders() const override {
        return {{"@FTP_HOST@", m_server.Host()},
                {"@FTP_PORT@", std::to_string(m_server.Port())},
                {"@FTP_USER@", m_server.User()},
                {"@FTP_PASSWORD@", m_server.Password()}};
    }
    std::string ContentDir() const override { return m_server.RootDir(); }
    std::string RecordDir() override { return m_server.RootDir(); }

private:
    fixtures::FtpServer m_server;
};

class SmtpCaseServer : public CaseServer {
public:
    std::string SkipReason() const override {
        return m_records.Ok() ? m_server.FailureReason() : m_records.Error();
    }
    std::map<std::string, std::string> Placeholders() const override {
        return {{"@SMTP_HOST@", m_server.Host()}, {"@SMTP_PORT@", std::to_string(m_server.Port())}};
    }
    std::string ContentDir() const override { return m_records.Path(); }
    std::string RecordDir() override {
        WriteRecords(m_records,
                     {{"transcript", fixtures::SmtpServer::Transcript(m_server.Messages())}});
        return m_records.Path();
    }

private:
    fixtures::SmtpServer m_server;
    fixtures::TempDir m_records{"golden_smtp"};
};

class DovecotCaseServer : public CaseServer {
public:
    std::string SkipReason() const override {
        if (!m_staged.Ok()) return m_staged.Error();
        return m_records.Ok() ? m_server.FailureReason() : m_records.Error();
    }
    std::map<std::string, std::string> Placeholders() const override {
        return {{"@POP3_PORT@", std::to_string(m_server.Port())}};
    }
    std::string ContentDir() const override { return m_staged.Path(); }
    std::string Loaded() override {
        std::map<std::string, std::string> messages;  // in name order
        for (const auto& entry : fs::directory_iterator(m_staged.Path()))
            messages[entry.path().filename().string()] =
                fixtures::ReadTextFile(entry.path().string()).value_or("");
        std::string error;
        for (const auto& [name, bytes] : messages)
            if (!m_server.AddMessage(name, bytes, &error)) return error;
        return "";
    }
    std::string RecordDir() override {
        WriteRecords(m_records, m_server.Messages());
        return m_records.Path();
    }

private:
    fixtures::DovecotServer m_server;
    fixtures::TempDir m_staged{"golden_dovecot_seed"};
    fixtures::TempDir m_records{"golden_dovecot"};
};

class ScriptedCaseServer : public CaseServer {
public:
    std::string SkipReason() const override {
        return m_staged.Ok() ? (m_records.Ok() ? "" : m_records.Error()) : m_staged.Error();
    }
    std::map<std::string, std::string> Placeholders() const override {
        return {{"@SCRIPTED_PORT@", std::to_string(m_server.Port())}};
    }
    std::string ContentDir() const override { return m_staged.Path(); }
    std::string Loaded() override {
        const std::string file = m_staged.File("server-script");
        const std::optional<std::string> script = fixtures::ReadTextFile(file);
        if (!script) return "cannot read " + file;
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
    std::string RecordDir() override {
        WriteRecords(m_records, {{"result", m_server.WaitDone() ? "" : m_server.Failure()}});
        return m_records.Path();
    }

private:
    fixtures::ScriptedFtpServer m_server;
    fixtures::TempDir m_staged{"golden_scripted_seed"};
    fixtures::TempDir m_records{"golden_scripted"};
};

}  // namespace

std::unique_ptr<CaseServer> StartCaseServer(const std::string& name) {
    if (name == "http") return std::make_unique<HttpCaseServer>();
    if (name == "ftp") return std::make_unique<FtpCaseServer>();
    if (name == "smtp") return std::make_unique<SmtpCaseServer>();
    if (name == "dovecot") return std::make_unique<DovecotCaseServer>();
    if (name == "scripted") return std::make_unique<ScriptedCaseServer>();
    return nullptr;
}

}  // namespace golden

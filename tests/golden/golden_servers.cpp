#include "tests/golden/golden_servers.h"

#include "tests/fixtures/ftp_server.h"

namespace golden {

namespace {

// pyftpdlib with the fixture's user; its "/" is the file root.
class FtpGoldenServer : public GoldenServer {
public:
    std::string SkipReason() const override { return m_server.FailureReason(); }
    std::vector<std::pair<std::string, std::string>> Placeholders() const override {
        return {{"@FTP_HOST@", m_server.Host()},
                {"@FTP_PORT@", std::to_string(m_server.Port())},
                {"@FTP_USER@", m_server.User()},
                {"@FTP_PASSWORD@", m_server.Password()}};
    }
    std::string FileRoot() const override { return m_server.RootDir(); }

private:
    fixtures::FtpServer m_server;
};

}  // namespace

std::unique_ptr<GoldenServer> StartGoldenServer(std::string_view name) {
    if (name == "ftp") return std::make_unique<FtpGoldenServer>();
    return nullptr;
}

}  // namespace golden

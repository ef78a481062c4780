#pragma once
// The servers a golden case can run against: its `servers` file names them (README.md). Each is
// started for one case, gives the placeholders that carry its address into the case's files, and
// may have a file root that the case seeds and compares.

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace golden {

class GoldenServer {
public:
    virtual ~GoldenServer() = default;

    // "" while the server runs; otherwise why it did not start (the case is skipped).
    virtual std::string SkipReason() const = 0;
    // Marks (e.g. "@FTP_PORT@") and their values.
    virtual std::vector<std::pair<std::string, std::string>> Placeholders() const = 0;
    // The directory that the case's server-NAME/ seeds before the run and that its
    // expected-server-NAME/ is compared with after it; "" for a server without files.
    virtual std::string FileRoot() const = 0;
};

// Starts the server `name` ("ftp": pyftpdlib); nullptr for a name no server has.
std::unique_ptr<GoldenServer> StartGoldenServer(std::string_view name);

}  // namespace golden

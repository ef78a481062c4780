#include "platform/dialup_nmcli.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <string_view>

#include "platform/file_descriptor.h"
#include "platform/run_program.h"

namespace platform {
namespace {

// The secrets nmcli may ask for while activating a dial-up profile: mobile broadband, PPP over
// Ethernet and VPN. nmcli uses only the ones the profile asks for.
constexpr std::array<std::string_view, 4> kPasswordProperties{
    "gsm.password", "cdma.password", "pppoe.password", "vpn.secrets.password"};

// A mode-0600 file for one nmcli call's secrets, in the user's runtime directory when there is
// one; removed when this goes, whatever the call did.
class SecretFile {
public:
    SecretFile() = default;
    ~SecretFile() {
        if (!m_path.empty()) ::unlink(m_path.c_str());
    }
    SecretFile(const SecretFile&) = delete;
    SecretFile& operator=(const SecretFile&) = delete;

    // False when the file could not be created and filled; nothing is left behind then.
    bool Write(std::string_view content) {
        std::string path = Directory() + "/quarn-dial-XXXXXX";
        UniqueFd file(::mkostemp(path.data(), O_CLOEXEC));
        if (!file) return false;
        m_path = std::move(path);
        return WriteAll(file.Get(), content) && file.Close();
    }
    const std::string& Path() const { return m_path; }

private:
    static std::string Directory() {
        for (const char* name : {"XDG_RUNTIME_DIR", "TMPDIR"}) {
            const char* dir = ::getenv(name);
            if (dir != nullptr && dir[0] == '/') return dir;
        }
        return "/tmp";
    }

    std::string m_path;
};

// nmcli's terse output of one field: a value per line, with ':' and '\' escaped by a '\'.
std::vector<std::string> ParseTerseValues(std::string_view output) {
    std::vector<std::string> values;
    std::string value;
    for (std::size_t i = 0; i < output.size(); ++i) {
        const char c = output[i];
        if (c == '\\' && i + 1 < output.size() && output[i + 1] != '\n') {
            value += output[++i];
        } else if (c == '\n') {
            if (!value.empty()) values.push_back(std::move(value));
            value.clear();
        } else {
            value += c;
        }
    }
    if (!value.empty()) values.push_back(std::move(value));
    return values;
}

}  // namespace

int NmcliDialupBackend::ListActive(std::vector<std::string>& names) {
    return ListConnections(true, names);
}

int NmcliDialupBackend::ListEntries(std::vector<std::string>& names) {
    return ListConnections(false, names);
}

int NmcliDialupBackend::ListConnections(bool activeOnly, std::vector<std::string>& names) {
    names.clear();
    std::vector<std::string> argv{m_program,  "--terse", "--escape",   "yes",
                                  "--fields", "NAME",    "connection", "show"};
    if (activeOnly) argv.push_back("--active");
    std::string output;
    if (RunProgram(argv, output) != 0) return 0;
    names = ParseTerseValues(output);
    return 1;
}

int NmcliDialupBackend::Dial(const DialRequest& request, DialupHandle& handle) {
    handle.reset();
    // nmcli reads its secrets file line by line: a line break would cut the password short and
    // start a line of its own.
    if (request.password.find_first_of("\r\n") != std::string::npos) return 0;
    std::vector<std::string> argv{m_program, "connection", "up", "id", request.entry};
    SecretFile secrets;
    if (!request.password.empty()) {
        std::string lines;
        for (std::string_view property : kPasswordProperties)
            lines.append(property).append(":").append(request.password).append("\n");
        if (!secrets.Write(lines)) return 0;
        argv.insert(argv.end(), {"passwd-file", secrets.Path()});
    }
    std::string output;
    const std::optional<int> status = RunProgram(argv, output);
    if (!status) return 0;
    handle = request.entry;
    return *status == 0 ? 1 : 0;
}

void NmcliDialupBackend::HangUp(const DialupHandle& handle) {
    if (!handle) return;
    std::string output;
    RunProgram({m_program, "connection", "down", "id", *handle}, output);
}

}  // namespace platform

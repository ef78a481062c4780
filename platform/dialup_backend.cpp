#include "platform/dialup_backend.h"

#include <atomic>

#include "platform/dialup_nmcli.h"
#include "platform/dialup_none.h"
#include "platform/run_program.h"

namespace platform {
namespace {

std::atomic<DialupBackend*> g_installedBackend{nullptr};

}  // namespace

std::unique_ptr<DialupBackend> MakeSystemDialupBackend() {
    if (std::optional<std::string> nmcli = FindOnPath("nmcli"))
        return std::make_unique<NmcliDialupBackend>(std::move(*nmcli));
    return std::make_unique<NoDialupBackend>();
}

DialupBackend& CurrentDialupBackend() {
    if (DialupBackend* installed = g_installedBackend.load()) return *installed;
    static const std::unique_ptr<DialupBackend> system = MakeSystemDialupBackend();
    return *system;
}

ScopedDialupBackend::ScopedDialupBackend(DialupBackend& backend)
    : m_previous(g_installedBackend.exchange(&backend)) {}

ScopedDialupBackend::~ScopedDialupBackend() {
    g_installedBackend.store(m_previous);
}

}  // namespace platform

#include "quarn/services/ras_dialer.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "quarn/services/messages.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"

namespace {

constexpr auto kRetryPause = std::chrono::milliseconds(1000);
// How often the pause looks at the cancel flag.
constexpr auto kCancelPoll = std::chrono::milliseconds(20);

}  // namespace

CRasDialer::CRasDialer(platform::MessageQueue* hNotifyWnd)
    : m_backend(platform::CurrentDialupBackend()), m_hNotifyWnd(hNotifyWnd) {}

CRasDialer::~CRasDialer() = default;

int CRasDialer::Dial() {
    m_hConnection.reset();
    if (!m_backend.Present()) {
        m_strMessage = LoadMessage(21);
        return 0;
    }
    const platform::DialRequest request{g_settings.GetGlobal(global_key::addressbook),
                                        g_settings.GetGlobal(global_key::isplogon),
                                        g_settings.GetGlobal(global_key::isppassword)};
    std::vector<std::string> active;
    if (!m_backend.ListActive(active)) {
        m_strMessage = LoadMessage(24);
        return 0;
    }
    // A connection found up stays up: the handle stays empty, so HangUp leaves it alone.
    if (std::find(active.begin(), active.end(), request.entry) != active.end()) return 1;

    if (m_hNotifyWnd != nullptr) PostStatusText(*m_hNotifyWnd, "Dialling " + request.entry);
    const int attempts = g_settings.GetGlobal(global_key::numretry);
    // A cancel stops the attempts, one that came before the first included.
    for (int attempt = 1; attempt <= attempts && !g_bCancelRequested; ++attempt) {
        if (attempt > 1 && !PauseUnlessCancelled()) break;
        m_hConnection.reset();
        if (m_backend.Dial(request, m_hConnection)) return 1;
        m_backend.HangUp(m_hConnection);
        m_hConnection.reset();
    }
    m_strMessage = LoadMessage(25);
    return 0;
}

int CRasDialer::HangUp() {
    m_backend.HangUp(m_hConnection);
    m_hConnection.reset();
    return 1;
}

bool CRasDialer::PauseUnlessCancelled() {
    const auto end = std::chrono::steady_clock::now() + kRetryPause;
    while (!g_bCancelRequested) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= end) return true;
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(kCancelPoll, end - now));
    }
    return false;
}

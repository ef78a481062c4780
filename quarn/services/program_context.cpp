#include "quarn/services/program_context.h"

#include "quarn/services/notifications.h"

platform::CriticalSection g_csProject;
platform::CriticalSection g_csSchedule;

platform::Guarded<std::string> g_strProject;
platform::Guarded<std::string> g_strProgramTitle;
std::string g_strProgramDir;
platform::Guarded<std::string> g_szProjectDir;
platform::Guarded<std::string> g_szPendingProject;

std::atomic<bool> g_bCancelRequested{false};
std::atomic<bool> g_bStopRequested{false};
std::atomic<int> g_bTaskBusy{0};
std::atomic<std::int64_t> g_nLockHolder{-1};

CStatusMailbox g_szStatusMailbox;
std::atomic<int> g_nProgressPos{0};
platform::Guarded<std::string> g_szProgressText;

void ClearCancelRequest() {
    g_bCancelRequested = false;
    // The signal handler sets the stop flag before the cancel flag: a signal before the clear
    // is seen here, one after it sets the cancel flag itself.
    if (g_bStopRequested) g_bCancelRequested = true;
}

void ApplyProgramTitle(std::string& text) {
    static constexpr std::string_view kWord = "Quarn";
    auto at = text.find(kWord);
    if (at == std::string::npos) return;
    const std::string title = g_strProgramTitle.Get();
    std::string out;
    out.reserve(text.size() + title.size());
    std::size_t from = 0;
    for (; at != std::string::npos; at = text.find(kWord, from)) {
        out.append(text, from, at - from);
        out += title;
        from = at + kWord.size();
    }
    out.append(text, from);
    text = std::move(out);
}

std::string WithProgramTitle(std::string_view text) {
    std::string result(text);
    ApplyProgramTitle(result);
    return result;
}

int PostStatusText(platform::MessageQueue& window, std::string text) {
    g_szStatusMailbox.Put(std::move(text));
    window.Post(WM_FRAMENOTIFY, FRAME_STATUS_TEXT, 0);
    return 1;
}

int TryPostStatusText(platform::MessageQueue& window, std::string& text) {
    if (!g_szStatusMailbox.TryPut(text)) return 0;
    window.Post(WM_FRAMENOTIFY, FRAME_STATUS_TEXT, 0);
    return 1;
}

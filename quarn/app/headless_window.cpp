#include "quarn/app/headless_window.h"

#include <string>

#include "quarn/services/notifications.h"
#include "quarn/services/program_context.h"

void CHeadlessWindow::Handle(const platform::PostedMessage& message) {
    if (message.message != WM_FRAMENOTIFY) return;
    switch (message.wParam) {
        case FRAME_STATUS_TEXT: {
            const std::string line = g_szStatusMailbox.Take();
            std::fwrite(line.data(), 1, line.size(), m_out);
            std::fputc('\n', m_out);
            std::fflush(m_out);
            break;
        }
        case FRAME_ERROR:
            if (m_idles == 0) ++m_errorsBeforeFirstIdle;
            break;
        case FRAME_IDLE:
            ++m_idles;
            break;
        default:
            break;
    }
}

void CHeadlessWindow::PumpUntil(const std::function<bool()>& done) {
    platform::PostedMessage message;
    while (!done()) {
        if (m_queue.WaitTake(message, std::chrono::milliseconds(100))) Handle(message);
    }
    while (m_queue.TryTake(message))
        Handle(message);
}

int CHeadlessWindow::WaitForFirstJob() {
    // The task thread posts the final line before it clears the busy flag.
    PumpUntil([this] { return m_idles > 0 && g_bTaskBusy == 0; });
    return m_errorsBeforeFirstIdle == 0 ? 1 : 0;
}

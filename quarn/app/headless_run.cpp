#include "quarn/app/headless_run.h"

#include <chrono>

#include "quarn/app/job_thread.h"
#include "quarn/services/notifications.h"
#include "quarn/services/program_context.h"
#include "quarn/services/prompt.h"

namespace {

void WriteLine(std::FILE* out, const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), out);
    std::fputc('\n', out);
    std::fflush(out);
}

// Shows what the job posted; true once FRAME_IDLE has arrived.
bool Handle(const platform::PostedMessage& message, std::FILE* out) {
    if (message.message != WM_FRAMENOTIFY) return false;
    if (message.wParam == FRAME_STATUS_TEXT) WriteLine(out, g_szStatusMailbox.Take());
    return message.wParam == FRAME_IDLE;
}

}  // namespace

int RunHeadless(const HeadlessJob& job, std::FILE* out) {
    platform::MessageQueue window;
    // No one can answer a window here, whichever prompter the program installed: questions get
    // their default answers, told as status lines.
    CHeadlessPrompter headless;
    const CScopedPrompter answerHeadless(headless);
    int ok = 0;
    // The task thread's order: idle is announced before the final line is posted, and the busy
    // flag drops only after that line is in the mailbox.
    CJobThread thread([&] {
        g_bTaskBusy = 1;
        std::string result;
        ok = job(window, result);
        window.Post(WM_FRAMENOTIFY, FRAME_IDLE, 0);
        PostStatusText(window, std::move(result));
        g_bTaskBusy = 0;
    });
    std::string error;
    if (!thread.Start(&error)) {
        WriteLine(out, error);
        return 0;
    }

    bool idle = false;
    platform::PostedMessage message;
    while (!idle || g_bTaskBusy != 0) {
        if (window.WaitTake(message, std::chrono::milliseconds(100)) && Handle(message, out))
            idle = true;
    }
    while (window.TryTake(message))
        Handle(message, out);
    thread.Join();
    return ok;
}

#include "quarn/services/frame_caption.h"

#include <mutex>
#include <utility>

namespace {

std::mutex g_mutexCaptionHook;
FrameCaptionHook g_captionHook;

}  // namespace

void SetFrameCaptionHook(FrameCaptionHook hook) {
    std::lock_guard lock(g_mutexCaptionHook);
    g_captionHook = std::move(hook);
}

void SetFrameCaption(const std::string& caption) {
    // A copy, so the hook may replace itself and never runs under the lock.
    FrameCaptionHook hook;
    {
        std::lock_guard lock(g_mutexCaptionHook);
        hook = g_captionHook;
    }
    if (hook) hook(caption);
}

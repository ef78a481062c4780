#pragma once
// The main window's caption as a script run sets it (the program title, or the title and the
// running script's name). The window attaches itself with SetFrameCaptionHook; until it does, and
// in programs without a window, captions go nowhere. Callable from any thread: the hook runs on
// the caller's thread and must hand the text over to its own.

#include <functional>
#include <string>

using FrameCaptionHook = std::function<void(const std::string& caption)>;

// Replaces the hook; an empty hook detaches it.
void SetFrameCaptionHook(FrameCaptionHook hook);

void SetFrameCaption(const std::string& caption);

#pragma once
// Drops a file on an X window as a file manager does (the XDND protocol, version 5), so that a
// test sees a real window take a real drop.

#include <string>

namespace desktop_test {

// Drags the file at the absolute `path` from a window of our own onto the middle of `window` on
// `display` and drops it there. True once the target says it has finished with the drop; false with
// the reason in `error` when it refused it or did not answer within `seconds`.
bool DropFile(const std::string& display, unsigned long window, const std::string& path,
              int seconds, std::string* error);

}  // namespace desktop_test

#pragma once
// The top-level windows of an X display as a test sees them from outside, read over a connection
// of the test's own: the root's viewable children in stacking order (bottom to top, there being
// no window manager), with their names and the process each belongs to (_NET_WM_PID). Waits
// follow the root's notifications, so a window that shows only briefly is not missed between
// two looks.

#include <X11/Xlib.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace desktop_test {

struct TopLevel {
    unsigned long id = 0;
    std::string name;
    long pid = 0;  // 0: none said
    bool splash = false;
};

class XTopLevels {
public:
    using Clock = std::chrono::steady_clock;

    // Ok() is false when `display` cannot be opened.
    explicit XTopLevels(const std::string& display);
    ~XTopLevels();
    XTopLevels(const XTopLevels&) = delete;
    XTopLevels& operator=(const XTopLevels&) = delete;

    bool Ok() const { return m_display != nullptr; }
    // The viewable top-levels now, bottom to top.
    std::vector<TopLevel> Viewable();
    // Looks at them at once and again after each change the root reports, until `holds` is
    // true of them (true) or `deadline` passes (false).
    bool WaitFor(const std::function<bool(const std::vector<TopLevel>&)>& holds,
                 Clock::time_point deadline);

private:
    std::string Name(Window window);
    long Cardinal(Window window, Atom property);
    bool HasAtom(Window window, Atom property, Atom value);

    Display* m_display = nullptr;
    Atom m_pid = None;
    Atom m_type = None;
    Atom m_splash = None;
    Atom m_netName = None;
    Atom m_utf8 = None;
};

}  // namespace desktop_test

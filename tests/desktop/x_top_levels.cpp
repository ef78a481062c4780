#include "tests/desktop/x_top_levels.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <poll.h>

#include <algorithm>

namespace desktop_test {
namespace {

// A window may go between the listing and the look at it; its BadWindow is no failure.
int IgnoreError(Display*, XErrorEvent*) {
    return 0;
}

// A property's value as Xlib returns it, freed with the object.
struct Property {
    unsigned char* data = nullptr;
    unsigned long count = 0;
    Atom type = None;
    ~Property() {
        if (data != nullptr) XFree(data);
    }
    bool Read(Display* display, Window window, Atom property, Atom wanted) {
        int format = 0;
        unsigned long after = 0;
        return XGetWindowProperty(display, window, property, 0, 1024, False, wanted, &type, &format,
                                  &count, &after, &data) == Success &&
               data != nullptr && type != None;
    }
};

}  // namespace

XTopLevels::XTopLevels(const std::string& display) : m_display(XOpenDisplay(display.c_str())) {
    if (m_display == nullptr) return;
    XSetErrorHandler(IgnoreError);
    m_pid = XInternAtom(m_display, "_NET_WM_PID", False);
    m_type = XInternAtom(m_display, "_NET_WM_WINDOW_TYPE", False);
    m_splash = XInternAtom(m_display, "_NET_WM_WINDOW_TYPE_SPLASH", False);
    m_netName = XInternAtom(m_display, "_NET_WM_NAME", False);
    m_utf8 = XInternAtom(m_display, "UTF8_STRING", False);
    // Maps, unmaps, restacks and ends of the top-levels wake WaitFor.
    XSelectInput(m_display, DefaultRootWindow(m_display), SubstructureNotifyMask);
    XSync(m_display, False);
}

XTopLevels::~XTopLevels() {
    if (m_display != nullptr) XCloseDisplay(m_display);
}

std::string XTopLevels::Name(Window window) {
    Property name;
    if (name.Read(m_display, window, m_netName, m_utf8))
        return std::string(reinterpret_cast<const char*>(name.data), name.count);
    Property plain;
    if (plain.Read(m_display, window, XA_WM_NAME, AnyPropertyType))
        return std::string(reinterpret_cast<const char*>(plain.data), plain.count);
    return "";
}

long XTopLevels::Cardinal(Window window, Atom property) {
    Property value;
    if (!value.Read(m_display, window, property, XA_CARDINAL) || value.count == 0) return 0;
    return *reinterpret_cast<const long*>(value.data);
}

bool XTopLevels::HasAtom(Window window, Atom property, Atom wanted) {
    Property value;
    if (!value.Read(m_display, window, property, XA_ATOM)) return false;
    const auto* atoms = reinterpret_cast<const Atom*>(value.data);
    for (unsigned long i = 0; i < value.count; ++i)
        if (atoms[i] == wanted) return true;
    return false;
}

std::vector<TopLevel> XTopLevels::Viewable() {
    std::vector<TopLevel> windows;
    // The server answers in one piece: nothing changes between the listing and the looks.
    XGrabServer(m_display);
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(m_display, DefaultRootWindow(m_display), &root, &parent, &children, &count)) {
        // XQueryTree lists the bottom one first.
        for (unsigned int i = 0; i < count; ++i) {
            XWindowAttributes attributes;
            if (!XGetWindowAttributes(m_display, children[i], &attributes) ||
                attributes.map_state != IsViewable)
                continue;
            windows.push_back({children[i], Name(children[i]), Cardinal(children[i], m_pid),
                               HasAtom(children[i], m_type, m_splash)});
        }
        if (children != nullptr) XFree(children);
    }
    XUngrabServer(m_display);
    XSync(m_display, False);
    return windows;
}

bool XTopLevels::WaitFor(const std::function<bool(const std::vector<TopLevel>&)>& holds,
                         Clock::time_point deadline) {
    for (;;) {
        if (holds(Viewable())) return true;
        // A property set after the map (a name, a pid) reports nothing on the root: look again
        // after a while even when nothing was reported.
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return false;
        pollfd ready{ConnectionNumber(m_display), POLLIN, 0};
        if (XPending(m_display) == 0)
            ::poll(&ready, 1, static_cast<int>(std::min<long long>(left.count(), 100)));
        while (XPending(m_display) > 0) {
            XEvent event;
            XNextEvent(m_display, &event);
        }
    }
}

}  // namespace desktop_test

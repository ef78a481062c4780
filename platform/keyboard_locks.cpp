#include "platform/keyboard_locks.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace platform {

XkbLockReader::XkbLockReader(const std::string& display) {
    int event = 0;
    int error = 0;
    int major = XkbMajorVersion;
    int minor = XkbMinorVersion;
    int reason = 0;
    m_display = XkbOpenDisplay(display.empty() ? nullptr : display.c_str(), &event, &error, &major,
                               &minor, &reason);
    if (m_display == nullptr) return;
    m_caps = XInternAtom(m_display, "Caps Lock", False);
    m_num = XInternAtom(m_display, "Num Lock", False);
    m_scroll = XInternAtom(m_display, "Scroll Lock", False);
}

XkbLockReader::~XkbLockReader() {
    if (m_display != nullptr) XCloseDisplay(m_display);
}

std::optional<KeyboardLocks> XkbLockReader::Read() {
    if (m_display == nullptr) return std::nullopt;
    return KeyboardLocks{IndicatorOn(m_caps), IndicatorOn(m_num), IndicatorOn(m_scroll)};
}

bool XkbLockReader::IndicatorOn(unsigned long name) const {
    Bool on = False;
    if (!XkbGetNamedIndicator(m_display, name, nullptr, &on, nullptr, nullptr)) return false;
    return on == True;
}

}  // namespace platform

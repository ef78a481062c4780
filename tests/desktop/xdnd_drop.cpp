#include "tests/desktop/xdnd_drop.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cctype>
#include <chrono>
#include <memory>
#include <thread>

namespace desktop_test {
namespace {

constexpr long kVersion = 5;

// The file:// URI of `path`, every byte but the unreserved ones and '/' percent-encoded.
std::string FileUri(const std::string& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (const unsigned char c : path) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += kHex[c >> 4];
            uri += kHex[c & 15];
        }
    }
    return uri;
}

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};

class Dragger {
public:
    Dragger(Display* display, Window target, std::string uri)
        : m_display(display), m_target(target), m_uri(std::move(uri)) {
        m_source = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
        for (auto [atom, name] : {std::pair{&m_enter, "XdndEnter"},
                                  {&m_position, "XdndPosition"},
                                  {&m_status, "XdndStatus"},
                                  {&m_drop, "XdndDrop"},
                                  {&m_finished, "XdndFinished"},
                                  {&m_selection, "XdndSelection"},
                                  {&m_copy, "XdndActionCopy"},
                                  {&m_uriList, "text/uri-list"}})
            *atom = XInternAtom(display, name, False);
    }

    bool Run(int seconds, std::string* error) {
        XSetSelectionOwner(m_display, m_selection, m_source, CurrentTime);
        Send(m_enter, kVersion << 24, static_cast<long>(m_uriList), None, None);
        Send(m_position, 0, Middle(), CurrentTime, static_cast<long>(m_copy));
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        bool dropped = false;
        while (std::chrono::steady_clock::now() < deadline) {
            if (XPending(m_display) == 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                continue;
            }
            XEvent event;
            XNextEvent(m_display, &event);
            if (event.type == SelectionRequest) {
                Answer(event.xselectionrequest);
            } else if (event.type == ClientMessage && event.xclient.message_type == m_status &&
                       !dropped) {
                if ((event.xclient.data.l[1] & 1) == 0) {
                    *error = "the window refused the drop";
                    return false;
                }
                Send(m_drop, 0, CurrentTime, 0, 0);
                dropped = true;
            } else if (event.type == ClientMessage && event.xclient.message_type == m_finished) {
                return true;
            }
        }
        *error = dropped ? "the window never finished the drop" : "the window never answered";
        return false;
    }

    ~Dragger() { XDestroyWindow(m_display, m_source); }

private:
    // The middle of the target in root coordinates, packed as XdndPosition wants it.
    long Middle() const {
        XWindowAttributes attributes;
        XGetWindowAttributes(m_display, m_target, &attributes);
        int x = 0;
        int y = 0;
        Window child;
        XTranslateCoordinates(m_display, m_target, DefaultRootWindow(m_display),
                              attributes.width / 2, attributes.height / 2, &x, &y, &child);
        return (static_cast<long>(x) << 16) | y;
    }

    void Send(Atom type, long l1, long l2, long l3, long l4) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = m_target;
        event.xclient.message_type = type;
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(m_source);
        event.xclient.data.l[1] = l1;
        event.xclient.data.l[2] = l2;
        event.xclient.data.l[3] = l3;
        event.xclient.data.l[4] = l4;
        XSendEvent(m_display, m_target, False, NoEventMask, &event);
        XFlush(m_display);
    }

    // Hands the URI list to the window that asks for it; any other form is refused.
    void Answer(const XSelectionRequestEvent& request) {
        XEvent reply{};
        reply.xselection.type = SelectionNotify;
        reply.xselection.requestor = request.requestor;
        reply.xselection.selection = request.selection;
        reply.xselection.target = request.target;
        reply.xselection.time = request.time;
        reply.xselection.property = None;
        if (request.target == m_uriList) {
            const std::string data = m_uri + "\r\n";
            XChangeProperty(m_display, request.requestor, request.property, m_uriList, 8,
                            PropModeReplace, reinterpret_cast<const unsigned char*>(data.data()),
                            static_cast<int>(data.size()));
            reply.xselection.property = request.property;
        }
        XSendEvent(m_display, request.requestor, False, NoEventMask, &reply);
        XFlush(m_display);
    }

    Display* m_display;
    Window m_target;
    std::string m_uri;
    Window m_source;
    Atom m_enter, m_position, m_status, m_drop, m_finished, m_selection, m_copy, m_uriList;
};

}  // namespace

bool DropFile(const std::string& display, unsigned long window, const std::string& path,
              int seconds, std::string* error) {
    const std::unique_ptr<Display, DisplayCloser> connection(XOpenDisplay(display.c_str()));
    if (!connection) {
        *error = "cannot open display " + display;
        return false;
    }
    Dragger dragger(connection.get(), window, FileUri(path));
    return dragger.Run(seconds, error);
}

}  // namespace desktop_test

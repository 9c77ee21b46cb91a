#include "toolkit/oi_x_window.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cstring>

namespace {

bool x_error_seen = false;

int note_x_error(Display*, XErrorEvent*)
{
    x_error_seen = true;
    return 0;
}

// Runs requests with X errors noted instead of reported, whatever display
// (the toolkit's or another connection) they go to; true when none came.
template <class Requests>
bool without_x_errors(Display* display, Requests requests)
{
    XSync(display, False);
    x_error_seen = false;
    XErrorHandler previous = XSetErrorHandler(note_x_error);
    requests();
    XSync(display, False);
    XSetErrorHandler(previous);
    return !x_error_seen;
}

}  // namespace

unsigned long OI_root_window(Display* display)
{
    return DefaultRootWindow(display);
}

std::vector<unsigned long> OI_child_windows(Display* display, unsigned long window)
{
    std::vector<unsigned long> children;
    without_x_errors(display, [&] {
        Window root = 0;
        Window parent = 0;
        Window* list = nullptr;
        unsigned int count = 0;
        if (XQueryTree(display, window, &root, &parent, &list, &count) == 0)
            return;
        children.assign(list, list + count);
        if (list != nullptr)
            XFree(list);
    });
    return children;
}

bool OI_window_text_property(Display* display, unsigned long window, const char* name,
                             std::string* text, long max_length)
{
    bool found = false;
    Atom property = XInternAtom(display, name, False);
    bool clean = without_x_errors(display, [&] {
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, window, property, 0, max_length, False, AnyPropertyType,
                               &type, &format, &count, &after, &data) != Success)
            return;
        if (type != None && format == 8 && data != nullptr) {
            text->assign(reinterpret_cast<const char*>(data), count);
            found = true;
        }
        if (data != nullptr)
            XFree(data);
    });
    return clean && found;
}

bool OI_send_client_message(Display* display, unsigned long window, const char* type,
                            const std::string& data)
{
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.display = display;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, type, False);
    event.xclient.format = 8;
    std::memcpy(event.xclient.data.b, data.data(),
                std::min(data.size(), sizeof event.xclient.data.b));
    Status sent = 0;
    bool clean = without_x_errors(display, [&] {
        sent = XSendEvent(display, window, True, 0, &event);
    });
    return clean && sent != 0;
}

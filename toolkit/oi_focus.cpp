#include "toolkit/oi_focus.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <tk.h>

#include "toolkit/oi_connection.h"
#include "toolkit/oi_tk.h"

namespace {

// The window may be gone or unmapped by now: its errors are no concern.
int ignore_error(ClientData, XErrorEvent*)
{
    return 0;
}

}  // namespace

void OI_hand_back_focus(unsigned long window)
{
    OI_connection* conn = OI_uib_conn;
    Display* display = conn == nullptr ? nullptr : conn->display();
    if (display == nullptr)
        return;
    Window target = window;
    if (target == 0) {
        Window root_window = 0;
        Window child = 0;
        int root_x = 0, root_y = 0, x = 0, y = 0;
        unsigned int mask = 0;
        XQueryPointer(display, DefaultRootWindow(display), &root_window, &child, &root_x, &root_y,
                      &x, &y, &mask);
        target = child;
    }
    if (target == 0)
        return;
    Tk_ErrorHandler handler = Tk_CreateErrorHandler(display, -1, -1, -1, ignore_error, nullptr);
    Atom take_focus = XInternAtom(display, "WM_TAKE_FOCUS", False);
    XSetWMProtocols(display, target, &take_focus, 1);
    XSetInputFocus(display, target, RevertToPointerRoot, CurrentTime);
    XSync(display, False);
    Tk_DeleteErrorHandler(handler);
}

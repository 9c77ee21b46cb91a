// Plain X services for talking to another X client through the window tree:
// listing a window's children, reading a text property, sending a client
// message. Windows are X ids. A window may vanish at any moment, so its
// errors are swallowed and show as "no children" or "no property".
#ifndef KITSETUP_TOOLKIT_OI_X_WINDOW_H
#define KITSETUP_TOOLKIT_OI_X_WINDOW_H

#include <string>
#include <vector>

typedef struct _XDisplay Display;

// The root window of display's default screen.
unsigned long OI_root_window(Display* display);

// The children of window from the bottom of the stack to the top; empty
// when it has none or is gone.
std::vector<unsigned long> OI_child_windows(Display* display, unsigned long window);

// The text of window's property name (of any type, up to max_length bytes):
// false when the window has no such property or is gone.
bool OI_window_text_property(Display* display, unsigned long window, const char* name,
                             std::string* text, long max_length = 1000000);

// Sends window a client message of type name, format 8, with data (cut to
// 20 bytes, zero-padded), propagated, event mask 0, and flushes it. False
// when the window is gone.
bool OI_send_client_message(Display* display, unsigned long window, const char* type,
                            const std::string& data);

#endif

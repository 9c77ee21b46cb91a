// WinHelp: the installer's one entry to the online help. Help is shown by a
// separate viewer program on the same display; WinHelp finds a running one
// through the window protocol of hh_protocol.h and hands it the request, or
// starts one (HHPATH/hyperhelp, else /usr/bin/X11/hyperhelp) with the
// request as its arguments. Only a viewer this process started is ever
// told to quit.
#ifndef KITSETUP_HELP_WINHELP_H
#define KITSETUP_HELP_WINHELP_H

typedef struct _XDisplay Display;

// The commands the installer issues.
enum : unsigned int {
    HELP_CONTEXT = 1,   // show the topic whose context number is data
    HELP_QUIT = 2,      // end the viewer this process started (file "", data 0)
    HELP_CONTENTS = 3,  // show the contents of help_file (data 0)
};

// Carries out command for help_file on display. Returns true when the
// request reached a viewer (written for a running one, or given to one
// started now); the installer ignores the answer, since help that cannot be
// shown is never worth stopping for. Starting a viewer waits at most ten
// seconds for its window.
bool WinHelp(Display* display, const char* help_file, unsigned int command, unsigned long data);

// The quit command without a display, safe to run in a signal handler: what
// a crash exit uses.
void WinHelp_quit_now();

#endif

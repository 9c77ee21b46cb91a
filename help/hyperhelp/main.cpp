// hyperhelp: the help viewer the installer starts. Shows a topic of a help
// file in a Tk window and serves the requests of installers on the same
// display through the window protocol, until closed or told to end.
#include <fcntl.h>
#include <signal.h>
#include <tk.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "help/help_file.h"
#include "help/hyperhelp/help_server.h"
#include "help/hyperhelp/help_viewer.h"

namespace {

const char USAGE[] =
    "usage: hyperhelp [FILE] [-c CONTEXT] [-s MODE] [-help]\n"
    "  FILE        the help file to show: its contents, or with -c one topic\n"
    "  -c CONTEXT  show the topic with this context number (a positive integer)\n"
    "  -s MODE     the view mode (a number; \"-s 0\" may be one argument)\n"
    "  -help       print this text\n";

struct start_options {
    std::string file;
    int context = 0;
    bool help = false;
};

// The value of option name ("-c" or "-s") at argv[*at], given as the next
// argument or in the same one after a blank ("-s 0", as the installer
// passes it); *at moves past it. Null when argv[*at] is not that option,
// "" when its value is missing.
const char* option_value(const char* name, int argc, char** argv, int* at)
{
    const char* argument = argv[*at];
    size_t length = std::strlen(name);
    if (std::strncmp(argument, name, length) != 0)
        return nullptr;
    if (argument[length] == ' ')
        return argument + length + 1;
    if (argument[length] != '\0')
        return nullptr;
    return ++*at < argc ? argv[*at] : "";
}

// Reads the command line into *options: false with *reason on a usage error.
bool parse_arguments(int argc, char** argv, start_options* options, std::string* reason)
{
    bool context_given = false;
    for (int at = 1; at < argc; ++at) {
        const char* value = nullptr;
        int mode = 0;
        if (std::strcmp(argv[at], "-help") == 0) {
            options->help = true;
        } else if ((value = option_value("-c", argc, argv, &at)) != nullptr) {
            if (!help_file::parse_context(value, &options->context)) {
                *reason = "-c takes a context number (a positive integer), not \"" + std::string(value) + "\"";
                return false;
            }
            context_given = true;
        } else if ((value = option_value("-s", argc, argv, &at)) != nullptr) {
            // Only view mode 0, one viewer serving every client, exists.
            if (std::strcmp(value, "0") != 0 && !help_file::parse_context(value, &mode)) {
                *reason = "-s takes a view mode (a number), not \"" + std::string(value) + "\"";
                return false;
            }
        } else if (argv[at][0] == '-' || !options->file.empty() || argv[at][0] == '\0') {
            *reason = "unexpected argument \"" + std::string(argv[at]) + "\"";
            return false;
        } else {
            options->file = argv[at];
        }
    }
    if (context_given && options->file.empty()) {
        *reason = "-c needs a help file";
        return false;
    }
    return true;
}

// The start arguments as one request line.
std::string joined_arguments(int argc, char** argv)
{
    std::string line;
    for (int at = 1; at < argc; ++at)
        line += (at > 1 ? " " : "") + std::string(argv[at]);
    return line;
}

// A signal to end is noted here and through the pipe, which wakes the
// event loop; the loop does the ending.
volatile sig_atomic_t end_signalled = 0;
int signal_pipe[2] = {-1, -1};

void note_end_signal(int)
{
    int saved_errno = errno;
    end_signalled = 1;
    char byte = 0;
    if (write(signal_pipe[1], &byte, 1) < 0) {
        // The pipe is full: a byte is waiting already, which is enough.
    }
    errno = saved_errno;
}

void drain_signal_pipe(ClientData, int)
{
    char bytes[64];
    while (read(signal_pipe[0], bytes, sizeof bytes) > 0) {
    }
}

// Ends the viewer in order on SIGTERM and SIGINT: false with *reason when
// that cannot be arranged.
bool watch_end_signals(std::string* reason)
{
    if (pipe2(signal_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        *reason = std::strerror(errno);
        return false;
    }
    struct sigaction action = {};
    action.sa_handler = note_end_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (sigaction(SIGTERM, &action, nullptr) != 0 || sigaction(SIGINT, &action, nullptr) != 0) {
        *reason = std::strerror(errno);
        return false;
    }
    Tcl_CreateFileHandler(signal_pipe[0], TCL_READABLE, drain_signal_pipe, nullptr);
    return true;
}

// What the client message handler, which gets no data of its own, serves.
help_server* the_server = nullptr;
help_viewer* the_viewer = nullptr;

// Serves a client message naming this viewer: shows what its command file
// asks for. Other client messages are left to others (0).
int take_client_message(Tk_Window window, XEvent* event)
{
    if (the_server == nullptr || !the_server->is_request(Tk_Display(window), *event))
        return 0;
    std::string line;
    std::string reason;
    std::string file;
    int context = 0;
    if (!the_server->read_command(&line, &reason))
        std::cerr << "hyperhelp: request ignored: " << the_server->command_path() << ": " << reason << "\n";
    else if (!parse_command(line, &file, &context))
        std::cerr << "hyperhelp: request ignored: not a request: " << line << "\n";
    else {
        the_viewer->request("message", line, file, context);
        the_viewer->raise();
    }
    return 1;
}

// The display went away: the command file must not outlive the viewer.
int display_lost(Display*)
{
    if (the_server != nullptr)
        the_server->remove_command_file();
    std::_Exit(1);
}

// Creates the interpreter with Tk: null after a message on failure.
Tcl_Interp* start_tk(const char* program)
{
    Tcl_FindExecutable(program);
    Tcl_Interp* interp = Tcl_CreateInterp();
    Tcl_Init(interp);
    Tcl_SetVar(interp, "argv", "-name hyperhelp", TCL_GLOBAL_ONLY);
    if (Tk_Init(interp) != TCL_OK) {
        std::cerr << "hyperhelp: " << Tcl_GetStringResult(interp) << "\n";
        Tcl_DeleteInterp(interp);
        return nullptr;
    }
    Tcl_SetVar(interp, "argv", "", TCL_GLOBAL_ONLY);
    return interp;
}

// Tests name the viewer through HYPERHELP_AUTOMATION and drive it through
// send. Otherwise send goes: deleting it also takes the viewer out of the
// display's registry, so no X client can run Tcl in a viewer root started.
bool set_up_automation(Tcl_Interp* interp)
{
    const char* name = std::getenv("HYPERHELP_AUTOMATION");
    if (name == nullptr) {
        Tcl_DeleteCommand(interp, "send");
        return false;
    }
    Tcl_Obj* words[] = {Tcl_NewStringObj("tk", -1), Tcl_NewStringObj("appname", -1),
                        Tcl_NewStringObj(name, -1)};
    Tcl_Obj* command = Tcl_NewListObj(3, words);
    Tcl_IncrRefCount(command);
    if (Tcl_EvalObjEx(interp, command, TCL_EVAL_GLOBAL) != TCL_OK)
        std::cerr << "hyperhelp: " << Tcl_GetStringResult(interp) << "\n";
    Tcl_DecrRefCount(command);
    return true;
}

// The window clients find the viewer by: the toplevel's outermost one.
Window outermost_window(Tcl_Interp* interp)
{
    if (Tcl_Eval(interp, "winfo id .; wm frame .") != TCL_OK)
        return 0;
    return static_cast<Window>(std::strtoul(Tcl_GetStringResult(interp), nullptr, 16));
}

int run_viewer(const start_options& options, const std::string& request_line, Tcl_Interp* interp)
{
    bool automation = set_up_automation(interp);
    help_viewer viewer(interp);
    std::string reason;
    if (!viewer.build_window(&reason)) {
        std::cerr << "hyperhelp: " << reason << "\n";
        return 1;
    }
    help_server server;
    Display* display = Tk_Display(Tk_MainWindow(interp));
    if (!server.create_command_file(&reason))
        std::cerr << "hyperhelp: cannot create a command file, so no installer can reach this viewer: "
                  << reason << "\n";
    else
        server.publish(display, outermost_window(interp));
    the_server = &server;
    the_viewer = &viewer;
    XSetIOErrorHandler(display_lost);
    Tk_CreateClientMessageHandler(take_client_message);
    if (automation)
        viewer.add_automation(server.identifier());
    viewer.request("args", request_line, options.file, options.context);
    while (!end_signalled && !viewer.quit_requested() && Tk_GetNumMainWindows() > 0)
        Tcl_DoOneEvent(0);
    Tk_DeleteClientMessageHandler(take_client_message);
    the_server = nullptr;
    the_viewer = nullptr;
    server.remove_command_file();
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    start_options options;
    std::string reason;
    if (!parse_arguments(argc, argv, &options, &reason)) {
        std::cerr << "hyperhelp: " << reason << "\n" << USAGE;
        return 2;
    }
    if (options.help) {
        std::cout << USAGE;
        return 0;
    }
    Tcl_Interp* interp = start_tk(argv[0]);
    if (interp == nullptr)
        return 1;
    if (!watch_end_signals(&reason)) {
        std::cerr << "hyperhelp: cannot watch for signals: " << reason << "\n";
        Tcl_DeleteInterp(interp);
        return 1;
    }
    int status = run_viewer(options, joined_arguments(argc, argv), interp);
    Tcl_DeleteInterp(interp);
    return status;
}

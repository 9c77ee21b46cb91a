// The viewer's side of the window protocol: an identifier no other user can
// guess, the command file named after it, the window property by which
// clients find the viewer, and the client messages that tell it to read the
// command file. The server owns the command file and removes it when it goes.
#ifndef KITSETUP_HELP_HYPERHELP_HELP_SERVER_H
#define KITSETUP_HELP_HYPERHELP_HELP_SERVER_H

#include <X11/Xlib.h>

#include <string>

class help_server {
public:
    help_server() = default;
    ~help_server() { remove_command_file(); }
    help_server(const help_server&) = delete;
    help_server& operator=(const help_server&) = delete;

    // Picks an identifier (process id, "x", eight random hex digits) and
    // creates its command file, mode 0600, where nothing may stand yet:
    // false with the system's error text in *reason.
    bool create_command_file(std::string* reason);
    // Marks window as this viewer's for clients that search the window tree:
    // false when window is 0.
    bool publish(Display* display, Window window);
    // Whether event is a client message of the protocol naming this viewer.
    bool is_request(Display* display, const XEvent& event) const;
    // The first line of the command file, without its newline, when the
    // file is safe to read: a regular file of this user's or root's, not
    // a link, at most 64 KiB. False with the reason otherwise.
    bool read_command(std::string* line, std::string* reason) const;
    void remove_command_file();

    const std::string& identifier() const { return identifier_; }
    const std::string& command_path() const { return command_path_; }

private:
    std::string identifier_;
    std::string command_path_;
};

// A command file's line: "-c N FILE" (show topic N) or "-i FILE" (show the
// contents, *context 0). FILE is the rest of the line and may hold blanks.
// False for anything else.
bool parse_command(const std::string& line, std::string* file, int* context);

#endif

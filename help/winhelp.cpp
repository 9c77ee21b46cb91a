#include "help/winhelp.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "help/hh_protocol.h"
#include "lib/descriptor.h"
#include "misc/utilities.h"
#include "toolkit/oi_x_window.h"

namespace {

// The viewer this process started (0: none), read by the crash exit too.
volatile sig_atomic_t viewer_pid = 0;
// How a started viewer is to find its clients; always the shared server.
const int view_mode = 0;

const char DEFAULT_VIEWER[] = "/usr/bin/X11/hyperhelp";
// How long a started viewer may take to show its window, and how often to
// look for it meanwhile.
const int VIEWER_WAIT_MS = 10000;
const int VIEWER_POLL_MS = 100;

struct viewer {
    unsigned long window = 0;
    std::string id;
};

// The identifier becomes part of a file name in /tmp that the installer
// writes as root: anything but letters and digits could lead it elsewhere.
bool plain_identifier(const std::string& id)
{
    if (id.empty() || id.size() > static_cast<size_t>(HH_ID_MAX))
        return false;
    for (char c : id) {
        bool letter_or_digit = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!letter_or_digit)
            return false;
    }
    return true;
}

// Looks for a serving viewer below window, the topmost child first, each
// child's own children before its next sibling, down to depth 2.
bool find_viewer(Display* display, unsigned long window, int depth, viewer* found)
{
    if (depth >= 3)
        return false;
    std::vector<unsigned long> children = OI_child_windows(display, window);
    for (auto child = children.rbegin(); child != children.rend(); ++child) {
        std::string text;
        if (OI_window_text_property(display, *child, HH_ATOM_NAME, &text)) {
            size_t mark = text.find(HH_SERVER_MARK);
            if (mark != std::string::npos) {
                std::string id = text.substr(mark + std::strlen(HH_SERVER_MARK));
                id = id.substr(0, id.find('\0'));
                if (plain_identifier(id)) {
                    found->window = *child;
                    found->id = id;
                    return true;
                }
            }
        }
        if (find_viewer(display, *child, depth + 1, found))
            return true;
    }
    return false;
}

// Writes the request into the viewer's command file and tells the viewer.
// A file that cannot be written drops the request: help is not worth more.
bool send_request(Display* display, const viewer& found, const char* help_file,
                  unsigned int command, unsigned long data)
{
    listring path(HH_COMMAND_FILE_PREFIX);
    path += found.id.c_str();
    descriptor file = open_for_writing(path, 0600);
    if (!file.valid())
        return false;
    char line[4096 + 64];
    int length = command == HELP_CONTEXT
                     ? std::snprintf(line, sizeof line, HH_CONTEXT_LINE, static_cast<int>(data), help_file)
                     : std::snprintf(line, sizeof line, HH_CONTENTS_LINE, help_file);
    if (length < 0 || static_cast<size_t>(length) >= sizeof line)
        return false;
    if (!file.write_all(line, static_cast<size_t>(length)))
        return false;
    file.close();
    return OI_send_client_message(display, found.window, HH_ATOM_NAME, found.id);
}

// In the child: runs the viewer with the request as its arguments, or
// reports why it cannot.
[[noreturn]] void exec_viewer(const char* help_file, unsigned int command, unsigned long data)
{
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    close_on_exec_above_stderr();
    const char* directory = std::getenv("HHPATH");
    std::string program = directory == nullptr ? DEFAULT_VIEWER : std::string(directory) + "/hyperhelp";
    std::string context = std::to_string(static_cast<int>(data));
    std::string mode = "-s " + std::to_string(view_mode);
    if (command == HELP_CONTEXT)
        execl(program.c_str(), "hyperhelp", help_file, "-c", context.c_str(), mode.c_str(),
              static_cast<char*>(nullptr));
    else
        execl(program.c_str(), "hyperhelp", help_file, mode.c_str(), static_cast<char*>(nullptr));
    std::perror("execl failed");
    _exit(0);
}

// True while pid is a child of this process that has not ended.
bool child_running(pid_t pid)
{
    int status = 0;
    return waitpid(pid, &status, WNOHANG) == 0;
}

// Starts a viewer for the request and waits until its window can be found,
// it ends, or the wait is over.
bool start_viewer(Display* display, const char* help_file, unsigned int command, unsigned long data)
{
    pid_t pid = fork();
    if (pid == -1)
        return false;
    if (pid == 0)
        exec_viewer(help_file, command, data);
    viewer_pid = pid;
    for (int waited = 0; waited < VIEWER_WAIT_MS; waited += VIEWER_POLL_MS) {
        viewer found;
        if (find_viewer(display, OI_root_window(display), 0, &found))
            return true;
        if (!child_running(pid))
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(VIEWER_POLL_MS));
    }
    return false;
}

}  // namespace

bool WinHelp(Display* display, const char* help_file, unsigned int command, unsigned long data)
{
    if (command == HELP_QUIT) {
        WinHelp_quit_now();
        return true;
    }
    if ((command != HELP_CONTEXT && command != HELP_CONTENTS) || display == nullptr ||
        help_file == nullptr)
        return false;
    viewer found;
    if (find_viewer(display, OI_root_window(display), 0, &found))
        return send_request(display, found, help_file, command, data);
    return start_viewer(display, help_file, command, data);
}

// Only async-signal-safe calls: a crash exit runs this. The command file
// named after this process goes only when it is a plain file of ours, and
// the viewer only when it is still our child, so that a process that took
// over its number after it ended is never signalled.
void WinHelp_quit_now()
{
    pid_t pid = viewer_pid;
    if (pid == 0)
        return;
    char path[sizeof HH_COMMAND_FILE_PREFIX + 24];
    char digits[24];
    int count = 0;
    for (long rest = getpid(); rest > 0 && count < 23; rest /= 10)
        digits[count++] = static_cast<char>('0' + rest % 10);
    size_t length = sizeof HH_COMMAND_FILE_PREFIX - 1;
    std::memcpy(path, HH_COMMAND_FILE_PREFIX, length);
    while (count > 0)
        path[length++] = digits[--count];
    path[length] = '\0';
    struct stat info;
    if (lstat(path, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == geteuid())
        unlink(path);
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == 0)
        kill(pid, SIGTERM);
    viewer_pid = 0;
}

#include "help/hyperhelp/help_server.h"

#include <X11/Xatom.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "help/help_file.h"
#include "help/hh_protocol.h"
#include "lib/descriptor.h"

namespace {

// Tries at a name of our own before giving up: another file there means
// someone got in first, which a fresh random part gets round.
const int NAME_TRIES = 5;
const long COMMAND_FILE_LIMIT = 64 * 1024;

// *hex = eight random hex digits: false with errno set when the system
// has no randomness to give.
bool random_hex(std::string* hex)
{
    unsigned char bytes[4];
    ssize_t got = 0;
    do
        got = getrandom(bytes, sizeof bytes, 0);
    while (got < 0 && errno == EINTR);
    if (got != static_cast<ssize_t>(sizeof bytes)) {
        if (got >= 0)
            errno = EIO;
        return false;
    }
    char text[9];
    std::snprintf(text, sizeof text, "%02x%02x%02x%02x", bytes[0], bytes[1], bytes[2], bytes[3]);
    *hex = text;
    return true;
}

}  // namespace

bool help_server::create_command_file(std::string* reason)
{
    for (int attempt = 0; attempt < NAME_TRIES; ++attempt) {
        std::string hex;
        if (!random_hex(&hex)) {
            *reason = std::strerror(errno);
            return false;
        }
        std::string identifier = std::to_string(getpid()) + "x" + hex;
        std::string path = HH_COMMAND_FILE_PREFIX + identifier;
        descriptor file(open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (file.valid()) {
            identifier_ = identifier;
            command_path_ = path;
            return true;
        }
        if (errno != EEXIST) {
            *reason = path + ": " + std::strerror(errno);
            return false;
        }
    }
    *reason = std::string(HH_COMMAND_FILE_PREFIX) + "...: " + std::strerror(EEXIST);
    return false;
}

bool help_server::publish(Display* display, Window window)
{
    if (window == 0)
        return false;
    Atom atom = XInternAtom(display, HH_ATOM_NAME, False);
    std::string text = HH_SERVER_MARK + identifier_;
    XChangeProperty(display, window, atom, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(text.c_str()), static_cast<int>(text.size()));
    XFlush(display);
    return true;
}

bool help_server::is_request(Display* display, const XEvent& event) const
{
    if (event.type != ClientMessage || identifier_.empty() || event.xclient.format != 8 ||
        event.xclient.message_type != XInternAtom(display, HH_ATOM_NAME, False))
        return false;
    const char* data = event.xclient.data.b;
    return std::memcmp(data, identifier_.c_str(), identifier_.size() + 1) == 0;
}

bool help_server::read_command(std::string* line, std::string* reason) const
{
    // Not followed, so that a link put in the file's place cannot make the
    // viewer read (and show the name of) a file of someone else's choosing.
    descriptor file(open(command_path_.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
    struct stat status;
    if (!file.valid() || fstat(file.get(), &status) != 0) {
        *reason = std::strerror(errno);
        return false;
    }
    if (!S_ISREG(status.st_mode) || (status.st_uid != geteuid() && status.st_uid != 0) ||
        status.st_size > COMMAND_FILE_LIMIT) {
        *reason = "not a plain file of this user's or root's of at most 64 KiB";
        return false;
    }
    std::string text(static_cast<size_t>(COMMAND_FILE_LIMIT), '\0');
    size_t filled = 0;
    for (;;) {
        ssize_t got = ::read(file.get(), &text[filled], text.size() - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            *reason = std::strerror(errno);
            return false;
        }
        filled += static_cast<size_t>(got);
        if (got == 0 || filled == text.size())
            break;
    }
    text.resize(filled);
    *line = text.substr(0, text.find('\n'));
    return true;
}

void help_server::remove_command_file()
{
    if (!command_path_.empty())
        unlink(command_path_.c_str());
    command_path_.clear();
}

bool parse_command(const std::string& line, std::string* file, int* context)
{
    std::string rest;
    if (line.compare(0, 3, "-i ") == 0) {
        *context = 0;
        rest = line.substr(3);
    } else if (line.compare(0, 3, "-c ") == 0) {
        size_t blank = line.find(' ', 3);
        std::string number = line.substr(3, blank == std::string::npos ? std::string::npos : blank - 3);
        if (blank == std::string::npos || !help_file::parse_context(number, context))
            return false;
        rest = line.substr(blank + 1);
    } else {
        return false;
    }
    *file = rest;
    return !rest.empty();
}

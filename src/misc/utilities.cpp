#include "misc/utilities.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <pthread.h>
#include <sys/ioctl.h>
#include <sys/mtio.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "lib/descriptor.h"
#include "lib/listream.h"
#include "misc/config_entries.h"
#include "misc/lidefs.h"
#include "lib/msgs.h"
#include "lib/reporter.h"
#include "misc/translate_filename.h"

volatile sig_atomic_t child_died_g = 0;
volatile sig_atomic_t child_succeeded_g = 0;
l_listring VALID_CMDS;

namespace {

// VALID_CMDS owns the copies valid_cmd adds, which a list never frees; they
// go just before the list does, at exit.
struct valid_cmds_owner {
    ~valid_cmds_owner() { VALID_CMDS.delete_all(); }
} valid_cmds_strings;

const unsigned COPY_BLOCK_SIZE = 4096;
const unsigned CWD_BUFFER_SIZE = 1024;
const unsigned TIME_BUFFER_SIZE = 100;
const unsigned PRODUCT_CODE_LENGTH = 5;
const mode_t NEW_DIRECTORY_MODE = 0755;
const char WRITE_TEST_FILE[] = "kitsetup.test.";

// Shows message formatted with object and the system's text for error_number.
void report_system_error(const kit_message& message, const listring& object, int error_number)
{
    error(format_message(message, object.c_str(), std::strerror(error_number)), true);
}

// A forked child cannot reach the toolkit's boxes: its messages go to its
// standard error, which the parent reads as the child's error output.
void child_report(const kit_message& prefix, const listring& text)
{
    listring line(catalogue_text(prefix));
    line += text;
    line += '\n';
    if (write(STDERR_FILENO, line.c_str(), line.length()) < 0) {
        // Nowhere left to report to.
    }
}

// text begins with prefix, compared with the program's case setting.
liboolean starts_with(const listring& text, const listring& prefix)
{
    if (text.length() < prefix.length())
        return false;
    listring head;
    text.substr(0, prefix.length(), head);
    return head == prefix;
}

// text ends with suffix, compared with the program's case setting.
liboolean ends_with(const listring& text, const listring& suffix)
{
    if (text.length() < suffix.length())
        return false;
    listring tail;
    text.substr(text.length() - suffix.length(), suffix.length(), tail);
    return tail == suffix;
}

// base + "/" + rest, without doubling a "/" that one of them already has.
listring joined_path(const listring& base, const listring& rest)
{
    listring result(base);
    liboolean base_has_slash = !base.is_empty() && base[base.length() - 1] == '/';
    liboolean rest_has_slash = !rest.is_empty() && rest[0u] == '/';
    if (!base_has_slash && !rest_has_slash)
        result += '/';
    result += rest;
    return result;
}

// text without its first n characters.
listring without_prefix(const listring& text, unsigned n)
{
    listring rest;
    text.substr(n, text.length(), rest);
    return rest;
}

// ---- Processes ------------------------------------------------------------

// The children started through fork_watched_child and, once the handler has
// reaped one, its wait status. Other parts of the program start children of
// their own (the help viewer); the handler reaps those too but reports them
// nowhere, so their end never passes for the end of a command. Slots are
// taken only while SIGCHLD is blocked; the handler reads and writes them
// through lock-free atomics, which is safe in signal context.
struct watched_child {
    std::atomic<pid_t> pid{0};
    std::atomic<int> wait_status{0};
    std::atomic<bool> ended{false};
};
const unsigned WATCHED_CHILD_SLOTS = 64;
watched_child watched_children[WATCHED_CHILD_SLOTS];

watched_child* find_watched_child(pid_t pid)
{
    for (watched_child& child : watched_children)
        if (child.pid.load() == pid)
            return &child;
    return nullptr;
}

// Takes a free slot for pid, or the first one whose child has ended (its
// status has long been read). A slot left from an earlier child with the
// same number is freed first: the system reuses numbers, and the old
// status must not pass for the new child's. Called with SIGCHLD blocked.
void watch_child(pid_t pid)
{
    for (watched_child& child : watched_children)
        if (child.pid.load() == pid)
            child.pid = 0;
    watched_child* slot = find_watched_child(0);
    for (unsigned i = 0; slot == nullptr && i < WATCHED_CHILD_SLOTS; ++i)
        if (watched_children[i].ended.load())
            slot = &watched_children[i];
    if (slot == nullptr)
        return;
    slot->ended = false;
    slot->wait_status = 0;
    slot->pid = pid;
}

// The thread that starts the watched children and blocks SIGCHLD while it
// gives a new one its slot. Tcl's notifier runs a thread of its own, which
// may take the signal meanwhile: it hands the signal on to this one, or it
// would reap the new child as a stranger, and the child's end would never
// be seen.
pthread_t reaping_thread;
std::atomic<bool> reaping_thread_known{false};

// Installs get_child_status for SIGCHLD. Stopped children do not call it, so
// the handler only ever meets children that have ended.
void install_child_handler()
{
    reaping_thread = pthread_self();
    reaping_thread_known = true;
    struct sigaction action {};
    action.sa_handler = get_child_status;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_NOCLDSTOP;
    // Cannot fail: the signal and the handler are valid.
    sigaction(SIGCHLD, &action, nullptr);
}

// Forks a child whose end the SIGCHLD handler records in the two flags.
// The flags are set and the handler installed before the fork, so that a
// child that ends at once is still seen. Returns fork's result; -1 after the
// message.
pid_t fork_watched_child()
{
    child_died_g = 0;
    child_succeeded_g = 1;
    install_child_handler();
    // Blocked until the child has its slot, so that its end cannot be
    // reaped as a stranger's.
    sigset_t child_signal, previous;
    sigemptyset(&child_signal);
    sigaddset(&child_signal, SIGCHLD);
    sigprocmask(SIG_BLOCK, &child_signal, &previous);
    pid_t pid = fork();
    int fork_errno = errno;
    if (pid > 0)
        watch_child(pid);
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    if (pid == -1)
        error(format_message(DEF_NO_FORK, std::strerror(fork_errno)), true);
    return pid;
}

// A pipe to a child's output stream. Both ends are closed on exec, so that
// no child inherits another's pipe; the read end does not block.
struct child_pipe {
    descriptor read_end;
    descriptor write_end;
};

// Opens p: 0, or -1 with errno set.
int open_child_pipe(child_pipe& p)
{
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) == -1)
        return -1;
    p.read_end.reset(ends[0]);
    p.write_end.reset(ends[1]);
    int status_flags = fcntl(ends[0], F_GETFL);
    if (status_flags == -1 || fcntl(ends[0], F_SETFL, status_flags | O_NONBLOCK) == -1)
        return -1;
    return 0;
}

// Closes a stream that owns its descriptor.
struct stream_closer {
    void operator()(FILE* stream) const { std::fclose(stream); }
};
using owned_stream = std::unique_ptr<FILE, stream_closer>;

// A stream reading fd, which passes to the stream; null with errno set, fd
// then still held.
owned_stream read_stream(descriptor& fd)
{
    owned_stream stream(fdopen(fd.get(), "r"));
    if (stream != nullptr)
        fd.release();
    return stream;
}

// The child's side of unix_proc_open: the pipes become standard output and
// error, standard input is closed, a new process group is made, and the
// shell runs command. Never returns; exec closes every pipe descriptor.
[[noreturn]] void run_child(const listring& command, int out_fd, int err_fd)
{
    // Copies above the standard descriptors, so that neither dup2 can
    // overwrite the other pipe when the parent had a standard stream closed.
    int out_copy = fcntl(out_fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    int err_copy = fcntl(err_fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    if (out_copy == -1 || err_copy == -1 || dup2(err_copy, STDERR_FILENO) == -1 ||
        dup2(out_copy, STDOUT_FILENO) == -1)
        _exit(EXIT_FAILURE);
    // The child's input is closed on purpose, so a command never waits for it.
    close(STDIN_FILENO);
    close_on_exec_above_stderr();

    if (setpgid(0, 0) == -1) {
        int setpgid_errno = errno;
        child_report(DEF_WARNING_PREFIX, format_message(DEF_SETPGID_ERROR, std::strerror(setpgid_errno)));
    }
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    int exec_errno = errno;
    child_report(DEF_ERROR_PREFIX, format_message(DEF_UNABLE_TO_EXEC, std::strerror(exec_errno)));
    _exit(EXIT_FAILURE);
}

// ---- Tape -----------------------------------------------------------------

// Applies the magnetic-tape operation op once to fd: 0, or -1 with errno set.
int tape_operation(int fd, short op)
{
    struct mtop operation {};
    operation.mt_op = op;
    operation.mt_count = 1;
    return ioctl(fd, MTIOCTOP, &operation);
}

// The child's side of the tape check: rewind, then skip one file on the
// inherited descriptor. Exits 0, or -1 after writing the reason.
[[noreturn]] void position_tape(int fd, const listring& device)
{
    if (tape_operation(fd, MTREW) == -1) {
        int rewind_errno = errno;
        child_report(DEF_ERROR_PREFIX, format_message(DEF_CANT_REWIND_WITH_ERR, device.c_str(),
                                                      std::strerror(rewind_errno)));
        _exit(-1);
    }
    if (tape_operation(fd, MTFSF) == -1) {
        int skip_errno = errno;
        child_report(DEF_ERROR_PREFIX,
                     format_message(DEF_CANT_SKIP, device.c_str(), std::strerror(skip_errno)));
        _exit(-1);
    }
    _exit(0);
}

// Runs the tape positioning in a child and waits for it, keeping the windows
// drawn. False after a message when the child cannot be started.
liboolean position_tape_in_child(int fd, const listring& device)
{
    pid_t pid = fork_watched_child();
    if (pid == -1)
        return false;
    if (pid == 0)
        position_tape(fd, device);
    while (!child_died_g) {
        sleep(1);
        update_display();
    }
    if (!child_succeeded_g)
        popdown_busy();
    return true;
}

// Opens device for reading: the descriptor, or an invalid one after taking
// the busy box down and showing why.
descriptor open_tape_device(const listring& device)
{
    descriptor fd(open(device, O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) {
        int open_errno = errno;
        popdown_busy();
        report_system_error(DEF_CANNOT_OPEN_DEV, device, open_errno);
    }
    return fd;
}

// Reads the first nine bytes of device and compares them with the label.
// Shows the reason and gives false when they are not the label.
liboolean device_holds_label(const listring& device)
{
    descriptor fd = open_tape_device(device);
    if (!fd.valid())
        return false;
    char label[10] = {};
    const unsigned label_length = 9;
    ssize_t got = read(fd.get(), label, label_length);
    int read_errno = errno;
    // A read-only descriptor loses nothing when its close fails.
    fd.close();
    popdown_busy();
    if (got == -1) {
        report_system_error(DEF_BAD_TAPE_READ, device, read_errno);
        return false;
    }
    // label is NUL-terminated, so a NUL read from the device ends the text
    // short and it cannot match.
    if (got < static_cast<ssize_t>(label_length) || listring(label) != TAPE_LABEL1) {
        error(format_message(DEF_WRONG_TAPE, device.c_str()), true);
        return false;
    }
    return true;
}

// ---- Files ----------------------------------------------------------------

}  // namespace

int examine(const listring& path, struct stat* info)
{
    if (stat(path, info) == 0)
        return 0;
    return lstat(path, info);
}

namespace {

// Creates every missing directory of path, shortest prefix first. 0, or -1
// with the prefix that failed and the system error number stored.
int make_directories(const listring& path, listring& failed, int& failed_errno)
{
    for (unsigned end = 1; end <= path.length(); ++end) {
        if (end < path.length() && path[end] != '/')
            continue;
        listring prefix;
        path.substr(0, end, prefix);
        if (valid_directory(prefix))
            continue;
        if (mkdir(prefix, NEW_DIRECTORY_MODE) == -1) {
            failed_errno = errno;
            // Someone else may have made it in the meantime.
            if (failed_errno == EEXIST && valid_directory(prefix))
                continue;
            failed = prefix;
            return -1;
        }
    }
    return 0;
}

// Copies everything from in to out in blocks: 0, or -1 after a message.
int copy_data(const descriptor& in, const descriptor& out, const listring& from, const listring& to)
{
    char block[COPY_BLOCK_SIZE];
    for (;;) {
        ssize_t got = read(in.get(), block, sizeof block);
        if (got == 0)
            return 0;
        if (got == -1) {
            int read_errno = errno;
            if (read_errno == EINTR)
                continue;
            report_system_error(DEF_BAD_TAPE_READ, from, read_errno);
            return -1;
        }
        if (!out.write_all(block, static_cast<size_t>(got))) {
            int write_errno = errno;
            report_system_error(DEF_CANT_WRITE_FILE, to, write_errno);
            return -1;
        }
    }
}

// Fills out, the new file copy, from in, gives it mode and renames it to to:
// 0, or -1 after a message (copy is then left for the caller to remove). The
// close may report a delayed write error.
int copy_into_place(const descriptor& in, descriptor& out, const listring& copy,
                    const listring& from, const listring& to, mode_t mode)
{
    if (copy_data(in, out, from, to) != 0)
        return -1;
    if (fchmod(out.get(), mode) == -1) {
        report_system_error(DEF_CANT_CHMOD, to, errno);
        return -1;
    }
    if (!out.close() || rename(copy, to) == -1) {
        report_system_error(DEF_CANT_WRITE_FILE, to, errno);
        return -1;
    }
    return 0;
}

// Closes a directory that a walk opened: status, or -1 after a message when
// the close fails.
int close_directory(DIR* handle, const listring& dir, int status)
{
    if (closedir(handle) == -1) {
        report_system_error(DEF_BAD_DIR_CLOSE, dir, errno);
        return -1;
    }
    return status;
}

// ---- Flags and integers -----------------------------------------------------

// strtol in base 10 over a cleaned copy of s; consumed tells whether any
// character was taken, fits (when given) whether the number is within int.
// Values beyond int are clamped.
int parse_integer(const listring& s, liboolean* consumed, liboolean* fits = nullptr)
{
    case_insensitive_section ignore_case;
    listring number(s);
    number.clean();
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(number, &end, 10);
    *consumed = end != number.c_str();
    if (fits != nullptr)
        *fits = value >= INT_MIN && value <= INT_MAX;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

}  // namespace

// ---- Processes --------------------------------------------------------------

// Streams and libraries may have opened files without close-on-exec; none
// of them is a child's business.
void close_on_exec_above_stderr()
{
    if (close_range(STDERR_FILENO + 1, ~0U, CLOSE_RANGE_CLOEXEC) == 0)
        return;
    long highest = std::min(sysconf(_SC_OPEN_MAX), 65536L);
    for (int fd = STDERR_FILENO + 1; fd < highest; ++fd)
        fcntl(fd, F_SETFD, FD_CLOEXEC);
}

proc_desc_t* unix_proc_open(const listring& command)
{
    child_pipe out_pipe;
    child_pipe err_pipe;
    if (open_child_pipe(out_pipe) == -1 || open_child_pipe(err_pipe) == -1) {
        int pipe_errno = errno;
        error(format_message(DEF_NO_PIPE, std::strerror(pipe_errno)), true);
        return nullptr;
    }
    owned_stream out = read_stream(out_pipe.read_end);
    owned_stream err = out == nullptr ? nullptr : read_stream(err_pipe.read_end);
    if (err == nullptr) {
        int stream_errno = errno;
        error(format_message(DEF_NO_PIPE, std::strerror(stream_errno)), true);
        return nullptr;
    }
    auto proc = std::make_unique<proc_desc_t>(proc_desc_t{-1, nullptr, nullptr});

    pid_t pid = fork_watched_child();
    if (pid == -1)
        return nullptr;
    if (pid == 0)
        run_child(command, out_pipe.write_end.get(), err_pipe.write_end.get());

    // The child makes its own group too; doing it here as well closes the
    // window in which a kill of the group would find nothing. Once the child
    // has run exec this fails, harmlessly.
    setpgid(pid, pid);
    // A hangup ends the installer at once from the first child on. An
    // interrupt keeps its orderly end, which records an installation it
    // stops: dying at once would leave extracted files that no record names.
    struct sigaction default_action {};
    default_action.sa_handler = SIG_DFL;
    sigemptyset(&default_action.sa_mask);
    sigaction(SIGHUP, &default_action, nullptr);
    // Only the child writes: the end of its output shows once it is gone.
    out_pipe.write_end.close();
    err_pipe.write_end.close();
    proc->pid = pid;
    proc->out = out.release();
    proc->err = err.release();
    return proc.release();
}

// Never blocks in signal context. Signals of ended children merge, so every
// ended child is reaped; only watched ones set the flags, which keep their
// meaning for the children the installer's own waits are about.
void get_child_status(int signal_number)
{
    int saved_errno = errno;
    if (reaping_thread_known.load() && !pthread_equal(pthread_self(), reaping_thread)) {
        pthread_kill(reaping_thread, signal_number);
        errno = saved_errno;
        return;
    }
    int status = 0;
    pid_t reaped;
    while ((reaped = waitpid(-1, &status, WNOHANG)) > 0) {
        watched_child* child = find_watched_child(reaped);
        if (child == nullptr)
            continue;
        child->wait_status = status;
        child->ended = true;
        child_died_g = 1;
        if (((status >> 8) & 0xff) != 0)
            child_succeeded_g = 0;
    }
    errno = saved_errno;
}

// The handler may not have run yet, or another wait took the child: the
// child is then looked for here, with the handler held off meanwhile.
int watched_child_ended(pid_t pid, int* wait_status)
{
    sigset_t child_signal, previous;
    sigemptyset(&child_signal);
    sigaddset(&child_signal, SIGCHLD);
    sigprocmask(SIG_BLOCK, &child_signal, &previous);
    int result = 1;
    watched_child* child = find_watched_child(pid);
    if (child != nullptr && child->ended.load()) {
        *wait_status = child->wait_status.load();
    } else {
        int status = 0;
        pid_t waited = waitpid(pid, &status, WNOHANG);
        if (waited == pid)
            *wait_status = status;
        else if (waited == 0)
            result = 0;
        else
            result = -1;
    }
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    return result;
}

// pid 0 or 1 would turn the group kill into a kill of the installer's own
// group or of every process, so such a pid counts as gone.
int unix_kill(long pid)
{
    if (pid <= 1)
        return -1;
    if (kill(-static_cast<pid_t>(pid), SIGHUP) == 0)
        return 0;
    int kill_errno = errno;
    if (kill_errno != ESRCH)
        error(format_message(DEF_UNABLE_TO_KILL, static_cast<int>(pid), std::strerror(kill_errno)),
              true);
    return -1;
}

int unix_chars_in_buffer(int fd, int* count)
{
    return ioctl(fd, FIONREAD, count) == -1 ? -1 : 0;
}

int unix_read(int fd, char* buf, unsigned n)
{
    return static_cast<int>(read(fd, buf, n));
}

int unix_close(int fd)
{
    return close(fd);
}

// Words are read into buffers as long as the line, so no sscanf field can
// overflow.
liboolean valid_stderr(const listring& line)
{
    std::vector<char> first(line.length() + 1);
    std::vector<char> second(line.length() + 1);
    std::vector<char> third(line.length() + 1);
    std::vector<char> fourth(line.length() + 1);
    int count = 0;
    int other_count = 0;

    if (std::sscanf(line, "%d %s", &count, first.data()) == 2 && listring(first.data()) == "blocks")
        return true;
    if (std::sscanf(line, "%d+%d%s%s", &count, &other_count, first.data(), second.data()) == 4 &&
        listring(first.data()) == "records" &&
        (listring(second.data()) == "in" || listring(second.data()) == "out"))
        return true;
    // GNU dd ends its record counts with "N bytes (...) copied, T s, R".
    long bytes = 0;
    if (std::sscanf(line, "%ld %s", &bytes, first.data()) == 2 && listring(first.data()) == "bytes" &&
        std::strstr(line, " copied, ") != nullptr)
        return true;
    return std::sscanf(line, "%s %s %s %s", first.data(), second.data(), third.data(),
                       fourth.data()) == 4 &&
           listring(second.data()) == "linked" && listring(third.data()) == "to";
}

liboolean valid_cmd(const listring& name)
{
    static liboolean filled = false;
    if (!filled) {
        const listring* const names[] = {&CP_CMD,         &CPIO_CMD,   &TAR_CMD, &TCIO_CMD, &RSH_CMD,
                                         &REMSH_CMD,      &RCMD_CMD,   &UNCOMPRESS_CMD,
                                         &UNPACK_CMD,     &MT_CMD,     &TAPE_CMD, &DEL_CMD, &CC_CMD};
        for (const listring* command : names) {
            if (VALID_CMDS.add(*command) != 0) {
                VALID_CMDS.delete_all();
                return false;
            }
        }
        filled = true;
    }
    listring cleaned(name);
    cleaned.clean();
    case_sensitive_section exact;
    for (unsigned i = 0; i < VALID_CMDS.entries(); ++i) {
        if (*VALID_CMDS.elem(i) == cleaned)
            return true;
    }
    return false;
}

liboolean extract_file_info(const listring& line, listring& name, int* size,
                            const listring& command)
{
    name.empty();
    *size = -1;
    if (command == CPIO_CMD) {
        listring trimmed(line);
        trimmed.strip_leading_blanks();
        trimmed.get_word(name);
        name.clean();
        return true;
    }
    std::vector<char> word(line.length() + 1);
    char letter = '\0';
    int bytes = -1;
    int fields = std::sscanf(line, " %c %s %d", &letter, word.data(), &bytes);
    if (fields < 1 || letter != 'x')
        return false;
    if (fields >= 2) {
        word[std::strcspn(word.data(), TAR_OUTPUT_DELIMITERS)] = '\0';
        name = word.data();
    }
    if (fields == 3)
        *size = bytes;
    return true;
}

// ---- Tape -------------------------------------------------------------------

// A rewinding device is back at its first file after the close, and a
// foreign tape has no label in its second: either way the read misses it.
liboolean is_nonrewind(const listring& device)
{
    listring checking(catalogue_text(DEF_CHECKING_TAPE));
    popup_busy(checking);

    if (access(device, R_OK) == -1) {
        popdown_busy();
        error(format_message(DEF_BAD_SOURCE_DEVICE, device.c_str()), true);
        return false;
    }
    descriptor fd = open_tape_device(device);
    if (!fd.valid())
        return false;
    liboolean positioned = position_tape_in_child(fd.get(), device);
    // Closing is what rewinds a rewinding device; a read-only descriptor
    // loses nothing when the close itself fails.
    fd.close();
    if (!positioned) {
        popdown_busy();
        return false;
    }
    return device_holds_label(device);
}

// ---- Files and directories --------------------------------------------------

liboolean valid_directory(const listring& path)
{
    struct stat info;
    return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

liboolean valid_file(const listring& path, int mode)
{
    return access(path, mode) == 0 && !valid_directory(path);
}

liboolean is_link(const listring& path)
{
    struct stat info;
    return lstat(path, &info) == 0 && S_ISLNK(info.st_mode);
}

liboolean recordable_path(const listring& path)
{
    std::string text(path.c_str());
    bool blank_edge = !text.empty() && (text.front() == ' ' || text.back() == ' ');
    bool control = std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < ' '; });
    return !blank_edge && !control && text.find_first_of(";:") == std::string::npos &&
           text.find("  ") == std::string::npos;
}

// An empty dir names no directory, so it is not writable. The test file gets
// a name nobody can foresee, since dir may be /tmp and the program root.
liboolean write_access(const listring& dir)
{
    if (dir.is_empty())
        return false;
    listring test_file;
    descriptor file = create_unique_file(join_directory(dir, WRITE_TEST_FILE), test_file);
    if (!file.valid())
        return false;
    liboolean closed = file.close();
    return unix_unlink(test_file) == 0 && closed;
}

descriptor create_unique_file(const listring& prefix, listring& name)
{
    listring pattern(prefix);
    pattern += "XXXXXX";
    std::vector<char> made(pattern.c_str(), pattern.c_str() + pattern.length() + 1);
    descriptor file(mkostemp(made.data(), O_CLOEXEC));
    if (file.valid())
        name = made.data();
    return file;
}

// The checks run on the open descriptor, so the file cannot be swapped
// between check and write; it is emptied only once it has passed them.
descriptor open_for_writing(const listring& path, mode_t mode)
{
    descriptor file(open(path, O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, mode));
    if (!file.valid())
        return file;
    struct stat info;
    if (fstat(file.get(), &info) != 0)
        return descriptor();
    if (!S_ISREG(info.st_mode) || info.st_uid != geteuid() || info.st_nlink != 1) {
        errno = EEXIST;
        return descriptor();
    }
    int flags = fcntl(file.get(), F_GETFL);
    if (flags == -1 || fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) == -1 ||
        ftruncate(file.get(), 0) != 0)
        return descriptor();
    return file;
}

int create_dir(const listring& path)
{
    listring failed;
    int failed_errno = 0;
    if (make_directories(OI_translate_filename(path), failed, failed_errno) == 0)
        return 0;
    report_system_error(DEF_UNABLE_TO_MKDIR, failed, failed_errno);
    return -1;
}

// rename(2) moves the file itself: atomic, and a link at to is replaced,
// not followed. When it cannot (to is on another file system, mostly), the
// copy reports which side failed and why. The source is removed only after
// its copy is complete and in place.
int unix_rename(const listring& from, const listring& to)
{
    mode_t mode = 0755;
    struct stat from_info;
    if (stat(from, &from_info) == -1) {
        report_system_error(DEF_UNABLE_TO_GET_STAT, from, errno);
    } else if (S_ISDIR(from_info.st_mode)) {
        if (valid_directory(to))
            return 0;
        listring failed;
        int mkdir_errno = 0;
        if (make_directories(OI_translate_filename(to), failed, mkdir_errno) == 0)
            return 0;
        report_system_error(DEF_UNABLE_TO_MKDIR, to, mkdir_errno);
        return mkdir_errno;
    } else {
        mode = from_info.st_mode & 07777;
    }
    if (rename(from, to) == 0)
        return 0;

    descriptor in(open(from, O_RDONLY | O_CLOEXEC));
    if (!in.valid()) {
        int open_errno = errno;
        report_system_error(DEF_CANT_OPEN_FILE, from, open_errno);
        return -1;
    }
    listring prefix(to);
    prefix += ".";
    listring copy;
    descriptor out = create_unique_file(prefix, copy);
    if (!out.valid()) {
        int open_errno = errno;
        report_system_error(DEF_CANT_OPEN_FILE, to, open_errno);
        return -1;
    }
    // A read-only descriptor loses nothing when its close fails.
    int status = copy_into_place(in, out, copy, from, to, mode);
    in.close();
    if (status != 0) {
        // The failure that matters is reported; a copy that will not go
        // only leaves a stray file under a name nobody else uses.
        unlink(copy);
        return -1;
    }
    return unix_unlink(from);
}

int unix_link(const listring& from, const listring& to)
{
    if (link(from, to) == 0)
        return 0;
    int link_errno = errno;
    error(format_message(DEF_LINK_ERROR, from.c_str(), to.c_str(), std::strerror(link_errno)), true);
    return -1;
}

int unix_unlink(const listring& path)
{
    if (unlink(path) == 0)
        return 0;
    report_system_error(DEF_UNLINK_ERROR, path, errno);
    return -1;
}

// A link to a directory is not descended into: the walk stays inside the
// tree and a link cycle cannot make it endless.
int get_files_in_dir(const listring& dir, l_listring& out, const liboolean recurse)
{
    DIR* handle = opendir(dir);
    if (handle == nullptr) {
        report_system_error(DEF_BAD_DIR_OPEN, dir, errno);
        return -1;
    }
    int status = 0;
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(handle);
        if (entry == nullptr) {
            if (errno != 0) {
                report_system_error(DEF_BAD_DIR_OPEN, dir, errno);
                status = -1;
            }
            break;
        }
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        listring path(dir);
        path += '/';
        path += entry->d_name;
        if (valid_file(path, F_OK)) {
            if (out.add(path) != 0) {
                status = -1;
                break;
            }
        } else if (recurse && valid_directory(path) && !is_link(path)) {
            if (get_files_in_dir(path, out, recurse) != 0) {
                status = -1;
                break;
            }
        }
    }
    return close_directory(handle, dir, status);
}

long unix_filesize(const listring& path)
{
    struct stat info;
    if (examine(path, &info) == -1)
        return -1;
    return static_cast<long>(info.st_size);
}

long gmtimestamp(const listring& path)
{
    struct stat info;
    if (examine(path, &info) == -1) {
        report_system_error(DEF_UNABLE_TO_GET_STAT, path, errno);
        return -1;
    }
    return static_cast<long>(info.st_mtime);
}

int unix_mode(const listring& path, unsigned long* mode)
{
    struct stat info;
    if (examine(path, &info) == -1) {
        report_system_error(DEF_UNABLE_TO_GET_STAT, path, errno);
        return -1;
    }
    *mode = info.st_mode;
    return 0;
}

// Computed in 64 bits: today's file systems overflow 32-bit kilobyte sums.
unsigned long unix_free_space(const listring& dir)
{
    struct statvfs info;
    if (statvfs(dir, &info) == -1) {
        int statvfs_errno = errno;
        error(format_message(DEF_FREE_SPACE_STAT_ERROR), true);
        return static_cast<unsigned long>(statvfs_errno);
    }
    return static_cast<unsigned long>(info.f_bavail) * info.f_frsize / 1024;
}

long unix_time()
{
    time_t now = time(nullptr);
    if (now == static_cast<time_t>(-1)) {
        int time_errno = errno;
        error(format_message(DEF_UNABLE_TO_GET_TIME, std::strerror(time_errno)), true);
    }
    return static_cast<long>(now);
}

void current_time(listring& out)
{
    char text[TIME_BUFFER_SIZE] = {};
    time_t now = time(nullptr);
    struct tm local {};
    if (now != static_cast<time_t>(-1) && localtime_r(&now, &local) != nullptr)
        std::strftime(text, sizeof text, TIME_FORMAT_STRING, &local);
    out = text;
}

// ---- Paths and strings ------------------------------------------------------

char* unix_getcwd()
{
    static char cwd_buffer[CWD_BUFFER_SIZE];
    if (getcwd(cwd_buffer, sizeof cwd_buffer) == nullptr)
        cwd_buffer[0] = '\0';
    return cwd_buffer;
}

listring join_directory(const listring& dir, const listring& name)
{
    listring path(dir);
    if (path.is_empty() || path[path.length() - 1] != '/')
        path += "/";
    path += name;
    return path;
}

void expand_directory(listring& path)
{
    path = OI_translate_filename(path);
    if (path.length() > 1 && path[path.length() - 1] == '/') {
        listring trimmed;
        path.substr(0, path.length() - 1, trimmed);
        path = trimmed;
    }
    if (path.is_empty() || path[0u] == '/')
        return;

    listring cwd(unix_getcwd());
    if (cwd.is_empty())
        error(format_message(DEF_GETCWD_ERROR), true);
    listring parent;
    get_path(cwd, parent);

    if (path == CURRENT_DIR_STRING1 || path == CURRENT_DIR_STRING2)
        path = cwd;
    else if (path == UP_DIR_STRING1 || path == UP_DIR_STRING2)
        path = parent;
    else if (starts_with(path, CURRENT_DIR_STRING2))
        path = joined_path(cwd, without_prefix(path, CURRENT_DIR_STRING2.length()));
    else if (starts_with(path, UP_DIR_STRING2))
        path = joined_path(parent, without_prefix(path, UP_DIR_STRING2.length()));
    else
        path = joined_path(cwd, path);
}

void get_path(const listring& path, listring& dir)
{
    const char* text = path.c_str();
    const char* last_slash = std::strrchr(text, '/');
    listring result;
    if (last_slash != nullptr) {
        path.substr(0, static_cast<unsigned>(last_slash - text) + 1, result);
        result.clean();
    }
    dir = result;
}

// Components are taken up to the first one that does not begin with ".", so
// "./opt/x/y" gives "opt" and "../a/b" gives "../a".
void get_toplevel_dir(const listring& path, listring& top)
{
    if (!path.is_empty() && path[0u] == '/') {
        error(format_message(DEF_NON_RELATIVE), true);
        top.empty();
        return;
    }
    if (path.length() <= 2 || std::strchr(path.c_str(), '/') == nullptr) {
        top = path;
        return;
    }
    const char* text = path.c_str();
    listring result;
    unsigned start = 0;
    for (;;) {
        unsigned end = start;
        while (text[end] != '\0' && text[end] != '/')
            ++end;
        listring component;
        path.substr(start, end - start, component);
        if (start > 0)
            result += '/';
        result += component;
        if (component.is_empty() || component[0u] != '.' || text[end] == '\0')
            break;
        start = end + 1;
    }
    result.clean();
    if (result.length() > 2 && starts_with(result, CURRENT_DIR_STRING2) &&
        !starts_with(result, UP_DIR_STRING1))
        result.rest_of_string(static_cast<int>(CURRENT_DIR_STRING2.length()));
    top = result;
}

liboolean valid_flag(const listring& s)
{
    case_insensitive_section ignore_case;
    listring flag(s);
    flag.clean();
    if (flag == TRUE_STRING || flag == FALSE_STRING)
        return true;
    return !flag.is_empty() && VALID_FLAGS.find(flag[0u]) >= 0;
}

liboolean string_to_boolean(const listring& s)
{
    if (!valid_flag(s)) {
        error(format_message(DEF_BAD_FLAG_STRING, s.c_str()), true);
        return false;
    }
    case_insensitive_section ignore_case;
    listring flag(s);
    flag.clean();
    return TRUE_FLAGS.find(flag[0u]) >= 0;
}

liboolean valid_integer(const listring& s)
{
    liboolean consumed = false;
    int value = parse_integer(s, &consumed);
    return value != 0 || consumed;
}

liboolean integer_in_range(const listring& s, int* value)
{
    liboolean consumed = false;
    liboolean fits = false;
    int parsed = parse_integer(s, &consumed, &fits);
    if (!consumed || !fits)
        return false;
    *value = parsed;
    return true;
}

int string_to_integer(const listring& s)
{
    liboolean consumed = false;
    int value = parse_integer(s, &consumed);
    if (value == 0 && !consumed)
        error(format_message(DEF_BAD_INT_STRING, s.c_str()), true);
    return value;
}

// ---- Installed products -----------------------------------------------------

int get_prod_ids_from_files(const listring& dir, l_listring& ids, const listring& extension)
{
    ids.empty();
    DIR* handle = opendir(dir);
    if (handle == nullptr)
        return -1;
    const unsigned data_file_length = PRODUCT_CODE_LENGTH + PRODUCT_FILE_EXTENSION.length();
    const unsigned notes_file_length =
        PRODUCT_CODE_LENGTH + RNOTES_SUFFIX.length() + HELP_EXTENSION.length();
    int status = 0;
    while (const dirent* entry = readdir(handle)) {
        listring name(entry->d_name);
        if (name[0u] == '.')
            name.rest_of_string(1);
        if (!ends_with(name, extension))
            continue;
        listring suffix;
        name.substr(PRODUCT_CODE_LENGTH, RNOTES_SUFFIX.length(), suffix);
        if (name.length() != data_file_length &&
            (name.length() != notes_file_length || suffix != RNOTES_SUFFIX))
            continue;
        listring code;
        name.substr(0, PRODUCT_CODE_LENGTH, code);
        if (ids.add(code) != 0) {
            status = -1;
            break;
        }
    }
    return close_directory(handle, dir, status);
}

// Only products beyond those configured can be unknown ones, so the data
// files are read only when there are more of them.
liboolean installed_prod_noconf(const l_listring* configured, const listring& target)
{
    l_listring codes;
    get_prod_ids_from_files(TARNU_DIR, codes, DATA_LOG_EXTENSION);
    unsigned configured_count = configured == nullptr ? 0 : configured->entries();
    liboolean found = false;
    if (codes.entries() > configured_count) {
        found = target == TARNU_DIR;
        for (unsigned i = 0; !found && i < codes.entries(); ++i) {
            const listring& code = *codes.elem(i);
            liboolean known = false;
            for (unsigned j = 0; !known && j < configured_count; ++j)
                known = *configured->elem(j) == code;
            if (known)
                continue;
            listring data_file(TARNU_DIR);
            data_file += "/.";
            data_file += code;
            data_file += DATA_LOG_EXTENSION;
            listring installed_target;
            found = get_installed_target(data_file, &installed_target) == 0 &&
                    installed_target == target;
        }
    }
    codes.delete_all();
    return found;
}

int get_installed_target(const listring& data_file, listring* target)
{
    listream data(data_file, std::ios::in);
    if (!data.is_open()) {
        int open_errno = errno;
        report_system_error(DEF_CANT_OPEN_FILE, data_file, open_errno);
        return -1;
    }
    data.set_delimiters(PROD_DATA_FILE_DELIMITERS);
    case_insensitive_section ignore_case;
    liboolean next_is_target = false;
    listring word;
    do {
        data.word(&word);
        word.clean();
        if (next_is_target) {
            *target = word;
            next_is_target = false;
        } else if (word == TARGET_STRING) {
            next_is_target = true;
        }
    } while (data.good());
    return refuse_nul_line(data, data_file);
}

// ---- Environment ------------------------------------------------------------

const char* unix_getenv(const listring& name)
{
    return std::getenv(name);
}

int unix_setenv(const listring& name, const listring& value)
{
    return setenv(name, value, 1) == 0 ? 0 : -1;
}

listring architecture()
{
    const char* value = unix_getenv(ARCH_VAR);
    return listring(value == nullptr ? "" : value);
}

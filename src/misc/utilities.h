// The installer's thin layer over the operating system: child processes, the
// tape check, files and directories, paths, times, flag and integer strings
// and the queries on installed products. Every operation that can fail shows
// its own message with the system's error text and returns a status.
#ifndef KITSETUP_MISC_UTILITIES_H
#define KITSETUP_MISC_UTILITIES_H

#include <csignal>
#include <cstdio>
#include <sys/stat.h>
#include <sys/types.h>

#include "lib/descriptor.h"
#include "lib/l_listring.h"
#include "lib/listring.h"

// A running child: it leads its own process group; out and err are the read
// ends of its standard output and standard error pipes, both non-blocking.
// Allocated by unix_proc_open, owned (and deleted) by the caller.
struct proc_desc_t {
    pid_t pid;
    FILE* out;
    FILE* err;
};

// Set by the SIGCHLD handler: a child has ended since the flag was cleared.
extern volatile sig_atomic_t child_died_g;
// Set when a child is started; cleared when a reaped child ended with a
// non-zero exit code or the reaping failed.
extern volatile sig_atomic_t child_succeeded_g;

// The command names a command template may use; filled on first use of
// valid_cmd and kept for the run.
extern l_listring VALID_CMDS;

// ---- Processes --------------------------------------------------------------

// Runs command through "/bin/sh -c" as the leader of a new process group,
// with standard input closed and both outputs on non-blocking pipes. Clears
// child_died_g and sets child_succeeded_g. Null after a message on failure.
proc_desc_t* unix_proc_open(const listring& command);
// In a child about to exec: every descriptor above the standard three is
// marked close-on-exec, so the program run inherits none of ours.
void close_on_exec_above_stderr();

// The SIGCHLD handler: reaps every ended child; for one started here
// (unix_proc_open, the tape check) it sets child_died_g, keeps the wait
// status for watched_child_ended and clears child_succeeded_g when the exit
// code was not 0. Other children (the help viewer) change no flag.
void get_child_status(int signal_number);

// Whether the child pid started here has ended: 1 with its wait status in
// *wait_status, 0 while it runs, -1 when it is gone and its status unknown
// (another wait reaped it). Reaps it itself when the handler has not yet.
int watched_child_ended(pid_t pid, int* wait_status);

// Sends SIGHUP to the process group led by pid. 0; -1 silently when the group
// is gone, -1 after a message for any other failure.
int unix_kill(long pid);

// Stores in count the number of bytes waiting in the pipe fd: 0, or -1 when
// the query fails.
int unix_chars_in_buffer(int fd, int* count);
int unix_read(int fd, char* buf, unsigned n);
int unix_close(int fd);

// True when a line from a command's standard error is a harmless report: a
// cpio block count, dd record counts (with GNU dd's byte count) or a tar
// link report.
liboolean valid_stderr(const listring& line);

// True when name is one of VALID_CMDS, compared exactly.
liboolean valid_cmd(const listring& name);

// Reads one line of an extraction listing into the file name and its size in
// bytes (-1 when unknown). command "cpio" takes the first word; anything else
// expects tar's "x name, size bytes" form. False when the line names no file.
liboolean extract_file_info(const listring& line, listring& name, int* size,
                            const listring& command);

// ---- Tape -------------------------------------------------------------------

// True when device is a non-rewinding tape device holding an installation
// tape (its second file begins with TAPE_LABEL1). Shows the reason otherwise.
liboolean is_nonrewind(const listring& device);

// ---- Files and directories --------------------------------------------------

// path exists and is a directory (links followed).
liboolean valid_directory(const listring& path);
// access(path, mode) succeeds and path is not a directory.
liboolean valid_file(const listring& path, int mode);
// path itself is a symbolic link.
liboolean is_link(const listring& path);
// True when path reads back unchanged from a product's data file, whose
// entries end at ":" and ";": neither of those, no control character, no
// blank at either end or two in a row.
liboolean recordable_path(const listring& path);
// True when a file can be created in dir (tried under a name nobody can
// foresee, then removed).
liboolean write_access(const listring& dir);

// Creates a new file named prefix plus six random characters, mode 0600,
// close-on-exec; nothing already there (a link included) is opened. The
// descriptor, with the name made in name; invalid with errno set on failure.
descriptor create_unique_file(const listring& prefix, listring& name);

// Opens path to be written from its start, created with mode when missing.
// A link there is not followed and nothing but a plain file of this user's
// with no other name is written into (errno ELOOP or EEXIST); a FIFO cannot
// hold the program up. Invalid with errno set on failure.
descriptor open_for_writing(const listring& path, mode_t mode);

// Creates path and every missing directory above it, mode 0755, after
// expanding environment references: 0, or -1 after a message.
int create_dir(const listring& path);

// Moves from to to; across file systems by copying into a new file beside
// to, renamed into place, so a link at to is replaced and never written
// through. to keeps the mode of from. A directory only makes to exist. 0, -1
// after a message, or the system error number when to cannot be made.
int unix_rename(const listring& from, const listring& to);

int unix_link(const listring& from, const listring& to);
int unix_unlink(const listring& path);

// Appends dir/name of every non-directory entry of dir to out, descending into
// subdirectories when recurse is true: 0, or -1 after a message.
int get_files_in_dir(const listring& dir, l_listring& out, const liboolean recurse);

// stat for an existing path, lstat for anything else (a dangling link is
// examined itself): 0, or -1 with errno set. Reports nothing.
int examine(const listring& path, struct stat* info);
// Size in bytes, or -1. A dangling link is examined itself.
long unix_filesize(const listring& path);
// Modification time in seconds since the epoch, or -1 after a message.
long gmtimestamp(const listring& path);
// Stores the mode bits in mode: 0, or -1 after a message.
int unix_mode(const listring& path, unsigned long* mode);
// Kilobytes free to unprivileged users on dir's file system; the system error
// number after a message when that cannot be found.
unsigned long unix_free_space(const listring& dir);

// Seconds since the epoch, or -1 after a message.
long unix_time();
// out = the local time in TIME_FORMAT_STRING form.
void current_time(listring& out);

// ---- Paths and strings ------------------------------------------------------

// The current directory in a buffer reused for the run; empty on failure.
char* unix_getcwd();


// Directory dir joined with name, with one "/" between them.
listring join_directory(const listring& dir, const listring& name);

// Makes path absolute: environment references expanded, a trailing "/"
// removed, a relative path resolved against the current directory.
void expand_directory(listring& path);

// dir = path up to and including its last "/", or empty when it has none.
void get_path(const listring& path, listring& dir);

// top = the top-level directory of an archive member ("lib" for
// "./lib/x.so"); an absolute path is refused with a message and gives "".
void get_toplevel_dir(const listring& path, listring& top);

// Flags and integers are read from a cleaned copy, ignoring case.
liboolean valid_flag(const listring& s);
// The flag's value; anything that is not a flag gives a message and false.
liboolean string_to_boolean(const listring& s);
liboolean valid_integer(const listring& s);
// The leading decimal integer; a string without one gives a message and 0.
int string_to_integer(const listring& s);
// *value = the leading decimal integer of s when it has one that an int
// holds: true, without a message; false otherwise, *value untouched.
liboolean integer_in_range(const listring& s, int* value);

// ---- Installed products -----------------------------------------------------

// Replaces ids with the product codes named by the entries of dir that end in
// extension (data files, or release-notes files "<code>rel<ext>"). -1 when
// dir cannot be opened (silently) or closed (with a message), else 0.
int get_prod_ids_from_files(const listring& dir, l_listring& ids, const listring& extension);

// True when a product that configured does not list is installed in target.
liboolean installed_prod_noconf(const l_listring* configured, const listring& target);

// Sets target from the "Target" entry of an installed-product data file (the
// last one wins): 0, or -1 after a message when the file cannot be opened.
int get_installed_target(const listring& data_file, listring* target);

// ---- Environment ------------------------------------------------------------

// The value of the environment variable name, or null when it is unset.
const char* unix_getenv(const listring& name);
// Sets the environment variable name to value for this process and its
// children: 0, or -1 with errno set (ENOMEM, or EINVAL for a bad name).
// Reports nothing; the caller knows what the variable was for.
int unix_setenv(const listring& name, const listring& value);
// The value of KARCH, the machine architecture that names the binary and
// catalogue subdirectories; empty when it is unset.
listring architecture();

#endif

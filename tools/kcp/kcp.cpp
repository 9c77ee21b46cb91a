// kcp: the copy utility the installer runs for CD-ROM and distribution-server
// media. Copies the files a map file lists from a source directory into a
// target directory and prints "x NAME, SIZE bytes" for each, the verbose form
// the installer reads for its gauge and its file-set log.
//
//   kcp [-i] -M map -S source -T target
//
// A map line is "NAME-ON-MEDIUM<TAB>INSTALLED-NAME" (kcp_map.h). A
// CD-ROM holds each file under its name on the medium; a distribution server,
// which an installation filled, holds it under its installed name, so -i
// ignores the first name. The format is in docs/product-files.md.
#include "kcp_map.h"
#include "lib/descriptor.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct arguments {
    bool installed_names_on_source = false;  // -i
    std::string map;
    std::string source;
    std::string target;
};

// Opens directory name inside parent, making it when it is missing. A
// symbolic link there is refused rather than followed: whatever it points
// to, writing through it could land outside the target. shown is the path
// for messages.
descriptor open_subdirectory(int parent, const std::string& name, const std::string& shown)
{
    const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    descriptor fd(openat(parent, name.c_str(), flags));
    if (!fd.valid() && errno == ENOENT) {
        if (mkdirat(parent, name.c_str(), 0777) != 0 && errno != EEXIST) {
            complain("cannot make directory " + shown, errno);
            return fd;
        }
        fd.reset(openat(parent, name.c_str(), flags));
    }
    if (!fd.valid()) {
        int saved = errno;
        struct stat status {};
        if (fstatat(parent, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(status.st_mode))
            complain(shown + " is a symbolic link; kcp does not write through links");
        else
            complain("cannot open directory " + shown, saved);
    }
    return fd;
}

// The directory that will hold installed_name, made as needed below the
// target, and in base the file's own name. Invalid after a message.
descriptor open_parent(const arguments& args, int target, const std::string& installed_name,
                       std::string& base)
{
    descriptor dir(fcntl(target, F_DUPFD_CLOEXEC, 0));
    if (!dir.valid()) {
        complain("cannot use target directory " + args.target, errno);
        return dir;
    }
    std::string shown = args.target;
    size_t start = 0;
    size_t slash;
    while ((slash = installed_name.find('/', start)) != std::string::npos) {
        std::string component = installed_name.substr(start, slash - start);
        shown += "/" + component;
        dir = open_subdirectory(dir.get(), component, shown);
        if (!dir.valid())
            return dir;
        start = slash + 1;
    }
    base = installed_name.substr(start);
    return dir;
}

// The directory of the last file copied, kept open: a map lists the files
// of a directory together, and opening each path anew cost more system
// calls than the copy of a small file. The descriptor stays the directory
// that was checked when it was opened, whatever happens to its path.
struct parent_directory {
    std::string path;  // as in the map, up to the last slash
    descriptor dir;
};

// The directory of installed_name, from the cache when it holds it, and in
// base the file's own name. Invalid after a message.
int cached_parent(const arguments& args, int target, const std::string& installed_name,
                  std::string& base, parent_directory& cache)
{
    size_t slash = installed_name.rfind('/');
    size_t length = slash == std::string::npos ? 0 : slash;
    if (cache.dir.valid() && installed_name.compare(0, length, cache.path) == 0 && cache.path.size() == length) {
        base = installed_name.substr(slash == std::string::npos ? 0 : slash + 1);
        return cache.dir.get();
    }
    cache.path.assign(installed_name, 0, length);
    cache.dir = open_parent(args, target, installed_name, base);
    return cache.dir.get();
}

// Copies everything readable from `from` to `to`; adds the byte count to
// copied. False with errno set on failure; *reading tells which side failed.
bool copy_data(int from, const descriptor& to, long long& copied, bool* reading)
{
    // The kernel copies without bringing the data through this process; when
    // it cannot, or fails, the loop below goes on from where it stopped and
    // tells which side failed. Some file systems answer a first call with 0
    // for a file that is not empty: the read below then finds out.
    for (;;) {
        ssize_t moved = copy_file_range(from, nullptr, to.get(), nullptr, 1 << 30, 0);
        if (moved < 0 && errno == EINTR)
            continue;
        if (moved == 0 && copied == 0)
            break;
        if (moved == 0)
            return true;
        if (moved < 0)
            break;
        copied += moved;
    }
    std::vector<char> buffer(1 << 16);
    for (;;) {
        ssize_t got = read(from, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        *reading = true;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        *reading = false;
        if (!to.write_all(buffer.data(), static_cast<size_t>(got)))
            return false;
        copied += got;
    }
}

// The copy being written, for a hangup or termination to remove: the
// installer ends a failing or stopped copy that way, and a half-written
// file that no record names must not stay in the target.
volatile sig_atomic_t temporary_live = 0;
int temporary_dir = -1;
char temporary_name[NAME_MAX + 1];

void remove_temporary(int signal_number)
{
    if (temporary_live)
        unlinkat(temporary_dir, temporary_name, 0);
    signal(signal_number, SIG_DFL);
    raise(signal_number);
}

// Opens name in dir as a new file for writing (never an existing one, nor
// through a link) and makes it the file a hangup removes.
descriptor create_new(int dir, const std::string& name)
{
    descriptor fd;
    if (name.size() >= sizeof temporary_name) {
        errno = ENAMETOOLONG;
        return fd;
    }
    fd.reset(openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (fd.valid()) {
        std::snprintf(temporary_name, sizeof temporary_name, "%s", name.c_str());
        temporary_dir = dir;
        temporary_live = 1;
    }
    return fd;
}

// A new file in dir under a name no other file has, open for writing; its
// name goes to temp_name. A name is never reused, so nothing existing is
// opened or truncated.
descriptor create_temporary(int dir, std::string& temp_name)
{
    static const std::string prefix = ".kcp" + std::to_string(getpid()) + ".";
    static unsigned counter = 0;
    descriptor fd;
    do {
        temp_name = prefix + std::to_string(counter++);
        fd = create_new(dir, temp_name);
    } while (!fd.valid() && errno == EEXIST);
    return fd;
}

// Copies the open regular file `from` (status in `status`) into dir under
// base, given the source's mode and times. Where nothing is called base yet
// (a first installation) the file is made there at once; otherwise it is
// written under a temporary name and renamed over base, so an existing link
// there is replaced, not followed, and a failed copy leaves the old file.
// Either way a failed copy removes what it wrote. Returns the size copied,
// or -1 after a message.
long long install_file(int from, const struct stat& status, int dir, const std::string& base,
                       const std::string& source_path, const std::string& target_path)
{
    std::string temp_name;
    descriptor to = create_new(dir, base);
    bool in_place = to.valid();
    if (!in_place && errno == EEXIST)
        to = create_temporary(dir, temp_name);
    if (!to.valid()) {
        complain("cannot write " + target_path, errno);
        return -1;
    }
    const std::string& written_name = in_place ? base : temp_name;
    long long copied = 0;
    bool reading = false;
    const struct timespec times[2] = {status.st_atim, status.st_mtim};
    bool done = copy_data(from, to, copied, &reading);
    bool read_failed = !done && reading;
    done = done && fchmod(to.get(), status.st_mode & 07777) == 0 && futimens(to.get(), times) == 0 &&
           to.close() && (in_place || renameat(dir, temp_name.c_str(), dir, base.c_str()) == 0);
    int failed_errno = errno;
    if (!done)
        unlinkat(dir, written_name.c_str(), 0);
    temporary_live = 0;
    if (done)
        return copied;
    // The message comes last: the installer ends the copy as it reads it.
    complain(read_failed ? "cannot read " + source_path : "cannot write " + target_path, failed_errno);
    return -1;
}

// Copies one map entry and prints its line. False after a message.
bool copy_entry(const arguments& args, int target, const map_entry& entry, parent_directory& parent)
{
    const std::string& source_name =
        args.installed_names_on_source ? entry.installed_name : entry.medium_name;
    std::string source_path = args.source + "/" + source_name;
    std::string target_path = args.target + "/" + entry.installed_name;
    // Non-blocking, so that a FIFO on the source is refused below instead
    // of waiting for a writer; reads of a regular file ignore the flag.
    descriptor from(open(source_path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat status {};
    if (!from.valid() || fstat(from.get(), &status) != 0)
        return complain("cannot read " + source_path, errno);
    if (!S_ISREG(status.st_mode))
        return complain(source_path + " is not a regular file");
    std::string base;
    int dir = cached_parent(args, target, entry.installed_name, base, parent);
    if (dir < 0)
        return false;
    long long size = install_file(from.get(), status, dir, base, source_path, target_path);
    if (size < 0)
        return false;
    if (std::printf("x %s, %lld bytes\n", entry.installed_name.c_str(), size) < 0)
        return complain("cannot write the listing", errno);
    return true;
}

// Reads the options into args: false, after the usage text, when they are
// not exactly one of each of -M, -S and -T, and an optional -i.
bool parse_arguments(int argc, char** argv, arguments& args)
{
    int option;
    bool good = true;
    while ((option = getopt(argc, argv, "iM:S:T:")) != -1) {
        switch (option) {
        case 'i': args.installed_names_on_source = true; break;
        case 'M': args.map = optarg; break;
        case 'S': args.source = optarg; break;
        case 'T': args.target = optarg; break;
        default: good = false; break;
        }
    }
    if (!good || optind != argc || args.map.empty() || args.source.empty() || args.target.empty()) {
        std::fprintf(stderr, "usage: kcp [-i] -M map -S source -T target\n");
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    arguments args;
    if (!parse_arguments(argc, argv, args))
        return 2;
    for (int signal_number : {SIGHUP, SIGINT, SIGTERM})
        signal(signal_number, remove_temporary);
    // The installer follows the copy line by line while it runs.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::vector<map_entry> entries;
    if (!read_map(args.map, entries))
        return 1;
    descriptor target(open(args.target.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!target.valid()) {
        complain("cannot use target directory " + args.target, errno);
        return 1;
    }
    parent_directory parent;
    for (const map_entry& entry : entries) {
        if (!copy_entry(args, target.get(), entry, parent))
            return 1;
    }
    if (std::fflush(stdout) != 0) {
        complain("cannot write the listing", errno);
        return 1;
    }
    return 0;
}

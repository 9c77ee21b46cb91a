#include "prod/installed_check.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "lib/msgs.h"
#include "lib/reporter.h"
#include "misc/lidefs.h"
#include "misc/utilities.h"
#include "prod/product.h"

namespace {

const char* const INSTALLER_DIR = "install";

// path without leading "./" components, as a walk below the target names it.
std::string walked_name(const listring& path)
{
    std::string name(path.c_str());
    while (name.compare(0, 2, "./") == 0)
        name.erase(0, name.find_first_not_of('/', 2));
    return name;
}

struct directory_closer {
    void operator()(DIR* handle) const { closedir(handle); }
};

}  // namespace

installed_check::status installed_check::run(std::FILE* out)
{
    if (!product_.was_installed()) {
        error(format_message(DEF_NO_RECORD_OF_INSTALL, product_.description().c_str()), true);
        return NO_RECORDS;
    }
    if (!records_are_files() || product_.read_installed_record() != 0)
        return NO_RECORDS;
    if (product_.node_installation()) {
        information(format_message(DEF_VERIFY_NODE_INSTALLATION, product_.description().c_str()), true);
        return MATCHES;
    }
    if (product_.open_fileset() != 0)
        return NO_RECORDS;
    real_target_ = real_path(product_.target());
    std::string line;
    while (product_.read_fileset_line(line))
        check_line(line, out);
    product_.close_fileset();
    if (entries_ == 0 && bad_records_ == 0) {
        error(format_message(DEF_VERIFY_EMPTY_FILESET, product_.fileset_path().c_str()), true);
        ++bad_records_;
    }

    std::vector<std::string> extra;
    find_extra_files(extra);
    std::sort(extra.begin(), extra.end());
    for (const std::string& name : extra)
        std::fprintf(out, "extra %s\n", name.c_str());
    std::fprintf(out, "%u files checked: %u missing, %u changed, %u mode, %zu extra, %u not checked\n", entries_,
                 missing_, changed_, mode_, extra.size(), unchecked_ + bad_records_);
    std::fflush(out);
    if (bad_records_ != 0)
        return NO_RECORDS;
    return missing_ + changed_ + mode_ + unchecked_ + extra.size() == 0 ? MATCHES : DIFFERS;
}

bool installed_check::records_are_files()
{
    for (const listring* record : {&product_.data_path(), &product_.fileset_path()}) {
        struct stat info;
        if (lstat(record->c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
            error(format_message(DEF_VERIFY_RECORD_NOT_FILE, record->c_str()), true);
            return false;
        }
    }
    return true;
}

// A line the removal would not take is reported and counts as an unread
// record; blank lines are skipped as the removal skips them.
void installed_check::check_line(const std::string& line, std::FILE* out)
{
    if (line.empty() || line == "\r")
        return;
    listring path;
    long stamp = 0;
    unsigned long mode = 0;
    int number = product_.fileset_line();
    const char* log = product_.fileset_path().c_str();
    if (!parse_fileset_line(line, path, stamp, &mode)) {
        error(format_message(DEF_BAD_FILESET_ENTRY, number, log), true);
        ++bad_records_;
        return;
    }
    if (leaves_its_directory(path)) {
        error(format_message(DEF_FILESET_PATH_OUTSIDE, number, log, path.c_str()), true);
        ++bad_records_;
        return;
    }
    listring top;
    get_toplevel_dir(path, top);
    if (top == INSTALLER_DIR)
        return;
    ++entries_;
    recorded_.insert(walked_name(path));
    std::string top_name = walked_name(top);
    if (!top_name.empty() && top_name != "." &&
        std::find(top_dirs_.begin(), top_dirs_.end(), top_name) == top_dirs_.end())
        top_dirs_.push_back(top_name);
    listring full = join_directory(product_.target(), path);
    if (!parent_inside(real_target_, full, checked_directory_)) {
        error(format_message(DEF_FILESET_PATH_OUTSIDE, number, log, path.c_str()), true);
        ++unchecked_;
        return;
    }
    check_file(path, full, stamp, mode, out);
}

// "changed" is what the removal calls changed: another modification time.
// A directory's time moves with what is added to it, so only its mode is
// compared; another kind of file in the recorded one's place is changed.
void installed_check::check_file(const listring& path, const listring& full, long stamp, unsigned long mode,
                                 std::FILE* out)
{
    struct stat info;
    errno = 0;
    if (!examine(full, info)) {
        if (errno == ENOENT || errno == ENOTDIR) {
            std::fprintf(out, "missing %s\n", path.c_str());
            ++missing_;
        } else {
            ++unchecked_;
        }
        return;
    }
    unsigned long recorded_kind = mode & S_IFMT;
    if (recorded_kind != 0 && recorded_kind != (info.st_mode & S_IFMT)) {
        std::fprintf(out, "changed %s\n", path.c_str());
        ++changed_;
        return;
    }
    if (!S_ISDIR(info.st_mode) && static_cast<long>(info.st_mtime) != stamp) {
        std::fprintf(out, "changed %s\n", path.c_str());
        ++changed_;
    }
    unsigned long permissions = info.st_mode & 07777;
    if ((mode & 07777) != permissions) {
        std::fprintf(out, "mode %s %04lo %04lo\n", path.c_str(), mode & 07777, permissions);
        ++mode_;
    }
}

// The installation recorded what a link leads to (or the link itself when
// it leads nowhere); a link is followed only when it stays in the target.
bool installed_check::examine(const listring& full, struct stat& info)
{
    if (lstat(full.c_str(), &info) != 0) {
        int lstat_errno = errno;
        if (lstat_errno != ENOENT && lstat_errno != ENOTDIR)
            error(format_message(DEF_UNABLE_TO_GET_STAT, full.c_str(), std::strerror(lstat_errno)), true);
        errno = lstat_errno;
        return false;
    }
    if (!S_ISLNK(info.st_mode))
        return true;
    std::string resolved = real_path(full);
    if (resolved.empty())
        return true;
    if (!resolves_inside(real_target_, resolved)) {
        error(format_message(DEF_VERIFY_LINK_OUTSIDE, full.c_str(), product_.target().c_str()), true);
        errno = 0;
        return false;
    }
    if (stat(full.c_str(), &info) != 0) {
        int stat_errno = errno;
        error(format_message(DEF_UNABLE_TO_GET_STAT, full.c_str(), std::strerror(stat_errno)), true);
        errno = stat_errno == ENOENT ? 0 : stat_errno;
        return false;
    }
    return true;
}

void installed_check::find_extra_files(std::vector<std::string>& extra)
{
    for (const std::string& top : top_dirs_) {
        listring dir = join_directory(product_.target(), top.c_str());
        walk(AT_FDCWD, dir.c_str(), top, extra);
    }
}

// The removal's directory listing follows links to tell files from
// directories; this walk looks at links, never through them: each
// directory is opened from its parent without following a link, so one
// put in its place meanwhile is refused too.
void installed_check::walk(int parent, const char* name, const std::string& relative,
                           std::vector<std::string>& extra)
{
    int fd = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        int open_errno = errno;
        // A missing directory's files are reported missing already; a link
        // or a file in a directory's place is not walked.
        if (open_errno != ENOENT && open_errno != ENOTDIR && open_errno != ELOOP) {
            error(format_message(DEF_BAD_DIR_OPEN, relative.c_str(), std::strerror(open_errno)), true);
            ++unchecked_;
        }
        return;
    }
    std::unique_ptr<DIR, directory_closer> handle(fdopendir(fd));
    if (handle == nullptr) {
        int fdopendir_errno = errno;
        close(fd);
        error(format_message(DEF_BAD_DIR_OPEN, relative.c_str(), std::strerror(fdopendir_errno)), true);
        ++unchecked_;
        return;
    }
    std::vector<std::string> subdirectories;
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(handle.get());
        if (entry == nullptr) {
            if (errno != 0) {
                int readdir_errno = errno;
                error(format_message(DEF_BAD_DIR_OPEN, relative.c_str(), std::strerror(readdir_errno)), true);
                ++unchecked_;
            }
            break;
        }
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        struct stat info;
        if (fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISDIR(info.st_mode))
            subdirectories.push_back(entry->d_name);
        else if (recorded_.count(relative + "/" + entry->d_name) == 0)
            extra.push_back(relative + "/" + entry->d_name);
    }
    for (const std::string& subdirectory : subdirectories)
        walk(fd, subdirectory.c_str(), relative + "/" + subdirectory, extra);
}

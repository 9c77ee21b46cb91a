// The defaults file on disk: where it is (system or user copy), reading it
// whole, and replacing its contents so that no failure can damage it.
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "lib/descriptor.h"
#include "xp/xp.h"
#include "xp/xp_internal.h"

namespace {

const char* const DEFAULTS_NAME = "Xpdefaults";
const char* const SYSTEM_DIR = "/usr/lib/Xp";
const char* const PATH_VARIABLE = "XPPATH";
const char* const TEMP_PREFIX = "XpProfile";
// Paths longer than the library's path buffers hold (1024 characters) are refused.
const size_t PATH_LIMIT = 1024;
const size_t COPY_BLOCK = 4096;

XpDefaults_t remembered_type = XP_SYSTEM_DEFAULTS;

// A new file made by mkostemp from pattern (never through a link, closed on
// exec), removed when the object goes unless kept (after it was renamed into
// place) or removed earlier.
class temp_file {
public:
    explicit temp_file(std::string pattern)
        : path_(std::move(pattern)), fd_(mkostemp(path_.data(), O_CLOEXEC | O_NOFOLLOW)), gone_(!fd_.valid())
    {
    }
    ~temp_file() { remove(); }
    temp_file(const temp_file&) = delete;
    temp_file& operator=(const temp_file&) = delete;
    bool made() const { return fd_.valid(); }
    int fd() const { return fd_.get(); }
    const std::string& path() const { return path_; }
    bool close() { return fd_.close(); }
    void keep() { gone_ = true; }
    // Closes and unlinks the file; false when the unlink failed.
    bool remove()
    {
        if (fd_.valid())
            fd_.close();
        if (gone_)
            return true;
        gone_ = true;
        return unlink(path_.c_str()) == 0;
    }

private:
    std::string path_;
    descriptor fd_;
    bool gone_;
};

// Writes size bytes of data at offset (or at the file position when offset
// is -1), going on after interruptions; false on any failure.
bool write_all(int fd, const char* data, size_t size, off_t offset = -1)
{
    while (size > 0) {
        ssize_t written = offset < 0 ? write(fd, data, size) : pwrite(fd, data, size, offset);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<size_t>(written);
        if (offset >= 0)
            offset += written;
    }
    return true;
}

// Reads up to size bytes, going on after interruptions; -1 on failure.
ssize_t read_some(int fd, char* buffer, size_t size)
{
    ssize_t got;
    do
        got = read(fd, buffer, size);
    while (got < 0 && errno == EINTR);
    return got;
}

// Puts contents at the start of fd and cuts the file to its length, then
// flushes: the file never passes through an empty state.
bool overwrite(int fd, const std::string& contents)
{
    return write_all(fd, contents.data(), contents.size(), 0) &&
           ftruncate(fd, static_cast<off_t>(contents.size())) == 0 && fsync(fd) == 0;
}

enum class rename_outcome { replaced, failed, not_possible };

// Writes contents, flushed, to a new file beside target with its owner and
// mode, and renames it over target in one step. not_possible when the
// directory takes no new file or the owner cannot be kept; failed: untouched.
rename_outcome replace_by_rename(const std::string& target, const struct stat& original,
                                 const std::string& contents)
{
    size_t slash = target.rfind('/');
    std::string directory = slash == std::string::npos ? "." : target.substr(0, slash);
    temp_file temp(directory + "/" + TEMP_PREFIX + "XXXXXX");
    if (!temp.made())
        return rename_outcome::not_possible;
    struct stat made;
    if (fstat(temp.fd(), &made) != 0)
        return rename_outcome::failed;
    if ((made.st_uid != original.st_uid || made.st_gid != original.st_gid) &&
        fchown(temp.fd(), original.st_uid, original.st_gid) != 0)
        return rename_outcome::not_possible;
    if (fchmod(temp.fd(), original.st_mode & 07777) != 0 ||
        !write_all(temp.fd(), contents.data(), contents.size()) || fsync(temp.fd()) != 0 ||
        !temp.close() || rename(temp.path().c_str(), target.c_str()) != 0)
        return rename_outcome::failed;
    temp.keep();
    return rename_outcome::replaced;
}

// For a file that cannot be renamed over: the new contents are written over
// the file in place; if that fails part way the old contents go back, so it
// is never left short or mixed.
bool replace_in_place(int target, const std::string& old_contents, const std::string& contents)
{
    if (overwrite(target, contents))
        return true;
    // Best effort: the report of the failure follows either way.
    overwrite(target, old_contents);
    return false;
}

// The system defaults file: under XPPATH when that one is readable, else the
// fixed system directory.
std::string system_file()
{
    const char* directory = std::getenv(PATH_VARIABLE);
    if (directory != nullptr && *directory != '\0') {
        std::string path = std::string(directory) + "/" + DEFAULTS_NAME;
        if (path.size() <= PATH_LIMIT && access(path.c_str(), R_OK) == 0)
            return path;
    }
    return std::string(SYSTEM_DIR) + "/" + DEFAULTS_NAME;
}

// $HOME, or the home directory of the real user in the password file, or "".
std::string home_directory()
{
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0')
        return home;
    const struct passwd* user = getpwuid(getuid());
    return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "";
}

// Makes user (which must not exist yet: an existing file is never
// truncated) a copy of system. Reports and removes a partial copy on
// failure, so that a broken copy is not taken for the user's file later.
bool copy_system_file(const std::string& system, const std::string& user)
{
    const char* function = "XpGetDefaultsFile";
    descriptor from(open(system.c_str(), O_RDONLY | O_CLOEXEC));
    if (!from.valid()) {
        XpError(eOpenFile, function, system.c_str());
        return false;
    }
    descriptor to(open(user.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (!to.valid()) {
        XpError(eWriteFile, function, user.c_str());
        return false;
    }
    char block[COPY_BLOCK];
    ssize_t got;
    while ((got = read_some(from.get(), block, sizeof block)) > 0)
        if (!write_all(to.get(), block, static_cast<size_t>(got)))
            break;
    bool read_failed = got < 0;
    bool written = got == 0 && fsync(to.get()) == 0 && to.close();
    if (written)
        return true;
    unlink(user.c_str());
    XpError(read_failed ? eOpenFile : eWriteFile, function, read_failed ? system.c_str() : user.c_str());
    return false;
}

// A malloc'd copy of path for the caller; running out of memory ends the
// program.
char* allocated_path(const std::string& path)
{
    char* copy = strdup(path.c_str());
    if (copy == nullptr)
        xp_internal::out_of_memory("XpGetDefaultsFile", -1);
    return copy;
}

}  // namespace

char* XpGetDefaultsFile(XpDefaults_t type)
{
    const char* function = "XpGetDefaultsFile";
    remembered_type = type;
    std::string system = system_file();
    if (type != XP_USER_DEFAULTS) {
        if (access(system.c_str(), R_OK) != 0) {
            XpError(eOpenFile, function, system.c_str());
            return nullptr;
        }
        return allocated_path(system);
    }
    std::string home = home_directory();
    std::string user = home + "/." + DEFAULTS_NAME;
    if (home.empty() || user.size() > PATH_LIMIT) {
        XpError(eOpenFile, function, user.c_str());
        return nullptr;
    }
    if (access(user.c_str(), R_OK) == 0 || copy_system_file(system, user))
        return allocated_path(user);
    return nullptr;
}

XpDefaults_t XpGetDefaultsFileType()
{
    return remembered_type;
}

namespace xp_internal {

bool read_whole_file(const char* path, std::string* contents)
{
    descriptor file(open(path, O_RDONLY | O_CLOEXEC));
    if (!file.valid())
        return false;
    contents->clear();
    char block[COPY_BLOCK];
    ssize_t got;
    while ((got = read_some(file.get(), block, sizeof block)) > 0)
        contents->append(block, static_cast<size_t>(got));
    return got == 0;
}

// A symbolic link is refused rather than followed: a link at the user's file
// could lead a write by root into any file. The file is opened for writing
// first, so that a file its owner made read-only is refused even when its
// directory would take a replacement.
int replace_file_contents(const char* function, const char* path, const std::string& old_contents,
                          const std::string& new_contents)
{
    struct stat named;
    if (lstat(path, &named) != 0) {
        XpError(eOpenFile, function, path);
        return 0;
    }
    if (S_ISLNK(named.st_mode)) {
        XpError(eSymLink, function, path);
        return 0;
    }
    if (new_contents == old_contents)
        return 1;
    // O_NOFOLLOW: a link put in its place since the lstat is refused too.
    descriptor target(open(path, O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
    if (!target.valid() && errno == ELOOP) {
        XpError(eSymLink, function, path);
        return 0;
    }
    struct stat original;
    if (!target.valid() || fstat(target.get(), &original) != 0 || !S_ISREG(original.st_mode)) {
        XpError(eWriteFile, function, path);
        return 0;
    }
    // A rename would split a file with several links from its other names.
    rename_outcome outcome = rename_outcome::not_possible;
    if (original.st_nlink == 1)
        outcome = replace_by_rename(path, original, new_contents);
    bool replaced = outcome == rename_outcome::replaced ||
                    (outcome == rename_outcome::not_possible &&
                     replace_in_place(target.get(), old_contents, new_contents) && target.close());
    if (!replaced)
        XpError(eWriteFile, function, path);
    return replaced ? 1 : 0;
}

}  // namespace xp_internal

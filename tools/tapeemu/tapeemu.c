/* Emulated magnetic-tape drive, loaded with LD_PRELOAD into programs that are
 * to see placeholder files as tape devices: the tests' mt, dd and installer,
 * and the demo, which carries a tape image for it.
 *
 * Usage:
 *   LD_PRELOAD=.../libtapeemu.so KITSETUP_TAPE="device=tape_dir[:device=tape_dir...]"
 * Each device is an existing (empty) placeholder file; it acts as a drive
 * holding the tape in tape_dir, whose files 0, 1, 2, ... are the tape's files
 * up to the first number missing (make_tape.sh lays one out). A missing
 * tape_dir is an empty drive: open fails with ENOMEDIUM. Several names may
 * share one tape_dir, as st0 and nst0 share one drive.
 *
 * Device naming: a device whose base name starts with "n" (nst0) does not
 * rewind when closed; any other name (st0) rewinds on its last close, that is
 * when no other descriptor of the closing process is open on it.
 *
 * Position file: the head position lives in tape_dir/.position as the text
 * "file offset eod_reported", locked while in use, so it outlives processes
 * and is shared across fork, dup and exec as a real drive's is. Deleting it
 * rewinds the tape; writing "3 0 0" puts the head at the start of file 3.
 *
 * Operations, as the st driver does them on a write-protected tape:
 * - read gives a file's bytes, then 0 once at its filemark, the next read
 *   starting the next file; at end of data 0 once, then EIO.
 * - MTIOCTOP: MTREW, MTRETEN, MTOFFL, MTLOAD, MTUNLOAD rewind; MTFSF, MTBSF,
 *   MTFSFM, MTBSFM, MTEOM space (past either end: EIO, head left at that
 *   end); MTNOP and the settings (MTSETBLK, MTLOCK, ...) succeed and do
 *   nothing; MTWEOF, MTWSM, MTERASE fail with EACCES; others with ENOSYS.
 * - MTIOCGET: SCSI drive, file number, BOT/EOF/EOD, online, write-protected.
 *   Other ioctl requests on a device fail with ENOTTY.
 * - Opening for writing fails with EROFS; lseek fails with ESPIPE, so dd's
 *   skip= reads over the records as on a pipe.
 *
 * Speed: with KITSETUP_TAPE_RATE set to a number of bytes a second, each read
 * takes as long as a drive of that speed would need for its bytes, so that a
 * demonstration shows its progress as a real tape would.
 *
 * Limits: no records or blocks (a read takes any byte count; MTFSR and the
 * like are ENOSYS), no writing. Descriptors are real descriptors on the
 * placeholder, recognised by device and inode number, so dup, dup2, fork and
 * exec need no bookkeeping here. Only the calls programs make through the C
 * library's exported names are seen: open, openat (and their 64 and
 * fortified variants), read, ioctl, lseek and close; stdio's internal calls
 * (fopen, fread) and readv, pread and the like pass by unseen. A process that
 * ends without closing a rewinding device leaves the tape where it is. */

#undef _FORTIFY_SOURCE
#define _GNU_SOURCE
#include <dirent.h>
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/mtio.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

#define TAPE_VARIABLE "KITSETUP_TAPE"
#define RATE_VARIABLE "KITSETUP_TAPE_RATE"
#define POSITION_FILE ".position"

/* The generic status bits MTIOCGET reports (the header only has test macros). */
#define STATUS_EOF 0x80000000L
#define STATUS_BOT 0x40000000L
#define STATUS_EOD 0x08000000L
#define STATUS_WR_PROT 0x04000000L
#define STATUS_ONLINE 0x01000000L

extern void __chk_fail(void) __attribute__((noreturn));

struct tape_device {
    char device[PATH_MAX];
    char dir[PATH_MAX];
    int rewinding;
};

/* The head sits in file `file` after `offset` of its bytes; file equal to the
 * number of files is end of data. eod_reported: a read there gave 0 already. */
struct tape_position {
    long file;
    long long offset;
    int eod_reported;
};

/* Returns the next definition of name after this library; there is always
 * one in the C library, so a missing one is a broken installation. */
static void *next_function(const char *name)
{
    void *function = dlsym(RTLD_NEXT, name);
    if (!function) {
        static const char text[] = "tapeemu: C library function missing\n";
        ssize_t ignored = write(2, text, sizeof text - 1);
        (void)ignored;
        abort();
    }
    return function;
}

static int real_openat(int dirfd, const char *path, int flags, mode_t mode)
{
    static int (*next)(int, const char *, int, ...);
    if (!next)
        next = (int (*)(int, const char *, int, ...))next_function("openat");
    return next(dirfd, path, flags, mode);
}

static int real_close(int fd)
{
    static int (*next)(int);
    if (!next)
        next = (int (*)(int))next_function("close");
    return next(fd);
}

static ssize_t real_read(int fd, void *buffer, size_t count)
{
    static ssize_t (*next)(int, void *, size_t);
    if (!next)
        next = (ssize_t(*)(int, void *, size_t))next_function("read");
    return next(fd, buffer, count);
}

/* Copies the text between start and end into target of PATH_MAX bytes;
 * returns 0 when it is empty or too long. */
static int copy_field(char *target, const char *start, const char *end)
{
    size_t length = (size_t)(end - start);
    if (length == 0 || length >= PATH_MAX)
        return 0;
    memcpy(target, start, length);
    target[length] = '\0';
    return 1;
}

/* Fills tape with the configured device that is the same file as object (same
 * device and inode number). Returns 1 when there is one, 0 otherwise. */
static int find_device(const struct stat *object, struct tape_device *tape)
{
    const char *entry = getenv(TAPE_VARIABLE);
    if (!entry)
        return 0;
    while (*entry) {
        const char *end = strchrnul(entry, ':');
        const char *equals = memchr(entry, '=', (size_t)(end - entry));
        struct stat placeholder;
        if (equals && copy_field(tape->device, entry, equals)
            && copy_field(tape->dir, equals + 1, end)
            && stat(tape->device, &placeholder) == 0
            && placeholder.st_dev == object->st_dev
            && placeholder.st_ino == object->st_ino) {
            const char *slash = strrchr(tape->device, '/');
            const char *base = slash ? slash + 1 : tape->device;
            tape->rewinding = base[0] != 'n';
            return 1;
        }
        entry = *end ? end + 1 : end;
    }
    return 0;
}

/* Fills tape when fd is open on an emulated device; returns 1 then, else 0.
 * Leaves errno alone, since it runs before every ordinary read and close. */
static int device_of_fd(int fd, struct tape_device *tape)
{
    if (!getenv(TAPE_VARIABLE))
        return 0;
    int saved_errno = errno;
    struct stat object;
    int found = fstat(fd, &object) == 0 && find_device(&object, tape);
    errno = saved_errno;
    return found;
}

/* As device_of_fd, for the file path names relative to dirfd. */
static int device_of_path(int dirfd, const char *path, struct tape_device *tape)
{
    if (!getenv(TAPE_VARIABLE))
        return 0;
    int saved_errno = errno;
    struct stat object;
    int found = fstatat(dirfd, path, &object, 0) == 0 && find_device(&object, tape);
    errno = saved_errno;
    return found;
}

/* Writes dir/name into path of PATH_MAX bytes; returns 0 when it does not fit. */
static int join_path(char *path, const char *dir, const char *name)
{
    int length = snprintf(path, PATH_MAX, "%s/%s", dir, name);
    return length > 0 && length < PATH_MAX;
}

/* Returns the size of tape file number of the tape in dir, or -1 when the
 * tape has no such file. */
static long long file_size(const char *dir, long number)
{
    char name[32];
    char path[PATH_MAX];
    struct stat data;
    snprintf(name, sizeof name, "%ld", number);
    if (!join_path(path, dir, name) || stat(path, &data) != 0 || !S_ISREG(data.st_mode))
        return -1;
    return (long long)data.st_size;
}

/* Returns the number of files on the tape in dir: 0, 1, ... up to the first
 * one missing. */
static long count_files(const char *dir)
{
    long files = 0;
    while (file_size(dir, files) >= 0)
        files++;
    return files;
}

/* Opens and locks the position file of the tape in dir and reads the head
 * position into position (the beginning of the tape when the file is new).
 * Returns the locked descriptor, or -1 with errno set. */
static int lock_position(const char *dir, struct tape_position *position)
{
    char path[PATH_MAX];
    if (!join_path(path, dir, POSITION_FILE)) {
        errno = ENAMETOOLONG;
        return -1;
    }
    int fd = real_openat(AT_FDCWD, path, O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return -1;
    if (flock(fd, LOCK_EX) != 0) {
        int saved_errno = errno;
        real_close(fd);
        errno = saved_errno;
        return -1;
    }
    char text[96];
    ssize_t length = pread(fd, text, sizeof text - 1, 0);
    memset(position, 0, sizeof *position);
    if (length > 0) {
        text[length] = '\0';
        if (sscanf(text, "%ld %lld %d", &position->file, &position->offset,
                   &position->eod_reported) != 3 || position->file < 0 || position->offset < 0)
            memset(position, 0, sizeof *position);
    }
    return fd;
}

/* Writes position into the locked position file fd and releases it.
 * Returns 0, or -1 with errno set. */
static int store_position(int fd, const struct tape_position *position)
{
    char text[96];
    int length = snprintf(text, sizeof text, "%ld %lld %d\n", position->file,
                          position->offset, position->eod_reported);
    int result = 0;
    if (ftruncate(fd, 0) != 0 || pwrite(fd, text, (size_t)length, 0) != length)
        result = -1;
    int saved_errno = errno;
    real_close(fd);
    errno = saved_errno;
    return result;
}

/* Moves the head over count filemarks, forward when count is positive and
 * backward otherwise; backward the head stops before the last mark crossed,
 * at the end of a file. Returns 0, or -1 with EIO when the tape ends first,
 * leaving the head at that end as a drive does. */
static int space_filemarks(const char *dir, long files, struct tape_position *position,
                           long count)
{
    long target = position->file + count;
    position->eod_reported = 0;
    if (count >= 0) {
        if (target > files) {
            position->file = files;
            position->offset = 0;
            errno = EIO;
            return -1;
        }
        if (count > 0) {
            position->file = target;
            position->offset = 0;
        }
        return 0;
    }
    if (target < 0) {
        position->file = 0;
        position->offset = 0;
        errno = EIO;
        return -1;
    }
    position->file = target;
    position->offset = file_size(dir, target);
    return 0;
}

/* Applies the tape operation of request to position on the tape in dir.
 * Returns 0, or -1 with errno set as the st driver would for a write-
 * protected tape: EACCES for writes, EIO for a failed space, ENOSYS for
 * operations the emulation lacks. */
static int move_tape(const char *dir, struct tape_position *position, const struct mtop *request)
{
    long files = count_files(dir);
    long count = request->mt_count;
    if (position->file > files) {
        position->file = files;
        position->offset = 0;
    }
    switch (request->mt_op) {
    case MTREW:
    case MTRETEN:
    case MTOFFL:
    case MTLOAD:
    case MTUNLOAD:
        memset(position, 0, sizeof *position);
        return 0;
    case MTFSF:
        return space_filemarks(dir, files, position, count);
    case MTBSF:
        return space_filemarks(dir, files, position, -count);
    case MTFSFM:
        if (space_filemarks(dir, files, position, count) != 0)
            return -1;
        return count > 0 ? space_filemarks(dir, files, position, -1) : 0;
    case MTBSFM:
        if (space_filemarks(dir, files, position, -count) != 0)
            return -1;
        return count > 0 ? space_filemarks(dir, files, position, 1) : 0;
    case MTEOM:
        position->file = files;
        position->offset = 0;
        position->eod_reported = 0;
        return 0;
    case MTNOP:
    case MTSETBLK:
    case MTSETDENSITY:
    case MTSETDRVBUFFER:
    case MTLOCK:
    case MTUNLOCK:
    case MTCOMPRESSION:
        return 0;
    case MTWEOF:
    case MTWSM:
    case MTERASE:
        errno = EACCES;
        return -1;
    default:
        errno = ENOSYS;
        return -1;
    }
}

/* Carries out MTIOCTOP on the drive of tape. Returns 0 or -1 with errno set. */
static int operate_tape(const struct tape_device *tape, const struct mtop *request)
{
    struct tape_position position;
    int fd = lock_position(tape->dir, &position);
    if (fd < 0) {
        errno = EIO;
        return -1;
    }
    int result = move_tape(tape->dir, &position, request);
    int saved_errno = errno;
    if (store_position(fd, &position) != 0) {
        errno = EIO;
        return -1;
    }
    errno = saved_errno;
    return result;
}

/* Fills status as MTIOCGET does: SCSI drive, variable blocks, write-protected
 * tape; the block number is 0 at the start of a file and unknown (-1) inside
 * one. Returns 0 or -1 with errno set. */
static int report_status(const struct tape_device *tape, struct mtget *status)
{
    struct tape_position position;
    int fd = lock_position(tape->dir, &position);
    if (fd < 0) {
        errno = EIO;
        return -1;
    }
    real_close(fd);
    memset(status, 0, sizeof *status);
    status->mt_type = MT_ISSCSI2;
    status->mt_fileno = (__daddr_t)position.file;
    status->mt_blkno = position.offset == 0 ? 0 : -1;
    status->mt_gstat = STATUS_ONLINE | STATUS_WR_PROT;
    if (position.file == 0 && position.offset == 0)
        status->mt_gstat |= STATUS_BOT;
    else if (position.offset == 0)
        status->mt_gstat |= STATUS_EOF;
    if (position.file >= count_files(tape->dir))
        status->mt_gstat |= STATUS_EOD;
    return 0;
}

/* Waits as long as a drive of the configured speed reads bytes; errno is
 * kept for the caller. */
static void pace(size_t bytes)
{
    const char *text = getenv(RATE_VARIABLE);
    long rate = text == NULL ? 0 : strtol(text, NULL, 10);
    if (rate <= 0 || bytes == 0)
        return;
    int saved = errno;
    long long nanoseconds = (long long)bytes * 1000000000LL / rate;
    struct timespec pause = {(time_t)(nanoseconds / 1000000000LL), (long)(nanoseconds % 1000000000LL)};
    while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
    }
    errno = saved;
}

/* Reads up to count bytes at the head of tape into buffer and moves the head
 * on. At a filemark it returns 0 and leaves the head after the mark; at end
 * of data it returns 0 once and then fails with EIO, as the st driver does. */
static ssize_t read_tape(const struct tape_device *tape, void *buffer, size_t count)
{
    if (count == 0)
        return 0;
    struct tape_position position;
    int position_fd = lock_position(tape->dir, &position);
    if (position_fd < 0) {
        errno = EIO;
        return -1;
    }
    long long size = file_size(tape->dir, position.file);
    ssize_t result = 0;
    if (size < 0) {
        if (position.eod_reported)
            result = -1;
        position.eod_reported = 1;
    } else if (position.offset >= size) {
        position.file++;
        position.offset = 0;
    } else {
        char name[32];
        char path[PATH_MAX];
        snprintf(name, sizeof name, "%ld", position.file);
        int data_fd = join_path(path, tape->dir, name)
                          ? real_openat(AT_FDCWD, path, O_RDONLY | O_CLOEXEC, 0)
                          : -1;
        long long left = size - position.offset;
        size_t wanted = (unsigned long long)left < count ? (size_t)left : count;
        result = data_fd < 0 ? -1 : pread(data_fd, buffer, wanted, (off_t)position.offset);
        if (data_fd >= 0)
            real_close(data_fd);
        if (result > 0)
            position.offset += result;
    }
    if (store_position(position_fd, &position) != 0 || result < 0) {
        errno = EIO;
        return -1;
    }
    pace((size_t)result);
    return result;
}

/* Opens tape for the caller as the st driver would: the tape is write-
 * protected (EROFS for writing) and a missing tape directory is an empty
 * drive (ENOMEDIUM). The descriptor is a read-only one on the placeholder. */
static int open_tape(const struct tape_device *tape, int dirfd, const char *path, int flags)
{
    struct stat dir;
    if ((flags & O_ACCMODE) != O_RDONLY) {
        errno = EROFS;
        return -1;
    }
    if (stat(tape->dir, &dir) != 0 || !S_ISDIR(dir.st_mode)) {
        errno = ENOMEDIUM;
        return -1;
    }
    return real_openat(dirfd, path, O_RDONLY | (flags & (O_CLOEXEC | O_NONBLOCK)), 0);
}

/* Returns 1 when another descriptor of this process is open on the same file
 * as fd: closing fd then is not the device's last close and does not rewind. */
static int other_descriptor(int fd)
{
    struct stat own;
    if (fstat(fd, &own) != 0)
        return 0;
    DIR *listing = opendir("/proc/self/fd");
    if (!listing)
        return 0;
    int found = 0;
    struct dirent *entry;
    while (!found && (entry = readdir(listing)) != NULL) {
        char *end;
        long other = strtol(entry->d_name, &end, 10);
        struct stat object;
        if (*end != '\0' || end == entry->d_name || other == fd || other == dirfd(listing))
            continue;
        found = fstat((int)other, &object) == 0 && object.st_dev == own.st_dev
                && object.st_ino == own.st_ino;
    }
    closedir(listing);
    return found;
}

/* Opens path relative to dirfd, as an emulated drive when it is one. */
static int open_any(int dirfd, const char *path, int flags, mode_t mode)
{
    struct tape_device tape;
    if (device_of_path(dirfd, path, &tape))
        return open_tape(&tape, dirfd, path, flags);
    return real_openat(dirfd, path, flags, mode);
}

/* The mode argument exists only when the flags create a file. */
#define MODE_ARGUMENT(flags, mode)                                      \
    do {                                                                \
        if (__OPEN_NEEDS_MODE(flags)) {                                 \
            va_list arguments;                                          \
            va_start(arguments, flags);                                 \
            mode = (mode_t)va_arg(arguments, int);                      \
            va_end(arguments);                                          \
        }                                                               \
    } while (0)

int open(const char *path, int flags, ...)
{
    mode_t mode = 0;
    MODE_ARGUMENT(flags, mode);
    return open_any(AT_FDCWD, path, flags, mode);
}

int open64(const char *path, int flags, ...)
{
    mode_t mode = 0;
    MODE_ARGUMENT(flags, mode);
    return open_any(AT_FDCWD, path, flags, mode);
}

int openat(int dirfd, const char *path, int flags, ...)
{
    mode_t mode = 0;
    MODE_ARGUMENT(flags, mode);
    return open_any(dirfd, path, flags, mode);
}

int openat64(int dirfd, const char *path, int flags, ...)
{
    mode_t mode = 0;
    MODE_ARGUMENT(flags, mode);
    return open_any(dirfd, path, flags, mode);
}

/* The fortified entry points, used by programs built with _FORTIFY_SOURCE
 * for opens without a mode. */
int __open_2(const char *path, int flags)
{
    return open_any(AT_FDCWD, path, flags, 0);
}

int __open64_2(const char *path, int flags)
{
    return open_any(AT_FDCWD, path, flags, 0);
}

int __openat_2(int dirfd, const char *path, int flags)
{
    return open_any(dirfd, path, flags, 0);
}

int __openat64_2(int dirfd, const char *path, int flags)
{
    return open_any(dirfd, path, flags, 0);
}

ssize_t read(int fd, void *buffer, size_t count)
{
    struct tape_device tape;
    if (device_of_fd(fd, &tape))
        return read_tape(&tape, buffer, count);
    return real_read(fd, buffer, count);
}

ssize_t __read_chk(int fd, void *buffer, size_t count, size_t buffer_size)
{
    if (count > buffer_size)
        __chk_fail();
    return read(fd, buffer, count);
}

int ioctl(int fd, unsigned long request, ...)
{
    static int (*next)(int, unsigned long, ...);
    va_list arguments;
    va_start(arguments, request);
    void *argument = va_arg(arguments, void *);
    va_end(arguments);

    struct tape_device tape;
    if (!device_of_fd(fd, &tape)) {
        if (!next)
            next = (int (*)(int, unsigned long, ...))next_function("ioctl");
        return next(fd, request, argument);
    }
    if (request == MTIOCTOP)
        return operate_tape(&tape, (const struct mtop *)argument);
    if (request == MTIOCGET)
        return report_status(&tape, (struct mtget *)argument);
    errno = ENOTTY;
    return -1;
}

/* A tape cannot seek. The st driver ignores seeks and reports success, which
 * makes dd's skip= silently skip nothing; failing with ESPIPE makes dd and
 * the like skip by reading, as they do on a pipe. */
off_t lseek(int fd, off_t offset, int whence)
{
    static off_t (*next)(int, off_t, int);
    struct tape_device tape;
    if (device_of_fd(fd, &tape)) {
        errno = ESPIPE;
        return -1;
    }
    if (!next)
        next = (off_t(*)(int, off_t, int))next_function("lseek");
    return next(fd, offset, whence);
}

off64_t lseek64(int fd, off64_t offset, int whence)
{
    return lseek(fd, offset, whence);
}

/* The last close of a rewinding device rewinds the tape, after the descriptor
 * is gone; a process ending without closing leaves the position as it is. */
int close(int fd)
{
    struct tape_device tape;
    int rewind = device_of_fd(fd, &tape) && tape.rewinding && !other_descriptor(fd);
    int result = real_close(fd);
    if (result == 0 && rewind) {
        int saved_errno = errno;
        struct mtop request = {MTREW, 1};
        operate_tape(&tape, &request);
        errno = saved_errno;
    }
    return result;
}

#include "ui/log_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "lib/listring.h"
#include "misc/lidefs.h"
#include "misc/utilities.h"

namespace {

// What gathers in memory before it goes to the scratch file, and what a
// read-back takes at once.
const size_t LOG_BLOCK = 65536;

// A scratch file in dir that has no name, open for reading and writing; an
// invalid descriptor, with errno set, when none could be made.
descriptor open_scratch(const listring& dir)
{
    descriptor file(open(dir, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
    if (file.valid() || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL))
        return file;
    // A kernel or file system without unnamed files: a name nobody can
    // foresee, made exclusively and removed at once.
    listring name;
    file = create_unique_file(join_directory(dir, "kitsetup-log."), name);
    if (file.valid() && unlink(name) != 0)
        file.reset();
    return file;
}

// Reads up to size bytes at offset of fd into data, going on after
// interruptions: the count read, or -1 with errno set (EIO for a file
// that ends before the text it held).
ssize_t read_at(int fd, char* data, size_t size, size_t offset)
{
    for (;;) {
        ssize_t got = pread(fd, data, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got == 0) {
            errno = EIO;
            return -1;
        }
        return got;
    }
}

}  // namespace

void log_store::append(const std::string& text)
{
    held_ += text;
    if (!in_memory_ && held_.size() >= LOG_BLOCK)
        spill();
}

// What a failed write left in memory stays there, and so does all that
// comes after it, so the text keeps its order.
void log_store::spill()
{
    if (!scratch_.valid()) {
        scratch_ = open_scratch(TMP_DIR);
        if (!scratch_.valid()) {
            in_memory_ = true;
            return;
        }
    }
    size_t done = 0;
    while (done < held_.size()) {
        ssize_t written =
            pwrite(scratch_.get(), held_.data() + done, held_.size() - done, static_cast<off_t>(in_file_ + done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            in_memory_ = true;
            break;
        }
        done += static_cast<size_t>(written);
    }
    in_file_ += done;
    held_.erase(0, done);
}

bool log_store::read(size_t offset, std::string& out) const
{
    if (offset < length())
        out.reserve(out.size() + length() - offset);
    while (offset < in_file_) {
        size_t start = out.size();
        out.resize(start + std::min(LOG_BLOCK, in_file_ - offset));
        ssize_t got = read_at(scratch_.get(), &out[start], out.size() - start, offset);
        if (got < 0) {
            out.resize(start);
            return false;
        }
        out.resize(start + static_cast<size_t>(got));
        offset += static_cast<size_t>(got);
    }
    if (offset - in_file_ < held_.size())
        out.append(held_, offset - in_file_, std::string::npos);
    return true;
}

bool log_store::write_to(const descriptor& file, bool* reading) const
{
    std::string block(std::min(LOG_BLOCK, in_file_), '\0');
    for (size_t offset = 0; offset < in_file_;) {
        *reading = true;
        ssize_t got = read_at(scratch_.get(), &block[0], std::min(block.size(), in_file_ - offset), offset);
        if (got < 0)
            return false;
        *reading = false;
        if (!file.write_all(block.data(), static_cast<size_t>(got)))
            return false;
        offset += static_cast<size_t>(got);
    }
    *reading = false;
    return file.write_all(held_.data(), held_.size());
}

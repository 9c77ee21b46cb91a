// descriptor: an open file descriptor that is closed when the object goes.
// The object owns the descriptor alone; ownership moves, never copies.
// close() closes it earlier and tells whether that worked, since a delayed
// write error can show only there.
#ifndef KITSETUP_LIB_DESCRIPTOR_H
#define KITSETUP_LIB_DESCRIPTOR_H

#include <cerrno>
#include <cstddef>
#include <unistd.h>

class descriptor {
public:
    explicit descriptor(int fd = -1) : fd_(fd) {}
    ~descriptor() { reset(); }
    descriptor(const descriptor&) = delete;
    descriptor& operator=(const descriptor&) = delete;
    descriptor(descriptor&& other) noexcept : fd_(other.release()) {}
    descriptor& operator=(descriptor&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

    // Closes the descriptor now: false, with errno set, when close failed.
    bool close()
    {
        int fd = release();
        return fd < 0 || ::close(fd) == 0;
    }

    // Writes all size bytes of data, going on after interruptions: false,
    // with errno set, on failure.
    bool write_all(const char* data, size_t size) const
    {
        while (size > 0) {
            ssize_t written = ::write(fd_, data, size);
            if (written < 0 && errno == EINTR)
                continue;
            if (written < 0)
                return false;
            data += written;
            size -= static_cast<size_t>(written);
        }
        return true;
    }

    // Gives up ownership: the descriptor, which the caller must close.
    int release()
    {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }

    // Closes the descriptor held (keeping errno, since nothing reports this
    // close) and takes fd instead.
    void reset(int fd = -1)
    {
        if (fd_ >= 0) {
            int saved_errno = errno;
            ::close(fd_);
            errno = saved_errno;
        }
        fd_ = fd;
    }

private:
    int fd_;
};

#endif

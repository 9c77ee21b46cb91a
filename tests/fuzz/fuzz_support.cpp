#include "fuzz_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "xvfb_display.h"

namespace {

[[noreturn]] void harness_failure(const std::string& what, int error_number)
{
    std::fprintf(stderr, "fuzz harness: %s: %s\n", what.c_str(), std::strerror(error_number));
    std::_Exit(2);
}

std::string make_private_dir()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/kitfuzz.XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
        harness_failure("cannot make a directory from " + pattern, errno);
    return pattern;
}

void remove_private_dir()
{
    std::error_code ignored;
    std::filesystem::remove_all(fuzz_dir(), ignored);
}

}  // namespace

void use_fuzz_reporter()
{
    static fuzz_reporter the_reporter;
    set_reporter(&the_reporter);
}

const std::string& fuzz_dir()
{
    static const std::string dir = make_private_dir();
    static const int removed_at_exit = std::atexit(remove_private_dir);
    (void)removed_at_exit;
    return dir;
}

std::string fuzz_write(const std::string& name, const std::string& bytes)
{
    std::string path = fuzz_dir() + "/" + name;
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        harness_failure("cannot write " + path, errno);
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t wrote = write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote < 0)
            harness_failure("cannot write " + path, errno);
        done += static_cast<size_t>(wrote);
    }
    if (close(fd) != 0)
        harness_failure("cannot write " + path, errno);
    return path;
}

std::string fuzz_write(const std::string& name, const uint8_t* data, size_t size)
{
    return fuzz_write(name, std::string(reinterpret_cast<const char*>(data), size));
}

void fuzz_remove(const std::string& name)
{
    std::string path = fuzz_dir() + "/" + name;
    if (unlink(path.c_str()) != 0 && errno != ENOENT)
        harness_failure("cannot delete " + path, errno);
}

std::vector<std::string> fuzz_parts(const uint8_t* data, size_t size)
{
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\f')
            parts.emplace_back();
        else
            parts.back() += static_cast<char>(data[i]);
    }
    return parts;
}

void need_display()
{
    const char* display = std::getenv("DISPLAY");
    if (display != nullptr && *display != '\0')
        return;
    std::string name;
    if (start_xvfb("640x480x24", &name) < 0)
        harness_failure("no X server for the toolkit's readers", ETIMEDOUT);
    setenv("DISPLAY", name.c_str(), 1);
}

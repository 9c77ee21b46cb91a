// Test helpers for the system services: scratch directories, guards that put
// back the working directory, environment, case switch and signal handlers a
// test changes, children run in a fork (optionally unprivileged or in a
// private mount namespace), and draining of non-blocking pipes.
#ifndef KITSETUP_TESTS_UTILITIES_TEST_SUPPORT_H
#define KITSETUP_TESTS_UTILITIES_TEST_SUPPORT_H

#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <ftw.h>
#include <functional>
#include <poll.h>
#include <sched.h>
#include <sstream>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "lib/l_listring.h"
#include "lib/listring.h"

namespace utilities_test {

// Exit status of a forked check that could not set itself up (no namespace,
// no unprivileged user): the test is skipped, not failed.
const int SKIP_STATUS = 77;

// A fresh directory made with mkdtemp under base, removed with everything in
// it when the object goes (permissions a test took away are given back).
class scratch_dir {
public:
    explicit scratch_dir(const std::string& base = "/tmp")
    {
        std::string pattern = base + "/kit_utilities_XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr) {
            char resolved[PATH_MAX];
            path_ = realpath(pattern.c_str(), resolved) != nullptr ? resolved : pattern;
        }
    }
    ~scratch_dir()
    {
        if (path_.empty())
            return;
        nftw(path_.c_str(), open_up, 16, FTW_PHYS);
        nftw(path_.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS);
    }
    scratch_dir(const scratch_dir&) = delete;
    scratch_dir& operator=(const scratch_dir&) = delete;

    bool ok() const { return !path_.empty(); }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    static int open_up(const char* path, const struct stat* info, int, struct FTW*)
    {
        if (S_ISDIR(info->st_mode))
            chmod(path, 0700);
        return 0;
    }
    static int remove_entry(const char* path, const struct stat*, int, struct FTW*)
    {
        std::remove(path);
        return 0;
    }

    std::string path_;
};

inline bool write_text(const std::string& path, const std::string& text, mode_t mode = 0644)
{
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file << text;
        if (!file)
            return false;
    }
    return chmod(path.c_str(), mode) == 0;
}

inline std::string read_text(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

inline bool exists(const std::string& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

inline std::string current_directory()
{
    char buffer[PATH_MAX];
    return getcwd(buffer, sizeof buffer) == nullptr ? std::string() : std::string(buffer);
}

// Strings of an l_listring filled by the code under test; the copies it made
// are freed, as their owner must.
inline std::vector<std::string> take_strings(l_listring& list)
{
    std::vector<std::string> result;
    for (unsigned i = 0; i < list.entries(); ++i) {
        result.push_back(list.elem(i)->c_str());
        delete list.elem(i);
    }
    list.empty();
    return result;
}

// Puts the working directory back.
class cwd_guard {
public:
    cwd_guard() : saved_(current_directory()) {}
    ~cwd_guard()
    {
        if (!saved_.empty() && chdir(saved_.c_str()) != 0)
            std::perror("cwd_guard");
    }
    cwd_guard(const cwd_guard&) = delete;
    cwd_guard& operator=(const cwd_guard&) = delete;

private:
    std::string saved_;
};

// Puts an environment variable back as it was (or unset).
class env_guard {
public:
    explicit env_guard(const char* name) : name_(name)
    {
        const char* value = std::getenv(name);
        was_set_ = value != nullptr;
        if (was_set_)
            value_ = value;
    }
    ~env_guard()
    {
        if (was_set_)
            setenv(name_.c_str(), value_.c_str(), 1);
        else
            unsetenv(name_.c_str());
    }
    env_guard(const env_guard&) = delete;
    env_guard& operator=(const env_guard&) = delete;

private:
    std::string name_;
    std::string value_;
    bool was_set_ = false;
};

// Puts the program's case switch back.
class case_guard {
public:
    case_guard() : was_sensitive_(listring::is_case_sensitive()) {}
    ~case_guard()
    {
        if (was_sensitive_)
            listring::case_sensitive_on();
        else
            listring::case_sensitive_off();
    }
    case_guard(const case_guard&) = delete;
    case_guard& operator=(const case_guard&) = delete;

private:
    bool was_sensitive_;
};

// Puts back the handlers the process services install (SIGCHLD, SIGINT,
// SIGHUP) and reaps any child left over, so that no later test, and no death
// test of gtest, meets this unit's SIGCHLD handler or its zombies.
class signal_guard {
public:
    signal_guard()
    {
        sigaction(SIGCHLD, nullptr, &child_);
        sigaction(SIGINT, nullptr, &interrupt_);
        sigaction(SIGHUP, nullptr, &hangup_);
    }
    ~signal_guard()
    {
        sigaction(SIGCHLD, &child_, nullptr);
        sigaction(SIGINT, &interrupt_, nullptr);
        sigaction(SIGHUP, &hangup_, nullptr);
        while (waitpid(-1, nullptr, WNOHANG) > 0) {
        }
    }
    signal_guard(const signal_guard&) = delete;
    signal_guard& operator=(const signal_guard&) = delete;

private:
    struct sigaction child_ {};
    struct sigaction interrupt_ {};
    struct sigaction hangup_ {};
};

// Runs check in a forked child and gives its exit status (128 + signal when a
// signal ended it). SIGCHLD is at its default meanwhile, so no handler of
// the code under test can reap the child first.
inline int run_in_child(const std::function<int()>& check)
{
    struct sigaction default_action {};
    default_action.sa_handler = SIG_DFL;
    struct sigaction saved {};
    sigaction(SIGCHLD, &default_action, &saved);
    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0)
        _exit(check());
    int status = 0;
    pid_t waited = pid == -1 ? -1 : waitpid(pid, &status, 0);
    sigaction(SIGCHLD, &saved, nullptr);
    if (waited == -1)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// As run_in_child, but as the user nobody when the tests run as root, so
// that permissions count. SKIP_STATUS when the switch is impossible.
inline int run_unprivileged(const std::function<int()>& check)
{
    return run_in_child([&check]() {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            return SKIP_STATUS;
        return check();
    });
}

// As run_in_child, inside a private mount namespace, so that the check may
// mount file systems that nobody else sees. SKIP_STATUS when not permitted.
inline int run_in_private_namespace(const std::function<int()>& check)
{
    return run_in_child([&check]() {
        if (unshare(CLONE_NEWNS) != 0)
            return SKIP_STATUS;
        if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return SKIP_STATUS;
        return check();
    });
}

// Everything fd delivers until its end, waiting for a non-blocking descriptor
// with poll; stops at the deadline so a fault cannot hang the test.
// reached_end tells whether the end of the data was seen.
inline std::string drain(int fd, bool* reached_end = nullptr,
                         std::chrono::seconds limit = std::chrono::seconds(20))
{
    std::string data;
    if (reached_end != nullptr)
        *reached_end = false;
    auto deadline = std::chrono::steady_clock::now() + limit;
    char buffer[65536];
    while (std::chrono::steady_clock::now() < deadline) {
        ssize_t got = read(fd, buffer, sizeof buffer);
        if (got > 0) {
            data.append(buffer, static_cast<size_t>(got));
            continue;
        }
        if (got == 0) {
            if (reached_end != nullptr)
                *reached_end = true;
            break;
        }
        if (errno != EAGAIN && errno != EINTR)
            break;
        struct pollfd waiting {fd, POLLIN, 0};
        poll(&waiting, 1, 100);
    }
    return data;
}

// Waits until flag is set, or gives false after limit.
inline bool wait_for(const volatile sig_atomic_t& flag,
                     std::chrono::milliseconds limit = std::chrono::milliseconds(10000))
{
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!flag) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

inline std::vector<std::string> split_lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

}  // namespace utilities_test

#endif

// Test helpers shared by the system-service tests: a guard for the process
// state a test changes, checks forked as nobody or in a private mount
// namespace, and draining of non-blocking pipes (files: run_program.h).
#ifndef KITSETUP_TESTS_UTILITIES_TEST_SUPPORT_H
#define KITSETUP_TESTS_UTILITIES_TEST_SUPPORT_H

#include <poll.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "lib/l_listring.h"
#include "run_program.h"

namespace utilities_test {

// A forked check that cannot set itself up exits so: a skip, not a failure.
const int SKIP_STATUS = 77;

// The exit status of a forked check: its own codes name the check that failed.
#define EXPECT_CHILD_PASSED(status, what)                                             \
    if (int child_status_ = (status); child_status_ == utilities_test::SKIP_STATUS)   \
        GTEST_SKIP() << "not permitted here: " << (what);                             \
    else                                                                              \
        EXPECT_EQ(child_status_, 0) << (what) << " failed at check " << child_status_

// The strings the code under test put into list, whose copies it frees.
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

// Puts back the working directory, the case switch and the process services'
// signal handlers, and reaps leftover children: no later (death) test meets them.
class state_guard {
public:
    state_guard() : cwd_(std::filesystem::current_path())
    {
        for (int i = 0; i < 3; ++i)
            sigaction(signals_[i], nullptr, &handlers_[i]);
    }
    ~state_guard()
    {
        std::error_code ignored;
        std::filesystem::current_path(cwd_, ignored);
        case_sensitive_ ? listring::case_sensitive_on() : listring::case_sensitive_off();
        for (int i = 0; i < 3; ++i)
            sigaction(signals_[i], &handlers_[i], nullptr);
        while (waitpid(-1, nullptr, WNOHANG) > 0) {
        }
    }

private:
    std::filesystem::path cwd_;
    bool case_sensitive_ = listring::is_case_sensitive();
    const int signals_[3] = {SIGCHLD, SIGINT, SIGHUP};
    struct sigaction handlers_[3] {};
};

// The exit status (128 + signal) of check forked as nobody or in a private
// mount namespace when asked; SIGCHLD is default so no handler reaps it first.
inline int run_in_child(const std::function<int()>& check, bool unprivileged = false,
                        bool private_mounts = false)
{
    struct sigaction default_action {}, saved {};
    default_action.sa_handler = SIG_DFL;
    sigaction(SIGCHLD, &default_action, &saved);
    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        if (private_mounts && (unshare(CLONE_NEWNS) != 0 ||
                               mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0))
            _exit(SKIP_STATUS);
        if (unprivileged && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(SKIP_STATUS);
        _exit(check());
    }
    int status = 0;
    pid_t waited = pid == -1 ? -1 : waitpid(pid, &status, 0);
    sigaction(SIGCHLD, &saved, nullptr);
    return waited == -1 ? -1 : WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// In a forked check with private mounts: an empty tmpfs /opt with an empty
// /opt/tarnu, so the real records are never touched. False when it cannot be had.
inline bool private_opt_tarnu()
{
    return mount("kit_opt", "/opt", "tmpfs", 0, "size=1m") == 0 && mkdir("/opt/tarnu", 0755) == 0;
}

// Comparisons in a forked check, where gtest cannot report: the first
// difference is printed and its number becomes the check's status.
class child_checks {
public:
    void expect(const std::string& got, const std::string& want)
    {
        ++number_;
        if (failed_ == 0 && got != want) {
            std::fprintf(stderr, "check %d: got \"%s\", want \"%s\"\n", number_, got.c_str(),
                         want.c_str());
            failed_ = number_;
        }
    }
    void expect(long got, long want) { expect(std::to_string(got), std::to_string(want)); }
    int status() const { return failed_; }

private:
    int number_ = 0;
    int failed_ = 0;
};

// Runs body's checks in a forked child with a private /opt/tarnu: the number of
// the first failed check, 0, or SKIP_STATUS without a private /opt.
inline int in_private_opt(const std::function<void(child_checks&)>& body)
{
    return run_in_child([&] {
        if (!private_opt_tarnu())
            return SKIP_STATUS;
        child_checks checks;
        body(checks);
        return checks.status();
    }, false, true);
}

// Everything the non-blocking fd delivers until its end (a wait that SIGCHLD
// interrupts goes on); gives up after limit_ms of silence, so nothing hangs.
inline std::string drain(int fd, bool* reached_end, int limit_ms = 20000)
{
    std::string data;
    char buffer[65536];
    struct pollfd waiting {fd, POLLIN, 0};
    ssize_t got = -1;
    while (got != 0) {
        int ready = poll(&waiting, 1, limit_ms);
        if (ready == 0 || (ready == -1 && errno != EINTR))
            break;
        got = ready == 1 ? read(fd, buffer, sizeof buffer) : -1;
        if (got > 0)
            data.append(buffer, static_cast<size_t>(got));
        else if (got < 0 && errno != EAGAIN && errno != EINTR)
            break;
    }
    *reached_end = got == 0;
    return data;
}

}  // namespace utilities_test

#endif

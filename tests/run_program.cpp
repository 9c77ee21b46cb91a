#include "run_program.h"

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include <gtest/gtest.h>

extern char** environ;

test_environment::test_environment()
{
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const char* equals = std::strchr(*entry, '=');
        if (equals != nullptr)
            variables_[std::string(*entry, static_cast<size_t>(equals - *entry))] = equals + 1;
    }
}

test_environment& test_environment::set(const std::string& name, const char* value)
{
    if (value == nullptr)
        variables_.erase(name);
    else
        variables_[name] = value;
    return *this;
}

std::vector<std::string> test_environment::entries() const
{
    std::vector<std::string> result;
    for (const auto& [name, value] : variables_)
        result.push_back(name + "=" + value);
    return result;
}

std::vector<char*> c_vector(std::vector<std::string>& strings)
{
    std::vector<char*> result;
    for (std::string& s : strings)
        result.push_back(s.data());
    result.push_back(nullptr);
    return result;
}

namespace {

// Reads both pipes until both close, so a child that fills one cannot block.
void collect(int out_fd, int err_fd, program_result& result)
{
    pollfd fds[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
    std::string* targets[2] = {&result.out, &result.err};
    int open_count = 2;
    char buffer[65536];
    while (open_count > 0) {
        if (poll(fds, 2, 30000) <= 0)
            throw std::runtime_error("child produced no output for 30 seconds");
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                targets[i]->append(buffer, static_cast<size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open_count;
            }
        }
    }
}

}  // namespace

program_result run_program(const std::string& path, const std::vector<std::string>& argv,
                           const test_environment& environment, const std::string& cwd)
{
    int out_pipe[2], err_pipe[2];
    if (pipe(out_pipe) != 0 || pipe(err_pipe) != 0)
        throw std::runtime_error("pipe failed");
    std::vector<std::string> args = argv, env = environment.entries();
    std::vector<char*> c_args = c_vector(args), c_env = c_vector(env);

    pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        dup2(out_pipe[1], 1);
        dup2(err_pipe[1], 2);
        close(out_pipe[0]); close(out_pipe[1]);
        close(err_pipe[0]); close(err_pipe[1]);
        if (!cwd.empty() && chdir(cwd.c_str()) != 0)
            _exit(126);
        execve(path.c_str(), c_args.data(), c_env.data());
        _exit(127);
    }
    close(out_pipe[1]);
    close(err_pipe[1]);
    program_result result;
    collect(out_pipe[0], err_pipe[0], result);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

temp_dir::temp_dir()
{
    std::string pattern = std::string(KITSETUP_BUILD_DIR) + "/test-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

temp_dir::~temp_dir()
{
    std::string command = "chmod -R u+rwx '" + path_ + "' 2>/dev/null; rm -rf '" + path_ + "'";
    if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "could not remove %s\n", path_.c_str());
}

void write_file(const std::string& path, const std::string& text)
{
    std::error_code ignored;  // a missing directory fails the write below
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    std::ofstream file(path, std::ios::binary);
    file << text;
    if (!file)
        throw std::runtime_error("cannot write " + path);
}

std::string read_file(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void make_catalogue(const std::string& cat_path, const std::string& source)
{
    std::string source_path = cat_path + ".msg";
    write_file(source_path, source);
    std::string command = "gencat '" + cat_path + "' '" + source_path + "'";
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("gencat failed for " + cat_path);
}

bool wait_until(const std::string& what, const std::function<bool()>& done,
                const std::function<void()>& between)
{
    auto deadline = std::chrono::steady_clock::now() + wait_limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            ADD_FAILURE() << "waited " << wait_limit.count() << " s for " << what;
            return false;
        }
        if (between)
            between();
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

std::string folded(std::string text)
{
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

std::string folded_pattern(const std::string& text)
{
    std::string pattern;
    for (char c : folded(text)) {
        if (c == ' ')
            pattern += "[ \n]";
        else if (std::strchr("\\^$.|?*+()[]{}", c) != nullptr)
            pattern += std::string("\\") + c;
        else
            pattern += c;
    }
    return pattern;
}

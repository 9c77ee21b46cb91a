// Child processes of the installer: started through the shell on
// non-blocking pipes in their own process group, reaped by the SIGCHLD
// handler, killed group and all; and the reading of their output lines.
#include <gtest/gtest.h>

#include <cctype>
#include <dirent.h>
#include <string>
#include <sys/resource.h>
#include <vector>

#include "message_recorder.h"
#include "misc/l_proc_desc.h"
#include "misc/utilities.h"
#include "utilities_test_support.h"

using namespace utilities_test;

namespace {

struct group_member {
    pid_t pid;
    char state;
    std::string name;
};

// Every process of process group group, from /proc.
std::vector<group_member> members_of_group(pid_t group)
{
    std::vector<group_member> members;
    DIR* proc = opendir("/proc");
    if (proc == nullptr)
        return members;
    while (const dirent* entry = readdir(proc)) {
        if (!std::isdigit(static_cast<unsigned char>(entry->d_name[0])))
            continue;
        std::string stat = read_text(std::string("/proc/") + entry->d_name + "/stat");
        size_t open = stat.find('(');
        size_t close = stat.rfind(')');
        if (open == std::string::npos || close == std::string::npos || close + 2 > stat.size())
            continue;
        std::istringstream rest(stat.substr(close + 2));
        char state = '?';
        long parent = 0;
        long process_group = 0;
        if (!(rest >> state >> parent >> process_group) || process_group != group)
            continue;
        members.push_back({static_cast<pid_t>(std::atoi(entry->d_name)), state,
                           stat.substr(open + 1, close - open - 1)});
    }
    closedir(proc);
    return members;
}

std::string describe(const std::vector<group_member>& members)
{
    std::string text;
    for (const group_member& member : members)
        text += std::to_string(member.pid) + " " + member.name + " " + member.state + "; ";
    return text;
}

int running_members(const std::vector<group_member>& members, const std::string& name = "")
{
    int count = 0;
    for (const group_member& member : members) {
        if (member.state != 'Z' && (name.empty() || member.name == name))
            ++count;
    }
    return count;
}

// Polls condition until it holds or limit passes.
template <class Condition>
bool eventually(Condition condition, std::chrono::milliseconds limit = std::chrono::milliseconds(5000))
{
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

bool non_blocking(FILE* stream)
{
    int flags = fcntl(fileno(stream), F_GETFL);
    return flags != -1 && (flags & O_NONBLOCK) != 0;
}

class child_processes : public ::testing::Test {
protected:
    void SetUp() override
    {
        while (waitpid(-1, nullptr, WNOHANG) > 0) {
        }
    }

    // Every child started here is killed and reaped, so no zombie of this
    // test is left for the next one's handler to reap in its place.
    void TearDown() override
    {
        for (proc_desc_t* proc : started_) {
            kill(-proc->pid, SIGKILL);
            waitpid(proc->pid, nullptr, 0);
            std::fclose(proc->out);
            std::fclose(proc->err);
            delete proc;
        }
    }

    proc_desc_t* start(const char* command)
    {
        proc_desc_t* proc = unix_proc_open(listring(command));
        if (proc != nullptr)
            started_.push_back(proc);
        return proc;
    }

    // Reads both pipes to their end and waits for the handler to see the
    // child end: the way the command engine meets a finished command.
    void run_to_end(proc_desc_t* proc, std::string* out = nullptr, std::string* err = nullptr)
    {
        bool out_ended = false;
        bool err_ended = false;
        std::string out_text = drain(fileno(proc->out), &out_ended);
        std::string err_text = drain(fileno(proc->err), &err_ended);
        EXPECT_TRUE(out_ended) << "standard output never reached its end";
        EXPECT_TRUE(err_ended) << "standard error never reached its end";
        EXPECT_TRUE(wait_for(child_died_g)) << "the SIGCHLD handler never saw the child end";
        if (out != nullptr)
            *out = out_text;
        if (err != nullptr)
            *err = err_text;
    }

    signal_guard signals_;
    message_recorder recorder_;
    std::vector<proc_desc_t*> started_;
};

}  // namespace

TEST_F(child_processes, output_and_error_arrive_on_separate_nonblocking_pipes)
{
    proc_desc_t* proc = start("echo to-out; echo to-err 1>&2");
    ASSERT_NE(proc, nullptr);
    EXPECT_GT(proc->pid, 0);
    EXPECT_TRUE(non_blocking(proc->out));
    EXPECT_TRUE(non_blocking(proc->err));
    // Later children must not inherit these read ends.
    EXPECT_TRUE(fcntl(fileno(proc->out), F_GETFD) & FD_CLOEXEC);
    std::string out;
    std::string err;
    run_to_end(proc, &out, &err);
    EXPECT_EQ(out, "to-out\n");
    EXPECT_EQ(err, "to-err\n");
    EXPECT_EQ(child_succeeded_g, 1);
    EXPECT_TRUE(recorder_.messages().empty());
}

TEST_F(child_processes, success_flag_follows_the_exit_code)
{
    // Each child waits for its gate file, so the flags can be read while it
    // is certainly still running.
    scratch_dir gates;
    ASSERT_TRUE(gates.ok());
    auto gated = [&gates](const char* name, const char* then) {
        return "while [ ! -e '" + (gates / name) + "' ]; do sleep 0.01; done; " + then;
    };

    proc_desc_t* good = start(gated("good", "exit 0").c_str());
    ASSERT_NE(good, nullptr);
    EXPECT_EQ(child_died_g, 0) << "starting a child must clear the died flag";
    child_succeeded_g = 0;
    ASSERT_TRUE(write_text(gates / "good", ""));
    run_to_end(good);
    EXPECT_EQ(child_succeeded_g, 0) << "the handler only ever clears the success flag";

    proc_desc_t* bad = start(gated("bad", "exit 3").c_str());
    ASSERT_NE(bad, nullptr);
    EXPECT_EQ(child_succeeded_g, 1) << "starting a child must set the success flag";
    ASSERT_TRUE(write_text(gates / "bad", ""));
    run_to_end(bad);
    EXPECT_EQ(child_succeeded_g, 0) << "exit 3 counts as failure";

    proc_desc_t* fine = start("exit 0");
    ASSERT_NE(fine, nullptr);
    run_to_end(fine);
    EXPECT_EQ(child_succeeded_g, 1) << "exit 0 counts as success";

    // The exit code of a child ended by a signal reads as 0.
    proc_desc_t* signalled = start("kill -TERM $$");
    ASSERT_NE(signalled, nullptr);
    run_to_end(signalled);
    EXPECT_EQ(child_succeeded_g, 1);
}

TEST_F(child_processes, child_leads_its_own_group_with_standard_input_closed)
{
    proc_desc_t* proc = start("test -e /proc/$$/fd/0 && echo stdin-open || echo stdin-closed");
    ASSERT_NE(proc, nullptr);
    EXPECT_EQ(getpgid(proc->pid), proc->pid);
    EXPECT_NE(getpgrp(), proc->pid);
    std::string out;
    run_to_end(proc, &out);
    EXPECT_EQ(out, "stdin-closed\n");
    EXPECT_TRUE(recorder_.messages().empty());
}

TEST_F(child_processes, silent_child_never_blocks_a_read)
{
    proc_desc_t* proc = start("exec sleep 60");
    ASSERT_NE(proc, nullptr);
    char buffer[16];
    errno = 0;
    EXPECT_EQ(unix_read(fileno(proc->out), buffer, sizeof buffer), -1);
    EXPECT_EQ(errno, EAGAIN) << "a read of an empty pipe must not wait";
    errno = 0;
    EXPECT_EQ(unix_read(fileno(proc->err), buffer, sizeof buffer), -1);
    EXPECT_EQ(errno, EAGAIN);
    int waiting = -1;
    EXPECT_EQ(unix_chars_in_buffer(fileno(proc->out), &waiting), 0);
    EXPECT_EQ(waiting, 0);
    EXPECT_EQ(unix_kill(proc->pid), 0);
    run_to_end(proc);
}

TEST_F(child_processes, megabytes_of_output_drain_without_a_hang)
{
    const size_t total = 4 * 1000 * 1000;
    proc_desc_t* proc = start("head -c 4000000 /dev/zero; echo done 1>&2");
    ASSERT_NE(proc, nullptr);
    std::string out;
    std::string err;
    run_to_end(proc, &out, &err);
    EXPECT_EQ(out.size(), total);
    EXPECT_EQ(err, "done\n");
    EXPECT_EQ(child_succeeded_g, 1);
}

TEST_F(child_processes, output_pipe_closed_early_ends_while_the_child_runs)
{
    proc_desc_t* proc = start("exec 1>&-; sleep 1; echo late 1>&2");
    ASSERT_NE(proc, nullptr);
    bool out_ended = false;
    drain(fileno(proc->out), &out_ended);
    EXPECT_TRUE(out_ended);
    EXPECT_EQ(child_died_g, 0) << "standard output ended before the child did";
    std::string err;
    run_to_end(proc, nullptr, &err);
    EXPECT_EQ(err, "late\n");
}

TEST_F(child_processes, chars_in_buffer_counts_waiting_bytes)
{
    proc_desc_t* proc = start("printf abcdef; exec sleep 60");
    ASSERT_NE(proc, nullptr);
    int waiting = 0;
    EXPECT_TRUE(eventually([&]() {
        return unix_chars_in_buffer(fileno(proc->out), &waiting) == 0 && waiting == 6;
    })) << "bytes waiting: " << waiting;
    char buffer[16];
    EXPECT_EQ(unix_read(fileno(proc->out), buffer, sizeof buffer), 6);
    EXPECT_EQ(std::string(buffer, 6), "abcdef");
    unix_kill(proc->pid);

    int closed_fd = open("/dev/null", O_RDONLY);
    ASSERT_NE(closed_fd, -1);
    EXPECT_EQ(unix_close(closed_fd), 0);
    EXPECT_EQ(unix_chars_in_buffer(closed_fd, &waiting), -1);
    EXPECT_EQ(unix_close(closed_fd), -1);
}

TEST_F(child_processes, kill_takes_the_whole_pipeline)
{
    proc_desc_t* proc = start("sleep 60 | sleep 60");
    ASSERT_NE(proc, nullptr);
    // Both sleeps must run in the child's group first, or the kill proves
    // nothing.
    ASSERT_TRUE(eventually([&]() { return running_members(members_of_group(proc->pid), "sleep") >= 2; }))
        << describe(members_of_group(proc->pid));

    EXPECT_EQ(unix_kill(proc->pid), 0);
    // Grandchildren go to init once the shell is gone; init may leave them
    // as zombies, which are dead all the same.
    bool all_ended = eventually([&]() { return running_members(members_of_group(proc->pid)) == 0; });
    EXPECT_TRUE(all_ended) << "still running: " << describe(members_of_group(proc->pid));
    if (!all_ended)
        return;  // the pipes stay open while they run
    run_to_end(proc);
    EXPECT_TRUE(recorder_.messages().empty());
}

TEST_F(child_processes, kill_of_a_vanished_group_fails_silently)
{
    proc_desc_t* proc = start("exit 0");
    ASSERT_NE(proc, nullptr);
    run_to_end(proc);
    // Reaped by the handler: its group no longer exists.
    EXPECT_EQ(unix_kill(proc->pid), -1);
    // Targets that would hit the installer's own group or every process.
    EXPECT_EQ(unix_kill(0), -1);
    EXPECT_EQ(unix_kill(1), -1);
    EXPECT_TRUE(recorder_.messages().empty());
}

TEST_F(child_processes, pipe_failure_is_reported_and_leaks_nothing)
{
    int status = run_in_child([]() {
        message_recorder recorder;
        struct rlimit limit {64, 64};
        if (setrlimit(RLIMIT_NOFILE, &limit) != 0)
            return SKIP_STATUS;
        std::vector<int> filler;
        for (int fd; (fd = dup(STDIN_FILENO)) != -1;)
            filler.push_back(fd);
        // Room for the output pipe only: the error pipe must fail, and the
        // output pipe must be given back.
        for (int i = 0; i < 3 && !filler.empty(); ++i) {
            close(filler.back());
            filler.pop_back();
        }
        if (unix_proc_open(listring("true")) != nullptr)
            return 1;
        std::string expected = std::string("Unable to create pipe. ") + std::strerror(EMFILE);
        if (recorder.texts() != std::vector<std::string>{expected})
            return 2;
        for (int i = 0; i < 3; ++i) {
            if (dup(STDIN_FILENO) == -1)
                return 3;
        }
        return 0;
    });
    if (status == SKIP_STATUS)
        GTEST_SKIP() << "cannot lower the descriptor limit";
    EXPECT_NE(status, 1) << "unix_proc_open succeeded without descriptors";
    EXPECT_NE(status, 2) << "the pipe failure was not reported as expected";
    EXPECT_NE(status, 3) << "the descriptors of the first pipe were not closed";
    EXPECT_EQ(status, 0);
}

TEST_F(child_processes, block_counts_on_stderr_are_benign_but_failures_are_not)
{
    proc_desc_t* proc = start("echo '512 blocks' 1>&2; cat /nonexistent/kitsetup-missing-file");
    ASSERT_NE(proc, nullptr);
    std::string err;
    run_to_end(proc, nullptr, &err);
    std::vector<std::string> lines = split_lines(err);
    ASSERT_EQ(lines.size(), 2u) << err;
    EXPECT_TRUE(valid_stderr(listring(lines[0].c_str())));
    EXPECT_FALSE(valid_stderr(listring(lines[1].c_str()))) << lines[1];
}

TEST_F(child_processes, dd_record_counts_are_benign)
{
    proc_desc_t* proc = start("dd if=/dev/zero of=/dev/null bs=512 count=10 status=noxfer");
    ASSERT_NE(proc, nullptr);
    std::string err;
    run_to_end(proc, nullptr, &err);
    std::vector<std::string> lines = split_lines(err);
    ASSERT_EQ(lines.size(), 2u) << err;
    for (const std::string& line : lines)
        EXPECT_TRUE(valid_stderr(listring(line.c_str()))) << line;
}

TEST(valid_stderr, accepts_only_the_three_harmless_reports)
{
    EXPECT_TRUE(valid_stderr("512 blocks"));
    EXPECT_TRUE(valid_stderr("10+0 records in"));
    EXPECT_TRUE(valid_stderr("3+1 records out"));
    EXPECT_TRUE(valid_stderr("a linked to b"));
    EXPECT_TRUE(valid_stderr("./lib/x.so linked to ./lib/y.so"));

    EXPECT_FALSE(valid_stderr("512 bytes"));
    EXPECT_FALSE(valid_stderr("blocks"));
    EXPECT_FALSE(valid_stderr("10+0 records sideways"));
    EXPECT_FALSE(valid_stderr("10+0 blocks in"));
    EXPECT_FALSE(valid_stderr("a linked with b"));
    EXPECT_FALSE(valid_stderr("a linked to"));
    EXPECT_FALSE(valid_stderr("tar: ./x: Cannot open: No such file or directory"));
    EXPECT_FALSE(valid_stderr(""));
}

TEST(valid_cmd, knows_exactly_the_template_commands)
{
    case_guard restore_case;
    for (const char* name : {"cp", "cpio", "tar", "tcio", "rsh", "remsh", "rcmd", "uncompress",
                             "unpack", "mt", "tape", "rm", "dd"})
        EXPECT_TRUE(valid_cmd(name)) << name;
    EXPECT_TRUE(valid_cmd("  tar "));
    EXPECT_FALSE(valid_cmd("ls"));
    EXPECT_FALSE(valid_cmd("ta"));
    EXPECT_FALSE(valid_cmd(""));

    // Exact even while the program ignores case, which stays as it was.
    listring::case_sensitive_off();
    EXPECT_FALSE(valid_cmd("TAR"));
    EXPECT_FALSE(listring::is_case_sensitive());

    ASSERT_EQ(VALID_CMDS.entries(), 13u) << "filled more than once";
    EXPECT_STREQ(VALID_CMDS.elem(0)->c_str(), "cp");
    EXPECT_STREQ(VALID_CMDS.elem(12)->c_str(), "dd");
}

TEST(extract_file_info, reads_tar_listing_lines)
{
    listring name;
    int size = 0;
    EXPECT_TRUE(extract_file_info("x ./lib/a.so, 1234 bytes, 3 tape blocks", name, &size, "tar"));
    EXPECT_STREQ(name.c_str(), "./lib/a.so");
    EXPECT_EQ(size, 1234);

    EXPECT_TRUE(extract_file_info("  x bin/tool, 10 bytes", name, &size, "kcp"));
    EXPECT_STREQ(name.c_str(), "bin/tool");
    EXPECT_EQ(size, 10);

    // A name without a size: the size stays unknown.
    EXPECT_TRUE(extract_file_info("x ./docs", name, &size, "tar"));
    EXPECT_STREQ(name.c_str(), "./docs");
    EXPECT_EQ(size, -1);

    EXPECT_FALSE(extract_file_info("tar: blocksize = 20", name, &size, "tar"));
    EXPECT_TRUE(name.is_empty());
    EXPECT_EQ(size, -1);
    EXPECT_FALSE(extract_file_info("", name, &size, "tar"));
}

TEST(extract_file_info, reads_cpio_listing_lines)
{
    listring name("stale");
    int size = 99;
    EXPECT_TRUE(extract_file_info("  ./lib/a.so", name, &size, "cpio"));
    EXPECT_STREQ(name.c_str(), "./lib/a.so");
    EXPECT_EQ(size, -1);
    // cpio lines carry no leading x to strip.
    EXPECT_TRUE(extract_file_info("xfile more words", name, &size, "cpio"));
    EXPECT_STREQ(name.c_str(), "xfile");
}

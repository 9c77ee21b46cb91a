// Child processes of the installer: started through the shell on
// non-blocking pipes in their own process group, reaped by the SIGCHLD
// handler, killed group and all; and the reading of their output lines.
#include <gtest/gtest.h>

#include <fcntl.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "message_recorder.h"
#include "misc/utilities.h"
#include "utilities_test_support.h"

using namespace utilities_test;

namespace {

// How many live sleep processes process group group has.
int sleeps_in_group(pid_t group)
{
    int count = 0;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", ignored)) {
        std::istringstream stat(read_file(entry.path() / "stat"));
        std::string pid, name;
        char state = 'Z';
        long parent = 0, process_group = 0;
        if (stat >> pid >> name >> state >> parent >> process_group && name == "(sleep)" &&
            state != 'Z' && process_group == group)
            ++count;
    }
    return count;
}

class child_processes : public ::testing::Test {
protected:
    // Every child started here is killed and reaped, so that no zombie of
    // this test is left for the next one's handler to reap in its place.
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
    // child end, as the command engine meets a finished command: {out, err}.
    std::pair<std::string, std::string> run_to_end(proc_desc_t* proc)
    {
        bool out_ended = false, err_ended = false;
        std::string out = drain(fileno(proc->out), &out_ended);
        std::string err = drain(fileno(proc->err), &err_ended);
        EXPECT_TRUE(out_ended && err_ended) << "the pipes never reached their end";
        wait_until("the SIGCHLD handler to see the child end", [] { return child_died_g != 0; });
        return {out, err};
    }

    state_guard restore_;
    message_recorder recorder_;
    std::vector<proc_desc_t*> started_;
};

}  // namespace

// The row order shows a start sets the flag again after a failure; a child gets
// neither the installer's standard input nor any other descriptor of its.
TEST_F(child_processes, success_flag_follows_the_exit_code_and_megabytes_drain_without_a_hang)
{
    const std::pair<const char*, int> rows[] = {{"exit 3", 0}, {"exit 0", 1}, {"exit 3", 0}, {"kill -TERM $$", 1}};
    for (const auto& [command, succeeded] : rows) {
        proc_desc_t* proc = start(command);
        ASSERT_NE(proc, nullptr);
        run_to_end(proc);
        EXPECT_EQ(child_succeeded_g, succeeded) << command;
    }
    // A descriptor a library opened without close-on-exec stays here too.
    int unmarked = open("/dev/null", O_RDONLY);  // NOLINT: the leak under test
    ASSERT_GE(unmarked, 0);
    std::string leaked = "test -e /proc/$$/fd/" + std::to_string(unmarked) + " && echo leaked 1>&2; ";
    proc_desc_t* proc =
        start(("head -c 4000000 /dev/zero; test -e /proc/$$/fd/0 || echo no-stdin 1>&2; " + leaked + "exit 3").c_str());
    close(unmarked);
    ASSERT_NE(proc, nullptr);
    EXPECT_TRUE(fcntl(fileno(proc->out), F_GETFD) & FD_CLOEXEC) << "later children would inherit it";
    auto [out, err] = run_to_end(proc);
    EXPECT_EQ(std::to_string(out.size()) + " " + err + std::to_string(child_succeeded_g), "4000000 no-stdin\n0");
}

// A silent child must not block a read. Both sleeps hold the pipes open, so
// they end only when the kill reached the whole group, not just the shell.
TEST_F(child_processes, silent_pipeline_never_blocks_and_kill_takes_all_of_it)
{
    proc_desc_t* proc = start("sleep 60 | sleep 60");
    ASSERT_NE(proc, nullptr);
    ASSERT_TRUE(wait_until("both sleeps of the pipeline to start",
                           [&] { return sleeps_in_group(proc->pid) == 2; }));
    char buffer[16];
    int waiting = -1;
    for (FILE* stream : {proc->out, proc->err}) {
        errno = 0;
        EXPECT_EQ(unix_read(fileno(stream), buffer, sizeof buffer), -1);
        EXPECT_EQ(errno, EAGAIN) << "a read of an empty pipe must not wait";
        EXPECT_EQ(unix_chars_in_buffer(fileno(stream), &waiting), 0);
        EXPECT_EQ(waiting, 0);
    }
    EXPECT_EQ(unix_kill(proc->pid), 0);
    run_to_end(proc);

    // A group that is gone fails silently (the killed sleeps may linger as
    // zombies); 0 and 1 would hit the installer's own group or every process.
    proc_desc_t* gone = start("exit 0");
    ASSERT_NE(gone, nullptr);
    run_to_end(gone);
    for (long pid : {static_cast<long>(gone->pid), 0L, 1L})
        EXPECT_EQ(unix_kill(pid), -1) << pid;
    EXPECT_TRUE(recorder_.messages().empty());
}

// A foreign child (the help viewer) is reaped silently and neither ends nor
// fails the installer's own, whose status stays for the command engine.
TEST_F(child_processes, a_foreign_child_changes_no_flag_of_the_installers_own)
{
    proc_desc_t* proc = start("sleep 60");
    ASSERT_NE(proc, nullptr);
    pid_t foreign = fork();
    if (foreign == 0)
        _exit(3);
    std::string entry = "/proc/" + std::to_string(foreign);
    ASSERT_TRUE(wait_until("the handler to reap the foreign child",
                           [&entry] { return access(entry.c_str(), F_OK) != 0; }));
    int status = -1;
    EXPECT_EQ(child_died_g, 0);
    EXPECT_EQ(child_succeeded_g, 1);
    EXPECT_EQ(watched_child_ended(proc->pid, &status), 0) << "still running";
    unix_kill(proc->pid);
    ASSERT_TRUE(wait_until("the own child to end", [&] { return watched_child_ended(proc->pid, &status) != 0; }));
    EXPECT_EQ(watched_child_ended(proc->pid, &status), 1);
    EXPECT_TRUE(WIFSIGNALED(status)) << "its real status, kept for it";
    EXPECT_EQ(child_died_g, 1);
}

// Tcl's notifier thread may take SIGCHLD while the thread that starts the
// children has it blocked to give a new child its slot: the handler there
// must leave every child alone and hand the signal on, or the new child
// would be reaped as a stranger and its end never seen.
TEST_F(child_processes, another_thread_leaves_the_children_to_the_starting_thread)
{
    proc_desc_t* proc = start("exit 0");
    ASSERT_NE(proc, nullptr);
    run_to_end(proc);
    sigset_t child_signal, previous;
    sigemptyset(&child_signal);
    sigaddset(&child_signal, SIGCHLD);
    sigprocmask(SIG_BLOCK, &child_signal, &previous);
    pid_t newcomer = fork();
    if (newcomer == 0)
        _exit(0);
    siginfo_t info {};
    ASSERT_EQ(waitid(P_PID, newcomer, &info, WEXITED | WNOWAIT), 0);
    std::thread([] { get_child_status(SIGCHLD); }).join();
    info = {};
    EXPECT_EQ(waitid(P_PID, newcomer, &info, WEXITED | WNOHANG | WNOWAIT), 0) << "reaped by the other thread";
    EXPECT_EQ(info.si_pid, newcomer);
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    std::string entry = "/proc/" + std::to_string(newcomer);
    EXPECT_TRUE(wait_until("this thread's handler to reap it", [&entry] { return access(entry.c_str(), F_OK) != 0; }));
}

// Real children's reports where there are some; GNU dd's byte count belongs to
// its record report and may come in a read of its own.
TEST_F(child_processes, only_block_counts_records_and_links_on_stderr_are_benign)
{
    proc_desc_t* proc = start("echo '512 blocks' 1>&2; cat /nonexistent/kitsetup-missing; "
                              "dd if=/dev/zero of=/dev/null bs=512 count=10");
    ASSERT_NE(proc, nullptr);
    std::vector<std::pair<std::string, bool>> rows = {
        {"./lib/x.so linked to ./lib/y.so", true}, {"3+1 records out", true}, {"512 bytes", false},
        {"10+0 records sideways", false}, {"a linked with b", false}, {"a linked to", false}, {"", false}};
    std::istringstream child_lines(run_to_end(proc).second);
    for (std::string line; std::getline(child_lines, line);)
        rows.emplace_back(line, line.find("kitsetup-missing") == std::string::npos);
    ASSERT_EQ(rows.size(), 12u) << "the child's report changed";
    for (const auto& [line, benign] : rows)
        EXPECT_EQ(valid_stderr(listring(line.c_str())), benign) << "\"" << line << "\"";
}

TEST(valid_cmd, knows_exactly_the_template_commands)
{
    state_guard restore;
    for (const char* name : {"cp", "tar", "uncompress", "dd", "  tar "})
        EXPECT_TRUE(valid_cmd(name)) << name;
    listring::case_sensitive_off();
    for (const char* name : {"ls", "ta", "", "TAR"})
        EXPECT_FALSE(valid_cmd(name)) << name << " (exact even while the program ignores case)";
    EXPECT_FALSE(listring::is_case_sensitive());
}

TEST(extract_file_info, reads_tar_and_cpio_listing_lines)
{
    const struct { const char *line, *command; bool names_a_file; const char* name; int size; } rows[] = {
        {"  x ./lib/a.so, 1234 bytes, 3 tape blocks", "tar", true, "./lib/a.so", 1234},
        {"x ./docs", "tar", true, "./docs", -1},
        {"tar: blocksize = 20", "tar", false, "", -1},
        {"  ./lib/a.so", "cpio", true, "./lib/a.so", -1},
        {"xfile more words", "cpio", true, "xfile", -1},
    };
    for (const auto& row : rows) {
        listring name("stale");
        int size = 99;
        EXPECT_EQ(extract_file_info(row.line, name, &size, row.command), row.names_a_file) << row.line;
        EXPECT_STREQ(name.c_str(), row.name) << row.line;
        EXPECT_EQ(size, row.size) << row.line;
    }
}

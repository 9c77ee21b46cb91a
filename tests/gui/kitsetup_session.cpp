#include "kitsetup_session.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <tcl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

static int next_session = 0;

kitsetup_session::kitsetup_session(const std::string& program, const std::vector<std::string>& args,
                                   test_environment environment, const std::string& screen,
                                   const char* automation_variable)
    : name_("kitsetup_test_" + std::to_string(getpid()) + "_" + std::to_string(++next_session))
{
    signal(SIGPIPE, SIG_IGN);  // a client that died is reported, not fatal
    const char* display = std::getenv("DISPLAY");
    display_ = display == nullptr ? "" : display;
    if (!screen.empty())
        xvfb_pid_ = start_xvfb(screen, &display_);
    environment.set("DISPLAY", display_.c_str()).set(automation_variable, name_.c_str());
    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> env = environment.entries();
    std::vector<char*> c_args = c_vector(argv), c_env = c_vector(env);
    std::string out_path = files_ / "stdout", err_path = files_ / "stderr";
    pid_ = fork();
    if (pid_ == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
        dup2(err, 2);
        execve(program.c_str(), c_args.data(), c_env.data());
        _exit(127);
    }

    start_client();
}

// The client is a wish of its own on the program's display: each request
// line is the application to ask and the words after "automation"; it
// answers with "CODE LENGTH\n" and LENGTH bytes of result, so results may
// hold newlines; and it dies with its display, harmlessly.
void kitsetup_session::start_client()
{
    static const char* const script =
        "fconfigure stdin -translation lf -encoding utf-8\n"
        "fconfigure stdout -translation binary\n"
        "wm withdraw .\n"
        "while {[gets stdin line] >= 0} {\n"
        "    set code [catch {send [lindex $line 0] [list automation {*}[lrange $line 1 end]]} result]\n"
        "    set bytes [encoding convertto utf-8 $result]\n"
        "    puts -nonewline \"$code [string length $bytes]\\n$bytes\"\n"
        "    flush stdout\n"
        "}\n"
        "exit\n";
    std::string script_path = files_ / "client.tcl";
    write_file(script_path, script);
    int to_client[2];
    int from_client[2];
    if (pipe(to_client) != 0 || pipe(from_client) != 0)
        return;
    client_pid_ = fork();
    if (client_pid_ == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        dup2(to_client[0], 0);
        dup2(from_client[1], 1);
        close(to_client[1]);
        close(from_client[0]);
        execlp("wish", "wish", script_path.c_str(), "-display", display_.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(to_client[0]);
    close(from_client[1]);
    to_client_ = to_client[1];
    from_client_ = from_client[0];
}

kitsetup_session::~kitsetup_session()
{
    if (!ended())
        end_process(pid_, SIGKILL);
    if (to_client_ >= 0)
        close(to_client_);
    if (from_client_ >= 0)
        close(from_client_);
    end_process(client_pid_, SIGTERM);
    end_process(xvfb_pid_, SIGTERM);
}

std::string kitsetup_session::automation_of(const std::string& app, const std::string& words)
{
    std::string request = app + " " + words + "\n";
    if (to_client_ < 0 || write(to_client_, request.data(), request.size()) != static_cast<ssize_t>(request.size()))
        return "ERROR: the automation client is not running";
    auto deadline = std::chrono::steady_clock::now() + wait_limit;
    std::string header;
    char c = 0;
    while (read_byte(from_client_, &c, deadline) && c != '\n')
        header += c;
    int code = 1;
    size_t length = 0;
    std::string result;
    if (c == '\n' && std::sscanf(header.c_str(), "%d %zu", &code, &length) == 2) {
        while (result.size() < length && read_byte(from_client_, &c, deadline))
            result += c;
        if (result.size() == length)
            return code == 0 ? result : "ERROR: " + result;
    }
    // A late answer would be taken for the next request's: no more requests.
    close(to_client_);
    to_client_ = -1;
    return "ERROR: no answer to \"" + words + "\" within " + std::to_string(wait_limit.count()) +
           " s (or the client ended)";
}

bool kitsetup_session::wait_for_shown(const std::string& top)
{
    bool found = false;
    wait_until("\"" + top + "\" to be shown", [&] {
        std::string shown = automation("shown");
        if (shown.rfind("ERROR: ", 0) != 0)
            for (const std::string& word : list_words(shown))
                found = found || word == top;
        return found || ended();
    });
    return found;
}

std::string kitsetup_session::wait_for_message()
{
    std::string message;
    wait_until("a message box", [&] {
        message = automation("message");
        if (message.rfind("ERROR: ", 0) == 0)
            message.clear();
        return !message.empty() || ended();
    });
    return message;
}

static std::string squeezed(std::string text)
{
    text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\n'; }), text.end());
    return text;
}

std::string kitsetup_session::wait_for_box(const std::string& start)
{
    std::string shown;
    bool came = wait_until("the box " + start, [&] {
        shown = folded(automation("message"));
        return !shown.empty() && squeezed(shown).rfind(squeezed(start), 0) == 0;
    });
    EXPECT_TRUE(came) << "the box shown is: " << shown;
    return came ? shown : "";
}

bool kitsetup_session::answer(const std::string& button)
{
    std::string answered = automation("message");
    automation("answer " + button);
    return wait_until("the box answered with " + button + " to go", [&] { return automation("message") != answered; });
}

bool kitsetup_session::back_at_main_window()
{
    return wait_until("the main window alone to be shown", [&] { return automation("shown") == "main_win"; });
}

bool kitsetup_session::ended()
{
    int status = 0;
    if (status_ < 0 && pid_ > 0 && waitpid(pid_, &status, WNOHANG) == pid_)
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return status_ >= 0;
}

void kitsetup_session::stop_display()
{
    end_process(xvfb_pid_, SIGKILL);
    xvfb_pid_ = -1;
}

test_environment session_environment()
{
    return test_environment().set("KARCH", KITSETUP_KARCH).set("LANG", "C").set("LC_ALL", nullptr)
        .set("WINDOWID", nullptr);
}

bool private_mounts_work()
{
    return run_program("/usr/bin/unshare", {"unshare", "-m", "true"}, test_environment()).status == 0;
}

std::vector<std::string> list_words(const std::string& list)
{
    int count = 0;
    const char** words = nullptr;
    std::vector<std::string> result;
    if (Tcl_SplitList(nullptr, list.c_str(), &count, &words) != TCL_OK)
        return {"(not a list: " + list + ")"};
    result.assign(words, words + count);
    Tcl_Free(reinterpret_cast<char*>(words));
    return result;
}

std::string read_only_mount(const std::string& path)
{
    return "mount --bind '" + path + "' '" + path + "' && mount -o remount,bind,ro '" + path + "'";
}

std::string copy_of_demo(const temp_dir& dir)
{
    std::string copy = dir / "demo";
    std::string command = "cp -r '" KITSETUP_DEMO_DIR "' '" + copy + "' && rm -f '" + copy + "/kitsetup.log'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    return copy;
}

std::unique_ptr<kitsetup_session> isolated_session(const std::string& install, const std::string& tarnu,
                                                   const std::string& screen, test_environment environment,
                                                   const std::string& namespace_setup)
{
    std::string script = "mount -t tmpfs kit_opt /opt && mkdir /opt/tarnu && mount --bind \"$2\" /opt/tarnu && " +
                         (namespace_setup.empty() ? "" : "{ " + namespace_setup + "; } && ") +
                         "exec \"$1\" -dir \"$3\" -nosplash";
    return std::make_unique<kitsetup_session>(
        "/usr/bin/unshare", std::vector<std::string>{"-m", "sh", "-c", script, "sh", KITSETUP_BIN, tarnu, install},
        environment, screen);
}

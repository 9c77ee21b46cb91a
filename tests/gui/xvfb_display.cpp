#include "xvfb_display.h"

#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "run_program.h"

bool read_byte(int fd, char* c, std::chrono::steady_clock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd ready = {fd, POLLIN, 0};
    return left.count() > 0 && poll(&ready, 1, static_cast<int>(left.count())) == 1 && read(fd, c, 1) == 1;
}

int start_xvfb(const std::string& screen, std::string* display)
{
    int ends[2];
    if (pipe(ends) != 0)
        return -1;
    int pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        close(ends[0]);
        std::string fd = std::to_string(ends[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
               "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ends[1]);
    auto deadline = std::chrono::steady_clock::now() + wait_limit;
    std::string number;
    char c = 0;
    while (read_byte(ends[0], &c, deadline) && c != '\n')
        number += c;
    close(ends[0]);
    if (c != '\n' || number.empty()) {
        end_process(pid, SIGKILL);
        return -1;
    }
    *display = ":" + number;
    return pid;
}

bool take_screenshot(const std::string& display, const std::string& name)
{
    std::string dir = std::string(KITSETUP_BUILD_DIR) + "/screenshots", xwd = dir + "/" + name + ".xwd";
    std::string command = "mkdir -p '" + dir + "' && xwd -root -silent -display '" + display +
                          "' -out '" + xwd + "' 2>/dev/null && xwdtopnm '" + xwd +
                          "' 2>/dev/null | pnmtopng > '" + dir + "/" + name + ".png' && rm -f '" + xwd + "'";
    return wait_until("a screenshot " + name + " of " + display, [&] { return std::system(command.c_str()) == 0; });
}

void xvfb_display::SetUp()
{
    std::string display;
    pid_ = start_xvfb(screen_, &display);
    ASSERT_GT(pid_, 0) << "Xvfb did not tell its display within " << wait_limit.count()
                        << " s (is the xvfb package installed?)";
    setenv("DISPLAY", display.c_str(), 1);
}

void end_process(int pid, int signal_number)
{
    if (pid > 0 && kill(pid, signal_number) == 0)
        waitpid(pid, nullptr, 0);
}

void xvfb_display::TearDown()
{
    end_process(pid_, SIGTERM);
}

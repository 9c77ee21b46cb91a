#include "xvfb_display.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

int start_xvfb(const std::string& screen, std::string* display)
{
    int ends[2];
    if (pipe(ends) != 0)
        return -1;
    int pid = fork();
    if (pid == 0) {
        close(ends[0]);
        std::string fd = std::to_string(ends[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
               "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ends[1]);
    std::string number;
    char c;
    while (read(ends[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(ends[0]);
    if (number.empty())
        return -1;
    *display = ":" + number;
    return pid;
}

void xvfb_display::SetUp()
{
    std::string display;
    pid_ = start_xvfb(screen_, &display);
    ASSERT_GT(pid_, 0) << "Xvfb did not start (is the xvfb package installed?)";
    setenv("DISPLAY", display.c_str(), 1);
}

void xvfb_display::TearDown()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

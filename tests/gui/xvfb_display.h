// Test helper: a private Xvfb server for one test program, started on a free
// display (Xvfb picks it) and named in DISPLAY; stopped when the program ends.
#ifndef KITSETUP_TESTS_GUI_XVFB_DISPLAY_H
#define KITSETUP_TESTS_GUI_XVFB_DISPLAY_H

#include <chrono>
#include <string>

#include <gtest/gtest.h>

// Reads one byte from fd into *c, waiting at most until deadline: false at
// end of file, on failure or after the deadline.
bool read_byte(int fd, char* c, std::chrono::steady_clock::time_point deadline);

// Starts Xvfb on a free display with screen ("WxHxD"): its pid, and the
// display's name in *display; -1 when it did not start within wait_limit.
// Xvfb ends with the test program, however that ends.
int start_xvfb(const std::string& screen, std::string* display);

// Saves the whole screen of display as build/screenshots/NAME.png, for people
// to look at. xwd fails when a window goes while it walks the tree, so it
// is tried until a shot succeeds: false after wait_limit.
bool take_screenshot(const std::string& display, const std::string& name);

// Sends signal_number to pid, when there is one, and waits for it to end.
void end_process(int pid, int signal_number);

class xvfb_display : public ::testing::Environment {
public:
    // screen is Xvfb's "WIDTHxHEIGHTxDEPTH".
    explicit xvfb_display(const std::string& screen = "1024x768x24") : screen_(screen) {}
    void SetUp() override;
    void TearDown() override;

private:
    std::string screen_;
    int pid_ = -1;
};

#endif

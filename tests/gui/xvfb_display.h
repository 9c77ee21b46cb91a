// Test helper: a private Xvfb server for one test program, started on a free
// display (Xvfb picks it) and named in DISPLAY; stopped when the program ends.
#ifndef KITSETUP_TESTS_GUI_XVFB_DISPLAY_H
#define KITSETUP_TESTS_GUI_XVFB_DISPLAY_H

#include <string>

#include <gtest/gtest.h>

// Starts Xvfb on a free display with screen ("WxHxD"): its pid, and the
// display's name in *display; -1 when it did not start.
int start_xvfb(const std::string& screen, std::string* display);

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

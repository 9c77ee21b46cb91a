// Test helper: a private Xvfb server for one test program, started on a free
// display (Xvfb picks it) and named in DISPLAY; stopped when the program ends.
#ifndef KITSETUP_TESTS_GUI_XVFB_DISPLAY_H
#define KITSETUP_TESTS_GUI_XVFB_DISPLAY_H

#include <string>

#include <gtest/gtest.h>

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

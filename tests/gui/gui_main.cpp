// main of the GUI test programs: every test runs with its own Xvfb.
#include <gtest/gtest.h>

#include "xvfb_display.h"

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new xvfb_display);
    return RUN_ALL_TESTS();
}

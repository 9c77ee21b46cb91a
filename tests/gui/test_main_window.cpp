// The main window as a user meets it: its help menu, F1 and the about box,
// and the help viewer that they start, share and end with the program.
#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>

#include "kitsetup_session.h"
#include "toolkit/oi_connection.h"

namespace {

const std::string program = KITSETUP_BIN;

// A viewer name unique on the display, for the viewer's automation.
std::string viewer_name(const char* tag)
{
    return std::string("viewer_") + tag + "_" + std::to_string(getpid());
}

// The requests a viewer has received, as the viewer lists them; waits until
// it answers with at least count of them.
std::string wait_for_requests(kitsetup_session& session, const std::string& viewer, size_t count)
{
    std::string requests;
    wait_until(std::to_string(count) + " requests to reach viewer " + viewer, [&] {
        requests = session.automation_of(viewer, "requests");
        return requests.rfind("ERROR: ", 0) != 0 && list_words(requests).size() >= count;
    });
    return requests;
}

bool menu_window_exists(const std::string& display)
{
    program_result windows = run_program("/usr/bin/xwininfo", {"xwininfo", "-display", display, "-root", "-children"},
                                     test_environment());
    return windows.out.find("\"Menu\")") != std::string::npos;
}

}  // namespace

TEST(MainWindow, HelpMenuOffersItsFourEntriesInOrderAndTheAboutBox)
{
    kitsetup_session session(program, {"-dir", KITSETUP_DEMO_DIR, "-nosplash"}, session_environment());
    ASSERT_TRUE(session.wait_for_shown("main_win")) << session.standard_error();
    EXPECT_EQ(session.automation("get main_win main_help_menu"),
              "{main_help_choice1 {On Help}} {main_help_choice2 Contents} "
              "{main_help_choice3 {On Actions}} {main_help_choice4 About...}");
    session.automation("key main_win main_win F10");
    EXPECT_TRUE(wait_until("the help menu to be posted", [&] { return menu_window_exists(session.display()); }));
    EXPECT_TRUE(session.screenshot("main_help_menu"));
    // Choosing the entry takes the menu down.
    session.automation("press main_win main_help_choice4");
    ASSERT_TRUE(session.wait_for_shown("About Install"));
    EXPECT_TRUE(session.screenshot("about_box"));
    session.automation("press {About Install} about_dialog");
    EXPECT_TRUE(session.back_at_main_window()) << "the about box closes on a click";
    EXPECT_EQ(session.quit(), 0);
    EXPECT_EQ(session.standard_error(), "");
}

TEST(MainWindow, AMissingHelpFileIsReportedAndTheProgramGoesOn)
{
    temp_dir dir;
    std::string install = copy_of_demo(dir);
    ASSERT_EQ(std::remove((install + "/hh/kitsetup.hlp").c_str()), 0);
    kitsetup_session session(program, {"-dir", install, "-nosplash"}, session_environment());
    ASSERT_TRUE(session.wait_for_shown("main_win")) << session.standard_error();
    std::string expected = "error {Unable to open " + install + "/hh/kitsetup.hlp}";
    session.automation("press main_win main_help_choice2");
    EXPECT_EQ(session.next_message(), expected);
    EXPECT_TRUE(session.answer("ok_btn"));
    session.automation("key main_win main_win F1");
    EXPECT_EQ(session.next_message(), expected) << "F1";
    EXPECT_TRUE(session.answer("ok_btn"));
    EXPECT_EQ(session.automation("state main_win main_win"), "ACTIVE");
    EXPECT_EQ(session.quit(), 0);
}

// Contents starts a viewer at topic 5; On Actions and F1 reach the same one
// through its command file; the viewer ends with the program.
TEST(MainWindow, HelpRequestsShareOneViewerThatEndsWithTheProgram)
{
    std::string viewer = viewer_name("started");
    kitsetup_session session(program, {"-dir", KITSETUP_DEMO_DIR, "-nosplash"},
                             session_environment().set("HYPERHELP_AUTOMATION", viewer.c_str()));
    ASSERT_TRUE(session.wait_for_shown("main_win")) << session.standard_error();
    std::string help_file = std::string(KITSETUP_DEMO_DIR) + "/hh/kitsetup.hlp";

    session.automation("press main_win main_help_choice2");
    wait_for_requests(session, viewer, 1);
    EXPECT_EQ(session.automation_of(viewer, "page"), OI_list({help_file, "5", "Software Installation Help"}));
    EXPECT_TRUE(session.screenshot("help_contents"));

    session.automation("press main_win main_help_choice3");
    wait_for_requests(session, viewer, 2);
    session.automation("key main_win main_win F1");
    std::string requests = wait_for_requests(session, viewer, 3);
    std::string actions = OI_list({"message", "-c 15 " + help_file});
    EXPECT_EQ(requests, OI_list({OI_list({"args", help_file + " -c 5 -s 0"}), actions, actions}));
    EXPECT_EQ(session.automation_of(viewer, "page"), OI_list({help_file, "15", "The main window"}));

    EXPECT_EQ(session.quit(), 0);
    EXPECT_TRUE(wait_until("the viewer to end with the program", [&] {
        return session.automation_of(viewer, "page").rfind("ERROR: ", 0) == 0;
    }));
}

TEST(MainWindow, AViewerFoundRunningIsUsedAndLeftRunning)
{
    std::string viewer = viewer_name("found");
    kitsetup_session found(HYPERHELP_BIN, {}, test_environment(), "", "HYPERHELP_AUTOMATION");
    ASSERT_TRUE(wait_until("the viewer to answer", [&] { return found.automation("page").rfind("ERROR: ", 0) != 0; }));
    kitsetup_session session(program, {"-dir", KITSETUP_DEMO_DIR, "-nosplash"}, session_environment());
    ASSERT_TRUE(session.wait_for_shown("main_win")) << session.standard_error();
    session.automation("press main_win main_help_choice1");
    std::string hoh = std::string(KITSETUP_DEMO_DIR) + "/hh/hoh.hlp";
    EXPECT_TRUE(wait_until("the request to reach the running viewer", [&] {
        return found.automation("requests") == OI_list({"args {}", OI_list({"message", "-i " + hoh})});
    })) << found.automation("requests");
    EXPECT_EQ(session.quit(), 0);
    EXPECT_EQ(found.automation("page").rfind("ERROR: ", 0), std::string::npos) << "the viewer was ended";
    // Ended in order, so that its command file goes with it.
    found.send_signal(SIGTERM);
    EXPECT_EQ(found.wait_exit(), 0);
}

// The program itself under X, as a user starts it: splash, main window,
// fonts by screen size, the orderly end with the log saved.
#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "kitsetup_session.h"

namespace {

const std::string program = KITSETUP_BIN;

// The program on install without its splash, as most of these runs want it.
std::unique_ptr<kitsetup_session> started(const std::string& install,
                                          test_environment environment = session_environment(),
                                          const std::string& screen = "")
{
    return std::make_unique<kitsetup_session>(program, std::vector<std::string>{"-dir", install, "-nosplash"},
                                              environment, screen);
}

}  // namespace

// The log's opening line alone is no reason to leave a log file behind.
TEST(Program, ShowsTheSplashThenTheMainWindowAndQuitsLeavingNoLogOfNothing)
{
    temp_dir dir;
    std::string install = copy_of_demo(dir);
    kitsetup_session session(program, {"-dir", install}, session_environment());
    ASSERT_TRUE(session.wait_for_shown("Welcome to Install")) << session.standard_error();
    EXPECT_TRUE(session.screenshot("splash"));
    ASSERT_TRUE(session.wait_for_shown("main_win")) << session.standard_error();
    EXPECT_TRUE(wait_until("the splash to go once the main window is up",
                           [&] { return session.automation("shown") == "main_win"; }));
    EXPECT_TRUE(session.screenshot("main_window"));
    EXPECT_EQ(session.automation("state main_win main_win"), "ACTIVE");
    EXPECT_NE(session.automation("log").find("Release 1.0.8"), std::string::npos);
    EXPECT_EQ(session.automation("quit"), "");
    EXPECT_EQ(session.wait_exit(), 0);
    EXPECT_FALSE(std::ifstream(install + "/kitsetup.log").is_open()) << "a log of a run that did nothing";
    EXPECT_EQ(session.standard_output(), "");
    EXPECT_EQ(session.standard_error(), "");
}

// The screen size chooses the font file; the locales a Debian user has find
// the "C" texts and resource copies without a word, and -nosplash starts
// straight with the main window.
TEST(Program, ScreenSizeChoosesTheFontFileAndUsualLocalesStartWithoutAMessage)
{
    temp_dir dir;
    std::string install = copy_of_demo(dir);
    write_file(install + "/config/fonts.cf", "*main_win.banner.text: large fonts\n");
    write_file(install + "/config/sfonts.cf", "*main_win.banner.text: small fonts\n");
    // Nothing else may set the banner's text.
    for (const char* file : {"/config/kitsetup.cf", "/config/C/kitsetup.cf"}) {
        std::string kept;
        std::istringstream lines(read_file(install + file));
        for (std::string line; std::getline(lines, line);)
            kept += line.find("banner.text") == std::string::npos ? line + "\n" : "";
        write_file(install + file, kept);
    }
    const struct { const char *screen, *lang, *banner; } rows[] = {
        {"800x600x24", "en_US.UTF-8", "small fonts"}, {"1024x768x24", "C.UTF-8", "large fonts"}};
    for (const auto& row : rows) {
        auto session = started(install, session_environment().set("LANG", row.lang), row.screen);
        EXPECT_TRUE(session->wait_for_shown("main_win")) << row.lang << ": " << session->automation("message");
        EXPECT_EQ(session->automation("shown"), "main_win") << row.lang;
        EXPECT_EQ(session->automation("get main_win banner"), row.banner) << row.screen;
        EXPECT_EQ(session->quit(), 0) << row.lang;
        EXPECT_EQ(session->standard_error(), "") << row.lang;
    }
}

// An interrupt or a termination ends the program through shutdown, from the
// event loop or from a message box's own loop during start-up, with the
// signal's number as status; a crash ends it with the prepared text and 255.
TEST(Program, SignalsEndTheProgramThroughShutdownOrTheCrashText)
{
    temp_dir dir;
    std::string install = copy_of_demo(dir);
    ASSERT_EQ(std::remove((install + "/config/C/kitsetup.cf").c_str()), 0);
    for (int signal_number : {SIGINT, SIGTERM}) {
        auto session = started(KITSETUP_DEMO_DIR);
        ASSERT_TRUE(session->wait_for_shown("main_win")) << session->standard_error();
        ASSERT_TRUE(session->send_signal(signal_number));
        EXPECT_EQ(session->wait_exit(), signal_number) << "main window, signal " << signal_number;
        EXPECT_EQ(session->standard_error(), "");
        session = started(install);
        ASSERT_NE(session->wait_for_message(), "") << "the missing language copy is reported";
        ASSERT_TRUE(session->send_signal(signal_number));
        EXPECT_EQ(session->wait_exit(), signal_number) << "message box, signal " << signal_number;
    }
    auto session = started(KITSETUP_DEMO_DIR);
    ASSERT_TRUE(session->wait_for_shown("main_win"));
    ASSERT_TRUE(session->send_signal(SIGSEGV));
    EXPECT_EQ(session->wait_exit(), 255);
    EXPECT_EQ(session->standard_error(), "kitsetup Error: unrecoverable internal error.\n");
}

TEST(Program, ADisplayThatGoesAwayEndsTheProgram)
{
    auto session = started(KITSETUP_DEMO_DIR, session_environment(), "640x480x24");
    ASSERT_TRUE(session->wait_for_shown("main_win"));
    session->stop_display();
    EXPECT_EQ(session->wait_exit(), 1);
    EXPECT_NE(folded(session->standard_error()).find("the connection to the X display was lost"), std::string::npos);
}

TEST(Program, ResourceFileFailuresEndOrGoOnAsEachFileDeserves)
{
    temp_dir dir;
    std::string install = copy_of_demo(dir);
    const std::string unable = "error {Unable to open top level resource file " + install + "/config/";
    ASSERT_EQ(std::remove((install + "/config/C/kitsetup.cf").c_str()), 0);
    auto session = started(install);
    EXPECT_EQ(session->next_message(), unable + "C/kitsetup.cf.}");
    session->automation("answer ok_btn");
    EXPECT_TRUE(session->wait_for_shown("main_win")) << "start-up goes on after the message";
    EXPECT_EQ(session->quit(), 0);

    ASSERT_EQ(std::remove((install + "/config/C/help.cf").c_str()), 0);
    session = started(install);
    session->wait_for_message();
    session->automation("answer ok_btn");
    EXPECT_TRUE(wait_until("the missing help.cf to be reported",
                           [&] { return folded(session->automation("message")) == unable + "C/help.cf.}"; }));
    session->automation("answer ok_btn");
    EXPECT_EQ(session->wait_exit(), 255) << "the help menu cannot do without its texts";

    write_file(install + "/config/kitsetup.cf", "*main_win.class: AppWindow\nthis is no resource\n");
    session = started(install);
    EXPECT_EQ(session->next_message(), unable + "kitsetup.cf. Line 2 of " + install + "/config/kitsetup.cf: "
                                       "a resource line is \"name: value\", and this one has no colon.}");
    session->automation("answer ok_btn");
    EXPECT_EQ(session->wait_exit(), 0) << "an unmergeable main file ends with 0";
    EXPECT_NE(session->standard_error().find("kitsetup.cf:2: "), std::string::npos);

    ASSERT_EQ(std::remove((install + "/config/cmndlgs.cf").c_str()), 0);
    EXPECT_EQ(started(install)->wait_exit(), 255) << "missing common dialogs end with 255";
    // The message boxes are not loaded yet: the message goes to standard error.
    ASSERT_EQ(std::remove((install + "/config/fonts.cf").c_str()), 0);
    session = started(install);
    EXPECT_EQ(session->wait_exit(), 255) << "a missing font file ends with 255";
    EXPECT_EQ(folded(session->standard_error()),
              "kitsetup Error: Unable to open top level resource file " + install + "/config/fonts.cf. ");
}

// -setup runs the product's user set-up script and ends with its result;
// with no installation recorded it says so and ends with 255.
TEST(Program, SetupRunsTheProductsUserScriptAndEndsWithItsResult)
{
    if (!private_mounts_work())
        GTEST_SKIP() << "no private mount namespace here";
    temp_dir dir;
    write_file(dir / "home/.keep", "");
    const char* script =
        "mount -t tmpfs kit_opt /opt && mkdir /opt/tarnu && "
        "if [ -n \"$2\" ]; then printf 'Target:\\t%s;\\nOptions:\\tbase ;\\n' \"$2\" "
        "> /opt/tarnu/.kps30.dat; fi && exec \"$1\" -dir \"$3\" -setup kps30";
    for (const char* target : {"/opt/kps30", ""}) {
        kitsetup_session session("/usr/bin/unshare",
                                 {"-m", "sh", "-c", script, "sh", program, target, KITSETUP_DEMO_DIR},
                                 session_environment().set("HOME", (dir / "home").c_str()));
        std::string message = folded(session.wait_for_message());
        session.automation("answer ok_btn");
        if (*target == '\0') {
            EXPECT_EQ(message, "error {No record of Sample Product 3.0, a demonstration kit with a "
                               "printing sample having been installed on this machine can be found.}");
            EXPECT_EQ(session.wait_exit(), 255);
            continue;
        }
        std::string rc = dir / "home/.kps30rc";
        EXPECT_EQ(message, "information {Sample Product 3.0, a demonstration kit with a printing "
                           "sample is set up for you: your settings are in " + rc + ".}");
        EXPECT_EQ(session.wait_exit(), 0) << session.standard_error();
        EXPECT_EQ(read_file(rc), "# Sample Product 3.0, a demonstration kit with a printing sample\n"
                                 "KPS30_HOME=/opt/kps30\n");
    }
}

// -geometry and -title, as any X program takes them. A value that is no
// geometry (here one that would be Tcl if it reached Tk) is refused with a
// warning, and the window is centred.
TEST(Program, GeometryAndTitleOptionsPlaceAndNameTheMainWindow)
{
    kitsetup_session placed(program, {"-dir", KITSETUP_DEMO_DIR, "-nosplash", "-geometry", "640x400+12+34", "-title",
                                      "Placed"}, session_environment());
    ASSERT_TRUE(placed.wait_for_shown("main_win")) << placed.standard_error();
    program_result info = run_program("/usr/bin/xwininfo", {"xwininfo", "-display", placed.display(), "-name", "Placed"},
                                      test_environment());
    for (const char* line : {"Absolute upper-left X:  12\n", "Absolute upper-left Y:  34\n", "Width: 640\n"})
        EXPECT_NE(info.out.find(line), std::string::npos) << line << "not in:\n" << info.out << info.err;
    EXPECT_EQ(placed.quit(), 0);

    kitsetup_session refused(program, {"-dir", KITSETUP_DEMO_DIR, "-nosplash", "-geometry", "640x400 [exit 3]"},
                             session_environment());
    EXPECT_EQ(refused.next_message(), "warning {The geometry \"640x400 [exit 3]\" is not of the form "
                                      "WIDTHxHEIGHT+X+Y; the main window is centred instead.}");
    EXPECT_TRUE(refused.answer("ok_btn"));
    EXPECT_TRUE(refused.wait_for_shown("main_win"));
    EXPECT_EQ(refused.quit(), 0);
}

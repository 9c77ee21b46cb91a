// Test helper: the installer running as a user runs it, on the test's
// display (or a private Xvfb of a given size), driven through its automation
// interface with Tk's send from this process.
#ifndef KITSETUP_TESTS_GUI_KITSETUP_SESSION_H
#define KITSETUP_TESTS_GUI_KITSETUP_SESSION_H

#include <csignal>
#include <memory>
#include <string>
#include <vector>

#include "run_program.h"
#include "xvfb_display.h"

class kitsetup_session {
public:
    // Starts program with args in environment, its automation name in
    // automation_variable (the help viewer has its own), on a private Xvfb
    // of screen ("WxHxD") when given.
    kitsetup_session(const std::string& program, const std::vector<std::string>& args,
                     test_environment environment, const std::string& screen = "",
                     const char* automation_variable = "KITSETUP_AUTOMATION");
    ~kitsetup_session();
    kitsetup_session(const kitsetup_session&) = delete;
    kitsetup_session& operator=(const kitsetup_session&) = delete;

    // Runs "automation words" in the program: its result, or "ERROR: text"
    // (also when no answer came within wait_limit).
    std::string automation(const std::string& words) { return automation_of(name_, words); }
    // The same for another program on the display that answers send under
    // the name app.
    std::string automation_of(const std::string& app, const std::string& words);
    // Waits until a top-level object named top is displayed: false when the
    // program ended first or after wait_limit.
    bool wait_for_shown(const std::string& top);
    // Waits until a message box is displayed: its {kind text}, or "".
    std::string wait_for_message();
    // Presses object (a cell, button or icon) of top and waits until dialog
    // is shown: false when it was not.
    bool open_dialog(const std::string& top, const std::string& object, const std::string& dialog)
    {
        automation("press " + top + " " + object);
        return wait_for_shown(dialog);
    }
    // Waits for a message box: its {kind text} with line breaks folded, or "".
    std::string next_message() { return folded(wait_for_message()); }
    // Waits for a message box whose {kind text} begins with start, blanks and
    // line breaks aside (the wrap may cut a long word): its folded text, or ""
    // after a failure naming what was shown.
    std::string wait_for_box(const std::string& start);
    // The same, then answers the box with button as answer does.
    bool answer_box(const std::string& start, const std::string& button)
    {
        return !wait_for_box(start).empty() && answer(button);
    }
    // Answers the box now up with button and waits until it has gone (another
    // may follow): false, after a failure, when it stayed.
    bool answer(const std::string& button);
    // Waits until the main window alone is shown: false after a failure.
    bool back_at_main_window();
    // Asks the program to quit: its exit status, as wait_exit.
    int quit()
    {
        automation("quit");
        return wait_exit();
    }
    // Waits for the program to end: its exit status, or -1 after wait_limit.
    int wait_exit()
    {
        wait_until("the program to end", [this] { return ended(); });
        return status_;
    }
    // Sends signal_number to the program: false when it has ended.
    bool send_signal(int signal_number) { return !ended() && kill(pid_, signal_number) == 0; }
    // The program's process id (the installer's own in an isolated
    // session), through whose /proc entry a test sees its mount namespace.
    int pid() const { return pid_; }
    const std::string& display() const { return display_; }
    // Ends the session's private Xvfb, as a display going away.
    void stop_display();
    // Saves a screenshot of the display as build/screenshots/NAME.png.
    bool screenshot(const std::string& name) const { return take_screenshot(display_, name); }
    std::string standard_output() const { return read_file(files_ / "stdout"); }
    std::string standard_error() const { return read_file(files_ / "stderr"); }

private:
    void start_client();
    // Whether the program has ended, without waiting; its status in status_.
    bool ended();

    std::string name_;
    std::string display_;
    temp_dir files_;
    int xvfb_pid_ = -1;
    int pid_ = -1;
    int status_ = -1;
    int client_pid_ = -1;
    int to_client_ = -1;
    int from_client_ = -1;
};

// The environment the program runs in for a test: the demo's architecture,
// the "C" language, no terminal window to hand the focus back to.
test_environment session_environment();

// Whether this process may make a private mount namespace, as the tests
// that isolate system directories such as /opt/tarnu need.
bool private_mounts_work();

// The installer on the tree install in a private mount namespace where
// /opt/tarnu is the directory tarnu, on a private screen when screen is
// given; namespace_setup is shell text run there first (a mount, say).
std::unique_ptr<kitsetup_session> isolated_session(const std::string& install, const std::string& tarnu,
                                                   const std::string& screen = "",
                                                   test_environment environment = session_environment(),
                                                   const std::string& namespace_setup = "");

// The words of a Tcl list, as automation answers hold them; one word
// saying so when list is none.
std::vector<std::string> list_words(const std::string& list);

// Shell text for a namespace_setup: path mounted over itself read-only.
std::string read_only_mount(const std::string& path);

// A private copy of the demo tree under dir, so that a test may change it
// and find the log it leaves.
std::string copy_of_demo(const temp_dir& dir);

#endif

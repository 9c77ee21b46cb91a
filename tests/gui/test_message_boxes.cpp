// The message boxes (also those of a script's failed callback), the busy box
// and the directory prompt once the toolkit is up, answered through the
// automation interface from a timer while the box waits, as a user would.
#include <sched.h>
#include <tcl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cstdlib>
#include <deque>
#include <sstream>

#include "kitsetup_session.h"
#include "misc/lidefs.h"
#include "toi/toi_init.h"
#include "toolkit/cvt_xpmfile.h"
#include "ui/automation.h"
#include "toolkit_fixture.h"
#include "xvfb_display.h"

namespace {

// One step of a user's answers: when the box on screen is of kind (and its
// text contains text), the automation commands are run.
struct user_step {
    std::string kind;
    std::string text;
    std::vector<std::string> commands;
};

class message_boxes : public toolkit_test {
protected:
    void SetUp() override
    {
        setenv("KITSETUP_AUTOMATION", ("message_boxes_" + std::to_string(getpid())).c_str(), 1);
        toolkit_test::SetUp();
        if (HasFatalFailure())
            return;
        use_installer_message_boxes();
        install_automation();
    }
    void TearDown() override
    {
        OI_delete_timeout(OI_callback(&message_boxes::play, this));
        set_reporter(nullptr);
        toolkit_test::TearDown();
    }

    // Plays steps, one per box as it shows, from a timer; what the boxes
    // showed is kept in seen_, their icons and buttons in looks_.
    void answer_with(std::vector<user_step> steps)
    {
        steps_.assign(steps.begin(), steps.end());
        watch_next_step();
        if (!playing_)
            OI_add_timeout(20, OI_callback(&message_boxes::play, this));
        playing_ = true;
    }

    void watch_next_step()
    {
        if (!steps_.empty())
            watch("a " + steps_.front().kind + " box saying \"" + steps_.front().text + "\"");
    }

    // An answer takes effect from the event loop, so a box stays up for a
    // moment after it: a step waits for a box it has not answered yet.
    static long play(OI_d_tech*, void* fixture, long)
    {
        auto* self = static_cast<message_boxes*>(fixture);
        if (self->steps_.empty()) {
            self->playing_ = false;
            return 0;
        }
        message_kind kind;
        listring text;
        OI_d_tech* box = nullptr;
        std::string message = folded(self->tcl("automation message"));
        const user_step& step = self->steps_.front();
        if (current_message_box(&kind, &text, &box) && box->id() != self->answered_ &&
            message.rfind(step.kind + " ", 0) == 0 && message.find(step.text) != std::string::npos) {
            self->seen_.push_back(message);
            self->looks_.push_back(look(box));
            if (!self->screenshot_name_.empty()) {
                settle();
                EXPECT_TRUE(take_screenshot(std::getenv("DISPLAY"), self->screenshot_name_));
            }
            for (const std::string& command : step.commands)
                self->results_.push_back(self->tcl("automation " + command));
            self->answered_ = box->id();
            self->steps_.pop_front();
            self->watch_next_step();
        }
        OI_add_timeout(20, OI_callback(&message_boxes::play, self));
        return 0;
    }

    // The file name of the box's icon and the buttons it offers.
    static std::string look(OI_d_tech* box)
    {
        auto* icon = dynamic_cast<KOI_button*>(box->descendant(PIC.c_str()));
        std::string file = icon == nullptr ? "" : OI_file_for_image(icon->image_name());
        std::string result = icon == nullptr || !icon->is_displayed() ? "no icon" : file.substr(file.rfind('/') + 1);
        for (const char* button : {"ok_btn", "cancel_btn", "yes_btn", "no_btn"})
            if (box->descendant(button) != nullptr)
                result += std::string(" ") + button;
        return result;
    }

    std::deque<user_step> steps_;
    bool playing_ = false;
    std::vector<std::string> seen_;
    std::vector<std::string> looks_;
    std::vector<std::string> results_;  // of the steps' commands
    unsigned long answered_ = 0;
    std::string screenshot_name_;
};

}  // namespace

// Each kind shows its own icon and buttons; each button gives its answer
// (ok and yes true, cancel and no false) and takes the box away.
TEST_F(message_boxes, EachKindShowsItsOwnIconAndButtonsAndEachButtonAnswers)
{
    const struct {
        std::string kind, look;
        bool (*show)();
    } rows[] = {
        {"error", "error ok_btn",
         [] { return error("The file /opt/tarnu/kps30/lib/x.so could not be removed.", true), true; }},
        {"warning", "warning ok_btn cancel_btn",
         [] { return warning("There appears to be insufficient space on the target file system.", true) != 0; }},
        {"confirm", "confirm yes_btn no_btn",
         [] { return confirm("This option was previously installed. Do you wish to reinstall it?", true) != 0; }},
        {"information", "info ok_btn",
         [] { return information("Installation of Sample Product 3.0 is now complete.", true), true; }},
    };
    for (const auto& row : rows) {
        std::istringstream buttons(row.look.substr(row.look.find(' ') + 1));
        for (std::string button; buttons >> button;) {
            screenshot_name_ = row.kind + "_dialog";
            looks_.clear();
            answer_with({{row.kind, "", {"answer " + button}}});
            EXPECT_EQ(row.show(), button == "ok_btn" || button == "yes_btn") << button;
            EXPECT_EQ(looks_, std::vector<std::string>{row.look}) << row.kind;
            EXPECT_EQ(tcl("automation message"), "") << "the box must be gone";
        }
    }
}

TEST_F(message_boxes, BusyBoxShowsWithoutWaitingAndGoes)
{
    popup_busy("Checking tape drive...");
    settle();
    EXPECT_NE(tcl("automation shown").find("Working"), std::string::npos);
    EXPECT_EQ(tcl("automation get Working message"), "{Checking tape drive...}");
    EXPECT_TRUE(take_screenshot(std::getenv("DISPLAY"), "busy_box"));
    popdown_busy();
    settle();
    EXPECT_EQ(tcl("automation shown").find("Working"), std::string::npos);
}

// Root may write anywhere, so the read-only directory is a read-only bind
// mount in a private mount namespace of a child process.
TEST_F(message_boxes, DirectoryPromptRefusesReadOnlyAndCreatesMissingOnYes)
{
    std::string read_only = dir_ / "read_only", missing = dir_ / "new/logs";
    write_file(read_only + "/.keep", "");
    if (unshare(CLONE_NEWNS) != 0 ||
        mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount(read_only.c_str(), read_only.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
        mount(nullptr, read_only.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0)
        GTEST_SKIP() << "no private mount namespace here";
    answer_with({
        {"dir", "log file directory", {"set dir_dialog dir_field {" + read_only + "}", "answer ok_btn"}},
        {"error", "No permission to write to " + read_only, {"answer ok_btn"}},
        {"dir", "log file directory", {"set dir_dialog dir_field {" + missing + "}", "answer ok_btn"}},
        {"confirm", "Directory does not exist", {"answer no_btn"}},
        {"dir", "log file directory", {"answer ok_btn"}},
        {"confirm", "Directory does not exist", {"answer yes_btn"}},
    });
    listring dir("/tmp");
    EXPECT_EQ(get_dir(dir, "Please enter the log file directory."), 0);
    EXPECT_STREQ(dir.c_str(), missing.c_str());
    EXPECT_EQ(seen_.size(), 6u) << "the prompt must stay up after each refusal";
    EXPECT_EQ(access(missing.c_str(), W_OK), 0);
    umount2(read_only.c_str(), MNT_DETACH);
}

// A long message shows on lines of at most 80 characters. A box is a fresh
// copy each time: showing many must not pile up windows, images or the
// cells' state variables.
TEST_F(message_boxes, LongMessagesWrapAtEightyAndRepeatedBoxesLeaveNothingBehind)
{
    std::string sentence;
    while (sentence.size() < 200)
        sentence += "words to wrap ";
    answer_with({{"error", "words", {"get error_dialog message", "answer ok_btn"}}});
    error(sentence.c_str(), true);
    ASSERT_EQ(results_.size(), 2u);
    std::vector<std::string> lines = list_words(results_[0]);
    EXPECT_GE(lines.size(), 3u);
    for (const std::string& line : lines)
        EXPECT_LE(line.size(), 80u) << line;

    auto census = [this] {
        settle();
        return tcl("llength [image names]") + " images, " + tcl("llength [winfo children .]") +
               " windows, " + tcl("array size ::oi::cell_state") + " cell variables";
    };
    std::string before = census();
    answer_with(std::vector<user_step>(15, {"error", "Again", {"answer ok_btn"}}));
    for (int i = 0; i < 15; ++i)
        error("Again.", true);
    EXPECT_EQ(census(), before);
}

// A script callback that fails shows its two error boxes inside the popup's
// wait, and the popup still ends with the button that was pressed.
TEST_F(message_boxes, ScriptCallbackErrorsShowDuringThePopupsWait)
{
    Tcl_Interp* interp = create_interpreter();
    ASSERT_NE(interp, nullptr);
    ASSERT_NE(make("*dlg.class: DialogBox\n*dlg.btn_box.class: ButtonBox\n*dlg.btn_box.ok_btn.class: MenuCell\n",
                   NOT_DISPLAYED), nullptr);
    answer_with({{"error", "Could not successfully execute callback procedure no_such_proc", {"answer ok_btn"}},
                 {"error", "invalid command name \"no_such_proc\"", {"answer ok_btn"}},
                 {"confirm", "Go on?", {"answer yes_btn"}}});
    OI_add_timeout(100, OI_callback([](OI_d_tech*, void*, long) -> long {
        return OI_uib_conn->root()->descendant("dlg")->descendant("ok_btn")->press();
    }, nullptr));
    EXPECT_EQ(Tcl_Eval(interp, "set_cb dlg no_such_proc; popup dlg"), TCL_OK);
    EXPECT_STREQ(Tcl_GetStringResult(interp), "ok_btn") << "a failed callback lets the dialog end";
    EXPECT_EQ(Tcl_Eval(interp, "confirm {Go on?}"), TCL_OK);
    EXPECT_STREQ(Tcl_GetStringResult(interp), "1");
    EXPECT_EQ(seen_.size(), 3u);
    Tcl_DeleteInterp(interp);
}

TEST_F(message_boxes, AutomationNameWithBlanksAndBracesIsTakenWhole)
{
    std::string name = "kit {setup} $x [y] " + std::to_string(getpid());
    setenv("KITSETUP_AUTOMATION", name.c_str(), 1);
    install_automation();
    EXPECT_EQ(tcl("tk appname").rfind(name, 0), 0u) << tcl("tk appname");
}

// Entry fields pass Unicode code points, beyond what <ctype.h> may be asked.
TEST(character_filter, AcceptsPrintableTextOfAnyScriptAndRefusesControls)
{
    for (long printable : {long{'a'}, long{' '}, long{'~'}, 0xe9L, 0x20acL, 0x4e2dL})
        EXPECT_NE(def_char_check_cb(nullptr, nullptr, printable), 0) << printable;
    for (long control : {0x07L, 0x7fL, 0x85L, -1L})
        EXPECT_EQ(def_char_check_cb(nullptr, nullptr, control), 0) << control;
}

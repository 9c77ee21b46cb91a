// The dialog commands of product scripts, run from their own interpreter:
// usage and look-up errors, values by class, popups that wait while timers
// press buttons, script callbacks, text reflow and the demo's sample dialog.
#include <X11/cursorfont.h>
#include <tcl.h>

#include <utility>
#include <vector>

#include "message_recorder.h"
#include "toi/toi_init.h"
#include "toolkit/oi_dialog_box.h"
#include "toolkit/oi_entry_field.h"
#include "toolkit/oi_gauge.h"
#include "toolkit/oi_menu_cell.h"
#include "toolkit/oi_multi_text.h"
#include "ui/automation.h"
#include "toolkit_fixture.h"

namespace {

const char* const test_dialogs =
    "*dlg.class: DialogBox\n*dlg.field.class: EntryField\n*dlg.note.class: MultiText\n"
    "*dlg.caption.class: StaticText\n*dlg.level.class: Gauge\n*dlg.pic.class: ImageButton\n"
    "*dlg.choice.class: ExclusiveMenu\n*dlg.choice.one.class: MenuCell\n"
    "*dlg.choice.two.class: MenuCell\n*dlg.extras.class: PolyMenu\n*dlg.extras.a.class: MenuCell\n"
    "*dlg.extras.b.class: MenuCell\n*dlg.btn_box.class: ButtonBox\n"
    "*dlg.btn_box.ok_btn.class: MenuCell\n*dlg.btn_box.cancel_btn.class: MenuCell\n"
    "*dlg.list.class: ScrollMenu\n*dlg.list.l1.class: MenuCell\n*dlg.list.l1.label: First line\n"
    "*panel.class: Box\n*panel.inner.class: StaticText\n";

// Presses the object named by the argument's id, if it still exists.
long press_by_id(OI_d_tech*, void* id, long)
{
    if (OI_d_tech* object = OI_d_tech::by_id(reinterpret_cast<unsigned long>(id)))
        object->press();
    return 0;
}

class toi_cmds : public toolkit_test {
protected:
    void SetUp() override
    {
        toolkit_test::SetUp();
        if (HasFatalFailure())
            return;
        OI_reg_derived_classes();
        interp_ = Tcl_CreateInterp();
        initialise_interpreter(interp_);
        dialog_ = dynamic_cast<OI_dialog_box*>(make(test_dialogs, NOT_DISPLAYED));
        ASSERT_NE(dialog_, nullptr);
    }
    void TearDown() override
    {
        Tcl_DeleteInterp(interp_);
        toolkit_test::TearDown();
    }

    // Runs script in the script interpreter and checks its status: its result.
    std::string expect(int status, const std::string& script)
    {
        EXPECT_EQ(Tcl_Eval(interp_, script.c_str()), status) << script << ": " << Tcl_GetStringResult(interp_);
        return Tcl_GetStringResult(interp_);
    }
    std::string ok(const std::string& script) { return expect(TCL_OK, script); }
    std::string failure(const std::string& script) { return expect(TCL_ERROR, script); }

    OI_d_tech* find(const std::string& name) const { return conn_->root()->descendant(name); }
    // Presses the button called name of the test dialog after ms, and bounds
    // the popup's wait that follows.
    void press_after(unsigned long ms, const std::string& name)
    {
        OI_add_timeout(ms, OI_callback(press_by_id, reinterpret_cast<void*>(dialog_->descendant(name)->id())));
        watch("the popup to end with " + name);
    }

    Tcl_Interp* interp_ = nullptr;
    OI_dialog_box* dialog_ = nullptr;
    message_recorder messages_;
};

// Usage and look-up errors are the script's, never a message box.
TEST_F(toi_cmds, UsageAndLookUpErrors)
{
    auto usage = [](const std::string& form) { return "wrong number of arguments: should be \"" + form + "\""; };
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"popup a b c", usage("popup dialogId")},
        {"get_value a b c", usage("get_value [ancestorObjectId] objectId")},
        {"text_format a b c", usage("text_format [ancestorObjectId] objectId functionName")},
        {"confirm", usage("confirm msg")}, {"event_flush now", "no arguments expected for command: event_flush"},
        {"get_value nowhere", "Unable to find the interface object nowhere."},
        {"get_value nodlg field", "Unable to locate the dialog \"nodlg\"."},
        {"get_value panel field", "Unable to locate the interface object \"field\" in dialog \"panel\"."},
        {"popup field", "Object field is not a dialog."},
        {"get_value dlg", "Illegal attempt to get data for object dlg. Invalid class."},
        {"set_value dlg btn_box x", "Illegal attempt to set data on object btn_box. Invalid class."},
        {"set_cb caption x", "Illegal attempt to set a callback for object caption. Invalid class."},
        {"text_format dlg field", "Object field is not a multi text."},
    };
    for (const auto& [script, message] : cases)
        EXPECT_EQ(failure(script), message);
    EXPECT_TRUE(messages_.messages().empty());
    EXPECT_EQ(ok("set_value field typed; get_value dlg field"), "typed");
    EXPECT_EQ(ok("get_value field"), "typed");
}

TEST_F(toi_cmds, ValuesAreReadAndWrittenByClass)
{
    ok("set_value dlg level 10*5");
    EXPECT_EQ(dynamic_cast<OI_gauge*>(find("level"))->value(), 50);
    EXPECT_FALSE(failure("set_value level ten").empty());
    EXPECT_EQ(ok("get_value level"), "50") << "a bad value leaves the gauge";
    ok("set_value note {first line\nsecond line}; set_value caption Hello");
    EXPECT_EQ(ok("get_value note"), "{first line} {second line}");
    EXPECT_EQ(ok("get_value choice"), "") << "an exclusive menu with nothing chosen";
    EXPECT_EQ(ok("get_value two"), "0");
    EXPECT_EQ(ok("set_value two 1; get_value choice"), "two");
    EXPECT_EQ(ok("set_value extras b Y; set_value extras a 1; get_value extras"), "a b");
    EXPECT_EQ(ok("set_value a 0; set_value b N; get_value extras"), "");
    // Not a flag: the cell is deselected and the result says so, no error.
    EXPECT_EQ(ok("set_value a Y; set_value a maybe"),
              "Unable to convert string \"maybe\" to boolean. Defaulting to False.");
    EXPECT_EQ(ok("get_value a"), "0");
}

// Callbacks of fields, cells and image buttons run their text. The
// automation reads what is shown where scripts see no value (a list's
// lines), and sets an entry field as the user would, confirming it once.
TEST_F(toi_cmds, CallbacksRunTheirTextAndTheAutomationSetsAFieldAsTheUser)
{
    setenv("KITSETUP_AUTOMATION", ("toi_cmds_" + std::to_string(getpid())).c_str(), 1);
    install_automation();
    unsetenv("KITSETUP_AUTOMATION");
    ok("popup dlg dont_wait; set_cb dlg field {set ::entered [get_value field]; incr ::confirmed}");
    settle();
    ok("set_value dlg l1 1");
    EXPECT_EQ(tcl("automation get dlg list"), "{l1 {First line} 1}");
    ok("set_value field typed");
    EXPECT_EQ(ok("info exists confirmed"), "0") << "a script's set_value does not confirm the entry";
    dynamic_cast<OI_entry_field*>(find("field"))->set_value_as_typed("abc");
    EXPECT_EQ(ok("list $entered $confirmed"), "abc 1");
    EXPECT_EQ(tcl("automation set dlg field xyz; automation get dlg field"), "xyz");
    EXPECT_EQ(ok("list $entered $confirmed"), "xyz 2");
    ok("set_cb extras a {incr ::toggled}");
    find("a")->press();
    find("a")->press();
    EXPECT_EQ(ok("set toggled"), "2");
    ok("set_cb pic {set ::clicked yes}");
    EXPECT_TRUE(find("pic")->press());
    EXPECT_EQ(ok("set clicked"), "yes");
}

TEST_F(toi_cmds, PopupWaitsForAButtonWhileTimersRun)
{
    press_after(50, "ok_btn");
    EXPECT_EQ(ok("popup dlg"), "ok_btn");
    EXPECT_FALSE(dialog_->is_displayed());
    EXPECT_EQ(ok("popup dlg dont_wait"), "");
    settle();
    EXPECT_TRUE(dialog_->is_displayed());
    ok("popdown dlg");
    EXPECT_EQ(dialog_->state(), ACTIVE_NOT_DISPLAYED);
    EXPECT_EQ(ok("popup panel"), "");
    EXPECT_EQ(find("panel")->state(), ACTIVE);
    // The ok button's own action takes the dialog down before the dialog hears
    // of the press; a callback may delete its own dialog, record and all.
    ok("set_cb dlg ok_btn {takedown dlg}");
    press_after(50, "ok_btn");
    EXPECT_EQ(ok("popup dlg"), "NULL");
    Tcl_CreateCommand(interp_, "delete_dialog", [](ClientData, Tcl_Interp*, int, const char**) -> int {
        OI_uib_conn->root()->descendant("dlg")->delete_all();
        return TCL_OK;
    }, nullptr, nullptr);
    ok("set_cb dlg cancel_btn {delete_dialog; set ::after_delete 1}");
    press_after(50, "cancel_btn");
    EXPECT_EQ(ok("popup dlg"), "NULL");
    EXPECT_EQ(ok("set ::after_delete"), "1");
    EXPECT_EQ(find("dlg"), nullptr);
    EXPECT_EQ(failure("popup dlg"), "Unable to locate the dialog \"dlg\".");
}

// A termination callback's 0 keeps the dialog up with popdown_btn unset,
// 1 ends it, anything else is shown and keeps it; a Tcl error shows both
// texts and lets the dialog end.
TEST_F(toi_cmds, TerminationCallbackAnswersDecideWhetherTheDialogEnds)
{
    ok("proc done {button} { lappend ::pressed $button; set ::popdown_btn $button; return $::answer }");
    auto* ok_btn = dynamic_cast<OI_menu_cell*>(find("ok_btn"));
    ok("set_cb dlg done; popup dlg dont_wait");
    const struct { const char* answer; bool shown; std::vector<std::string> texts; } rows[] = {
        {"0", true, {}}, {"later", true, {"later"}}, {"1", false, {"later"}}};
    for (const auto& row : rows) {
        ok(std::string("set answer ") + row.answer);
        ok_btn->press();
        EXPECT_EQ(dialog_->is_displayed(), row.shown) << "answer " << row.answer;
        EXPECT_TRUE(std::string(row.answer) != "0" || ok("info exists popdown_btn") == "0");
        EXPECT_EQ(messages_.texts(), row.texts) << "answer " << row.answer;
    }
    EXPECT_EQ(ok("set pressed"), "ok_btn ok_btn ok_btn");
    messages_.clear();
    ok("set_cb dlg {no_such_proc}; popup dlg dont_wait");
    ok_btn->press();
    EXPECT_FALSE(dialog_->is_displayed());
    EXPECT_EQ(messages_.texts(),
              (std::vector<std::string>{"Could not successfully execute callback procedure no_such_proc",
                                        "invalid command name \"no_such_proc\""}));
}

TEST_F(toi_cmds, TextFormatWrapsAtEightyColumnsAndLeavesLongWordsWhole)
{
    std::string word(200, 'w');
    EXPECT_EQ(ok("set_value note " + word + "; text_format note; get_value note"), word);
    std::string sentence = "a line of words to wrap";
    for (int i = 0; i < 12; ++i)
        sentence += " a line of words to wrap";
    ok("set_value note {" + sentence + "}; popup dlg dont_wait; text_format dlg note");
    auto* note = dynamic_cast<OI_multi_text*>(find("note"));
    std::vector<std::string> lines = note->lines();
    ASSERT_GT(lines.size(), 3u);
    std::string joined;
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_LE(lines[i].size(), 80u) << lines[i];
        joined += (joined.empty() ? "" : " ") + lines[i];
    }
    EXPECT_EQ(joined, sentence);
    EXPECT_EQ(note->view_rows(), static_cast<int>(lines.size()));
    EXPECT_EQ(note->bkg_color(), dialog_->bkg_color());
    settle();
    EXPECT_GE(dialog_->size_x(), note->size_x() + 10);
}

TEST_F(toi_cmds, StatesCursorsCloneAndResources)
{
    ok("disable field; set_busy dlg");
    EXPECT_TRUE(find("field")->state() == INACTIVE && dialog_->is_working());
    ok("enable field; clear_busy dlg");
    EXPECT_TRUE(find("field")->state() == ACTIVE && !dialog_->is_working());
    EXPECT_EQ(ok("get_cursor dlg"), "-1");
    EXPECT_EQ(ok("popup dlg dont_wait; set_cursor dlg 2*75; get_cursor dlg"), std::to_string(XC_watch));
    EXPECT_EQ(ok("set_cursor dlg field " + std::to_string(XC_xterm) + "; get_cursor field"), std::to_string(XC_xterm));
    EXPECT_FALSE(failure("set_cursor dlg watch").empty());
    EXPECT_EQ(OI_d_tech::cursor_name(XC_num_glyphs), "");
    ok("set_value field original; clone field copy");
    ASSERT_NE(find("copy"), nullptr);
    EXPECT_EQ(find("copy")->parent(), find("field")->parent());
    EXPECT_EQ(ok("get_value dlg copy"), "original");
    EXPECT_EQ(failure("load_resources /nonexistent/x.cf"), "Unable to open top level resource file /nonexistent/x.cf.");
    std::string bad = dir_ / "bad.cf", good = dir_ / "good.cf";
    write_file(bad, "this is no resource line\n");
    EXPECT_EQ(failure("load_resources " + bad),
              "Unable to open top level resource file " + bad + ". Line 1 of " + bad +
                  ": a resource line is \"name: value\", and this one has no colon.");
    write_file(good, "*main_win.class: Box\n*main_win.status.class: StaticText\n");
    ok("load_resources " + good);
    ASSERT_NE(find("main_win"), nullptr);
    EXPECT_EQ(find("main_win")->state(), NOT_DISPLAYED);
    ok("popup main_win; set_resource");
    EXPECT_EQ(tcl(OI_tk::widget(find("status")) + " cget -background"), "red");
}

TEST_F(toi_cmds, MessageCommandsEventFlushAndRecursion)
{
    for (bool answer : {true, false, false})
        messages_.answer_next(answer);
    EXPECT_EQ(ok("list [confirm {Go on?}] [confirm {Go on?}] [warning {Disk nearly full}] "
                 "[error oops] [information done]"), "1 0 0 {} {}");
    ASSERT_EQ(messages_.messages().size(), 5u);
    EXPECT_EQ(messages_.messages()[3].kind, message_kind::error);
    EXPECT_EQ(messages_.messages()[4].text, "done");
    // Pending timers run; recursion, direct or from a callback, ends as a Tcl
    // error or an error box, not a crash.
    int fired = 0;
    OI_callback count([](OI_d_tech*, void* counter, long) -> long { return ++*static_cast<int*>(counter); }, &fired);
    OI_add_timeout(0, count);
    ok("event_flush");
    EXPECT_EQ(fired, 1);
    OI_delete_timeout(count);
    std::string deep = failure("proc deeper {} { get_value field; deeper }; deeper");
    EXPECT_NE(deep.find("too many nested evaluations"), std::string::npos);
    messages_.clear();
    ok("proc again {} { again }; set_cb dlg field again");
    dynamic_cast<OI_entry_field*>(find("field"))->set_value_as_typed("x");
    ASSERT_EQ(messages_.texts().size(), 2u);
    EXPECT_NE(messages_.texts()[1].find("too many nested evaluations"), std::string::npos);
}

// The demo's sample script, answered as a user would: OK with an empty
// directory is refused with a warning, then accepted once one is typed. The
// fixture's dialog also has an ok_btn, so it goes first.
TEST_F(toi_cmds, SampleProductDialogScript)
{
    dialog_->delete_all();
    OI_add_timeout(100, OI_callback([](OI_d_tech*, void*, long) -> long {
        OI_uib_conn->root()->descendant("ok_btn")->press();
        return 0;
    }, nullptr));
    OI_add_timeout(300, OI_callback([](OI_d_tech*, void*, long) -> long {
        OI_d_tech* root = OI_uib_conn->root();
        dynamic_cast<OI_entry_field*>(root->descendant("data_dir"))->set_value_as_typed("/opt/sample");
        root->descendant("ok_btn")->press();
        return 0;
    }, nullptr));
    watch("the sample dialog to be answered");
    ASSERT_EQ(Tcl_EvalFile(interp_, KITSETUP_SOURCE_DIR "/demo/config/sample_dialog.tcl"), TCL_OK) << Tcl_GetStringResult(interp_);
    EXPECT_EQ(std::string(Tcl_GetStringResult(interp_)), "continue");
    EXPECT_EQ(ok("set SAMPLE_DIR") + " " + ok("set SAMPLE_BACKUP"), "/opt/sample 1");
    EXPECT_EQ(messages_.texts(), std::vector<std::string>{"Please give a directory for the sample data."});
}

}  // namespace

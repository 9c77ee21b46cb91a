// The dialog commands of product scripts, run from a script interpreter of
// their own as the installer runs them: usage and look-up errors, values by
// class, popups that wait while timers press buttons, script callbacks and
// what their answers do to the dialog, text reflow, and the sample dialog of
// the demo tree.
#include <X11/cursorfont.h>
#include <tcl.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "message_recorder.h"
#include "toi/toi_cmds.h"
#include "toi/toi_init.h"
#include "toolkit/koi_button.h"
#include "toolkit/oi_dialog_box.h"
#include "toolkit/oi_entry_field.h"
#include "toolkit/oi_gauge.h"
#include "toolkit/oi_menu_cell.h"
#include "toolkit/oi_multi_text.h"
#include "ui/dialogs.h"
#include "ui/kitsetup.h"
#include "toolkit_fixture.h"

namespace {

const char* const test_dialogs =
    "*dlg.class: DialogBox\n"
    "*dlg.field.class: EntryField\n"
    "*dlg.note.class: MultiText\n"
    "*dlg.caption.class: StaticText\n"
    "*dlg.level.class: Gauge\n"
    "*dlg.pic.class: ImageButton\n"
    "*dlg.choice.class: ExclusiveMenu\n"
    "*dlg.choice.one.class: MenuCell\n"
    "*dlg.choice.two.class: MenuCell\n"
    "*dlg.extras.class: PolyMenu\n"
    "*dlg.extras.a.class: MenuCell\n"
    "*dlg.extras.b.class: MenuCell\n"
    "*dlg.btn_box.class: ButtonBox\n"
    "*dlg.btn_box.ok_btn.class: MenuCell\n"
    "*dlg.btn_box.cancel_btn.class: MenuCell\n"
    "*panel.class: Box\n"
    "*panel.inner.class: StaticText\n";


// Presses the object named by the argument's id, if it still exists.
long press_by_id(OI_d_tech*, void* id, long)
{
    OI_d_tech* object = OI_d_tech::by_id(reinterpret_cast<unsigned long>(id));
    if (object != nullptr)
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
        OI_uib_conn = conn_;
        interp_ = Tcl_CreateInterp();
        initialise_interpreter(interp_);
        dialog_ = dynamic_cast<OI_dialog_box*>(make(test_dialogs, NOT_DISPLAYED));
        ASSERT_NE(dialog_, nullptr);
    }
    void TearDown() override
    {
        Tcl_DeleteInterp(interp_);
        OI_uib_conn = nullptr;
        toolkit_test::TearDown();
    }

    // Runs script in the script interpreter: its status and result.
    std::pair<int, std::string> run(const std::string& script)
    {
        int status = Tcl_Eval(interp_, script.c_str());
        return {status, Tcl_GetStringResult(interp_)};
    }
    std::string ok(const std::string& script)
    {
        auto [status, result] = run(script);
        EXPECT_EQ(status, TCL_OK) << script << ": " << result;
        return result;
    }
    std::string failure(const std::string& script)
    {
        auto [status, result] = run(script);
        EXPECT_EQ(status, TCL_ERROR) << script << " succeeded with " << result;
        return result;
    }

    OI_d_tech* find(const std::string& name) const { return conn_->root()->descendant(name); }
    // Presses the button called name of the test dialog after ms.
    void press_after(unsigned long ms, const std::string& name)
    {
        OI_d_tech* button = dialog_->descendant(name);
        OI_add_timeout(ms, OI_callback(press_by_id, reinterpret_cast<void*>(button->id())));
    }

    Tcl_Interp* interp_ = nullptr;
    OI_dialog_box* dialog_ = nullptr;
    message_recorder messages_;
};

long count_tick(OI_d_tech*, void* counter, long)
{
    ++*static_cast<int*>(counter);
    if (*static_cast<int*>(counter) < 1000)
        OI_add_timeout(10, OI_callback(count_tick, counter));
    return 0;
}

}  // namespace

TEST_F(toi_cmds, WrongArgumentCountsGiveTheCommandsOwnUsage)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"load_resources", "load_resources fileName"},
        {"popup a b c", "popup dialogId"},
        {"popdown", "popdown dialogId"},
        {"takedown a b", "takedown dialogId"},
        {"center", "center dialogId"},
        {"text_format a b c", "text_format [ancestorObjectId] objectId functionName"},
        {"set_value a", "set_value [ancestorObjectId] objectId"},
        {"get_value a b c", "get_value [ancestorObjectId] objectId"},
        {"update_resources", "update_resources [ancestorObjectId] objectId"},
        {"enable a b", "enable objectId"},
        {"disable", "disable objectId"},
        {"set_busy", "set_busy dialogId"},
        {"clear_busy a b", "clear_busy dialogId"},
        {"set_cursor a", "set_cursor [ancestorObjectId] objectId"},
        {"get_cursor", "get_cursor dialogId"},
        {"set_cb a", "set_cb [ancestorObjectId] objectId functionName"},
        {"clone a", "clone objectId"},
        {"confirm", "confirm msg"},
        {"warning a b", "warning msg"},
        {"error", "error msg"},
        {"information a b", "information msg"},
    };
    for (const auto& [script, usage] : cases)
        EXPECT_EQ(failure(script), "wrong number of arguments: should be \"" + usage + "\"");
    EXPECT_EQ(failure("event_flush now"), "no arguments expected for command: event_flush");
    EXPECT_TRUE(messages_.messages().empty());
}

TEST_F(toi_cmds, LookUpsFromTheRootAndInsideAnAncestorReportEachMiss)
{
    ok("set_value field typed");
    EXPECT_EQ(ok("get_value dlg field"), "typed");
    EXPECT_EQ(ok("get_value field"), "typed");
    EXPECT_EQ(failure("get_value nowhere"), "Unable to find the interface object nowhere.");
    EXPECT_EQ(failure("get_value nodlg field"), "Unable to locate the dialog \"nodlg\".");
    EXPECT_EQ(failure("get_value panel field"),
              "Unable to locate the interface object \"field\" in dialog \"panel\".");
    EXPECT_EQ(failure("popup nodlg"), "Unable to locate the dialog \"nodlg\".");
    EXPECT_EQ(failure("popup field"), "Object field is not a dialog.");
    EXPECT_EQ(failure("takedown panel"), "Object panel is not a dialog.");
    EXPECT_EQ(failure("set_busy caption"), "Object caption is not a dialog.");
    EXPECT_EQ(failure("get_cursor nodlg"), "Unable to locate the dialog \"nodlg\".");
    EXPECT_EQ(failure("enable nowhere"), "Unable to find the interface object nowhere.");
    EXPECT_EQ(failure("clone nowhere copy"), "Unable to find the interface object nowhere.");
    EXPECT_EQ(failure("get_value dlg"), "Illegal attempt to get data for object dlg. Invalid class.");
    EXPECT_EQ(failure("set_value dlg btn_box x"),
              "Illegal attempt to set data on object btn_box. Invalid class.");
    EXPECT_EQ(failure("set_cb caption x"),
              "Illegal attempt to set a callback for object caption. Invalid class.");
    EXPECT_EQ(failure("text_format dlg field"), "Object field is not a multi text.");
    EXPECT_EQ(failure("set_resource"), "Unable to locate the dialog \"main_win\".");
}

TEST_F(toi_cmds, ValuesAreReadAndWrittenByClass)
{
    ok("set_value dlg level 10*5");
    EXPECT_EQ(dynamic_cast<OI_gauge*>(find("level"))->value(), 50);
    EXPECT_EQ(ok("get_value level"), "50");
    EXPECT_FALSE(failure("set_value level ten").empty());
    EXPECT_EQ(ok("get_value level"), "50");

    ok("set_value note {first line\nsecond line}");
    EXPECT_EQ(ok("get_value note"), "{first line} {second line}");
    ok("set_value caption Hello");
    EXPECT_EQ(ok("get_value field"), "");

    EXPECT_EQ(ok("get_value choice"), "");
    EXPECT_EQ(ok("get_value two"), "0");
    ok("set_value two 1");
    EXPECT_EQ(ok("get_value choice"), "two");
    ok("set_value extras b Y");
    ok("set_value extras a 1");
    EXPECT_EQ(ok("get_value extras"), "a b");
    ok("set_value a 0");
    ok("set_value b N");
    EXPECT_EQ(ok("get_value extras"), "");
    ok("set_value a Y");
    // Not a flag: the cell is deselected and the result says so, no error.
    EXPECT_EQ(ok("set_value a maybe"),
              "Unable to convert string \"maybe\" to boolean. Defaulting to False.");
    EXPECT_EQ(ok("get_value a"), "0");
}

TEST_F(toi_cmds, PopupWaitsForAButtonWhileTimersRun)
{
    int ticks = 0;
    OI_add_timeout(10, OI_callback(count_tick, &ticks));
    press_after(300, "ok_btn");
    EXPECT_EQ(ok("popup dlg"), "ok_btn");
    EXPECT_GT(ticks, 5) << "timers must keep firing during the wait";
    EXPECT_FALSE(dialog_->is_displayed());
    OI_delete_timeout(OI_callback(count_tick, &ticks));

    EXPECT_EQ(ok("popup dlg dont_wait"), "");
    settle();
    EXPECT_TRUE(dialog_->is_displayed());
    ok("popdown dlg");
    EXPECT_EQ(dialog_->state(), ACTIVE_NOT_DISPLAYED);

    EXPECT_EQ(ok("popup panel"), "");
    EXPECT_EQ(find("panel")->state(), ACTIVE);
}

TEST_F(toi_cmds, PopupEndedWithoutAButtonGivesNull)
{
    // The ok button's own action takes the dialog down before the dialog
    // hears of the press.
    ok("set_cb dlg ok_btn {takedown dlg}");
    press_after(50, "ok_btn");
    EXPECT_EQ(ok("popup dlg"), "NULL");

    // A callback whose script deletes its own dialog, record and all.
    Tcl_CreateCommand(interp_, "delete_dialog",
                      [](ClientData, Tcl_Interp*, int, const char**) -> int {
                          OI_current_connection()->root()->descendant("dlg")->delete_all();
                          return TCL_OK;
                      },
                      nullptr, nullptr);
    ok("set_cb dlg cancel_btn {delete_dialog; set ::after_delete 1}");
    press_after(50, "cancel_btn");
    EXPECT_EQ(ok("popup dlg"), "NULL");
    EXPECT_EQ(ok("set ::after_delete"), "1");
    EXPECT_EQ(find("dlg"), nullptr);
    EXPECT_EQ(failure("popup dlg"), "Unable to locate the dialog \"dlg\".");
}

TEST_F(toi_cmds, TerminationCallbackAnswersDecideWhetherTheDialogEnds)
{
    ok("proc done {button} { lappend ::pressed $button; set ::popdown_btn $button; "
       "return $::answer }");
    ok("set_cb dlg done");
    auto* ok_btn = dynamic_cast<OI_menu_cell*>(find("ok_btn"));
    ok("popup dlg dont_wait");

    ok("set answer 0");
    ok_btn->press();
    EXPECT_TRUE(dialog_->is_displayed()) << "0 keeps the dialog up";
    EXPECT_EQ(ok("info exists popdown_btn"), "0");

    ok("set answer later");
    ok_btn->press();
    EXPECT_TRUE(dialog_->is_displayed());
    ASSERT_EQ(messages_.texts(), std::vector<std::string>{"later"});

    ok("set answer 1");
    ok_btn->press();
    EXPECT_FALSE(dialog_->is_displayed()) << "1 ends it";
    EXPECT_EQ(ok("set pressed"), "ok_btn ok_btn ok_btn");

    // A failing callback shows both error texts and lets the dialog end.
    messages_.clear();
    ok("set_cb dlg {no_such_proc}");
    ok("popup dlg dont_wait");
    ok_btn->press();
    EXPECT_FALSE(dialog_->is_displayed());
    EXPECT_EQ(messages_.texts(),
              (std::vector<std::string>{
                  "Could not successfully execute callback procedure no_such_proc",
                  "invalid command name \"no_such_proc\""}));
}

TEST_F(toi_cmds, FieldCellAndImageButtonCallbacksRunTheirText)
{
    ok("popup dlg dont_wait");
    settle();
    ok("set_cb dlg field {set ::entered [get_value field]}");
    dynamic_cast<OI_entry_field*>(find("field"))->set_value_as_typed("abc");
    EXPECT_EQ(ok("set entered"), "abc");

    ok("set_cb extras a {incr ::toggled}");
    find("a")->press();
    find("a")->press();
    EXPECT_EQ(ok("set toggled"), "2");

    ok("set_cb pic {set ::clicked yes}");
    EXPECT_TRUE(find("pic")->press());
    EXPECT_EQ(ok("set clicked"), "yes");

    ok("set_cb two {return -code error broken}");
    find("two")->press();
    EXPECT_EQ(messages_.texts(),
              (std::vector<std::string>{
                  "Could not successfully execute callback procedure return -code error broken",
                  "broken"}));
}

TEST_F(toi_cmds, TextFormatWrapsAtEightyColumnsAndLeavesLongWordsWhole)
{
    std::string word(200, 'w');
    ok("set_value note " + word);
    ok("text_format note");
    EXPECT_EQ(ok("get_value note"), word);

    std::string sentence;
    while (sentence.size() < 300)
        sentence += "a line of words to wrap ";
    sentence.pop_back();
    ok("set_value note {" + sentence + "}");
    ok("popup dlg dont_wait");
    ok("text_format dlg note");
    auto* note = dynamic_cast<OI_multi_text*>(find("note"));
    std::vector<std::string> lines = note->lines();
    ASSERT_GT(lines.size(), 3u);
    std::string joined;
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_LE(lines[i].size(), 80u) << lines[i];
        // Broken at the last blank of the first 80 characters: the next word
        // reaches at least to the 80th.
        if (i + 1 < lines.size()) {
            EXPECT_GE(lines[i].size() + 1 + lines[i + 1].find(' '), 80u) << lines[i];
        }
        joined += (joined.empty() ? "" : " ") + lines[i];
    }
    EXPECT_EQ(joined, sentence);
    EXPECT_EQ(note->view_rows(), static_cast<int>(lines.size()));
    EXPECT_EQ(note->bkg_color(), dialog_->bkg_color());
    settle();
    EXPECT_GE(dialog_->size_x(), note->size_x() + 10);
}

TEST_F(toi_cmds, StatesBusyAndCursors)
{
    ok("disable field");
    EXPECT_EQ(find("field")->state(), INACTIVE);
    ok("enable field");
    EXPECT_EQ(find("field")->state(), ACTIVE);
    ok("set_busy dlg");
    EXPECT_TRUE(dialog_->is_working());
    ok("clear_busy dlg");
    EXPECT_FALSE(dialog_->is_working());

    EXPECT_EQ(ok("get_cursor dlg"), "-1");
    ok("popup dlg dont_wait");
    ok("set_cursor dlg 2*75");
    EXPECT_EQ(ok("get_cursor dlg"), std::to_string(XC_watch));
    EXPECT_EQ(tcl(dialog_->widget() + " cget -cursor"), "watch");
    ok("set_cursor dlg field " + std::to_string(XC_xterm));
    EXPECT_EQ(ok("get_cursor field"), std::to_string(XC_xterm));
    EXPECT_FALSE(failure("set_cursor dlg watch").empty());
    EXPECT_EQ(OI_d_tech::cursor_name(XC_X_cursor), "X_cursor");
    EXPECT_EQ(OI_d_tech::cursor_name(XC_left_ptr), "left_ptr");
    EXPECT_EQ(OI_d_tech::cursor_name(XC_xterm), "xterm");
    EXPECT_EQ(OI_d_tech::cursor_name(XC_num_glyphs), "");
}

TEST_F(toi_cmds, CloneLoadResourcesAndSetResource)
{
    ok("set_value field original");
    ok("clone field copy");
    OI_d_tech* copy = find("copy");
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->parent(), find("field")->parent());
    EXPECT_EQ(ok("get_value dlg copy"), "original");

    EXPECT_EQ(failure("load_resources /nonexistent/x.cf"),
              "Unable to open top level resource file /nonexistent/x.cf.");
    std::string bad = dir_ / "bad.cf";
    write_file(bad, "this is no resource line\n");
    EXPECT_EQ(failure("load_resources " + bad), "Unable to open top level resource file " + bad + ".");
    std::string good = dir_ / "good.cf";
    write_file(good, "*main_win.class: Box\n*main_win.status.class: StaticText\n");
    ok("load_resources " + good);
    ASSERT_NE(find("main_win"), nullptr);
    EXPECT_EQ(find("main_win")->state(), NOT_DISPLAYED);

    ok("popup main_win");
    ok("set_resource");
    EXPECT_EQ(tcl(find("status")->widget() + " cget -background"), "red");
}

TEST_F(toi_cmds, MessageCommandsAnswerOneOrZero)
{
    messages_.answer_next(true);
    messages_.answer_next(false);
    EXPECT_EQ(ok("confirm {Go on?}"), "1");
    EXPECT_EQ(ok("confirm {Go on?}"), "0");
    messages_.answer_next(false);
    EXPECT_EQ(ok("warning {Disk nearly full}"), "0");
    EXPECT_EQ(ok("error oops"), "");
    EXPECT_EQ(ok("information done"), "");
    ASSERT_EQ(messages_.messages().size(), 5u);
    EXPECT_EQ(messages_.messages()[3].kind, message_kind::error);
    EXPECT_EQ(messages_.messages()[4].text, "done");
}

TEST_F(toi_cmds, EventFlushRunsPendingWorkAndRecursionIsATclError)
{
    int ticks = 0;
    OI_add_timeout(0, OI_callback(count_tick, &ticks));
    ok("event_flush");
    EXPECT_GE(ticks, 1);
    OI_delete_timeout(OI_callback(count_tick, &ticks));

    EXPECT_NE(failure("proc deeper {} { get_value field; deeper }; deeper")
                  .find("too many nested evaluations"),
              std::string::npos);
    // A callback that recurses into itself ends as an error box, not a crash.
    ok("proc again {} { again }");
    ok("set_cb dlg field again");
    dynamic_cast<OI_entry_field*>(find("field"))->set_value_as_typed("x");
    ASSERT_EQ(messages_.texts().size(), 2u);
    EXPECT_NE(messages_.texts()[1].find("too many nested evaluations"), std::string::npos);
}

// The demo's sample script, answered as a user would: OK with an empty
// directory is refused with a warning, then accepted once one is typed.
TEST_F(toi_cmds, SampleProductDialogScript)
{
    OI_add_timeout(100, OI_callback(
        [](OI_d_tech*, void*, long) -> long {
            OI_current_connection()->root()->descendant("ok_btn")->press();
            return 0;
        },
        nullptr));
    // The first dialog in the fixture also has an ok_btn; the sample's must
    // be the one pressed, so the fixture's goes first.
    dialog_->delete_all();
    OI_add_timeout(300, OI_callback(
        [](OI_d_tech*, void*, long) -> long {
            OI_d_tech* root = OI_current_connection()->root();
            auto* field = dynamic_cast<OI_entry_field*>(root->descendant("data_dir"));
            field->set_value_as_typed("/opt/sample");
            root->descendant("ok_btn")->press();
            return 0;
        },
        nullptr));
    std::string script = std::string(KITSETUP_SOURCE_DIR) + "/demo/config/sample_dialog.tcl";
    int status = Tcl_EvalFile(interp_, script.c_str());
    ASSERT_EQ(status, TCL_OK) << Tcl_GetStringResult(interp_);
    EXPECT_EQ(std::string(Tcl_GetStringResult(interp_)), "continue");
    EXPECT_EQ(ok("set SAMPLE_DIR"), "/opt/sample");
    EXPECT_EQ(ok("set SAMPLE_BACKUP"), "1");
    EXPECT_EQ(messages_.texts(),
              std::vector<std::string>{"Please give a directory for the sample data."});
}

namespace {

// With the installer's own message boxes on the screen instead of the
// recorder: each box that shows is answered from a timer, yes or OK.
class toi_cmds_boxes : public toi_cmds {
protected:
    void SetUp() override
    {
        setenv("ICONS_DIR", KITSETUP_DEMO_DIR "/icons", 1);
        toi_cmds::SetUp();
        if (HasFatalFailure())
            return;
        set_message_catcher(nullptr);
        std::free(load_cf(nullptr, KITSETUP_DEMO_DIR "/config/fonts.cf"));
        OI_d_tech** dialogs = load_cf(nullptr, KITSETUP_DEMO_DIR "/config/cmndlgs.cf");
        ASSERT_NE(dialogs, nullptr);
        std::free(dialogs);
        ERROR_ICON = create_koi_button("pic", "$ICONS_DIR/error", 2, 2, 30);
        CONFIRM_ICON = create_koi_button("pic", "$ICONS_DIR/confirm", 2, 2, 30);
        Xstarted = 1;
        OI_add_timeout(30, OI_callback(answer_boxes, this));
    }
    void TearDown() override
    {
        OI_delete_timeout(OI_callback(answer_boxes, this));
        Xstarted = 0;
        toi_cmds::TearDown();
    }

    static long answer_boxes(OI_d_tech*, void* fixture, long)
    {
        auto* self = static_cast<toi_cmds_boxes*>(fixture);
        message_kind kind;
        listring text;
        OI_d_tech* box = nullptr;
        if (current_message_box(&kind, &text, &box)) {
            self->shown_.push_back(text.c_str());
            OI_d_tech* yes = box->descendant("yes_btn");
            (yes != nullptr ? yes : box->descendant("ok_btn"))->press();
        }
        OI_add_timeout(30, OI_callback(answer_boxes, self));
        return 0;
    }

    std::vector<std::string> shown_;
};

}  // namespace

TEST_F(toi_cmds_boxes, CallbackErrorBoxesShowDuringThePopupsWait)
{
    ok("set_cb dlg no_such_proc");
    press_after(100, "ok_btn");
    EXPECT_EQ(ok("popup dlg"), "ok_btn") << "a failed callback lets the dialog end";
    ASSERT_EQ(shown_.size(), 2u);
    EXPECT_NE(shown_[0].find("Could not successfully execute callback procedure no_such_proc"),
              std::string::npos);
    EXPECT_NE(shown_[1].find("invalid command name \"no_such_proc\""), std::string::npos);
    EXPECT_EQ(ok("confirm {Go on?}"), "1");
    EXPECT_EQ(shown_.size(), 3u);
}

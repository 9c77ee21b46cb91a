// Dialog boxes and menus: cells found by name, toggle and exclusive
// semantics, selection lists, and wait_button's nested loop with its
// acceptance check, modality and deletion during the wait.
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

#include "toolkit/oi_button_box.h"
#include "toolkit/oi_create.h"
#include "toolkit/oi_dialog_box.h"
#include "toolkit/oi_excl_menu.h"
#include "toolkit/oi_poly_menu.h"
#include "toolkit_fixture.h"

namespace {

const char* const question_dialog =
    "*ask.class: DialogBox\n*ask.title: Question\n*ask.message.class: StaticText\n*ask.message.text: Go on?\n"
    "*ask.media.class: ExclusiveMenu\n*ask.media.tape.class: MenuCell\n*ask.media.cd.class: MenuCell\n"
    "*ask.media.cd.label: CD-ROM\n*ask.extras.class: PolyMenu\n*ask.extras.docs.class: MenuCell\n"
    "*ask.extras.src.class: MenuCell\n*ask.extras.man.class: MenuCell\n*ask.flags.class: ButtonMenu\n"
    "*ask.flags.verbose.class: MenuCell\n*ask.flags.verbose.type: toggle\n*ask.btn_box.class: ButtonBox\n"
    "*ask.btn_box.ok_btn.class: MenuCell\n*ask.btn_box.apply_btn.class: MenuCell\n"
    "*ask.btn_box.cancel_btn.class: MenuCell\n*main_win.class: Box\n*main_win.hello.class: StaticText\n";

// What the callbacks saw, in the order they saw it.
call_log recorded;
auto& calls = recorded.calls;

// Timers survive the connection, so every test cancels the ones it armed.
std::vector<OI_callback> armed;

void later(unsigned long ms, const OI_callback& callback)
{
    armed.push_back(callback);
    OI_add_timeout(ms, callback);
}

long press_cell(OI_d_tech*, void* cell, long)
{
    static_cast<OI_menu_cell*>(cell)->press();
    return 0;
}

int ticks = 0;

// A repeating timer that presses the cell on its fifth run.
long tick(OI_d_tech*, void* cell, long)
{
    if (++ticks == 5)
        return press_cell(nullptr, cell, 0);
    OI_add_timeout(5, OI_callback(tick, cell));
    return 0;
}

}  // namespace

class dialogs_menus : public toolkit_test {
protected:
    void SetUp() override
    {
        toolkit_test::SetUp();
        calls.clear();
        ticks = 0;
        dialog_ = dynamic_cast<OI_dialog_box*>(make(question_dialog));
        ASSERT_NE(dialog_, nullptr);
        main_ = conn_->root()->descendant("main_win");
        ok_ = cell("ok_btn");
        settle();
    }

    void TearDown() override
    {
        for (const OI_callback& callback : armed)
            OI_delete_timeout(callback);
        armed.clear();
        OI_delete_timeout(OI_callback(tick, ok_));
        toolkit_test::TearDown();
    }

public:
    OI_menu_cell* cell(const std::string& name, OI_d_tech* in = nullptr)
    {
        return dynamic_cast<OI_menu_cell*>((in != nullptr ? in : dialog_)->descendant(name));
    }

    // wait_button, failing the test if it never ends.
    OI_menu_cell* wait(OI_dialog_box* dialog, bool modal, const OI_callback& accept = {})
    {
        watch("the wait on dialog \"" + dialog->name() + "\" to end");
        return dialog->wait_button(modal, accept);
    }

    std::string busy(OI_d_tech* object)
    {
        return tcl("tk busy status [winfo toplevel " + OI_tk::widget(object) + "]");
    }

    OI_dialog_box* dialog_ = nullptr;
    OI_d_tech* main_ = nullptr;
    OI_menu_cell* ok_ = nullptr;
};

// Cells are found by name in their own menu only; select sets a cell's state
// silently, press and a click run the action.
TEST_F(dialogs_menus, CellsAreFoundByNameAndSelectSetsStateSilentlyWhilePressRunsTheAction)
{
    ASSERT_NE(ok_, nullptr);
    OI_button_box* box = dialog_->buttons();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->cell("ok_btn"), ok_);
    EXPECT_EQ(std::to_string(box->num_cells()) + " " + box->numbered_cell(2)->name(), "3 cancel_btn");
    EXPECT_EQ(box->cell("verbose"), nullptr) << "cells of other menus are not this menu's";
    EXPECT_EQ(cell("tape")->label(), "tape") << "the label defaults to the name";
    OI_d_tech* message = dialog_->descendant("message");
    EXPECT_GT(std::stoi(tcl("winfo rooty " + OI_tk::widget(ok_))),
              std::stoi(tcl("winfo rooty " + OI_tk::widget(message)))) << "the button box lies below the content";

    OI_menu_cell* verbose = cell("verbose");
    verbose->change_action(recorded.callback());
    verbose->select(true);
    EXPECT_TRUE(verbose->is_selected());
    EXPECT_TRUE(calls.empty()) << "select must not run the action";
    EXPECT_TRUE(verbose->press());
    EXPECT_FALSE(verbose->is_selected());
    EXPECT_EQ(tcl("set [" + OI_tk::widget(verbose) + " cget -variable]"), "0");
    tcl(OI_tk::widget(verbose) + " invoke");  // a click
    EXPECT_TRUE(verbose->is_selected());
    EXPECT_EQ(tcl("set [" + OI_tk::widget(verbose) + " cget -variable]"), "1");
    EXPECT_EQ(calls, (call_list{{"verbose", 0}, {"verbose", 1}}));
}

TEST_F(dialogs_menus, MenusKeepTheirChoicesAndGreyedCellsCannotBePressed)
{
    auto* media = dynamic_cast<OI_excl_menu*>(dialog_->descendant("media"));
    ASSERT_NE(media, nullptr);
    OI_menu_cell *tape = cell("tape"), *cd = cell("cd");
    cd->change_action(recorded.callback());
    EXPECT_EQ(media->selected(), nullptr);
    tape->select(true);
    EXPECT_EQ(media->selected(), tape);
    EXPECT_EQ(tcl("set [" + OI_tk::widget(tape) + " cget -variable]"), "1") << "select shows the state";
    EXPECT_TRUE(calls.empty());
    tcl(OI_tk::widget(cd) + " invoke");
    EXPECT_EQ(media->selected(), cd);
    EXPECT_FALSE(tape->is_selected());
    EXPECT_EQ(tcl("set [" + OI_tk::widget(tape) + " cget -variable]"), "0") << "the old choice looks off";
    tcl(OI_tk::widget(cd) + " invoke");
    EXPECT_TRUE(cd->is_selected()) << "choosing the chosen cell keeps it chosen";
    EXPECT_EQ(calls, (call_list{{"cd", 1}, {"cd", 1}}));
    media->deselect_all();
    EXPECT_EQ(media->selected(), nullptr);

    // A poly menu lists its selected cells in menu order.
    auto* extras = dynamic_cast<OI_poly_menu*>(dialog_->descendant("extras"));
    ASSERT_NE(extras, nullptr);
    cell("man")->select(true);
    cell("docs")->select(true);
    cell("src")->press();
    std::string chosen;
    for (OI_menu_cell* one : extras->selected_cells())
        chosen += one->name() + " ";
    EXPECT_EQ(chosen, "docs src man ");
    cell("docs")->press();
    EXPECT_EQ(extras->selected(), cell("src"));

    // Greyed cells, or the cells of a greyed menu, cannot be pressed.
    calls.clear();
    ok_->change_action(recorded.callback());
    ok_->set_state(INACTIVE);
    EXPECT_FALSE(ok_->press());
    media->set_state(INACTIVE);
    EXPECT_FALSE(cd->press()) << "a greyed menu greys its cells";
    EXPECT_FALSE(cd->is_selected());
    EXPECT_TRUE(calls.empty());
}

// The button is pressed from a repeating timer's fifth run, and a child's
// output is read, while the box waits: the wait must serve both, and a
// removed descriptor is heard no more.
TEST_F(dialogs_menus, TimersAndDescriptorCallbacksRunDuringTheWait)
{
    later(5, OI_callback(tick, ok_));
    EXPECT_EQ(wait(dialog_, false), ok_);
    EXPECT_EQ(ticks, 5);
    EXPECT_EQ(dialog_->state(), ACTIVE_NOT_DISPLAYED);
    EXPECT_FALSE(dialog_->is_waiting());

    static std::string received;
    received.clear();
    int pipe_ends[2];
    ASSERT_EQ(pipe(pipe_ends), 0);
    ASSERT_EQ(write(pipe_ends[1], "abc", 3), 3);
    OI_io_dispatch_insert(pipe_ends[0], OI_READABLE, OI_callback(
        [](OI_d_tech*, void* ok, long fd) -> long {
            char c;
            if (read(static_cast<int>(fd), &c, 1) == 1)
                received += c;
            return received.size() == 3 ? press_cell(nullptr, ok, 0) : 0;
        }, ok_));
    EXPECT_EQ(wait(dialog_, true), ok_);
    EXPECT_EQ(received, "abc");
    OI_io_dispatch_remove(pipe_ends[0], OI_READABLE);
    ASSERT_EQ(write(pipe_ends[1], "d", 1), 1);
    for (int i = 0; i < 20; ++i)
        OI_dispatch_one(false);
    EXPECT_EQ(received, "abc");
    close(pipe_ends[0]);
    close(pipe_ends[1]);
}

TEST_F(dialogs_menus, AcceptanceCheckKeepsTheDialogUpUntilItAccepts)
{
    static long answers[] = {0, 1};
    static int asked;
    asked = 0;
    OI_callback accept([](OI_d_tech* origin, void*, long) -> long {
        calls.emplace_back(origin->name(), 0);
        return answers[asked++];
    }, nullptr);
    later(30, OI_callback(press_cell, ok_));
    later(120, OI_callback([](OI_d_tech*, void* dialog, long) -> long {
        auto* box = static_cast<OI_dialog_box*>(dialog);
        calls.emplace_back(box->is_displayed() ? "still up" : "gone", 0);
        return press_cell(nullptr, box->buttons()->cell("ok_btn"), 0);
    }, dialog_));
    EXPECT_EQ(wait(dialog_, false, accept), ok_);
    EXPECT_EQ(calls, (call_list{{"ok_btn", 0}, {"still up", 0}, {"ok_btn", 0}}));
}

TEST_F(dialogs_menus, ModalWaitsHoldTheOtherWindowsAndNestedWaitsReleaseTheirOwn)
{
    auto* inner = dynamic_cast<OI_dialog_box*>(dialog_->clone());
    ASSERT_NE(inner, nullptr);
    inner->set_associated_object(conn_->root(), OI_DEFAULT_LOC, OI_DEFAULT_LOC, ACTIVE_NOT_DISPLAYED);
    static dialogs_menus* test;
    static OI_dialog_box* nested;
    static std::vector<std::string> seen;
    test = this;
    nested = inner;
    seen.clear();
    later(30, OI_callback([](OI_d_tech*, void*, long) -> long {
        seen.push_back("outer: main " + test->busy(test->main_) + " ask " + test->busy(test->dialog_));
        later(30, OI_callback([](OI_d_tech*, void*, long) -> long {
            seen.push_back("inner: main " + test->busy(test->main_) + " ask " + test->busy(test->dialog_));
            return press_cell(nullptr, test->cell("ok_btn", nested), 0);
        }, nullptr));
        OI_menu_cell* pressed = test->wait(nested, true);
        seen.push_back(pressed != nullptr ? pressed->name() : "NULL");
        seen.push_back("after: main " + test->busy(test->main_) + " ask " + test->busy(test->dialog_));
        return press_cell(nullptr, test->ok_, 0);
    }, nullptr));
    EXPECT_EQ(wait(dialog_, true), ok_);
    EXPECT_EQ(seen, (std::vector<std::string>{"outer: main 1 ask 0", "inner: main 1 ask 1", "ok_btn",
                                              "after: main 1 ask 0"}));
    EXPECT_EQ(busy(main_), "0") << "the modal wait must release the main window";
    main_->set_working();
    later(30, OI_callback(press_cell, ok_));
    wait(dialog_, true);
    EXPECT_EQ(busy(main_), "1") << "a window made busy by the program stays busy";
}

// Closing the window or a callback deleting the dialog ends the wait without
// a button (taking the dialog down does the same: test_toi_cmds.cpp); with an
// unpin callback, closing is left to it.
TEST_F(dialogs_menus, WaitEndsWithoutAButtonOnWindowCloseOrWhenACallbackDeletesTheDialog)
{
    std::string close = "eval [wm protocol [winfo toplevel " + OI_tk::widget(dialog_) + "] WM_DELETE_WINDOW]";
    static std::string close_script;
    close_script = close;
    OI_callback close_window([](OI_d_tech*, void*, long) -> long {
        return OI_tk::eval(close_script) ? 1 : 0;
    }, nullptr);
    later(30, close_window);
    EXPECT_EQ(wait(dialog_, false), nullptr);
    EXPECT_FALSE(dialog_->is_displayed());

    dialog_->set_unpin(recorded.callback());
    later(30, close_window);
    later(90, OI_callback(press_cell, ok_));
    EXPECT_EQ(wait(dialog_, false), ok_);
    EXPECT_EQ(calls, (call_list{{"ask", 0}}));

    unsigned long id = dialog_->id();
    ok_->change_action(OI_callback([](OI_d_tech* origin, void*, long) -> long {
        origin->ancestor_derived_from<OI_dialog_box>()->delete_all();
        return 1;
    }, nullptr));
    later(30, OI_callback(press_cell, ok_));
    EXPECT_EQ(wait(dialog_, true), nullptr);
    EXPECT_EQ(OI_d_tech::by_id(id), nullptr);
    EXPECT_EQ(busy(main_), "0");
}

TEST_F(dialogs_menus, ScrollMenuSelectsLinesAndScrollsByRows)
{
    OI_scroll_menu* list = oi_create_scroll_menu("list", 12, 3);
    list->set_associated_object(main_, OI_DEFAULT_LOC, OI_DEFAULT_LOC, ACTIVE);
    for (int i = 0; i < 10; ++i)
        list->add_cell(oi_create_menu_cell("line" + std::to_string(i), "Line " + std::to_string(i), {}));
    settle();
    ASSERT_EQ(list->num_cells(), 10);
    EXPECT_EQ(list->selected(), nullptr);
    list->numbered_cell(2)->press();
    tcl(OI_tk::widget(list->numbered_cell(5)) + " invoke");
    EXPECT_EQ(list->selected(), list->numbered_cell(5));
    EXPECT_EQ(list->selected_cells().size(), 1u) << "lines are exclusive by default";
    list->set_handle_loc_y(9);
    EXPECT_EQ(list->handle_loc_y(), 7) << "the view stops at the last page";

    // Deleting a line moves the later ones up; a new line goes below them all.
    list->numbered_cell(3)->delete_all();
    list->add_cell(oi_create_menu_cell("extra", "Extra", {}));
    settle();
    auto line_of = [&](const char* name) {
        std::string cell = OI_tk::widget(list->cell(name));
        return tcl("[winfo parent " + cell + "] index " + cell);
    };
    EXPECT_EQ(line_of("line4") + " " + line_of("extra"), "4.0 10.0");

    list->set_multiple(true);
    list->cell("line0")->press();
    EXPECT_EQ(list->selected_cells().size(), 2u);
}

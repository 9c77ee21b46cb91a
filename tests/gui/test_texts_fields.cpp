// Entry fields, multi-line texts, the gauge, slider and glyph, the main
// window's help menu (also while busy) and key translations.
#include <string>
#include <vector>

#include "toolkit/oi_app_window.h"
#include "toolkit/oi_entry_field.h"
#include "toolkit/oi_gauge.h"
#include "toolkit/oi_glyph.h"
#include "toolkit/oi_help_menu.h"
#include "toolkit/oi_multi_text.h"
#include "toolkit/oi_slider.h"
#include "toolkit/oi_translations.h"
#include "toolkit_fixture.h"

namespace {

long refuse_digits(OI_d_tech*, void*, long character)
{
    return character < '0' || character > '9';
}

const char* const form =
    "*form.class: Box\n*form.name.class: EntryField\n*form.name.label: Name:\n*form.name.columns: 12\n"
    "*form.name.charCheck: refuse_digits\n*form.count.class: SeqEntryField\n*form.count.text: 1 2 3\n"
    "*form.message.class: MultiText\n*form.log.class: ScrollText\n*form.gauge.class: Gauge\n"
    "*form.slider.class: Slider\n*form.slider.minimum: 10\n*form.slider.maximum: 20\n*form.glyph.class: Glyph\n";

const char* const main_window =
    "*main_win.class: AppWindow\n*main_win.name.class: EntryField\n*main_win.help_menu.label: Assistance\n"
    "*main_win.help_menu.extra.class: HelpMenuEntry\n*main_win.help_menu.extra.label: Extra\n"
    "*main_win.help_menu.extra.action: global_action\n";

int global_presses;

long count_global(OI_d_tech*, void*, long)
{
    return ++global_presses;
}

}  // namespace

class texts_fields : public toolkit_test {
protected:
    void SetUp() override
    {
        toolkit_test::SetUp();
        OI_actions_rec actions[] = {OI_function_action("refuse_digits", refuse_digits),
                                    OI_function_action("global_action", count_global)};
        OI_add_actions(actions, 2);
        global_presses = 0;
    }

    template <class T>
    T* part(OI_d_tech* top, const std::string& name)
    {
        return dynamic_cast<T*>(top->descendant(name));
    }
    // The part called name of the form, made on first use into form_.
    template <class T>
    T* form_part(const std::string& name)
    {
        form_ = form_ != nullptr ? form_ : make(form);
        return form_ != nullptr ? part<T>(form_, name) : nullptr;
    }

    // Types text into the widget that has the focus, key by key.
    void type(const std::string& path, const std::vector<std::string>& keysyms)
    {
        tcl("focus -force " + path);
        for (const std::string& keysym : keysyms)
            tcl("event generate " + path + " <KeyPress> -keysym " + keysym);
        settle();
    }

    // Waits for the window to be on the screen.
    void map(OI_d_tech* top)
    {
        ASSERT_TRUE(run_until("\"" + top->name() + "\" to be on the screen",
                              [&] { return tcl("winfo viewable " + OI_tk::widget(top)) == "1"; }));
        tcl("update");
    }

    call_log calls_;
    OI_d_tech* form_ = nullptr;
};

// ---- Entry fields ----------------------------------------------------------------

// Parts count characters, not bytes, and survive cloning; typing goes
// through the character check (a deletion never does), set_text does not;
// Return and set_value_as_typed run the entry callback once each.
TEST_F(texts_fields, EntryFieldChecksWhatIsTypedAndRunsItsCallbackOncePerEntry)
{
    auto* name = form_part<OI_entry_field>("name");
    ASSERT_TRUE(name && form_part<OI_seq_entry_field>("count")) << "a SeqEntryField is an entry field of its own";
    name->set_text("h\xc3\xa9llo");
    EXPECT_EQ(name->part_text(1, 3) + "|" + name->part_text(3, 10) + "|" + name->part_text(9, 2),
              "\xc3\xa9ll|lo|") << "parts count characters, not bytes";
    OI_d_tech* copy = form_->clone();
    EXPECT_EQ(part<OI_entry_field>(copy, "name")->text(), "h\xc3\xa9llo");
    copy->delete_all();

    name->set_text("");
    name->set_entry_callback(calls_.callback());
    map(form_);
    const std::string entry = OI_tk::widget(name) + ".e";
    type(entry, {"a", "5", "b", "BackSpace", "k", "Return"});
    EXPECT_EQ(name->text(), "ak") << "the digit is refused, a deletion is never checked";
    EXPECT_EQ(calls_.calls, (call_list{{"name", 0}}));
    name->set_value_as_typed("a1b2");
    EXPECT_EQ(calls_.calls.size(), 2u);
    EXPECT_EQ(name->text(), "ab") << "typed text goes through the character check";

    name->set_text("route 66");
    EXPECT_EQ(name->text(), "route 66") << "set_text is not typing";
    calls_.calls.clear();
    name->set_char_chk(calls_.callback());
    calls_.answer = 0;
    type(entry, {"x"});
    EXPECT_EQ(calls_.calls, (call_list{{"name", 'x'}})) << "the check gets the typed character";
    EXPECT_EQ(name->text(), "route 66");
    calls_.answer = 1;
    name->set_state(INACTIVE);
    type(entry, {"y"});
    EXPECT_EQ(name->text(), "route 66") << "a greyed field takes no typing";
}

// ---- Multi-line texts ---------------------------------------------------------------

// Widths are measured alike before and after drawing; a read-only text takes
// no typing but still takes text; a scroll text appends lines; copies keep both.
TEST_F(texts_fields, MultiTextMeasuresItsLinesAndAReadOnlyOneStillTakesText)
{
    auto* message = form_part<OI_multi_text>("message");
    auto* log = form_part<OI_scroll_text>("log");
    ASSERT_TRUE(message && log);
    message->set_text_to_string("short\na much longer line\n");
    EXPECT_EQ(message->lines(), (std::vector<std::string>{"short", "a much longer line", ""}));
    int hidden_short = message->line_width(0);
    int hidden_long = message->line_width(1);
    EXPECT_GE(hidden_long - hidden_short, 13 * message->char_width() - 13) << "the difference is about 13 characters";
    message->disallow_kb_input();
    message->disallow_click_select();
    message->set_position(0, 5);
    map(form_);
    EXPECT_NEAR(message->line_width(1), hidden_long, 2) << "drawn and measured widths agree";
    EXPECT_EQ(message->line_width(7), 0) << "a missing line has no width";
    type(OI_tk::widget(message), {"x"});
    EXPECT_EQ(message->text(), "short\na much longer line\n");
    message->set_text_to_string("replaced");
    EXPECT_EQ(message->text(), "replaced");
    EXPECT_EQ(tcl("lsearch [bindtags " + OI_tk::widget(message) + "] Text"), "-1") << "no click selection";
    log->append_line("first", false);
    log->append_line("second", true);
    EXPECT_EQ(log->text(), "first\nsecond");
    OI_d_tech* copy = form_->clone();
    copy->set_associated_object(conn_->root(), 0, 0, ACTIVE);
    EXPECT_EQ(part<OI_scroll_text>(copy, "log")->lines().size(), 2u);
    EXPECT_EQ(part<OI_multi_text>(copy, "message")->text(), "replaced");
    copy->delete_all();

    // Counted as Tk wraps the text once it is drawn at that width (alone in
    // its window, so that nothing else widens it).
    auto* note = dynamic_cast<OI_multi_text*>(make("*note.class: MultiText\n"));
    ASSERT_NE(note, nullptr);
    note->set_text_to_string("aaaa bbbb cccc ddddddddddddddd e\nf");
    for (int columns : {10, 16, 40}) {
        note->set_view_size(columns, 1);
        int counted = note->view_n_lines();
        map(note);
        EXPECT_EQ(counted, std::stoi(tcl(OI_tk::widget(note) + " count -displaylines 1.0 end")))
            << columns << " columns";
    }
}

// ---- Values ---------------------------------------------------------------------------

// The gauge keeps its value within 0 and 100, the slider within its range
// while following the user; the glyph shows a given image only.
TEST_F(texts_fields, GaugeSliderAndGlyphKeepTheirValuesInRange)
{
    auto* gauge = form_part<OI_gauge>("gauge");
    auto* slider = form_part<OI_slider>("slider");
    auto* glyph = form_part<OI_glyph>("glyph");
    ASSERT_TRUE(gauge && slider && glyph);
    map(form_);
    EXPECT_EQ(slider->value(), 10) << "the minimum when nothing set it";
    auto set_gauge = [&](int value) { gauge->set_value(value); return gauge->value(); };
    EXPECT_EQ(std::vector<int>({set_gauge(150), set_gauge(-3), set_gauge(50)}), std::vector<int>({100, 0, 50}));
    EXPECT_EQ(tcl(OI_tk::widget(gauge) + " itemcget percent -text"), "50%");
    int width = gauge->size_x();
    double bar_right = std::stod(tcl("lindex [" + OI_tk::widget(gauge) + " coords bar] 2"));
    EXPECT_NEAR(bar_right, width / 2.0, 3.0) << "half the trough is filled";
    slider->set_value(25);
    EXPECT_EQ(slider->value(), 20);
    tcl(OI_tk::widget(slider) + " set 13");
    settle();
    EXPECT_EQ(slider->value(), 13) << "moved by the user";
    tcl("image create photo dot -width 4 -height 4");
    EXPECT_TRUE(glyph->set_pixmap("dot"));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(glyph->set_pixmap("no_such_image"));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("no_such_image"), std::string::npos);
}

// ---- The main window --------------------------------------------------------------

TEST_F(texts_fields, HelpMenuIsRefilledAndItsCellsPressLikeClicks)
{
    auto* window = dynamic_cast<OI_app_window*>(make(main_window));
    ASSERT_NE(window, nullptr);
    OI_help_menu* menu = window->help_menu();
    ASSERT_TRUE(menu && window->help_obj());
    EXPECT_FALSE(window->help_obj()->press()) << "a built-in entry without action is greyed";
    ASSERT_EQ(menu->num_cells(), 3);
    EXPECT_TRUE(menu->numbered_cell(2)->press());
    EXPECT_EQ(global_presses, 1) << "an entry declared in a resource file runs its action";
    window->help_obj()->delete_all();
    window->hyper_help()->delete_all();
    menu->numbered_cell(0)->delete_all();
    EXPECT_EQ(window->hyper_help(), nullptr);
    EXPECT_EQ(menu->num_cells(), 0);

    const char* labels[] = {"On Help", "Contents", "On Actions", "About..."};
    for (int i = 0; i < 4; ++i)
        menu->add_cell("main_help_choice" + std::to_string(i + 1), labels[i], calls_.callback());
    menu->set_name("main_help_menu");
    EXPECT_EQ(window->descendant("main_help_choice3"), menu->numbered_cell(2));
    EXPECT_TRUE(menu->numbered_cell(3)->press());
    tcl(OI_tk::widget(menu) + " invoke 1");
    EXPECT_EQ(calls_.calls, (call_list{{"main_help_choice4", 1}, {"main_help_choice2", 1}}))
        << "a click does what press does";

    menu->numbered_cell(0)->set_state(INACTIVE);
    EXPECT_FALSE(menu->numbered_cell(0)->press());
    EXPECT_EQ(calls_.calls.size(), 2u);
}

TEST_F(texts_fields, HelpMenuStaysUsableWhileTheWindowIsBusy)
{
    auto* window = dynamic_cast<OI_app_window*>(make(main_window));
    ASSERT_NE(window, nullptr);
    window->help_menu()->add_cell("about", "About...", calls_.callback());
    map(window);
    std::string shell = tcl("winfo toplevel " + OI_tk::widget(window));
    // Tk draws the menu bar through a clone of it, a child of the shell.
    std::string bar = tcl("set bar {}; foreach w [winfo children " + shell +
                          "] {if {[winfo class $w] eq {Menu} && [winfo ismapped $w]} {set bar $w}}; set bar");
    ASSERT_FALSE(bar.empty());
    int help_x = std::stoi(tcl(bar + " xposition 0")) + 5;
    EXPECT_GT(help_x, window->size_x() / 2) << "Help sits on the right";

    window->set_working();
    std::string x = std::to_string(help_x);
    EXPECT_EQ(tcl("winfo containing [expr {[winfo rootx " + bar + "] + " + x + "}] [expr {[winfo rooty " +
                  bar + "] + 5}]"),
              bar) << "the busy window must not cover the menu bar";
    for (const char* event : {"Enter", "Motion", "ButtonPress-1"})
        tcl("event generate " + bar + " <" + event + "> -x " + x + " -y 5");
    settle();
    std::string pulldown = tcl("set m {}; foreach w [winfo children " + bar +
                               "] {if {[winfo ismapped $w]} {set m $w}}; set m");
    ASSERT_FALSE(pulldown.empty()) << "the help menu was not posted";
    tcl(pulldown + " invoke 3");
    tcl(pulldown + " unpost");
    tcl("grab release [grab current]");
    window->clear_working();
    EXPECT_EQ(calls_.calls, (call_list{{"about", 1}}));
}

// Tables are read into Tk sequences; a bad one is refused whole.
TEST_F(texts_fields, KeyTranslationsRunNamedActionsForTheObjectWithTheFocus)
{
    auto* window = dynamic_cast<OI_app_window*>(make(main_window));
    ASSERT_NE(window, nullptr);
    OI_actions_rec help;
    help.name = "activate_help";
    help.object = [this]() -> OIU_callback_multiple* { return &calls_; };
    help.member = static_cast<OI_member>(&call_log::record);
    window->push_actions(&help, 1);
    EXPECT_TRUE(window->substitute_translations("<KeyPress>F1: activate_help()"));
    map(window);
    std::string entry = OI_tk::widget(window->descendant("name")) + ".e";
    type(entry, {"F1"});
    type(tcl("winfo toplevel " + OI_tk::widget(window)), {"F1"});
    EXPECT_EQ(calls_.calls, (call_list{{"name", 0}, {"main_win", 0}})) << "the action runs for the focused object";

    EXPECT_TRUE(window->substitute_translations("<Key>F2: global_action() global_action()"));
    type(entry, {"F1", "F2"});
    EXPECT_EQ(calls_.calls.size(), 2u) << "F1 was replaced";
    EXPECT_EQ(global_presses, 2);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(window->substitute_translations("<Key>F3 global_action()"));
    EXPECT_FALSE(testing::internal::GetCapturedStderr().empty());
    type(entry, {"F2"});
    EXPECT_EQ(global_presses, 4) << "a rejected table leaves the old one";

    OI_d_tech* copy = window->clone();
    copy->set_associated_object(conn_->root(), 0, 0, ACTIVE);
    map(copy);
    type(OI_tk::widget(copy->descendant("name")) + ".e", {"F2"});
    EXPECT_EQ(global_presses, 6) << "a copy keeps the translations";
    copy->delete_all();

    std::vector<OI_translation> table;
    std::string reason;
    ASSERT_TRUE(OI_parse_translations(
        "#override\\n<KeyPress>F1: activate_help()\\nShift Ctrl<Key>Tab: prev(1) next()\n<Btn1Down>: press()",
        &table, &reason)) << reason;
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table[0].sequence + table[1].sequence + table[2].sequence,
              "<KeyPress-F1><Shift-Control-KeyPress-Tab><ButtonPress-1>");
    for (const char* bad : {"<KeyPress>F1 activate_help()", "<Hover>x: a()", "<Key>F1: help",
                            "Super<Key>a: a()", "<Key>a,<Key>b: a()", "<Key>F1:"})
        EXPECT_FALSE(OI_parse_translations(bad, &table, &reason)) << bad;
}

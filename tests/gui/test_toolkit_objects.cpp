// The toolkit's object tree: objects declared by resource files, found by
// name, shown and hidden, and their resources merged and re-applied.

#include <sstream>

#include "toolkit/oi_box.h"
#include "toolkit/oi_entry_field.h"
#include "toolkit/oi_menu_cell.h"
#include "toolkit/oi_multi_text.h"
#include "ui/bindings.h"
#include "toolkit/oi_static_text.h"
#include "toolkit_fixture.h"

const char* const sample_dialog =
    "! a box with a title line and an inner box\n*sample.class: Box\n*sample.title.class: StaticText\n"
    "*sample.title.text: Hello\n*sample.inner.class: Box\n*sample.inner.x: 10\n*sample.inner.y: 40\n"
    "*sample.inner.Working.class: StaticText\n*sample.inner.Working.text: busy \\\nand still busy\n";

using toolkit_objects = toolkit_test;

// Declared objects are found by name in file order, placed children size
// their box, merged resources apply on update, and states show and hide the
// window and its parts.
TEST_F(toolkit_objects, DeclaredObjectsAreFoundPlacedUpdatedShownAndHiddenByName)
{
    OI_d_tech* sample = make(sample_dialog, ACTIVE_NOT_DISPLAYED);
    ASSERT_NE(sample, nullptr);
    ASSERT_EQ(sample->num_props(), 2);
    EXPECT_EQ(sample->numbered_child(0)->name() + " " + sample->numbered_child(0)->next_child()->name(), "title inner");
    auto* working = dynamic_cast<OI_static_text*>(sample->descendant("Working"));
    ASSERT_NE(working, nullptr);
    EXPECT_EQ(working->text(), "busy and still busy");
    EXPECT_EQ(working->ancestor_derived_from<OI_box>()->name(), "inner");
    EXPECT_EQ(conn_->root()->descendant("Working"), working);
    EXPECT_EQ(sample->descendant("missing"), nullptr);

    settle();
    EXPECT_FALSE(sample->is_displayed());
    EXPECT_EQ(tcl("wm state " + OI_tk::widget(sample).substr(0, OI_tk::widget(sample).rfind('.'))), "withdrawn");
    sample->set_state(ACTIVE);
    settle();
    EXPECT_TRUE(sample->is_displayed());
    OI_d_tech* inner = sample->descendant("inner");
    int x = 0, y = 0;
    inner->location(&x, &y);
    EXPECT_EQ(std::to_string(x) + "," + std::to_string(y), "10,40");
    EXPECT_GE(sample->size_y(), 40 + inner->size_y());
    inner->set_state(NOT_DISPLAYED);
    settle();
    EXPECT_FALSE(working->is_displayed());
    EXPECT_EQ(tcl("winfo ismapped " + OI_tk::widget(inner)), "0");
    inner->set_state(ACTIVE);
    settle();
    EXPECT_EQ(tcl("winfo ismapped " + OI_tk::widget(inner)), "1");

    OI_d_tech* title = sample->descendant("title");
    EXPECT_EQ(conn_->merge_resources("*sample.*background: red"), 1);
    sample->update_resources();
    EXPECT_EQ(title->bkg_color(), "red");
}

// Every bad line goes to standard error; the caller gets the first one, its
// number counted in physical lines past a continued one.
TEST_F(toolkit_objects, BadLinesAreReportedWithFileAndLineAndChangeNothing)
{
    OI_resource_fault fault;
    testing::internal::CaptureStderr();
    EXPECT_EQ(load("*good.class: Box\n*good.title: one \\\n  two\n!\nno colon here\n"
                   "*x.class: NoSuchClass\n", &fault), 0);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find(".cf:5: "), std::string::npos) << err;
    EXPECT_NE(err.find(".cf:6: unknown class \"NoSuchClass\""), std::string::npos) << err;
    EXPECT_EQ(fault.file + ":" + std::to_string(fault.line) + ": " + fault.reason,
              (dir_ / ("file" + std::to_string(files_) + ".cf:5: a resource line is \"name: value\", and this one has no colon")));
    EXPECT_EQ(OI_make_top_level(), nullptr) << "a rejected file declares nothing";
    EXPECT_EQ(conn_->add_resources("/no/such/file.cf", 0), 0);
    EXPECT_EQ(conn_->add_resources(dir_.path().c_str(), 0), 0) << "a directory is no empty file";

    // A NUL would cut the line short where Xrm stores it.
    testing::internal::CaptureStderr();
    EXPECT_EQ(load(std::string("*good.class: Box\n*good.title: on\0e\n", 35), &fault), 0);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::to_string(fault.line) + ": " + fault.reason, "2: a resource line holds no NUL byte");
}

// A later timer marks the end: by then the cancelled one would have fired.
TEST_F(toolkit_objects, TimersFireOnceAndCanBeCancelled)
{
    static int fired;
    fired = 0;
    OI_callback count([](OI_d_tech*, void*, long) -> long { return ++fired; }, nullptr);
    OI_callback other([](OI_d_tech*, void*, long) -> long { return fired += 100; }, nullptr);
    OI_callback last([](OI_d_tech*, void*, long) -> long { return fired += 1000; }, nullptr);
    OI_add_timeout(10, count);
    OI_add_timeout(10, other);
    OI_add_timeout(30, last);
    OI_delete_timeout(other);
    run_until("the last timer to fire", [] { return fired >= 1000; });
    EXPECT_EQ(fired, 1001);
}

// The example of the product authors' reference must load as it stands.
TEST_F(toolkit_objects, DocumentedExampleDialogLoads)
{
    std::string doc = read_file(std::string(KITSETUP_SOURCE_DIR) + "/docs/resource-files.md");
    size_t start = doc.find("! Sample product: the examples dialog.");
    size_t end = doc.find("The product's script loads it", start);
    ASSERT_NE(start, std::string::npos);
    std::string text;
    std::istringstream lines(doc.substr(start, end - start));
    for (std::string line; std::getline(lines, line);)
        text += (line.compare(0, 4, "    ") == 0 ? line.substr(4) : line) + "\n";
    register_bindings();
    testing::internal::CaptureStderr();
    OI_d_tech* dialog = make(text);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_NE(dialog, nullptr);
    auto* question = dynamic_cast<OI_multi_text*>(dialog->descendant("question"));
    auto* field = dynamic_cast<OI_entry_field*>(dialog->descendant("dir_field"));
    auto* docs = dynamic_cast<OI_menu_cell*>(dialog->descendant("docs"));
    ASSERT_TRUE(question && field && docs);
    EXPECT_EQ(question->lines().size(), 2u);
    EXPECT_EQ(field->text(), "/usr/local/kps30/examples");
    EXPECT_EQ(docs->type(), OI_TOGGLE_CELL);
    EXPECT_NE(dialog->descendant("cancel_btn"), nullptr);
}

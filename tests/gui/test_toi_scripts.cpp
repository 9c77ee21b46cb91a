// A failed product script takes down the busy state it may have left on the
// installer's interface; a successful one leaves the interface alone.
#include <string>

#include <tcl.h>

#include "message_recorder.h"
#include "product_sandbox.h"
#include "toi/toi_init.h"
#include "toolkit_fixture.h"

namespace {

const char* const busy_interface =
    "*main_win.class: Box\n*main_win.width: 200\n*main_win.height: 100\n*Working.class: Box\n"
    "*Working.width: 100\n*Working.height: 50\n";

class toi_scripts : public toolkit_test {
protected:
    void SetUp() override
    {
        toolkit_test::SetUp();
        ASSERT_NE(make(busy_interface), nullptr);
        main_win_ = conn_->root()->descendant("main_win");
        working_ = conn_->root()->descendant("Working");
        ASSERT_TRUE(main_win_ && working_);
        main_win_->set_working();
        settle();
        interp_ = create_interpreter();
        ASSERT_NE(interp_, nullptr);
    }
    int run(const std::string& text)
    {
        std::string script = dir_ / "script.tcl";
        write_file(script, text);
        return evaluate_file(interp_, script.c_str());
    }

    message_recorder recorder_;
    OI_d_tech* main_win_ = nullptr;
    OI_d_tech* working_ = nullptr;
    Tcl_Interp* interp_ = nullptr;
    product_sandbox sandbox_;  // puts the case setting back
};

// Only a failed script tidies the interface: busy state cleared, the
// busy box hidden, and the failure reported.
TEST_F(toi_scripts, FailedScriptClearsBusyStateAndHidesWorking)
{
    EXPECT_EQ(run("return bypass\n"), 2);
    EXPECT_TRUE(main_win_->is_working());
    EXPECT_TRUE(working_->is_displayed());
    EXPECT_TRUE(recorder_.messages().empty());
    EXPECT_EQ(run("set a 1\nset b [\n"), -1);
    settle();
    EXPECT_FALSE(main_win_->is_working());
    EXPECT_EQ(working_->state(), NOT_DISPLAYED);
    ASSERT_EQ(recorder_.messages().size(), 1u) << "the root object was there";
    EXPECT_EQ(recorder_.messages()[0].text.rfind("Unable to execute the script file ", 0), 0u);
}

}  // namespace

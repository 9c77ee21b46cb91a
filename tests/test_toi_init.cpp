// The product script interpreter: script results, failed scripts, variables
// kept per interpreter, TclX's commands and the installer's own commands.
#include <string>

#include <gtest/gtest.h>
#include <tcl.h>

#include "message_recorder.h"
#include "product_sandbox.h"
#include "run_program.h"
#include "toi/toi_init.h"

namespace {

class toi_init : public ::testing::Test {
protected:
    void SetUp() override
    {
        interp_ = create_interpreter();
        ASSERT_NE(interp_, nullptr) << "no interpreter";
    }

    // Writes text as a script file and runs it in interp.
    int run(const std::string& text, Tcl_Interp* interp = nullptr)
    {
        script_ = dir_ / ("script" + std::to_string(++scripts_) + ".tcl");
        write_file(script_, text);
        return evaluate_file(interp != nullptr ? interp : interp_, script_.c_str());
    }

    std::string global(const char* name, Tcl_Interp* interp = nullptr)
    {
        const char* value = Tcl_GetVar(interp != nullptr ? interp : interp_, name, TCL_GLOBAL_ONLY);
        return value != nullptr ? value : "<unset>";
    }

    product_sandbox sandbox_;  // puts the case setting back
    message_recorder recorder_;
    temp_dir dir_;
    std::string script_;
    int scripts_ = 0;
    Tcl_Interp* interp_ = nullptr;
};

// Any case of stop or bypass, or 1 or 2, decides; the comparison leaves
// the program's case setting as it was, but a new interpreter turns it off.
TEST_F(toi_init, ResultWordsIgnoreCaseAndLeaveTheCaseSettingAlone)
{
    const struct { const char* script; int result; } rows[] = {
        {"return STOP", 1}, {"set answer 1", 1}, {"return Bypass", 2}, {"return 2", 2},
        {"return 3", 0}, {"", 0}, {"return stopped", 0}, {"return 12", 0}};
    for (bool sensitive : {true, false}) {
        sensitive ? listring::case_sensitive_on() : listring::case_sensitive_off();
        for (const auto& row : rows)
            EXPECT_EQ(run(std::string(row.script) + "\n"), row.result) << row.script;
        EXPECT_EQ(listring::is_case_sensitive(), sensitive);
    }
    EXPECT_TRUE(recorder_.messages().empty());
    listring::case_sensitive_on();
    Tcl_Interp* other = Tcl_CreateInterp();
    initialise_interpreter(other);
    EXPECT_FALSE(listring::is_case_sensitive());
    Tcl_DeleteInterp(other);
}

// A failed script is reported with its line and Tcl's text; the interpreter
// keeps what it defined before the error.
TEST_F(toi_init, FailedScriptsReportTheLineAndTclText)
{
    EXPECT_EQ(run("set a 1\nset b 2\n\n# a comment\nset broken \"unterminated\n"), -1);
    ASSERT_EQ(recorder_.messages().size(), 2u);
    EXPECT_EQ(recorder_.messages()[0].kind, message_kind::error);
    const std::string& text = recorder_.messages()[0].text;
    const std::string start = "Unable to execute the script file " + script_ + ". Line 5: ";
    EXPECT_EQ(text.compare(0, start.size(), start), 0) << text;
    EXPECT_NE(text.find("missing \""), std::string::npos) << "no Tcl text: " << text;
    EXPECT_EQ(text.back(), '.') << text;
    // Without a toolkit there is no interface to tidy, and the user is told.
    EXPECT_EQ(recorder_.messages()[1].text, "Unable to locate the top level interface object.");
    EXPECT_EQ(global("a"), "1") << "commands before the error ran";

    recorder_.clear();
    EXPECT_EQ(run("proc keep {} {return kept}\nset x 1\nno_such_command\n"), -1);
    ASSERT_FALSE(recorder_.messages().empty());
    EXPECT_NE(recorder_.messages()[0].text.find(". Line 3: invalid command name \"no_such_command\"."),
              std::string::npos) << recorder_.messages()[0].text;
    EXPECT_EQ(run("if {[keep] eq \"kept\"} {return stop}\n"), 1);

    recorder_.clear();
    EXPECT_EQ(evaluate_file(interp_, (dir_ / "absent.tcl").c_str()), -1);
    ASSERT_FALSE(recorder_.messages().empty());
    EXPECT_NE(recorder_.messages()[0].text.find("absent.tcl"), std::string::npos);
}

// Variables last per interpreter; set_variable sets a global or reports
// Tcl's refusal; TclX's commands are there, and error is the installer's own.
TEST_F(toi_init, VariablesLastPerInterpreterAndTclxAndTheInstallersCommandsAreThere)
{
    Tcl_Interp* other = create_interpreter();
    ASSERT_NE(other, nullptr);
    const std::string check = "if {[info exists shared]} {return stop}\n";
    EXPECT_EQ(run("set shared from_pre_install\n"), 0);
    EXPECT_EQ(run(check), 1) << "the next script of the same product sees it";
    EXPECT_EQ(run(check, other), 0) << "another product's script must not";
    EXPECT_EQ(run("set shared other\n", other), 0);
    EXPECT_EQ(global("shared"), "from_pre_install");
    EXPECT_EQ(set_variable(interp_, "PRODUCT", "Demo Kit 2.0"), TCL_OK);
    EXPECT_EQ(run("proc product {} {global PRODUCT; return $PRODUCT}\n"
                  "if {[product] eq \"Demo Kit 2.0\"} {return stop}\n"), 1);
    EXPECT_EQ(run("array set options {}\n"), 0);
    EXPECT_EQ(set_variable(interp_, "options", "x"), TCL_ERROR) << "an array takes no value";

    EXPECT_EQ(run("keylset product name demo size 12\n"
                  "if {[keylget product size] == 12 && [intersect {a b c} {b c d}] eq {b c}} {return stop}\n"), 1);
    EXPECT_EQ(run("return [fmtclock [getclock] %Y]\n"), 0);
    EXPECT_EQ(std::string(Tcl_GetStringResult(interp_)).size(), 4u) << "a four-digit year";
    EXPECT_EQ(run("catch {error} message\nreturn $message\n"), 0);
    EXPECT_STREQ(Tcl_GetStringResult(interp_), "wrong number of arguments: should be \"error msg\"");
}

}  // namespace

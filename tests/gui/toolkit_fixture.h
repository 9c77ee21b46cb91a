// Test fixture: a toolkit connection on the test's Xvfb, resource files
// written on the fly, and ways to run the event loop until something happens.
#ifndef KITSETUP_TESTS_GUI_TOOLKIT_FIXTURE_H
#define KITSETUP_TESTS_GUI_TOOLKIT_FIXTURE_H

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "event_loop.h"
#include "run_program.h"
#include "toolkit/oi_connection.h"
#include "toolkit/koi_button.h"
#include "toolkit/oi_d_tech.h"
#include "toolkit/oi_tk.h"
#include "ui/dialogs.h"
#include "ui/kitsetup.h"

// A callback's calls: the origin's name ("NULL" for none) and the value.
using call_list = std::vector<std::pair<std::string, long>>;

// A callback's record of its calls, in order; each is answered with answer.
struct call_log : OIU_callback_multiple {
    long record(OI_d_tech* origin, void*, long value)
    {
        calls.emplace_back(origin != nullptr ? origin->name() : "NULL", value);
        return answer;
    }
    OI_callback callback() { return OI_callback(this, &call_log::record, nullptr); }

    call_list calls;
    long answer = 1;
};

class toolkit_test : public ::testing::Test {
protected:
    void SetUp() override
    {
        char arg0[] = "kitsetup";
        char* argv[] = {arg0, nullptr};
        int argc = 1;
        conn_ = OI_init(&argc, argv, "kitsetup", nullptr);
        ASSERT_NE(conn_, nullptr) << "no display";
    }
    void TearDown() override
    {
        OI_delete_timeout(OI_callback(give_up, nullptr));
        OI_fini();
    }

    // Bounds the modal wait about to begin, which nothing outside its nested
    // event loop can end: unless called again first, after wait_limit the test
    // fails naming what it waited for, and the program ends.
    static void watch(const std::string& what)
    {
        awaited() = what;
        OI_delete_timeout(OI_callback(give_up, nullptr));
        OI_add_timeout(wait_limit.count() * 1000, OI_callback(give_up, nullptr));
    }

    // Writes text as a resource file and merges it: add_resources's result.
    int load(const std::string& text, OI_resource_fault* fault = nullptr)
    {
        std::string path = dir_ / ("file" + std::to_string(++files_) + ".cf");
        write_file(path, text);
        return conn_->add_resources(path.c_str(), 0, fault);
    }

    // Loads text and creates its objects; the first new top-level object,
    // attached to the root in state.
    OI_d_tech* make(const std::string& text, OI_state state = ACTIVE)
    {
        if (load(text) == 0)
            return nullptr;
        OI_d_tech** tops = OI_make_top_level();
        if (tops == nullptr)
            return nullptr;
        OI_d_tech* first = tops[0];
        for (OI_d_tech** top = tops; *top != nullptr; ++top)
            (*top)->set_associated_object(conn_->root(), OI_DEFAULT_LOC, OI_DEFAULT_LOC, state);
        std::free(tops);
        return first;
    }

    // Brings up the installer's own message boxes as start-up does: the demo's
    // fonts and common dialogs, the shared icons, messages shown as boxes.
    void use_installer_message_boxes()
    {
        setenv("ICONS_DIR", KITSETUP_DEMO_DIR "/icons", 1);
        OI_reg_derived_classes();
        std::free(load_cf(nullptr, KITSETUP_DEMO_DIR "/config/fonts.cf"));
        OI_d_tech** dialogs = load_cf(nullptr, KITSETUP_DEMO_DIR "/config/cmndlgs.cf");
        ASSERT_NE(dialogs, nullptr);
        std::free(dialogs);
        create_message_icons();
        static dialog_reporter boxes;
        set_reporter(&boxes);
    }

    // Runs the event loop until nothing is pending.
    static void settle()
    {
        while (OI_dispatch_one(false)) {
        }
    }

    std::string tcl(const std::string& script)
    {
        std::string result;
        OI_tk::eval(script, &result);
        return result;
    }

    static std::string& awaited()
    {
        static std::string what;
        return what;
    }
    // Also on standard error: a test may be capturing standard output.
    static long give_up(OI_d_tech*, void*, long)
    {
        ADD_FAILURE() << "waited " << wait_limit.count() << " s for " << awaited();
        std::fprintf(stderr, "waited %ld s for %s\n", static_cast<long>(wait_limit.count()), awaited().c_str());
        std::fflush(stdout);
        std::_Exit(1);
    }

    OI_connection* conn_ = nullptr;
    temp_dir dir_;
    int files_ = 0;
};

#endif

// Test helper: the installation dialogs driven as a user drives them, for
// the tests that install and deinstall through them. Each session has a
// private /opt/tarnu; the helpers check what is left on disk and in the log.
#ifndef KITSETUP_TESTS_GUI_INSTALLATION_FIXTURE_H
#define KITSETUP_TESTS_GUI_INSTALLATION_FIXTURE_H

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "file_records.h"
#include "kitsetup_session.h"

namespace fs = std::filesystem;

inline const std::string media = KITSETUP_BUILD_DIR "/media/";
inline const std::string kps30 = "Sample Product 3.0, a demonstration kit with a printing sample";
inline const std::string kdb12 = "Sample Database 1.2, a demonstration database kit";

// Whether the installer's own directory, never removed, is all that is
// left in target.
inline bool only_install_left(const std::string& target)
{
    return std::distance(fs::directory_iterator(target), fs::directory_iterator()) == 1 &&
           fs::is_directory(target + "/install");
}

// The medium cells and the source each offers for the demo's products.
inline std::string default_source(const std::string& medium, const std::string& id)
{
    if (medium == "cd_btn")
        return media + "cd";
    if (medium == "tape_btn")
        return media + "tape/" + (id == "kps30" ? "nst0" : "nst1");
    return media + (medium == "fileserver_btn" ? "fileserver/" : "dist/") + id;
}

// One installation through the dialogs.
struct walk {
    std::string id;
    std::string primary;  // the primary option pressed, for a product with them
    std::string medium;   // the medium's cell in the options dialog
    std::string source;   // empty: the medium's default
    std::string target;   // empty: the dialog's (the file server's records directory)
    std::vector<std::string> presses = {};  // cells pressed in the options dialog before OK
    bool parts = false;  // one option with parts chosen: all its parts are taken
    bool short_of_space = false;  // the target too small: going on all the same
    bool refused = false;         // OK refused with a message: no continue dialog
};

class installation_dialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!private_mounts_work())
            GTEST_SKIP() << "no private mount namespace here";
        install_ = copy_of_demo(dir_);
        fs::create_directories(tarnu_);
        fs::create_directories(home_);
        // Every script of the second product notes that it ran, and with what.
        std::string cfg = install_ + "/config/";
        std::string subsets = read_file(cfg + "kdb12prd.cfg");
        write_file(cfg + "kdb12prd.cfg", std::regex_replace(subsets, std::regex("Name=(\\w+);"), "Name=$1; Ins=Yes;"));
        write_file(cfg + "kdb12.prd", std::regex_replace(read_file(cfg + "kdb12.prd"),
                                                         std::regex("\nInstallation Script: No"),
                                                         "\nInstallation Script: Yes"));
        for (const char* name : {"kdb12ins", "server", "client"})
            write_file(cfg + name + ".ins", note_script("$CURR_OPTION $MEDIA $TARGET"));
        write_file(cfg + "kdb12.ins", note_script("product $MEDIA $CREATEDIST"));
    }

    std::string note_script(const std::string& words) const
    {
        return "set f [open {" + notes_ + "} a]\nputs $f \"" + words + "\"\nclose $f\nreturn 0\n";
    }

    // What the second product's scripts note when all ran from medium
    // into target.
    static std::string every_script(const std::string& medium, const std::string& target)
    {
        std::string notes;
        for (const char* subset : {"Installation utility", "Database server", "Client programs"})
            notes += std::string(subset) + " " + medium + " " + target + "\n";
        return notes + "product " + medium + " No\n";
    }

    // Starts the installer, namespace_setup as for isolated_session: the session.
    kitsetup_session& start(test_environment environment = session_environment(), const std::string& namespace_setup = "")
    {
        std::string printers = install_ + "/xp";
        session_ = isolated_session(install_, tarnu_, screen_,
                                    environment.set("HOME", home_.c_str()).set("XPPATH", printers.c_str()),
                                    namespace_setup);
        EXPECT_TRUE(session_->wait_for_shown("main_win")) << session_->standard_error();
        return *session_;
    }

    void finish()
    {
        EXPECT_EQ(session_->quit(), 0);
        EXPECT_EQ(session_->standard_error(), "");
    }

    std::string wait_for_box(const std::string& start) { return session_->wait_for_box(start); }
    void answer(const std::string& button) { session_->answer(button); }
    void answer_box(const std::string& start, const std::string& button) { session_->answer_box(start, button); }

    // Whether any record of id is in the records directory.
    bool recorded(const std::string& id) const
    {
        return fs::exists(tarnu_ + "/." + id + ".dat") || fs::exists(tarnu_ + "/." + id + ".fls");
    }

    // Makes the copy utility hold after the database server's files for as
    // long as the file hold_ is there: a stop ends it, or the test's end.
    void hold_after_server()
    {
        std::string bin = install_ + "/bin/" KITSETUP_KARCH "/";
        fs::rename(bin + "kcp", bin + "kcp.real");
        write_file(bin + "kcp", "#!/bin/sh\n'" + bin + "kcp.real' \"$@\" || exit\ncase \"$*\" in *map/server*)\n"
                                "    while [ -e '" + hold_ + "' ]; do sleep 0.1; done\nesac\n");
        fs::permissions(bin + "kcp", fs::perms::owner_all);
        write_file(hold_, "");
    }

    // Waits until the last of the server's files is read and logged: all
    // are in place. False, after a failure, when that did not come.
    bool wait_for_server_files()
    {
        return wait_until("the server's last file in the log", [&] {
            return session_->automation("log").find("\nx share/kdb/sql/views.sql, ") != std::string::npos;
        });
    }

    std::string get(const std::string& top, const std::string& object)
    {
        return session_->automation("get " + top + " " + object);
    }

    // Chooses the product, medium, source and target (made when missing) and
    // presses through to go: the transfer runs.
    void go(const walk& w)
    {
        kitsetup_session& s = *session_;
        walked_ = w.id + " from " + w.medium;
        if (!w.target.empty())
            fs::create_directories(w.target);
        s.automation("press main_win install_icon");
        ASSERT_TRUE(s.wait_for_shown("inst_product_dialog"));
        s.automation("press inst_product_dialog " + w.id);
        if (!w.primary.empty()) {
            ASSERT_TRUE(s.wait_for_shown("primary_options_dialog"));
            s.automation("press primary_options_dialog " + w.primary);
        }
        ASSERT_TRUE(s.wait_for_shown("options_dialog"));
        s.automation("press options_dialog " + w.medium);
        std::string source = default_source(w.medium, w.id);
        ASSERT_TRUE(wait_until("the source of " + w.medium,
                               [&] { return get("options_dialog", "source_field") == source; }));
        if (!w.source.empty()) {
            EXPECT_EQ(s.automation("set options_dialog source_field " + w.source), "");
        }
        if (!w.target.empty()) {
            EXPECT_EQ(s.automation("set options_dialog target_field " + w.target), "");
        }
        for (const std::string& cell : w.presses)
            s.automation("press options_dialog " + cell);
        s.automation("press options_dialog ok_btn");
        if (w.short_of_space)
            answer_box("confirm {There appears to be insufficient space on the target file system.", "yes_btn");
        if (w.refused)
            return;
        if (w.parts) {
            ASSERT_TRUE(s.wait_for_shown("suboptions_dialog"));
            s.automation("press suboptions_dialog install_all_btn");
            s.automation("press suboptions_dialog ok_btn");
        }
        ASSERT_TRUE(s.wait_for_shown("continue_dialog"));
        s.automation("press continue_dialog go_icon");
    }

    // Waits for the end of an installation of description and answers it;
    // with printers, the printer configuration is offered first and left.
    void expect_complete(const std::string& description, bool printers = true)
    {
        if (printers) {
            EXPECT_TRUE(session_->wait_for_shown("main_print_dialog")) << session_->automation("message");
            session_->automation("press main_print_dialog done_btn");
        }
        EXPECT_NE(wait_for_box("information {Installation of " + description + " is now complete.}"), "");
        EXPECT_EQ(session_->automation("shown"), "main_win information_dialog")
            << "a dialog outlived the installation of " << walked_;
        answer("ok_btn");
        EXPECT_TRUE(session_->back_at_main_window());
    }

    // The printer set-up offered after an installation fails to save (a
    // directory has taken the defaults file's place): both errors show, the
    // installation completes, and the file, put back, is as it was.
    void expect_failed_printer_save(const std::string& description)
    {
        std::string defaults = install_ + "/xp/Xpdefaults";
        std::string kept = read_file(defaults);
        ASSERT_TRUE(session_->wait_for_shown("main_print_dialog")) << session_->automation("message");
        session_->automation("press main_print_dialog delete_btn");
        fs::rename(defaults, dir_ / "kept");
        fs::create_directory(defaults);
        session_->automation("press main_print_dialog done_btn");
        answer_box("confirm {Do you wish to save printer configuration changes?}", "yes_btn");
        answer_box("error {Internal QUillet Error: ", "ok_btn");
        answer_box("error {Unable to write the devices section of the XpDefaults file.}", "ok_btn");
        fs::remove(defaults);
        fs::rename(dir_ / "kept", defaults);
        EXPECT_EQ(read_file(defaults), kept);
        expect_complete(description, false);
    }

    // The records of id agree with the files under target (but for those
    // that scripts made), and the log shows command and every file.
    void expect_records(const std::string& id, const std::string& target, const std::string& data,
                        const std::string& command, const std::vector<std::string>& made_by_scripts = {})
    {
        EXPECT_EQ(read_file(tarnu_ + "/." + id + ".dat"), data);
        std::vector<std::string> recorded = sorted_lines(read_file(tarnu_ + "/." + id + ".fls"));
        EXPECT_FALSE(recorded.empty());
        EXPECT_EQ(recorded, files_under(target, made_by_scripts));
        std::string log = session_->automation("log");
        EXPECT_NE(log.find(command), std::string::npos) << "no " << command << " in the log:\n" << log;
        for (const std::string& name : names_of(recorded))
            EXPECT_NE(log.find("x " + name + ", "), std::string::npos) << name << " not in the log";
    }

    temp_dir dir_;
    std::string install_;
    const std::string tarnu_ = dir_ / "tarnu", home_ = dir_ / "home", notes_ = dir_ / "notes", hold_ = dir_ / "hold";
    std::string screen_;  // a private screen's size, when the test needs one
    std::string walked_;  // the last walk's product and medium, for messages
    std::unique_ptr<kitsetup_session> session_;
};

#endif

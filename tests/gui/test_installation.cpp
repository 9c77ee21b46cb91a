// Installations and deinstallations as a user runs them through the
// dialogs: every medium, the creation of a distribution server, a stop in
// the middle of an extraction, and a deinstallation that backs up what the
// user changed. Each session has a private /opt/tarnu; what is left on
// disk and in the log dialog is checked after each.
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

namespace {

const std::string media = KITSETUP_BUILD_DIR "/media/";
const std::string kps30 = "Sample Product 3.0, a demonstration kit with a printing sample";
const std::string kdb12 = "Sample Database 1.2, a demonstration database kit";

// Whether the installer's own directory, never removed, is all that is
// left in target.
bool only_install_left(const std::string& target)
{
    return std::distance(fs::directory_iterator(target), fs::directory_iterator()) == 1 &&
           fs::is_directory(target + "/install");
}

std::vector<std::string> names_of(std::vector<std::string> records)
{
    for (std::string& record : records)
        record = record.substr(0, record.find(' '));
    return records;
}

// The medium cells and the source each offers for the demo's products.
std::string default_source(const std::string& medium, const std::string& id)
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

    void start(test_environment environment = session_environment())
    {
        std::string printers = install_ + "/xp";
        session_ = isolated_session(install_, tarnu_, "",
                                    environment.set("HOME", home_.c_str()).set("XPPATH", printers.c_str()));
        ASSERT_TRUE(session_->wait_for_shown("main_win")) << session_->standard_error();
    }

    void finish()
    {
        session_->automation("quit");
        EXPECT_EQ(session_->wait_exit(), 0);
        EXPECT_EQ(session_->standard_error(), "");
    }

    // Waits for a box whose folded {kind text} begins with start: the whole
    // of it, or "" after wait_limit.
    std::string wait_for_box(const std::string& start)
    {
        std::string shown;
        bool came = wait_until("the box " + start, [&] {
            shown = folded(session_->automation("message"));
            return !shown.empty() && shown.rfind(start, 0) == 0;
        });
        EXPECT_TRUE(came) << "the box shown is: " << shown;
        return came ? shown : "";
    }

    // Answers the box now up with button and waits for it to go.
    void answer(const std::string& button)
    {
        std::string answered = session_->automation("message");
        session_->automation("answer " + button);
        EXPECT_TRUE(wait_until("the box to go", [&] { return session_->automation("message") != answered; }));
    }

    std::string get(const std::string& top, const std::string& object)
    {
        return session_->automation("get " + top + " " + object);
    }

    // Chooses the product, its medium, source and target, presses OK and
    // the suboptions' OK, and then go: the transfer runs.
    void go(const walk& w)
    {
        kitsetup_session& s = *session_;
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
        answer("ok_btn");
        EXPECT_TRUE(wait_until("the main window alone", [&] { return session_->automation("shown") == "main_win"; }));
    }

    // The printer configuration offered after an installation meets a
    // library error when saving (a directory has taken the defaults file's
    // place): both errors show, the installation completes, and the file,
    // put back, is as it was.
    void expect_failed_printer_save(const std::string& description)
    {
        std::string defaults = install_ + "/xp/Xpdefaults";
        std::string kept = read_file(defaults);
        ASSERT_TRUE(session_->wait_for_shown("main_print_dialog")) << session_->automation("message");
        session_->automation("press main_print_dialog delete_btn");
        fs::rename(defaults, dir_ / "kept");
        fs::create_directory(defaults);
        session_->automation("press main_print_dialog done_btn");
        EXPECT_NE(wait_for_box("confirm {Do you wish to save printer configuration changes?}"), "");
        answer("yes_btn");
        EXPECT_NE(wait_for_box("error {Internal QUillet Error: "), "");
        answer("ok_btn");
        EXPECT_NE(wait_for_box("error {Unable to write the devices section of the XpDefaults file.}"), "");
        answer("ok_btn");
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
    const std::string tarnu_ = dir_ / "tarnu";
    const std::string home_ = dir_ / "home";
    const std::string notes_ = dir_ / "notes";
    std::unique_ptr<kitsetup_session> session_;
};

// The suite as reports and ctest -R name it.
using Installation = installation_dialogs;

}  // namespace

// From the CD: a primary option, an option added, the suboptions and the
// printing sample's own dialog. A distribution server made from the CD
// holds every subset and no records; an installation from it copies with
// kcp -i, and is not offered the printer configuration that failed to save
// earlier in the run. From the file server nothing is copied and every
// script runs.
TEST_F(Installation, FromTheCdTheDistributionServerItMakesAndTheFileServer)
{
    start();
    kitsetup_session& s = *session_;
    std::string target = dir_ / "from_cd";
    fs::create_directories(target);
    go({"kps30", "Custom", "cd_btn", "", target, {"print"}, true});
    ASSERT_TRUE(s.wait_for_shown("sample_dialog"));
    EXPECT_EQ(get("sample_dialog", "data_dir"), target + "/sample");
    EXPECT_EQ(s.automation("set sample_dialog data_dir " + dir_ / "sample"), "");
    s.automation("press sample_dialog ok_btn");
    expect_failed_printer_save(kps30);
    EXPECT_EQ(read_file(dir_ / "sample/settings"), "backup 1\n");
    EXPECT_TRUE(fs::exists(target + "/html") && fs::exists(target + "/common")) << "html parts, common files";
    expect_records("kps30", target, "Target:\t" + target + ";\nOptions:\tkps30ins base docs print ;\n",
                   "/kcp -M" + install_ + "/map/base -S" + media + "cd -T" + target, {"install/kps30.installed"});

    std::string dist = dir_ / "dist";
    fs::create_directories(dist);
    go({"kdb12", "", "cd_btn", "", dist, {"dist_btn"}});
    expect_complete(kdb12, false);
    EXPECT_EQ(names_of(files_under(dist)), names_of(files_under(media + "dist/kdb12")));
    EXPECT_FALSE(fs::exists(tarnu_ + "/.kdb12.dat") || fs::exists(tarnu_ + "/.kdb12.fls"));
    EXPECT_EQ(read_file(notes_), "product CD Yes\n") << "only the product's script runs";
    EXPECT_NE(s.automation("log").find("/kcp -M" + install_ + "/map/client -S" + media + "cd -T" + dist),
              std::string::npos);

    target = dir_ / "from_dist";
    fs::create_directories(target);
    go({"kdb12", "", "dist_server_btn", dist, target, {"client"}});
    expect_complete(kdb12, false);  // not offered again after the library error
    expect_records("kdb12", target, "Target:\t" + target + ";\nOptions:\tkdb12ins server ;\n", "/kcp -i -M");
    fs::remove(tarnu_ + "/.kdb12.dat");
    fs::remove(tarnu_ + "/.kdb12.fls");

    fs::remove(notes_);
    std::string server = media + "fileserver/kdb12";
    go({"kdb12", "", "fileserver_btn", "", "", {}});
    expect_complete(kdb12, false);
    EXPECT_EQ(read_file(tarnu_ + "/.kdb12.dat"),
              "Target:\t/opt/tarnu;\nNode Installation:\tYes;\nOptions:\tkdb12ins server client ;\n");
    EXPECT_FALSE(fs::exists(tarnu_ + "/.kdb12.fls"));
    EXPECT_EQ(s.automation("log").find(server), std::string::npos) << "a command read the file server";
    EXPECT_EQ(read_file(notes_), every_script("FILESERVER", server));
    finish();
}

// From the emulated local drive, and from the same drive on a remote tape
// host through the remote shell, which asks first since a remote drive
// cannot be checked.
TEST_F(Installation, FromLocalAndRemoteTapes)
{
    std::string drives;
    for (const char* id : {"kdb12", "kps30"}) {
        std::string drive = dir_ / (id == std::string("kps30") ? "nst0" : "nst1");
        write_file(drive, "");
        fs::copy(media + "tape/" + id, dir_ / id);
        drives += (drives.empty() ? "" : ":") + drive + "=" + (dir_ / id);
    }
    start(session_environment().set("LD_PRELOAD", KITSETUP_TAPEEMU).set("KITSETUP_TAPE", drives.c_str()));
    std::string target = dir_ / "local";
    fs::create_directories(target);
    go({"kdb12", "", "tape_btn", dir_ / "nst1", target, {}});
    expect_complete(kdb12);
    expect_records("kdb12", target, "Target:\t" + target + ";\nOptions:\tkdb12ins server client ;\n",
                   "/bin/dd if=" + (dir_ / "nst1"));
    EXPECT_EQ(read_file(notes_), every_script("TAPE", target));

    // A new installation is refused while the last one's rewind runs.
    EXPECT_TRUE(wait_until("the rewind", [&] { return read_file(dir_ / "kdb12/.position").rfind("0 0", 0) == 0; }));
    target = dir_ / "remote";
    fs::create_directories(target);
    go({"kps30", "Minimal", "tape_btn", dir_ / "nst0", target, {"remote_btn"}});
    EXPECT_NE(wait_for_box("warning {" + (dir_ / "nst0") + " has been specified as the remote tape device."), "");
    answer("ok_btn");
    expect_complete(kps30);
    EXPECT_TRUE(fs::exists(target + "/common")) << "the base's dependency came along";
    expect_records("kps30", target, "Target:\t" + target + ";\nOptions:\tkps30ins base ;\n",
                   "/rsh localhost -n /bin/dd", {"install/kps30.installed"});
    finish();
}

// A stop while the server's files are in place and the client's are not
// yet: the records name what was installed, the user is asked whether to
// deinstall it, and yes removes it all.
TEST_F(Installation, AStopDuringTheExtractionRecordsWhatWasExtractedAndOffersItsRemoval)
{
    // The copy utility holds after the server's files for as long as the
    // file hold is there: the stop ends it, or the test's end.
    std::string bin = install_ + "/bin/" KITSETUP_KARCH "/";
    std::string hold = dir_ / "hold";
    fs::rename(bin + "kcp", bin + "kcp.real");
    write_file(bin + "kcp", "#!/bin/sh\n'" + bin + "kcp.real' \"$@\" || exit\ncase \"$*\" in *map/server*)\n"
                            "    while [ -e '" + hold + "' ]; do sleep 0.1; done\nesac\n");
    fs::permissions(bin + "kcp", fs::perms::owner_all);
    write_file(hold, "");
    start();
    std::string target = dir_ / "stopped";
    fs::create_directories(target);
    go({"kdb12", "", "cd_btn", "", target, {}});
    // The last of the server's files read and logged: all are in place.
    ASSERT_TRUE(wait_until("the server's last file in the log", [&] {
        return session_->automation("log").find("\nx share/kdb/sql/views.sql, ") != std::string::npos;
    }));
    ASSERT_TRUE(session_->wait_for_shown("transfer_dialog"));
    session_->automation("press transfer_dialog stop_btn");
    EXPECT_NE(wait_for_box("confirm {"), "");
    answer("yes_btn");
    EXPECT_EQ(wait_for_box("confirm {Beginning"),
              "confirm {Beginning deinstallation of " + kdb12 + " from " + target + ". Do you wish to continue?}");
    EXPECT_EQ(files_under(target).size(), 44u) << "the utility's and the server's files";
    expect_records("kdb12", target, "Target:\t" + target + ";\nOptions:\tkdb12ins server client ;\n", "/kcp -M");
    answer("yes_btn");
    EXPECT_NE(wait_for_box("information {Deinstallation of " + kdb12 + " is now complete.}"), "");
    answer("ok_btn");
    EXPECT_TRUE(only_install_left(target)) << "only the installer's own directory stays";
    EXPECT_FALSE(fs::exists(tarnu_ + "/.kdb12.dat") || fs::exists(tarnu_ + "/.kdb12.fls"));
    EXPECT_FALSE(fs::exists(notes_)) << "no installation script ran";
    finish();
}

// A changed and an added file go to the backup directory the user names
// and into its MODS.LST; the rest goes, with the records, and the product
// is no longer offered while the other one still is.
TEST_F(Installation, DeinstallingBacksUpChangedAndAddedFiles)
{
    std::string target = dir_ / "db", backup = dir_ / "backup";
    fs::create_directories(target);
    fs::create_directories(backup);
    write_file(tarnu_ + "/.kps30.dat", "Target:\t/opt/kps30;\nOptions:\tbase ;\n");
    start();
    kitsetup_session& s = *session_;
    go({"kdb12", "", "cd_btn", "", target, {}});
    expect_complete(kdb12);
    write_file(target + "/etc/kdb.conf", "port 5555\n");
    std::string changed = target + "/etc/kdb.conf";
    fs::last_write_time(changed, fs::last_write_time(changed) - std::chrono::hours(1));
    write_file(target + "/etc/added.conf", "mine\n");

    s.automation("press main_win deinstall_icon");
    ASSERT_TRUE(s.wait_for_shown("del_product_dialog"));
    s.automation("press del_product_dialog kdb12");
    EXPECT_NE(wait_for_box("confirm {Beginning deinstallation of " + kdb12), "");
    answer("yes_btn");
    EXPECT_NE(wait_for_box("confirm {Do you wish to backup any modified or additional files"), "");
    answer("yes_btn");
    // The shared top-level directories are asked about as they come.
    std::string box;
    int directories_asked = 0;
    while ((box = wait_for_box("")).rfind("information", 0) != 0 && !box.empty()) {
        if (box.rfind("dir {Please enter the directory in which to store the modified files.", 0) == 0) {
            EXPECT_EQ(s.automation("set dir_dialog dir_field " + backup), "");
            answer("ok_btn");
        } else {
            EXPECT_EQ(box.rfind("confirm {Other Tarnu products have been installed", 0), 0u) << box;
            ++directories_asked;
            answer("yes_btn");
        }
    }
    EXPECT_EQ(box, "information {Deinstallation of " + kdb12 + " is now complete.}");
    EXPECT_EQ(directories_asked, 1) << "bin";
    answer("ok_btn");
    EXPECT_EQ(read_file(backup + "/etc/kdb.conf"), "port 5555\n");
    EXPECT_EQ(read_file(backup + "/etc/added.conf"), "mine\n");
    EXPECT_EQ(read_file(backup + "/MODS.LST"),
              "FILES WHICH WERE MODIFIED OR CREATED SINCE INSTALLATION.\n\netc/kdb.conf\netc/added.conf\n");
    EXPECT_TRUE(only_install_left(target));
    EXPECT_FALSE(fs::exists(tarnu_ + "/.kdb12.dat") || fs::exists(tarnu_ + "/.kdb12.fls"));

    // The other product alone is left to offer: the icon goes straight to it.
    s.automation("press main_win deinstall_icon");
    EXPECT_NE(wait_for_box("confirm {Beginning deinstallation of " + kps30 + " from /opt/kps30."), "");
    answer("no_btn");
    finish();
}

// Another product recorded in the same target shares its common files:
// the installation asks before it replaces them, and no leaves them out.
TEST_F(Installation, CommonFilesSharedWithAnotherProductAreOnlyReplacedOnYes)
{
    std::string target = dir_ / "shared";
    fs::create_directories(target + "/common");
    write_file(target + "/common/kept", "another product's common file\n");
    write_file(tarnu_ + "/.kdb12.dat", "Target:\t" + target + ";\nOptions:\tserver ;\n");
    start();
    go({"kps30", "Minimal", "cd_btn", "", target, {}});
    EXPECT_EQ(wait_for_box("confirm {Common files for another Tarnu product already exist in the target location."),
              "confirm {Common files for another Tarnu product already exist in the target location. If changes have "
              "been made to these files they may be lost by installing the common files for Sample Product 3.0. Do "
              "you wish to install the common files?}");
    answer("no_btn");
    expect_complete(kps30);
    EXPECT_TRUE(fs::exists(target + "/bin/kps")) << "the programs were installed";
    std::vector<std::string> common;
    for (const auto& entry : fs::directory_iterator(target + "/common"))
        common.push_back(entry.path().filename().string());
    EXPECT_EQ(common, std::vector<std::string>{"kept"});
    finish();
}

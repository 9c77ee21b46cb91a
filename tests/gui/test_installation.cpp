// Installations and deinstallations through the dialogs: every medium, a
// distribution server, a stop mid-extraction and a backup of user changes;
// what is left on disk and in the log is checked after each.
#include "installation_fixture.h"

using Installation = installation_dialogs;  // the suite's name in reports

// From the CD with a primary option, suboptions and the sample's dialog; a
// distribution server made from it holds every subset and no records, and
// installs with kcp -i, the printer set-up that failed not offered again;
// from the file server nothing is copied and every script runs.
TEST_F(Installation, FromTheCdTheDistributionServerItMakesAndTheFileServer)
{
    kitsetup_session& s = start();
    std::string target = dir_ / "from_cd";
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
    go({"kdb12", "", "cd_btn", "", dist, {"dist_btn"}});
    expect_complete(kdb12, false);
    EXPECT_EQ(names_of(files_under(dist)), names_of(files_under(media + "dist/kdb12")));
    EXPECT_FALSE(recorded("kdb12"));
    EXPECT_EQ(read_file(notes_), "product CD Yes\n") << "only the product's script runs";
    EXPECT_NE(s.automation("log").find("/kcp -M" + install_ + "/map/client -S" + media + "cd -T" + dist),
              std::string::npos);

    target = dir_ / "from_dist";
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
    go({"kdb12", "", "tape_btn", dir_ / "nst1", target, {}});
    expect_complete(kdb12);
    expect_records("kdb12", target, "Target:\t" + target + ";\nOptions:\tkdb12ins server client ;\n",
                   "/bin/dd if=" + (dir_ / "nst1"));
    EXPECT_EQ(read_file(notes_), every_script("TAPE", target));

    // A new installation is refused while the last one's rewind runs.
    EXPECT_TRUE(wait_until("the rewind", [&] { return read_file(dir_ / "kdb12/.position").rfind("0 0", 0) == 0; }));
    target = dir_ / "remote";
    go({"kps30", "Minimal", "tape_btn", dir_ / "nst0", target, {"remote_btn"}});
    answer_box("warning {" + (dir_ / "nst0") + " has been specified as the remote tape device.", "ok_btn");
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
    hold_after_server();
    start();
    std::string target = dir_ / "stopped";
    go({"kdb12", "", "cd_btn", "", target, {}});
    ASSERT_TRUE(wait_for_server_files());
    ASSERT_TRUE(session_->wait_for_shown("transfer_dialog"));
    session_->automation("press transfer_dialog stop_btn");
    answer_box("confirm {", "yes_btn");
    EXPECT_EQ(wait_for_box("confirm {Beginning"),
              "confirm {Beginning deinstallation of " + kdb12 + " from " + target + ". Do you wish to continue?}");
    EXPECT_EQ(files_under(target).size(), 44u) << "the utility's and the server's files";
    expect_records("kdb12", target, "Target:\t" + target + ";\nOptions:\tkdb12ins server client ;\n", "/kcp -M");
    answer("yes_btn");
    answer_box("information {Deinstallation of " + kdb12 + " is now complete.}", "ok_btn");
    EXPECT_TRUE(only_install_left(target)) << "only the installer's own directory stays";
    EXPECT_FALSE(recorded("kdb12"));
    EXPECT_FALSE(fs::exists(notes_)) << "no installation script ran";
    finish();
}

// A changed and an added file go to the backup directory the user names
// and into its MODS.LST; the rest goes, with the records, and the product
// is no longer offered while the other one still is.
TEST_F(Installation, DeinstallingBacksUpChangedAndAddedFiles)
{
    std::string target = dir_ / "db", backup = dir_ / "backup";
    fs::create_directories(backup);
    write_file(tarnu_ + "/.kps30.dat", "Target:\t/opt/kps30;\nOptions:\tbase ;\n");
    kitsetup_session& s = start();
    go({"kdb12", "", "cd_btn", "", target, {}});
    expect_complete(kdb12);
    write_file(target + "/etc/kdb.conf", "port 5555\n");
    std::string changed = target + "/etc/kdb.conf";
    fs::last_write_time(changed, fs::last_write_time(changed) - std::chrono::hours(1));
    write_file(target + "/etc/added.conf", "mine\n");

    s.automation("press main_win deinstall_icon");
    ASSERT_TRUE(s.wait_for_shown("del_product_dialog"));
    s.automation("press del_product_dialog kdb12");
    answer_box("confirm {Beginning deinstallation of " + kdb12, "yes_btn");
    answer_box("confirm {Do you wish to backup any modified or additional files", "yes_btn");
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
    EXPECT_FALSE(recorded("kdb12"));

    // The other product alone is left to offer: the icon goes straight to it.
    s.automation("press main_win deinstall_icon");
    answer_box("confirm {Beginning deinstallation of " + kps30 + " from /opt/kps30.", "no_btn");
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

// Faults met in the middle of installing or removing the database kit: after
// each the user was told (or the program ended through its shutdown), the
// records agree with the files on disk and nothing outside the target changed.
#include "installation_fixture.h"

#include <signal.h>
#include <sys/stat.h>

namespace {

const std::string failed_text =
    "Command did not complete successfully. You should examine the log file for the source of the problem.";

// Every file under dir but those under skipped, with its size and change
// time to the nanosecond, so that any write to it shows.
std::vector<std::string> state_of(const std::string& dir, const std::vector<std::string>& skipped)
{
    std::vector<std::string> states;
    for (auto entry = fs::recursive_directory_iterator(dir); entry != fs::recursive_directory_iterator(); ++entry) {
        std::string path = entry->path().string();
        struct stat info {};
        if (std::count(skipped.begin(), skipped.end(), path) > 0)
            entry.disable_recursion_pending();
        else if (lstat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode))
            states.push_back(path + " " + std::to_string(info.st_size) + " " + std::to_string(info.st_ctim.tv_sec) +
                             "." + std::to_string(info.st_ctim.tv_nsec));
    }
    std::sort(states.begin(), states.end());
    return states;
}

// The processes that have word as one of their arguments.
std::vector<int> processes_with_argument(const std::string& word)
{
    std::vector<int> found;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        // Each argument ends in a NUL.
        if (('\0' + read_file(entry.path().string() + "/cmdline")).find('\0' + word + '\0') != std::string::npos)
            found.push_back(std::stoi(name));
    }
    return found;
}

class Faults : public installation_dialogs {
protected:
    void SetUp() override
    {
        installation_dialogs::SetUp();
        if (IsSkipped())
            return;
        fs::create_directories(target_);
        write_file(dir_ / "beside/kept", "beside the target\n");
        hold_after_server();
        before_ = outside();
    }

    // What lies outside the target, the records and the log of the run.
    std::vector<std::string> outside() const
    {
        return state_of(dir_.path(), {target_, tarnu_, install_ + "/kitsetup.log", hold_, dir_ / "tape"});
    }

    // The target as the running installer sees it in its mount namespace.
    std::string seen_target() const { return "/proc/" + std::to_string(session_->pid()) + "/root" + target_; }

    // The database's records agree with the files under seen (the target):
    // a data file and a file-set log naming every file there, or neither
    // when there is none. After a partial removal the log may name more.
    void expect_records_agree(const std::string& seen, bool partly_removed = false)
    {
        std::vector<std::string> on_disk = files_under(seen);
        std::string data = tarnu_ + "/.kdb12.dat", fileset = tarnu_ + "/.kdb12.fls";
        if (on_disk.empty()) {
            EXPECT_FALSE(fs::exists(data) || fs::exists(fileset)) << "records of a product with no files";
            return;
        }
        EXPECT_EQ(read_file(data), "Target:\t" + target_ + ";\nOptions:\tkdb12ins server client ;\n");
        std::vector<std::string> recorded = sorted_lines(read_file(fileset));
        if (!partly_removed) {
            EXPECT_EQ(recorded, on_disk);
            return;
        }
        std::vector<std::string> left = names_of(on_disk), listed = names_of(recorded);
        EXPECT_TRUE(std::includes(listed.begin(), listed.end(), left.begin(), left.end())) << "a file not recorded";
        EXPECT_LT(left.size(), listed.size()) << "nothing was removed yet";
    }

    // The database from the CD, until the copy holds after the server's files.
    void install_until_held()
    {
        start();
        go({"kdb12", "", "cd_btn", "", target_, {}});
        ASSERT_TRUE(wait_for_server_files());
    }

    // signal_number during the installation, then again in a removal of
    // what it recorded, when the user is asked where to keep a changed
    // file: each time the run ends through its shutdown with the signal's
    // number, keeping what it recorded and its log.
    void interrupt_installation_and_removal(int during_installation, int during_removal)
    {
        install_until_held();
        ASSERT_TRUE(session_->send_signal(during_installation));
        EXPECT_EQ(session_->wait_exit(), during_installation);
        expect_records_agree(target_);
        EXPECT_NE(read_file(install_ + "/kitsetup.log").find("x share/kdb/sql/views.sql"), std::string::npos);

        std::string changed = target_ + "/etc/kdb.conf";
        write_file(changed, "port 5555\n");
        fs::last_write_time(changed, fs::last_write_time(changed) - std::chrono::hours(1));
        start();
        session_->automation("press main_win deinstall_icon");
        answer_box("confirm {Beginning deinstallation of " + kdb12, "yes_btn");
        answer_box("confirm {Do you wish to backup any modified or additional files", "yes_btn");
        EXPECT_NE(wait_for_box("dir {Please enter the directory in which to store the modified files."), "");
        ASSERT_TRUE(session_->send_signal(during_removal));
        EXPECT_EQ(session_->wait_exit(), during_removal);
        expect_records_agree(target_, true);
        EXPECT_EQ(outside(), before_);
    }

    const std::string target_ = dir_ / "target";
    std::vector<std::string> before_;  // outside() before the installer ran
};

}  // namespace

// The copy child killed from outside: the failure is reported, what was
// copied is recorded, and its removal is offered.
TEST_F(Faults, AnExtractionChildKilledFromOutsideIsReportedAndRecorded)
{
    install_until_held();
    std::vector<int> copies = processes_with_argument(install_ + "/bin/" KITSETUP_KARCH "/kcp");
    ASSERT_EQ(copies.size(), 1u) << "the held copy utility";
    ASSERT_EQ(kill(copies[0], SIGKILL), 0);
    answer_box("error {" + failed_text + "}", "ok_btn");
    EXPECT_NE(wait_for_box("confirm {Beginning deinstallation of " + kdb12), "");
    expect_records_agree(target_);
    EXPECT_EQ(files_under(target_).size(), 44u) << "the utility's and the server's files";
    answer("no_btn");
    finish();
    EXPECT_EQ(outside(), before_);
}

// A target that fills up: the failure is reported, the files copied until
// then are recorded (also those the copy listed just before its error)
// and the offered removal takes them and the records. A read-only target
// is refused before anything is copied.
TEST_F(Faults, AFullOrReadOnlyTargetIsReportedAndLeavesNoUnrecordedFile)
{
    std::string read_only = dir_ / "read_only";
    fs::create_directories(read_only);
    start(session_environment(),
          "mount -t tmpfs -o size=100k kit_full '" + target_ + "' && " + read_only_mount(read_only));
    go({"kdb12", "", "cd_btn", "", target_, {}, false, true});
    answer_box("error {" + failed_text + "}", "ok_btn");
    EXPECT_NE(wait_for_box("confirm {Beginning deinstallation of " + kdb12), "");
    EXPECT_NE(files_under(seen_target()).size(), 0u) << "nothing fitted";
    expect_records_agree(seen_target());
    answer("yes_btn");
    answer_box("information {Deinstallation of " + kdb12 + " is now complete.}", "ok_btn");
    EXPECT_TRUE(only_install_left(seen_target()));
    EXPECT_FALSE(recorded("kdb12"));

    go({"kdb12", "", "cd_btn", "", read_only, {}, false, false, true});
    answer_box("error {No permission to write to " + read_only + ".}", "ok_btn");
    EXPECT_TRUE(files_under(read_only).empty());
    EXPECT_FALSE(recorded("kdb12"));
    finish();
    EXPECT_EQ(outside(), before_);
}

// The tape taken away in the middle of the server's files.
TEST_F(Faults, ATapeThatVanishesIsReportedAndWhatCameOffItRecorded)
{
    std::string tape = dir_ / "tape/kdb12", drive = dir_ / "tape/nst1";
    fs::create_directories(dir_ / "tape");
    fs::copy(media + "tape/kdb12", tape);
    write_file(drive, "");
    start(session_environment()
              .set("LD_PRELOAD", KITSETUP_TAPEEMU)
              .set("KITSETUP_TAPE", (drive + "=" + tape).c_str())
              .set("KITSETUP_TAPE_RATE", "100000"));
    go({"kdb12", "", "tape_btn", drive, target_, {}});
    ASSERT_TRUE(wait_until("the server's first file in the log",
                           [&] { return session_->automation("log").find("x bin/kdbadmin") != std::string::npos; }));
    fs::rename(tape, tape + ".gone");  // at once, while the drive reads on
    answer_box("error {" + failed_text + "}", "ok_btn");
    EXPECT_NE(wait_for_box("confirm {Beginning deinstallation of " + kdb12), "");
    expect_records_agree(target_);
    answer("no_btn");
    finish();
    EXPECT_EQ(outside(), before_);
}

// Records that cannot be written stop the installation before anything
// is copied: no file would be left that no record names.
TEST_F(Faults, ARecordsDirectoryThatCannotBeWrittenStopsTheInstallationBeforeItCopies)
{
    start(session_environment(), "mount -o remount,bind,ro /opt/tarnu");
    go({"kdb12", "", "cd_btn", "", target_, {}});
    answer_box("error {Unable to open file /opt/tarnu/.kdb12.fls. Read-only file system}", "ok_btn");
    answer_box("information {Installation requires that the user has read and write access to /opt/tarnu. "
               "Please consult your System Administrator.}", "ok_btn");
    EXPECT_TRUE(session_->back_at_main_window());
    EXPECT_TRUE(files_under(target_).empty());
    EXPECT_TRUE(fs::is_empty(tarnu_));
    finish();
    EXPECT_EQ(outside(), before_);
}

// The display gone in the middle of the copy: the program says so and
// ends, keeping the records of what was copied and its log.
TEST_F(Faults, ADisplayThatGoesAwayEndsTheRunKeepingRecordsAndLog)
{
    screen_ = "800x600x24";
    install_until_held();
    session_->stop_display();
    EXPECT_EQ(session_->wait_exit(), 1);
    EXPECT_NE(session_->standard_error().find("the connection to the X display was lost"), std::string::npos)
        << session_->standard_error();
    expect_records_agree(target_);
    EXPECT_NE(read_file(install_ + "/kitsetup.log").find("x share/kdb/sql/views.sql"), std::string::npos);
    EXPECT_EQ(outside(), before_);
}

TEST_F(Faults, SigtermDuringAnInstallationAndSigintDuringARemovalKeepTheRecords)
{
    interrupt_installation_and_removal(SIGTERM, SIGINT);
}

TEST_F(Faults, SigintDuringAnInstallationAndSigtermDuringARemovalKeepTheRecords)
{
    interrupt_installation_and_removal(SIGINT, SIGTERM);
}

// With the install tree read-only the log of the run goes to /tmp (the
// test's own, mounted there); a link planted under the log's name, to
// another user's file, is left alone and the log goes to a new file.
TEST_F(Faults, TheLogSavedInTmpNeverFollowsALinkPlantedThere)
{
    const std::string tmp = dir_ / "tmp", victim = dir_ / "victim", text = "another user's file\n";
    fs::create_directories(tmp);
    write_file(victim, text);
    ASSERT_EQ(chown(victim.c_str(), 65534, 65534), 0);
    ASSERT_EQ(symlink(victim.c_str(), (tmp + "/kitsetup.log").c_str()), 0);
    // The test's directory stands in for /tmp; a checkout inside /tmp itself
    // is mounted back in its place there.
    std::string setup = "mount --bind '" + tmp + "' /tmp";
    const std::string build = KITSETUP_BUILD_DIR;
    if (build.rfind("/tmp/", 0) == 0) {
        std::string top = build.substr(0, build.find('/', 5));
        setup = "mount --bind /tmp /mnt && " + setup + " && mkdir -p '" + top + "' && mount --bind '/mnt" +
                top.substr(4) + "' '" + top + "'";
    }
    start(session_environment(), setup + " && " + read_only_mount(install_));
    go({"kdb12", "", "cd_btn", "", target_, {}});
    ASSERT_TRUE(wait_for_server_files());
    ASSERT_TRUE(session_->send_signal(SIGTERM));
    EXPECT_EQ(session_->wait_exit(), SIGTERM);
    EXPECT_EQ(read_file(victim), text);
    EXPECT_TRUE(fs::is_symlink(tmp + "/kitsetup.log"));
    bool saved = false;
    for (const auto& entry : fs::directory_iterator(tmp))
        saved = saved || (entry.path().filename().string().rfind("kitsetup.log.", 0) == 0 &&
                          read_file(entry.path()).find("x share/kdb/sql/views.sql") != std::string::npos);
    EXPECT_TRUE(saved) << "the log of the run is nowhere in /tmp";
}

// The option dialogs of an installation as a user meets them: installation
// options (media, remote drive, target, distribution, space, OK's checks),
// primary options, the chain of suboptions dialogs and the continue dialog.
#include "installation_fixture.h"

namespace {

// The cells of a scrolling list, as "name" or "name*" for a selected one.
std::string cells_of(kitsetup_session& session, const std::string& top, const std::string& menu)
{
    std::string cells;
    for (const std::string& triple : list_words(session.automation("get " + top + " " + menu))) {
        std::vector<std::string> fields = list_words(triple);
        if (fields.size() != 3 || fields[0] == "dummy_cell")
            continue;
        cells += (cells.empty() ? "" : " ") + fields[0] + (fields[2] == "1" ? "*" : "");
    }
    return cells;
}

std::string options(kitsetup_session& session)
{
    return cells_of(session, "options_dialog", "options_menu");
}

std::string field(kitsetup_session& session, const std::string& object)
{
    return session.automation("get options_dialog " + object);
}

// A product for the tests: primary option "Pick" (not fixed) choosing two
// options that each have parts, and a third option larger than any disk.
void add_test_product(const std::string& install)
{
    std::string cfg = install + "/config/";
    write_file(cfg + "tst10.prd", "Code: tst\nVersion: 10\nDescription: Test Product 1.0\n"
                                  "Short Description: Test 1.0\nBitmap: pic2.xpm\nInstallation Script: Yes\n"
                                  "Pre-Installation Script: No\nDeinstallation Script: No\n"
                                  "Pre-Deinstallation Script: No\n");
    write_file(cfg + "tst10.ins", "return 0\n");
    write_file(cfg + "tst10ins.cfg", "Name=Pick; Desc=Alpha and beta; Icon=pic3.xpm; Opts=alpha,beta; Fix=No\n");
    write_file(cfg + "tst10prd.cfg",
               "Name=tst10ins; Desc=Installation utility; Man=Yes; Hid=Yes; Vol=1; Pos=1; Siz=1; Fls=1.\n"
               "Name=alpha; Desc=Alpha parts; Opt=Yes; Vol=1; Pos=2; Siz=10; Fls=1.\n"
               "Name=beta; Desc=Beta parts; Opt=Yes; Vol=1; Pos=3; Siz=20; Fls=1.\n"
               "Name=huge; Desc=Huge data; Vol=1; Pos=4; Siz=2000000000; Fls=1.\n");
    write_file(cfg + "alpha.cfg", "Name=a1; Desc=First alpha part; Siz=3.\nName=a2; Desc=Second alpha part; Siz=4.\n");
    write_file(cfg + "beta.cfg", "Name=b1; Desc=First beta part; Siz=5.\nName=b2; Desc=Second beta part; Siz=6.\n");
    std::string arch = cfg + KITSETUP_KARCH + "/";
    write_file(arch + "tst10cmd.cfg", read_file(arch + "kps30cmd.cfg"));
}

// The installation dialogs' fixture with the test product added and a
// directory that is read-only for the installer.
class option_dialogs : public installation_dialogs {
protected:
    void SetUp() override
    {
        installation_dialogs::SetUp();
        if (IsSkipped())
            return;
        add_test_product(install_);
        fs::create_directories(read_only_);
    }

    kitsetup_session& start(const std::string& screen = "")
    {
        screen_ = screen;
        return installation_dialogs::start(session_environment(), read_only_mount(read_only_));
    }

    void choose(const std::string& product, const std::string& dialog)
    {
        EXPECT_EQ(session_->automation("choose " + product), "");
        ASSERT_TRUE(session_->wait_for_shown(dialog)) << session_->standard_error();
    }

    const std::string read_only_ = dir_ / "read-only";
};

}  // namespace

// Each medium brings its source and its label; only tape offers the remote
// drive, whose host comes from the product's templates; the file server
// and the distribution toggle force every option on and give the user's
// own selection back; the space follows the selection.
TEST_F(option_dialogs, MediaSourcesRemoteDriveDistributionAndSpace)
{
    kitsetup_session& s = start();
    choose("kdb12", "options_dialog");
    EXPECT_EQ(field(s, "source_field"), media + "cd");
    EXPECT_EQ(field(s, "target_field"), "/opt/kdb12");
    EXPECT_EQ(options(s), "server* client*");
    EXPECT_EQ(field(s, "space_reqd_val"), "345 KB") << "the installation utility counts from CD";
    EXPECT_TRUE(s.screenshot("options_dialog"));

    for (const auto& [cell, label] : std::vector<std::pair<std::string, std::string>>{
             {"tape_btn", "Source Device:"}, {"dist_server_btn", "Product Directory:"}, {"cd_btn", "Product Directory:"}}) {
        s.automation("press options_dialog " + cell);
        std::string source = default_source(cell, "kdb12");
        EXPECT_TRUE(wait_until("the source of " + cell, [&] { return field(s, "source_field") == source; }))
            << field(s, "source_field");
        EXPECT_EQ(field(s, "source_label"), label) << cell;
    }

    s.automation("press options_dialog tape_btn");
    wait_until("the remote menu", [&] { return s.automation("state options_dialog remote_menu") == "ACTIVE"; });
    EXPECT_EQ(s.automation("state options_dialog remote_field"), "INACTIVE");
    EXPECT_EQ(field(s, "space_reqd_val"), "342 KB") << "no installation utility from tape";
    s.automation("press options_dialog remote_btn");
    EXPECT_TRUE(wait_until("the host field", [&] { return field(s, "remote_field") == "localhost"; }));
    EXPECT_EQ(s.automation("state options_dialog remote_field"), "ACTIVE");
    s.automation("press options_dialog local_btn");
    EXPECT_TRUE(wait_until("the host field to grey",
                           [&] { return s.automation("state options_dialog remote_field") == "INACTIVE"; }));
    EXPECT_EQ(field(s, "remote_field"), "");

    // The user's own choice: the client left out.
    s.automation("press options_dialog cd_btn");
    s.automation("press options_dialog client");
    EXPECT_TRUE(wait_until("the space without the client", [&] { return field(s, "space_reqd_val") == "209 KB"; }))
        << field(s, "space_reqd_val");
    EXPECT_EQ(s.automation("state options_dialog remote_menu"), "INACTIVE");

    s.automation("press options_dialog dist_btn");
    EXPECT_TRUE(wait_until("every option on", [&] { return options(s) == "server* client*"; })) << options(s);
    EXPECT_EQ(s.automation("state options_dialog client"), "INACTIVE");
    EXPECT_EQ(field(s, "space_reqd_val"), "345 KB");
    s.automation("press options_dialog dist_btn");
    EXPECT_TRUE(wait_until("the choice back", [&] { return options(s) == "server* client"; })) << options(s);
    EXPECT_EQ(s.automation("state options_dialog client"), "ACTIVE");

    s.automation("set options_dialog target_field " + home_);
    s.automation("press options_dialog fileserver_btn");
    EXPECT_TRUE(wait_until("the records directory as target",
                           [&] { return field(s, "target_field") == "/opt/tarnu"; }));
    EXPECT_EQ(field(s, "source_field"), media + "fileserver/kdb12");
    EXPECT_EQ(s.automation("state options_dialog target_field"), "INACTIVE");
    EXPECT_EQ(s.automation("state options_dialog dist_menu"), "INACTIVE");
    EXPECT_EQ(options(s), "server* client*");
    s.automation("press options_dialog dist_server_btn");
    EXPECT_TRUE(wait_until("the typed target back", [&] { return field(s, "target_field") == home_; }));
    EXPECT_EQ(options(s), "server* client");
    finish();
}

// OK checks what the user typed and says what is wrong, the dialog staying
// up; nothing reaches /opt/tarnu meanwhile. Then the chain: the primary
// option's two options with parts each get their suboptions dialog, the
// last one leads to the continue dialog, whose setup goes back.
TEST_F(option_dialogs, OkRefusesBadInputThenChainsSuboptionsToContinue)
{
    kitsetup_session& s = start("800x600x24");
    choose("tst10", "primary_options_dialog");
    EXPECT_TRUE(s.screenshot("primary_options_dialog_800"));
    s.automation("press primary_options_dialog Pick");
    ASSERT_TRUE(s.wait_for_shown("options_dialog"));
    EXPECT_EQ(options(s), "alpha* beta* huge");

    s.automation("set options_dialog source_field {   }");
    s.automation("press options_dialog ok_btn");
    s.answer_box("error {Both source and target must be specified.}", "ok_btn");
    s.automation("set options_dialog source_field " KITSETUP_BUILD_DIR "/media/cd");

    std::string file = dir_ / "a-file";
    write_file(file, "");
    std::string long_path = home_ + "/" + std::string(2000, 'x');
    struct target_case {
        std::string typed;
        std::string expanded;
        const char* answer;
        std::string failure;
    };
    for (const target_case& target :
         {target_case{"~/y", home_ + "/y", "no_btn", ""},
          target_case{file, file, "yes_btn", "error {Unable to create directory " + file},
          target_case{long_path, long_path, "yes_btn", "error {Unable to create directory " + long_path},
          target_case{"$HOME/x", home_ + "/x", "yes_btn", ""}}) {
        s.automation("set options_dialog target_field {" + target.typed + "}");
        std::string missing = "error {Target directory \"" + target.expanded + "\" does not exist.}";
        s.answer_box(missing.substr(0, 200), "ok_btn");
        s.answer_box("confirm {Do you wish to try to create the directory?}", target.answer);
        if (!target.failure.empty())
            s.answer_box(target.failure.substr(0, 200), "ok_btn");
    }
    EXPECT_TRUE(wait_until("the created target", [&] { return field(s, "target_field") == home_ + "/x"; }))
        << field(s, "target_field");
    EXPECT_TRUE(fs::is_directory(home_ + "/x"));
    EXPECT_FALSE(fs::exists(home_ + "/y"));

    s.automation("set options_dialog target_field " + read_only_);
    s.automation("press options_dialog ok_btn");
    s.answer_box("error {No permission to write to " + read_only_ + ".}", "ok_btn");
    s.automation("set options_dialog target_field {~}");

    // Nothing selected: the scripts may still configure, so the user is asked.
    s.automation("press options_dialog alpha");
    s.automation("press options_dialog beta");
    EXPECT_TRUE(wait_until("nothing selected", [&] { return options(s) == "alpha beta huge"; })) << options(s);
    s.automation("press options_dialog ok_btn");
    s.answer_box("confirm {As no options have been selected, no software will be extracted from the media. "
                  "However, if required, configuration of previously installed software will be carried out. "
                  "Do you wish to continue?}", "no_btn");
    EXPECT_EQ(s.automation("state options_dialog options_dialog"), "ACTIVE");

    const std::string short_of_space =
        "confirm {There appears to be insufficient space on the target file system. Do you wish to continue?}";
    s.automation("press options_dialog all_btn");
    EXPECT_TRUE(wait_until("every option", [&] { return options(s) == "alpha* beta* huge*"; })) << options(s);
    s.automation("press options_dialog ok_btn");
    s.answer_box(short_of_space, "no_btn");
    EXPECT_EQ(s.automation("state options_dialog options_dialog"), "ACTIVE");
    EXPECT_TRUE(std::filesystem::is_empty(tarnu_)) << "nothing recorded before the user confirms";
    EXPECT_TRUE(s.screenshot("options_dialog_test_product_800"));

    s.automation("press options_dialog ok_btn");
    s.answer_box(short_of_space, "yes_btn");
    ASSERT_TRUE(s.wait_for_shown("suboptions_dialog"));
    EXPECT_EQ(s.automation("get suboptions_dialog available_menu"),
              "{a1 {First alpha part} 0} {a2 {Second alpha part} 0}");
    s.automation("press suboptions_dialog install_all_btn");
    s.automation("press suboptions_dialog install_all_btn");
    EXPECT_TRUE(wait_until("both parts chosen once", [&] {
        return cells_of(s, "suboptions_dialog", "selected_menu") == "a1 a2";
    })) << cells_of(s, "suboptions_dialog", "selected_menu");
    EXPECT_TRUE(s.screenshot("suboptions_dialog_800"));
    s.automation("press suboptions_dialog ok_btn");
    EXPECT_TRUE(wait_until("the beta parts", [&] {
        return s.automation("get suboptions_dialog available_menu") ==
               "{b1 {First beta part} 0} {b2 {Second beta part} 0}";
    }));
    s.automation("press suboptions_dialog ok_btn");
    ASSERT_TRUE(s.wait_for_shown("continue_dialog"));
    EXPECT_EQ(s.automation("shown"), "main_win continue_dialog");
    EXPECT_TRUE(s.screenshot("continue_dialog_800"));
    s.automation("press continue_dialog setup_icon");
    ASSERT_TRUE(s.wait_for_shown("options_dialog"));
    EXPECT_EQ(options(s), "alpha* beta* huge*") << "the options as the user left them";
    EXPECT_EQ(field(s, "target_field"), "~");
    finish();
}

// A primary option that hides an option takes it out of the list and
// another brings it back; "all" selects every option. A reinstall asks
// before an option is installed again and must go into the directory of
// the first installation.
TEST_F(option_dialogs, PrimaryOptionsHideAndSelectAllAndReinstallKeepsItsDirectory)
{
    std::string old_target = dir_ / "old";
    ASSERT_TRUE(fs::create_directory(old_target));
    write_file(tarnu_ + "/.kdb12.dat", "Target:\t" + old_target + ";\nOptions:\tserver client ;\n");
    kitsetup_session& s = start();
    choose("kps30", "primary_options_dialog");
    EXPECT_TRUE(s.screenshot("primary_options_dialog_3"));
    s.automation("press primary_options_dialog Minimal");
    ASSERT_TRUE(s.wait_for_shown("options_dialog"));
    EXPECT_EQ(options(s), "base* docs print") << "examples hidden, the mandatory base kept";
    s.automation("press options_dialog cancel_btn");
    EXPECT_TRUE(s.back_at_main_window());
    choose("kps30", "primary_options_dialog");
    s.automation("press primary_options_dialog Full");
    EXPECT_TRUE(wait_until("every option", [&] { return options(s) == "base* docs* print* examples*"; })) << options(s);
    s.automation("press options_dialog cancel_btn");
    EXPECT_TRUE(s.back_at_main_window());

    choose("kdb12", "options_dialog");
    // A mandatory option stays on; one installed before asks first.
    s.automation("press options_dialog server");
    s.automation("press options_dialog client");
    EXPECT_TRUE(wait_until("the client off", [&] { return options(s) == "server* client"; })) << options(s);
    s.automation("press options_dialog client");
    s.answer_box("confirm {This option was previously installed. Do you wish to reinstall it?}", "no_btn");
    EXPECT_EQ(options(s), "server* client");
    s.automation("set options_dialog target_field " + home_);
    s.automation("press options_dialog ok_btn");
    s.answer_box("error {Sample Database 1.2 was previously installed in " + old_target +
                      ". To reinstall you must specify this directory or deinstall before specifying a "
                      "different directory.}", "ok_btn");
    EXPECT_TRUE(wait_until("the old directory", [&] { return field(s, "target_field") == old_target; }))
        << field(s, "target_field");
    EXPECT_EQ(s.automation("state options_dialog options_dialog"), "ACTIVE");
    finish();
}

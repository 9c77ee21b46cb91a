// The printer dialogs through kpconfig on a copy of the demo defaults file:
// each change saves exactly itself, and leaving unchanged never writes.
#include <cstdio>
#include <string>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "kitsetup_session.h"
#include "run_program.h"

namespace {

const std::string KPCONFIG = std::string(KITSETUP_DEMO_DIR) + "/bin/" + KITSETUP_KARCH + "/kpconfig";

class printer_dialogs : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(mkdir((dir_ / "xp").c_str(), 0755), 0);
        ASSERT_EQ(mkdir((dir_ / "home").c_str(), 0755), 0);
        original_ = read_file(std::string(KITSETUP_DEMO_DIR) + "/xp/Xpdefaults");
        write_file(defaults(), original_);
    }

    std::string defaults() const { return dir_ / "xp/Xpdefaults"; }

    // kpconfig on the copy.
    std::unique_ptr<kitsetup_session> start_without_dialog()
    {
        test_environment environment = session_environment();
        environment.set("XPPATH", (dir_ / "xp").c_str()).set("HOME", (dir_ / "home").c_str());
        return std::make_unique<kitsetup_session>(
            KPCONFIG, std::vector<std::string>{"-dir", KITSETUP_DEMO_DIR, "-system"}, environment);
    }

    // The same, with its main dialog up.
    std::unique_ptr<kitsetup_session> start()
    {
        auto session = start_without_dialog();
        EXPECT_TRUE(session->wait_for_shown("main_print_dialog")) << session->standard_error();
        return session;
    }

    // Chooses type on port in the edit dialog (a new port gets its name
    // typed) and presses OK.
    void choose(kitsetup_session& s, const std::string& type, const std::string& port, bool new_port)
    {
        ASSERT_TRUE(s.wait_for_shown("print_edit_dialog"));
        EXPECT_EQ(s.automation("press print_edit_dialog {" + type + "}"), "");
        if (new_port)
            EXPECT_EQ(s.automation("set print_edit_dialog alias_field " + port), "");
        else
            EXPECT_EQ(s.automation("press print_edit_dialog " + port), "");
        wait_until("the port to be chosen", [&] { return s.automation("get print_edit_dialog alias_field") == port; });
        EXPECT_EQ(s.automation("press print_edit_dialog ok_btn"), "");
    }

    bool edit_dialog_gone(kitsetup_session& s)
    {
        return s.automation("shown").find("print_edit_dialog") == std::string::npos;
    }

    // Leaves the main dialog, saving, and waits for kpconfig to end.
    void save_and_leave(kitsetup_session& s)
    {
        EXPECT_TRUE(wait_until("the edit dialog to close", [&] { return edit_dialog_gone(s); }));
        EXPECT_EQ(s.automation("press main_print_dialog done_btn"), "");
        EXPECT_EQ(s.next_message(), "confirm {Do you wish to save printer configuration changes?}");
        EXPECT_EQ(s.automation("answer yes_btn"), "");
        EXPECT_EQ(s.wait_exit(), 0) << s.standard_error();
    }

    // The text of section (header to the next header) in text.
    static std::string section(const std::string& text, const std::string& name)
    {
        size_t start = text.find("[" + name + "]");
        if (start == std::string::npos)
            return "";
        size_t end = text.find("\n[", start);
        return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    }

    // Answers, with OK, boxes beginning with each of starts in turn; then
    // kpconfig ends with status.
    static void expect_boxes(kitsetup_session& s, const std::vector<std::string>& starts, int status)
    {
        for (const std::string& start : starts) {
            std::string box;
            EXPECT_TRUE(wait_until("a box starting " + start, [&] {
                box = folded(s.automation("message"));
                return box.rfind(start, 0) == 0;
            })) << box;
            s.automation("answer ok_btn");
            wait_until("the box to go", [&] { return folded(s.automation("message")) != box; });
        }
        EXPECT_EQ(s.wait_exit(), status);
    }

    void expect_untouched(const std::string& saved, const std::vector<std::string>& names)
    {
        for (const std::string& name : names)
            EXPECT_EQ(section(saved, name), section(original_, name)) << "section " << name << " changed";
    }

    temp_dir dir_;
    std::string original_;
};

}  // namespace

// A new port gets "lp" as its command; the new device, port and settings
// are written and everything else stays as it was. Both dialogs are
// photographed on the way.
TEST_F(printer_dialogs, AddingOnANewPortWritesDevicePortAndSettingsOnly)
{
    auto s = start();
    ASSERT_TRUE(s->screenshot("main_print_dialog"));
    EXPECT_EQ(s->automation("get main_print_dialog def_printer_text"), "HP LaserJet 4 on lp0");
    EXPECT_EQ(s->automation("press main_print_dialog add_btn"), "");
    ASSERT_TRUE(s->wait_for_shown("print_edit_dialog"));
    ASSERT_TRUE(s->screenshot("print_edit_dialog"));
    choose(*s, "HP LaserJet III", "lp9", true);
    save_and_leave(*s);

    std::string saved = read_file(defaults());
    EXPECT_NE(section(saved, "devices").find("HP LaserJet III=HP_LaserJet_III PCL5,lp9"), std::string::npos) << saved;
    EXPECT_NE(section(saved, "devices").find("HP LaserJet 4=HP_LaserJet_4 PCL5,lp0"), std::string::npos) << saved;
    EXPECT_NE(section(saved, "ports").find("lp9=lp\n"), std::string::npos) << saved;
    EXPECT_NE(section(saved, "HP_LaserJet_III,PCL5,lp9").find("DPI=300"), std::string::npos) << saved;
    expect_untouched(saved, {"windows", "other-devices", "HP_LaserJet_4,PCL5,lp0", "Quillet,PostScript", "Quillet,PCL5"});
}

// Editing moves the default printer to another port: its entry and the
// windows default follow.
TEST_F(printer_dialogs, EditingAPortMovesTheDefaultWithIt)
{
    auto s = start();
    EXPECT_EQ(s->automation("press main_print_dialog edit_btn"), "");
    choose(*s, "HP LaserJet 4", "lp1", false);
    EXPECT_TRUE(wait_until("the default to show the new port", [&] {
        return s->automation("get main_print_dialog def_printer_text") == "HP LaserJet 4 on lp1";
    }));
    save_and_leave(*s);

    std::string saved = read_file(defaults());
    EXPECT_NE(section(saved, "devices").find("HP LaserJet 4=HP_LaserJet_4 PCL5,lp1"), std::string::npos) << saved;
    EXPECT_EQ(section(saved, "devices").find(",lp0"), std::string::npos) << saved;
    EXPECT_NE(section(saved, "windows").find("device=HP_LaserJet_4,PCL5,lp1"), std::string::npos) << saved;
    expect_untouched(saved, {"other-devices", "Quillet,PCL5"});
}

// The same type on a port already in use is refused and the edit dialog
// stays; cancelling and leaving without changes neither asks nor rewrites.
TEST_F(printer_dialogs, ADuplicateIsRefusedAndLeavingUnchangedNeverWrites)
{
    struct stat before {};
    ASSERT_EQ(stat(defaults().c_str(), &before), 0);
    auto s = start();
    EXPECT_EQ(s->automation("press main_print_dialog add_btn"), "");
    choose(*s, "HP LaserJet 4", "lp0", false);
    EXPECT_EQ(s->next_message(), "error {\"HP LaserJet 4 on lp0\" has already been installed.}");
    EXPECT_EQ(s->automation("answer ok_btn"), "");
    EXPECT_FALSE(edit_dialog_gone(*s)) << "the edit dialog must stay up after a refusal";
    EXPECT_EQ(s->automation("press print_edit_dialog cancel_btn"), "");
    EXPECT_TRUE(wait_until("the edit dialog to close", [&] { return edit_dialog_gone(*s); }));
    EXPECT_EQ(s->automation("press main_print_dialog done_btn"), "");
    EXPECT_EQ(s->wait_exit(), 0) << s->automation("message");

    struct stat after {};
    ASSERT_EQ(stat(defaults().c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_EQ(read_file(defaults()), original_);
}

// A printer added and made the default; deleting the default makes the
// first remaining printer the default; deleting the last leaves none, and
// the saved file lists no printer.
TEST_F(printer_dialogs, DeletingTheDefaultAndThenTheLastPrinter)
{
    auto s = start();
    EXPECT_EQ(s->automation("press main_print_dialog add_btn"), "");
    choose(*s, "HP DeskJet 500", "lp1", false);
    EXPECT_TRUE(wait_until("the edit dialog to close", [&] { return edit_dialog_gone(*s); }));
    EXPECT_EQ(s->automation("press main_print_dialog {HP DeskJet 500 on lp1}"), "");
    EXPECT_EQ(s->automation("press main_print_dialog set_def_btn"), "");
    EXPECT_TRUE(wait_until("the DeskJet to become the default", [&] {
        return s->automation("get main_print_dialog def_printer_text") == "HP DeskJet 500 on lp1";
    }));
    EXPECT_EQ(s->automation("press main_print_dialog delete_btn"), "");
    EXPECT_TRUE(wait_until("the LaserJet to become the default again", [&] {
        return s->automation("get main_print_dialog def_printer_text") == "HP LaserJet 4 on lp0";
    }));
    EXPECT_EQ(s->automation("press main_print_dialog {HP LaserJet 4 on lp0}"), "");
    EXPECT_EQ(s->automation("press main_print_dialog delete_btn"), "");
    EXPECT_TRUE(wait_until("the default to be empty",
                           [&] { return s->automation("get main_print_dialog def_printer_text").empty(); }));
    save_and_leave(*s);

    std::string saved = read_file(defaults());
    EXPECT_EQ(section(saved, "devices").find('='), std::string::npos) << saved;
    expect_untouched(saved, {"other-devices", "ports", "Quillet,PostScript"});
}

// A defaults file that cannot be used never opens the dialogs: the
// library's reason comes first, then what could not be done and the advice
// to use kpconfig, and the run ends with status 1.
TEST_F(printer_dialogs, AnUnusableDefaultsFileGivesTheLibrarysReasonAndNoDialog)
{
    const std::string reason = "error {Internal QUillet Error: ";
    const std::string advice =
        "information {Unable to configure printers. When installation is complete use the kpconfig utility.}";
    write_file(defaults(), std::string("\0\x01\x02[\xff]\n=\n", 8));
    expect_boxes(*start_without_dialog(), {reason, "error {Unable to get devices from the Xpdefaults file.}", advice},
                 1);
    EXPECT_EQ(read_file(defaults()), std::string("\0\x01\x02[\xff]\n=\n", 8));

    ASSERT_EQ(std::remove(defaults().c_str()), 0);
    expect_boxes(*start_without_dialog(), {reason + "eOpenFile: XpGetDefaultsFile:: Can not open file", advice}, 1);
}

// A port name the file could not read back is refused in the edit dialog;
// one with blanks and non-ASCII letters is saved and reads back the same,
// as does a command holding "=" and "[".
TEST_F(printer_dialogs, PortNamesAreRefusedOrReadBackTheSame)
{
    auto s = start();
    EXPECT_EQ(s->automation("press main_print_dialog add_btn"), "");
    ASSERT_TRUE(s->wait_for_shown("print_edit_dialog"));
    EXPECT_EQ(s->automation("press print_edit_dialog {HP LaserJet III}"), "");
    std::string ports = s->automation("get print_edit_dialog alias_menu");
    for (const std::string refused : {"lp=9", "[lp9]"}) {
        EXPECT_EQ(s->automation("set print_edit_dialog alias_field {" + refused + "}"), "");
        EXPECT_EQ(s->automation("press print_edit_dialog ok_btn"), "");
        EXPECT_EQ(s->next_message().rfind("error {\"" + refused + "\" cannot be used: ", 0), 0u);
        EXPECT_EQ(s->automation("answer ok_btn"), "");
        EXPECT_EQ(s->automation("get print_edit_dialog alias_menu"), ports) << "the port list offers " << refused;
    }
    EXPECT_EQ(s->automation("set print_edit_dialog alias_field {Büro 2}"), "");
    EXPECT_EQ(s->automation("set print_edit_dialog cmd_field {lp -d büro -o media=a4 [x]}"), "");
    EXPECT_EQ(s->automation("press print_edit_dialog ok_btn"), "");
    save_and_leave(*s);

    s = start();
    EXPECT_NE(s->automation("get main_print_dialog printer_menu").find("HP LaserJet III on Büro 2"), std::string::npos)
        << read_file(defaults());
    EXPECT_NE(section(read_file(defaults()), "ports").find("Büro 2=lp -d büro -o media=a4 [x]\n"), std::string::npos);
    EXPECT_EQ(s->automation("press main_print_dialog done_btn"), "");
    EXPECT_EQ(s->wait_exit(), 0);
}

// Ten thousand printers, a duplicated section and a section without keys
// still give a usable list with the default in view.
TEST_F(printer_dialogs, AHugeAndIrregularFileStillListsItsPrinters)
{
    std::string devices = "[devices]\n";
    for (int i = 0; i < 10000; ++i)
        devices += "P" + std::to_string(i) + "=HP_LaserJet_4 PCL5,lp0\n";
    write_file(defaults(), "[windows]\ndevice=HP_LaserJet_4,PCL5,lp0\n\n[empty]\n\n" + devices + "\n" + original_ +
                               "\n[ports]\nlp0=lp -d other\n");
    auto s = start();
    EXPECT_EQ(s->automation("get main_print_dialog def_printer_text"), "P0 on lp0");
    EXPECT_NE(s->automation("get main_print_dialog printer_menu").find("{P9999 on lp0} {P9999 on lp0} 0"),
              std::string::npos);
    EXPECT_EQ(s->automation("press main_print_dialog done_btn"), "");
    EXPECT_EQ(s->wait_exit(), 0);
}

// A defaults file that cannot be written when saving (here a directory has
// taken its place): the library's reason is shown, then the save's error,
// and the dialogs close; kpconfig ends with status 1.
TEST_F(printer_dialogs, ALibraryErrorWhenSavingNamesItsReasonAndClosesTheDialogs)
{
    auto s = start();
    EXPECT_EQ(s->automation("press main_print_dialog delete_btn"), "");
    ASSERT_EQ(std::rename(defaults().c_str(), (dir_ / "kept").c_str()), 0);
    ASSERT_EQ(mkdir(defaults().c_str(), 0755), 0);
    EXPECT_EQ(s->automation("press main_print_dialog done_btn"), "");
    EXPECT_EQ(s->next_message(), "confirm {Do you wish to save printer configuration changes?}");
    EXPECT_EQ(s->automation("answer yes_btn"), "");
    // The save's error, whole: nothing may follow it in the box.
    expect_boxes(*s, {"error {Internal QUillet Error: ",
                      "error {Unable to write the devices section of the XpDefaults file.}"}, 1);
    EXPECT_EQ(read_file(dir_ / "kept"), original_);
}

// The product selection dialogs as the main window's icons open them: what
// they offer, what needs no dialog, version checks, a removal, and thirty
// products in the scrolling grid.
#include "installation_fixture.h"

#include <sys/stat.h>

#include "lib/l_listring.h"
#include "opts/l_subset.h"
#include "opts/prod_opts.h"
#include "opts/subset.h"
#include "prod/product.h"
#include "product_sandbox.h"
#include "ui/l_inst_prod_ui.h"

namespace {

// Adds to the demo copy install a product id (code and version) made from
// the database kit's files, with extra entries in its description file.
void add_product(const std::string& install, const std::string& id, const std::string& short_description,
                 const std::string& extra = "")
{
    std::string config = install + "/config/";
    write_file(config + id + ".prd", "Code: " + id.substr(0, 3) + "\nVersion: " + id.substr(3) +
                                         "\nDescription: " + short_description + ", a test\nShort Description: " +
                                         short_description + "\nBitmap: pic2.xpm\n" + extra);
    write_file(config + id + "prd.cfg", read_file(KITSETUP_DEMO_DIR "/config/kdb12prd.cfg"));
    write_file(config + KITSETUP_KARCH + "/" + id + "cmd.cfg", read_file(config + KITSETUP_KARCH + "/kdb12cmd.cfg"));
}

// The installation dialogs' fixture, with records written as an
// installation from CD leaves them.
class SelectionDialogs : public installation_dialogs {
protected:
    void record(const std::string& id, const std::string& target, const std::string& options = "base ")
    {
        write_file(tarnu_ + "/." + id + ".dat", "Target:\t" + target + ";\nOptions:\t" + options + ";\n");
    }
};

}  // namespace

// Reinstalling offers only what is not installed yet: the recorded
// top-level subsets are deselected, every other one selected; without
// recorded options the choice stays as it was.
TEST(SubsetPreselection, ReinstallingSelectsTheSubsetsNotInstalledYet)
{
    product_sandbox sandbox(KITSETUP_DEMO_DIR "/config", KITSETUP_DEMO_DIR "/nls");
    product kps(nullptr, "kps30");
    ASSERT_EQ(kps.initialise(), 0);
    auto selection = [&] {
        std::string chosen;
        const l_subset* subsets = kps.install_opts()->entries();
        for (unsigned i = 0; i < subsets->entries(); ++i)
            chosen += subsets->elem(i)->is_selected() ? std::string(subsets->elem(i)->name().c_str()) + " " : "";
        return chosen;
    };
    std::string before = selection();
    l_listring installed;
    l_inst_prod_ui::preselect_new_subsets(kps, installed);
    EXPECT_EQ(selection(), before);
    installed.add("base");
    installed.add("docs");
    l_inst_prod_ui::preselect_new_subsets(kps, installed);
    EXPECT_EQ(selection(), "kps30ins kps30cmn print examples ");
    EXPECT_FALSE(kps.install_opts()->entries()->elem(3u)->is_default());
    installed.delete_all();
}

// With one product the install icon goes straight to its checks: the same
// version recorded asks whether to go on, no dialog shown. An installed
// product alone goes straight to its user set-up.
TEST_F(SelectionDialogs, TheOnlyProductOfferedIsHandledWithoutTheDialog)
{
    for (const auto& entry : std::filesystem::directory_iterator(install_ + "/config")) {
        if (entry.path().extension() == ".prd" && entry.path().stem() != "kps30")
            std::filesystem::remove(entry.path());
    }
    record("kps30", "/opt/kps30");
    kitsetup_session& s = start();
    s.automation("press main_win install_icon");
    EXPECT_EQ(s.next_message(), "confirm {Sample Product 3.0 has already been installed in /opt/kps30. "
                                "Do you wish to continue?}");
    EXPECT_EQ(s.automation("shown"), "main_win confirm_dialog");
    s.answer("no_btn");
    EXPECT_TRUE(s.back_at_main_window());

    s.automation("press main_win setup_icon");
    EXPECT_EQ(s.next_message().rfind("information {" + kps30 + " is set up for you", 0), 0u);
    s.answer("ok_btn");
    EXPECT_EQ(s.quit(), 0);
}

// Deinstall and user set-up offer installed products only: none at all is
// said; a record without configuration files is warned about; products
// without records are greyed and take no click.
TEST_F(SelectionDialogs, DeinstallAndSetupOfferOnlyInstalledProducts)
{
    kitsetup_session& s = start();
    for (const char* icon : {"deinstall_icon", "setup_icon"}) {
        s.automation(std::string("press main_win ") + icon);
        EXPECT_EQ(s.next_message(), "information {There are currently no products installed by this software.}")
            << icon;
        s.answer("ok_btn");
    }

    record("kps30", "/opt/kps30");
    record("zzz99", "/opt/zzz99");
    for (const char* icon : {"deinstall_icon", "setup_icon"}) {
        std::string dialog = icon[0] == 'd' ? "del_product_dialog" : "user_product_dialog";
        s.automation(std::string("press main_win ") + icon);
        EXPECT_EQ(s.next_message().rfind("warning {A product with the identifier zzz99 has been installed", 0), 0u);
        s.answer("ok_btn");
        ASSERT_TRUE(s.wait_for_shown(dialog));
        EXPECT_TRUE(s.screenshot(dialog));
        EXPECT_EQ(s.automation("state " + dialog + " kdb12") + " " + s.automation("state " + dialog + " kps30"),
                  "INACTIVE ACTIVE");
        EXPECT_EQ(s.automation("get " + dialog + " cmd_text"),
                  icon[0] == 'd' ? "Choose a product to Deinstall" : "Choose a product to Configure");
        s.automation("press " + dialog + " kdb12");
        s.automation("press " + dialog + " cancel_btn");
        EXPECT_TRUE(s.back_at_main_window());
        EXPECT_EQ(s.automation("message"), "") << "a greyed product was handled";
    }
    EXPECT_EQ(s.quit(), 0);
}

// Version 30 chosen with 20 installed asks whether to remove the older
// one, and yes starts its removal; with 40 installed it is refused and nothing
// more happens. A pre-installation script answering bypass runs the
// installation scripts at once, and no options dialog opens.
TEST_F(SelectionDialogs, InstallationChecksTheInstalledVersionsAndThePreinstallationScript)
{
    add_product(install_, "kps20", "Sample Product 2.0");
    add_product(install_, "kps40", "Sample Product 4.0");
    add_product(install_, "kpb10", "Bypassing Product", "Pre-Installation Script: Yes\nInstallation Script: Yes\n");
    write_file(install_ + "/config/kpb10pre.ins", "return bypass\n");
    write_file(install_ + "/config/kpb10.ins", "information \"Scripts of $PRODUCT ran\"\nreturn 0\n");
    record("kps20", "/opt/kps20");
    kitsetup_session& s = start();

    ASSERT_TRUE(s.open_dialog("main_win", "install_icon", "inst_product_dialog"));
    s.automation("press inst_product_dialog kps30");
    EXPECT_EQ(s.next_message(),
              "confirm {Installing Sample Product 3.0, a previous version of this product, Sample Product 2.0, "
              "has already been installedin /opt/kps20. Do you wish to remove it before installing Sample "
              "Product 3.0?}");
    // Yes starts removing version 20, whose file-set log is missing here.
    s.answer("yes_btn");
    std::string removal = s.next_message();
    EXPECT_EQ(removal.rfind("error {", 0), 0u) << removal;
    EXPECT_NE(removal.find("/opt/tarnu/.kps20.fls"), std::string::npos) << removal;
    s.answer("ok_btn");
    // Either way the installation of version 30 goes on to its options.
    ASSERT_TRUE(s.wait_for_shown("primary_options_dialog"));
    s.automation("press primary_options_dialog cancel_btn");
    EXPECT_TRUE(s.back_at_main_window());

    std::filesystem::remove(tarnu_ + "/.kps20.dat");
    record("kps40", "/opt/kps40");
    ASSERT_TRUE(s.open_dialog("main_win", "install_icon", "inst_product_dialog"));
    s.automation("press inst_product_dialog kps30");
    EXPECT_EQ(s.next_message(),
              "information {Installing Sample Product 3.0, a later version of this product, Sample Product 4.0, "
              "has already been installed. If you wish to install this version you must first remove Sample "
              "Product 4.0.}");
    s.answer("ok_btn");
    EXPECT_TRUE(s.back_at_main_window());
    EXPECT_EQ(s.automation("message"), "");

    ASSERT_TRUE(s.open_dialog("main_win", "install_icon", "inst_product_dialog"));
    s.automation("press inst_product_dialog kpb10");
    EXPECT_EQ(s.next_message(), "information {Scripts of Bypassing Product, a test ran}");
    s.answer("ok_btn");
    EXPECT_TRUE(s.back_at_main_window());
    EXPECT_EQ(s.quit(), 0);
    EXPECT_FALSE(std::filesystem::exists(tarnu_ + "/.kpb10.dat")) << "a bypassed installation was recorded";
}

// A CD installation chosen in the deinstall dialog is removed file by
// file, with its records.
TEST_F(SelectionDialogs, DeinstallingThroughTheDialogRemovesTheProductsFiles)
{
    temp_dir target;
    std::string fileset;
    for (const char* name : {"bin/kps", "lib/libkp.so"}) {
        write_file(target / name, name);
        struct stat info {};
        ASSERT_EQ(stat((target / name).c_str(), &info), 0);
        fileset += std::string(name) + " " + std::to_string(static_cast<long>(info.st_mtime)) + " 33188\n";
    }
    write_file(tarnu_ + "/.kps30.fls", fileset);
    record("kps30", target.path());
    record("kdb12", "/opt/kdb12", "server ");
    kitsetup_session& s = start();
    ASSERT_TRUE(s.open_dialog("main_win", "deinstall_icon", "del_product_dialog"));
    s.automation("press del_product_dialog kps30");
    EXPECT_EQ(s.next_message(), "confirm {Beginning deinstallation of " + kps30 + " from " + target.path() +
                                    ". Do you wish to continue?}");
    s.answer("yes_btn");
    EXPECT_EQ(s.next_message(), "confirm {Do you wish to backup any modified or additional files for " + kps30 + "?}");
    s.answer("no_btn");
    // The other installed product may share the top-level directories.
    std::string message = s.next_message();
    EXPECT_EQ(message, "confirm {Other Tarnu products have been installed which may share files installed in "
                       "the bin directory. Do you wish to delete this directory?}");
    for (int asked = 0; asked < 2 && message.rfind("confirm {Other Tarnu products", 0) == 0; ++asked) {
        s.answer("yes_btn");
        message = s.next_message();
    }
    EXPECT_EQ(message, "information {Deinstallation of " + kps30 + " is now complete.}");
    s.answer("ok_btn");
    for (const std::string& gone :
         {target / "bin/kps", target / "lib/libkp.so", tarnu_ + "/.kps30.dat", tarnu_ + "/.kps30.fls"})
        EXPECT_FALSE(std::filesystem::exists(gone)) << gone;
    EXPECT_TRUE(std::filesystem::exists(tarnu_ + "/.kdb12.dat"));
    EXPECT_EQ(s.quit(), 0);
}

// While the first choice is handled (its release notes went missing, and
// the error is up), a click on another product does nothing.
TEST_F(SelectionDialogs, ASecondClickWhileAChoiceIsHandledIsIgnored)
{
    write_file(install_ + "/hh/kdb12rel.hlp", read_file(install_ + "/hh/kps30rel.hlp"));
    kitsetup_session& s = start();
    ASSERT_TRUE(s.open_dialog("main_win", "view_icon", "view_product_dialog"));
    EXPECT_TRUE(s.screenshot("release_notes_dialog"));
    std::filesystem::remove(install_ + "/hh/kps30rel.hlp");
    std::filesystem::remove(install_ + "/hh/kdb12rel.hlp");
    s.automation("press view_product_dialog kps30");
    EXPECT_EQ(s.next_message(), "error {Unable to open " + install_ + "/hh/kps30rel.hlp}");
    s.automation("press view_product_dialog kdb12");
    // The answer's press runs after the click: a click handled would have
    // put its own box over the first by then.
    s.answer("ok_btn");
    EXPECT_EQ(s.automation("message"), "");
    EXPECT_TRUE(s.back_at_main_window());
    EXPECT_EQ(s.quit(), 0);
}

// Thirty products stand in a grid of ten rows that scrolls on an 800 by
// 600 screen; the last row scrolls into view, and the keys reach its last
// product and take it.
TEST_F(SelectionDialogs, ThirtyProductsAreAllReachableInTheScrollingGrid)
{
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(install_ + "/config"))
        count += entry.path().extension() == ".prd";
    for (int i = 1; count < 30; ++i, ++count) {
        std::string number = (i < 10 ? "0" : "") + std::to_string(i);
        add_product(install_, "t" + number + "10", "Test Product " + number);
    }
    // The products come in the order their files are listed.
    std::string last;
    for (const auto& entry : std::filesystem::directory_iterator(install_ + "/config")) {
        if (entry.path().extension() == ".prd")
            last = entry.path().stem().string();
    }
    record(last, "/opt/" + last);
    screen_ = "800x600x24";
    kitsetup_session& s = start();
    ASSERT_TRUE(s.open_dialog("main_win", "install_icon", "inst_product_dialog"));
    EXPECT_TRUE(s.screenshot("install_dialog_30_products_800x600"));
    std::string first_view = s.automation("get inst_product_dialog container");
    EXPECT_EQ(first_view.rfind("1 ", 0), 0u) << first_view;
    EXPECT_NE(first_view, "1 10") << "ten rows cannot all show on 600 pixels";
    auto last_row_in_view = [&] {
        std::string view = s.automation("get inst_product_dialog container");
        return view.size() > 3 && view.substr(view.size() - 3) == " 10";
    };
    EXPECT_EQ(s.automation("set inst_product_dialog container 10"), "");
    EXPECT_TRUE(wait_until("the last row to come into view", last_row_in_view));
    EXPECT_TRUE(s.screenshot("install_dialog_30_products_scrolled"));
    // By key: back to the top, then from the first product round to the
    // last, which scrolls into view, and Return takes it.
    s.automation("set inst_product_dialog container 1");
    EXPECT_EQ(s.automation("get inst_product_dialog container"), first_view);
    s.automation("key inst_product_dialog inst_product_dialog Left");
    EXPECT_TRUE(wait_until("the last product to be highlighted in view", last_row_in_view));
    s.automation("key inst_product_dialog inst_product_dialog Return");
    std::string message = s.next_message();
    EXPECT_NE(message.find("has already been installed in /opt/" + last + "."), std::string::npos) << message;
    s.answer("no_btn");
    EXPECT_EQ(s.quit(), 0);
}

// A product whose option file is broken is reported when chosen, and the
// other products stay usable.
TEST_F(SelectionDialogs, ABrokenProductIsReportedAndTheOthersStayUsable)
{
    write_file(install_ + "/config/kdb12prd.cfg", "Name=server; Vol=\x01\xff;\n");
    kitsetup_session& s = start();
    ASSERT_TRUE(s.open_dialog("main_win", "install_icon", "inst_product_dialog"));
    s.automation("press inst_product_dialog kdb12");
    std::string report = s.next_message();
    EXPECT_NE(report.find("kdb12prd.cfg"), std::string::npos) << report;
    while (!s.automation("message").empty())
        s.answer("ok_btn");
    ASSERT_TRUE(s.wait_for_shown("inst_product_dialog")) << "the dialog went with the broken product";
    s.automation("press inst_product_dialog kps30");
    EXPECT_TRUE(s.wait_for_shown("primary_options_dialog"));
    EXPECT_EQ(s.quit(), 0);
    EXPECT_TRUE(std::filesystem::is_empty(tarnu_)) << "something was recorded";
}

// The four product selection dialogs as the main window's icons open them:
// which products they offer, the products handled without a dialog, the
// version checks of an installation, a removal chosen in the dialog, and
// thirty products in the scrolling grid. Installed records live in a
// private /opt/tarnu bound to a directory of the test.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "kitsetup_session.h"
#include "lib/l_listring.h"
#include "opts/l_subset.h"
#include "opts/prod_opts.h"
#include "opts/subset.h"
#include "prod/product.h"
#include "product_sandbox.h"
#include "ui/l_inst_prod_ui.h"

namespace {

const std::string program = KITSETUP_BIN;

// Records id as installed in target with options, as an installation
// from CD leaves it.
void record(const temp_dir& tarnu, const std::string& id, const std::string& target,
            const std::string& options = "base ")
{
    write_file(tarnu / ("." + id + ".dat"), "Target:\t" + target + ";\nOptions:\t" + options + ";\n");
}

// Adds to the demo copy install a product id (code and version) made from
// the second demo product's files, with its own short description and
// description file entries extra.
void add_product(const std::string& install, const std::string& id, const std::string& short_description,
                 const std::string& extra = "")
{
    std::string config = install + "/config/";
    write_file(config + id + ".prd", "Code: " + id.substr(0, 3) + "\nVersion: " + id.substr(3) +
                                         "\nDescription: " + short_description + ", a test\nShort Description: " +
                                         short_description + "\nBitmap: pic2.xpm\n" + extra);
    write_file(config + id + "prd.cfg", read_file(config + "kdb12prd.cfg"));
    write_file(config + KITSETUP_KARCH + "/" + id + "cmd.cfg",
               read_file(config + KITSETUP_KARCH + "/kdb12cmd.cfg"));
}

// Waits for a message box: its {kind text} with line breaks folded.
std::string next_message(kitsetup_session& session)
{
    return folded(session.wait_for_message());
}

// Answers the box up now with button and waits until it has gone (another
// may follow).
void answer(kitsetup_session& session, const std::string& button)
{
    std::string answered = session.automation("message");
    session.automation("answer " + button);
    EXPECT_TRUE(wait_until("the box answered with " + button + " to go",
                           [&] { return session.automation("message") != answered; }));
}

// True once only the main window is shown, and free again.
bool back_at_main_window(kitsetup_session& session)
{
    return wait_until("only the main window to be shown", [&] { return session.automation("shown") == "main_win"; });
}

const std::string kps30 = "Sample Product 3.0, a demonstration kit with a printing sample";

}  // namespace

// Reinstalling offers only what is not installed yet: the recorded
// top-level subsets are deselected, every other one selected; without
// recorded options the choice stays as it was.
TEST(SelectionDialogs, ReinstallingSelectsTheSubsetsNotInstalledYet)
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
TEST(SelectionDialogs, TheOnlyProductOfferedIsHandledWithoutTheDialog)
{
    if (!private_mounts_work())
        GTEST_SKIP() << "no private mount namespace here";
    temp_dir dir;
    temp_dir tarnu;
    std::string install = copy_of_demo(dir);
    for (const auto& entry : std::filesystem::directory_iterator(install + "/config")) {
        if (entry.path().extension() == ".prd" && entry.path().stem() != "kps30")
            std::filesystem::remove(entry.path());
    }
    record(tarnu, "kps30", "/opt/kps30");
    auto session = isolated_session(install, tarnu.path());
    ASSERT_TRUE(session->wait_for_shown("main_win")) << session->standard_error();
    session->automation("press main_win install_icon");
    EXPECT_EQ(next_message(*session), "confirm {Sample Product 3.0 has already been installed in /opt/kps30. "
                                      "Do you wish to continue?}");
    EXPECT_EQ(session->automation("shown"), "main_win confirm_dialog");
    answer(*session, "no_btn");
    EXPECT_TRUE(back_at_main_window(*session));

    session->automation("press main_win setup_icon");
    EXPECT_EQ(next_message(*session).rfind("information {" + kps30 + " is set up for you", 0), 0u);
    answer(*session, "ok_btn");
    session->automation("quit");
    EXPECT_EQ(session->wait_exit(), 0);
}

// Deinstall and user set-up offer installed products only: none at all is
// said; a record without configuration files is warned about; products
// without records are greyed and take no click.
TEST(SelectionDialogs, DeinstallAndSetupOfferOnlyInstalledProducts)
{
    if (!private_mounts_work())
        GTEST_SKIP() << "no private mount namespace here";
    temp_dir dir;
    temp_dir tarnu;
    std::string install = copy_of_demo(dir);
    auto session = isolated_session(install, tarnu.path());
    ASSERT_TRUE(session->wait_for_shown("main_win")) << session->standard_error();
    for (const char* icon : {"deinstall_icon", "setup_icon"}) {
        session->automation(std::string("press main_win ") + icon);
        EXPECT_EQ(next_message(*session),
                  "information {There are currently no products installed by this software.}")
            << icon;
        answer(*session, "ok_btn");
    }

    record(tarnu, "kps30", "/opt/kps30");
    record(tarnu, "zzz99", "/opt/zzz99");
    for (const char* icon : {"deinstall_icon", "setup_icon"}) {
        std::string dialog = icon[0] == 'd' ? "del_product_dialog" : "user_product_dialog";
        session->automation(std::string("press main_win ") + icon);
        EXPECT_EQ(next_message(*session).rfind("warning {A product with the identifier zzz99 has been installed", 0),
                  0u);
        answer(*session, "ok_btn");
        ASSERT_TRUE(session->wait_for_shown(dialog));
        EXPECT_TRUE(session->screenshot(dialog));
        EXPECT_EQ(session->automation("state " + dialog + " kdb12"), "INACTIVE");
        EXPECT_EQ(session->automation("state " + dialog + " kps30"), "ACTIVE");
        EXPECT_EQ(session->automation("get " + dialog + " cmd_text"),
                  icon[0] == 'd' ? "Choose a product to Deinstall" : "Choose a product to Configure");
        session->automation("press " + dialog + " kdb12");
        session->automation("press " + dialog + " cancel_btn");
        EXPECT_TRUE(back_at_main_window(*session));
        EXPECT_EQ(session->automation("message"), "") << "a greyed product was handled";
    }
    session->automation("quit");
    EXPECT_EQ(session->wait_exit(), 0);
}

// Version 30 chosen with 20 installed asks whether to remove the older
// one, and yes starts its removal; with 40 installed it is refused and nothing
// more happens. A pre-installation script answering bypass runs the
// installation scripts at once, and no options dialog opens.
TEST(SelectionDialogs, InstallationChecksTheInstalledVersionsAndThePreinstallationScript)
{
    if (!private_mounts_work())
        GTEST_SKIP() << "no private mount namespace here";
    temp_dir dir;
    temp_dir tarnu;
    std::string install = copy_of_demo(dir);
    add_product(install, "kps20", "Sample Product 2.0");
    add_product(install, "kps40", "Sample Product 4.0");
    add_product(install, "kpb10", "Bypassing Product",
                "Pre-Installation Script: Yes\nInstallation Script: Yes\n");
    write_file(install + "/config/kpb10pre.ins", "return bypass\n");
    write_file(install + "/config/kpb10.ins", "information \"Scripts of $PRODUCT ran\"\nreturn 0\n");
    record(tarnu, "kps20", "/opt/kps20");
    auto session = isolated_session(install, tarnu.path());
    ASSERT_TRUE(session->wait_for_shown("main_win")) << session->standard_error();

    session->automation("press main_win install_icon");
    ASSERT_TRUE(session->wait_for_shown("inst_product_dialog"));
    session->automation("press inst_product_dialog kps30");
    EXPECT_EQ(next_message(*session),
              "confirm {Installing Sample Product 3.0, a previous version of this product, Sample Product 2.0, "
              "has already been installedin /opt/kps20. Do you wish to remove it before installing Sample "
              "Product 3.0?}");
    // Yes starts removing version 20, whose file-set log is missing here.
    answer(*session, "yes_btn");
    std::string removal = next_message(*session);
    EXPECT_EQ(removal.rfind("error {", 0), 0u) << removal;
    EXPECT_NE(removal.find("/opt/tarnu/.kps20.fls"), std::string::npos) << removal;
    answer(*session, "ok_btn");
    // Either way the installation of version 30 goes on to its options.
    ASSERT_TRUE(session->wait_for_shown("primary_options_dialog"));
    session->automation("press primary_options_dialog cancel_btn");
    EXPECT_TRUE(back_at_main_window(*session));

    std::filesystem::remove(tarnu / ".kps20.dat");
    record(tarnu, "kps40", "/opt/kps40");
    session->automation("press main_win install_icon");
    ASSERT_TRUE(session->wait_for_shown("inst_product_dialog"));
    session->automation("press inst_product_dialog kps30");
    EXPECT_EQ(next_message(*session),
              "information {Installing Sample Product 3.0, a later version of this product, Sample Product 4.0, "
              "has already been installed. If you wish to install this version you must first remove Sample "
              "Product 4.0.}");
    answer(*session, "ok_btn");
    EXPECT_TRUE(back_at_main_window(*session));
    EXPECT_EQ(session->automation("message"), "");

    session->automation("press main_win install_icon");
    ASSERT_TRUE(session->wait_for_shown("inst_product_dialog"));
    session->automation("press inst_product_dialog kpb10");
    EXPECT_EQ(next_message(*session), "information {Scripts of Bypassing Product, a test ran}");
    answer(*session, "ok_btn");
    EXPECT_TRUE(back_at_main_window(*session));
    session->automation("quit");
    EXPECT_EQ(session->wait_exit(), 0);
    EXPECT_FALSE(std::filesystem::exists(tarnu / ".kpb10.dat")) << "a bypassed installation was recorded";
}

// A CD installation chosen in the deinstall dialog is removed file by
// file, with its records.
TEST(SelectionDialogs, DeinstallingThroughTheDialogRemovesTheProductsFiles)
{
    if (!private_mounts_work())
        GTEST_SKIP() << "no private mount namespace here";
    temp_dir dir;
    temp_dir tarnu;
    temp_dir target;
    std::string install = copy_of_demo(dir);
    std::string fileset;
    for (const char* name : {"bin/kps", "lib/libkp.so"}) {
        write_file(target / name, name);
        struct stat info {};
        ASSERT_EQ(stat((target / name).c_str(), &info), 0);
        fileset += std::string(name) + " " + std::to_string(static_cast<long>(info.st_mtime)) + " 33188\n";
    }
    write_file(tarnu / ".kps30.fls", fileset);
    record(tarnu, "kps30", target.path());
    record(tarnu, "kdb12", "/opt/kdb12", "server ");
    auto session = isolated_session(install, tarnu.path());
    ASSERT_TRUE(session->wait_for_shown("main_win")) << session->standard_error();
    session->automation("press main_win deinstall_icon");
    ASSERT_TRUE(session->wait_for_shown("del_product_dialog"));
    session->automation("press del_product_dialog kps30");
    EXPECT_EQ(next_message(*session), "confirm {Beginning deinstallation of " + kps30 + " from " + target.path() +
                                          ". Do you wish to continue?}");
    answer(*session, "yes_btn");
    EXPECT_EQ(next_message(*session), "confirm {Do you wish to backup any modified or additional files for " +
                                          kps30 + "?}");
    answer(*session, "no_btn");
    // The other installed product may share the top-level directories.
    std::string message = next_message(*session);
    EXPECT_EQ(message, "confirm {Other Tarnu products have been installed which may share files installed in "
                       "the bin directory. Do you wish to delete this directory?}");
    for (int asked = 0; asked < 2 && message.rfind("confirm {Other Tarnu products", 0) == 0; ++asked) {
        answer(*session, "yes_btn");
        message = next_message(*session);
    }
    EXPECT_EQ(message, "information {Deinstallation of " + kps30 + " is now complete.}");
    answer(*session, "ok_btn");
    EXPECT_FALSE(std::filesystem::exists(target / "bin/kps"));
    EXPECT_FALSE(std::filesystem::exists(target / "lib/libkp.so"));
    EXPECT_FALSE(std::filesystem::exists(tarnu / ".kps30.dat"));
    EXPECT_FALSE(std::filesystem::exists(tarnu / ".kps30.fls"));
    EXPECT_TRUE(std::filesystem::exists(tarnu / ".kdb12.dat"));
    session->automation("quit");
    EXPECT_EQ(session->wait_exit(), 0);
}

// While the first choice is handled (its release notes went missing, and
// the error is up), a click on another product does nothing.
TEST(SelectionDialogs, ASecondClickWhileAChoiceIsHandledIsIgnored)
{
    temp_dir dir;
    std::string install = copy_of_demo(dir);
    write_file(install + "/hh/kdb12rel.hlp", read_file(install + "/hh/kps30rel.hlp"));
    kitsetup_session session(program, {"-dir", install, "-nosplash"}, session_environment());
    ASSERT_TRUE(session.wait_for_shown("main_win")) << session.standard_error();
    session.automation("press main_win view_icon");
    ASSERT_TRUE(session.wait_for_shown("view_product_dialog"));
    EXPECT_TRUE(session.screenshot("release_notes_dialog"));
    std::filesystem::remove(install + "/hh/kps30rel.hlp");
    std::filesystem::remove(install + "/hh/kdb12rel.hlp");
    std::string missing = "error {Unable to open " + install + "/hh/kps30rel.hlp}";
    session.automation("press view_product_dialog kps30");
    EXPECT_EQ(next_message(session), missing);
    session.automation("press view_product_dialog kdb12");
    // The answer's press runs after the click: a click handled would have
    // put its own box over the first by then.
    answer(session, "ok_btn");
    EXPECT_EQ(session.automation("message"), "");
    EXPECT_TRUE(back_at_main_window(session));
    session.automation("quit");
    EXPECT_EQ(session.wait_exit(), 0);
}

// Thirty products stand in a grid of ten rows that scrolls on an 800 by
// 600 screen; the last row scrolls into view, and the keys reach its last
// product and take it.
TEST(SelectionDialogs, ThirtyProductsAreAllReachableInTheScrollingGrid)
{
    if (!private_mounts_work())
        GTEST_SKIP() << "no private mount namespace here";
    temp_dir dir;
    temp_dir tarnu;
    std::string install = copy_of_demo(dir);
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(install + "/config"))
        count += entry.path().extension() == ".prd";
    for (int i = 1; count < 30; ++i, ++count) {
        std::string number = (i < 10 ? "0" : "") + std::to_string(i);
        add_product(install, "t" + number + "10", "Test Product " + number);
    }
    // The products come in the order their files are listed.
    std::string last;
    for (const auto& entry : std::filesystem::directory_iterator(install + "/config")) {
        if (entry.path().extension() == ".prd")
            last = entry.path().stem().string();
    }
    record(tarnu, last, "/opt/" + last);
    auto session = isolated_session(install, tarnu.path(), "800x600x24");
    ASSERT_TRUE(session->wait_for_shown("main_win")) << session->standard_error();
    session->automation("press main_win install_icon");
    ASSERT_TRUE(session->wait_for_shown("inst_product_dialog"));
    EXPECT_TRUE(session->screenshot("install_dialog_30_products_800x600"));
    std::string first_view = session->automation("get inst_product_dialog container");
    EXPECT_EQ(first_view.rfind("1 ", 0), 0u) << first_view;
    EXPECT_NE(first_view, "1 10") << "ten rows cannot all show on 600 pixels";
    auto last_row_in_view = [&] {
        std::string view = session->automation("get inst_product_dialog container");
        return view.size() > 3 && view.substr(view.size() - 3) == " 10";
    };
    EXPECT_EQ(session->automation("set inst_product_dialog container 10"), "");
    EXPECT_TRUE(wait_until("the last row to come into view", last_row_in_view));
    EXPECT_TRUE(session->screenshot("install_dialog_30_products_scrolled"));
    // By key: back to the top, then from the first product round to the
    // last, which scrolls into view, and Return takes it.
    session->automation("set inst_product_dialog container 1");
    EXPECT_EQ(session->automation("get inst_product_dialog container"), first_view);
    session->automation("key inst_product_dialog inst_product_dialog Left");
    EXPECT_TRUE(wait_until("the last product to be highlighted in view", last_row_in_view));
    session->automation("key inst_product_dialog inst_product_dialog Return");
    std::string message = next_message(*session);
    EXPECT_NE(message.find("has already been installed in /opt/" + last + "."), std::string::npos) << message;
    answer(*session, "no_btn");
    session->automation("quit");
    EXPECT_EQ(session->wait_exit(), 0);
}

// A product whose option file is broken is reported when chosen, and the
// other products stay usable.
TEST(SelectionDialogs, ABrokenProductIsReportedAndTheOthersStayUsable)
{
    if (!private_mounts_work())
        GTEST_SKIP() << "no private mount namespace here";
    temp_dir dir;
    temp_dir tarnu;
    std::string install = copy_of_demo(dir);
    write_file(install + "/config/kdb12prd.cfg", "Name=server; Vol=\x01\xff;\n");
    auto session = isolated_session(install, tarnu.path());
    ASSERT_TRUE(session->wait_for_shown("main_win")) << session->standard_error();
    session->automation("press main_win install_icon");
    ASSERT_TRUE(session->wait_for_shown("inst_product_dialog"));
    session->automation("press inst_product_dialog kdb12");
    std::string report = next_message(*session);
    EXPECT_NE(report.find("kdb12prd.cfg"), std::string::npos) << report;
    while (!session->automation("message").empty())
        answer(*session, "ok_btn");
    ASSERT_TRUE(session->wait_for_shown("inst_product_dialog")) << "the dialog went with the broken product";
    session->automation("press inst_product_dialog kps30");
    EXPECT_TRUE(session->wait_for_shown("primary_options_dialog"));
    session->automation("quit");
    EXPECT_EQ(session->wait_exit(), 0);
    EXPECT_TRUE(std::filesystem::is_empty(tarnu.path())) << "something was recorded";
}

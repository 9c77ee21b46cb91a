// A product's second stage, primary options, the data file and the user set-up;
// records in /opt/tarnu are only ever made on a private /opt in a forked check.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "message_recorder.h"
#include "product_sandbox.h"
#include "run_program.h"
#include "utilities_test_support.h"
#include "cmds/l_cmd.h"
#include "lib/l_listring.h"
#include "opts/l_subset.h"
#include "opts/prod_opts.h"
#include "prod/l_prim_opt.h"
#include "prod/product.h"

using namespace utilities_test;

namespace {

const std::string DEMO_CONFIG = KITSETUP_DEMO_DIR "/config";

// The top-level subsets: "(name)" when not selected, "~" before hidden ones.
std::string choice(const product& p)
{
    std::string all;
    const l_subset* list = p.install_opts()->entries();
    for (unsigned i = 0; list != nullptr && i < list->entries(); ++i) {
        const subset* s = list->elem(i);
        std::string name = s->name().c_str();
        all += std::string(all.empty() ? "" : " ") + (s->is_hidden() ? "~" : "") +
               (s->is_selected() ? name : "(" + name + ")");
    }
    return all;
}

std::string joined(const l_listring& list)
{
    std::string all;
    for (unsigned i = 0; i < list.entries(); ++i)
        all += std::string(list.elem(i)->c_str()) + "|";
    return all;
}

TEST(product_initialise, demo_products_initialise_without_a_message)
{
    product_sandbox sandbox(DEMO_CONFIG, KITSETUP_DEMO_DIR "/nls");
    message_recorder recorder;
    product kps(nullptr, "kps30"), kdb(nullptr, "kdb12");
    ASSERT_EQ(kps.initialise(), 0);
    ASSERT_EQ(kdb.initialise(), 0);
    EXPECT_TRUE(recorder.texts().empty()) << recorder.texts()[0];
    EXPECT_TRUE(kps.initialised() && kdb.initialised() && kps.has_primary_options());
    EXPECT_FALSE(kdb.has_primary_options()) << "no option file, no primary options";
    EXPECT_EQ(choice(kps), "~kps30ins ~(kps30cmn) base docs (print) (examples)");
    EXPECT_EQ(choice(kdb), "~kdb12ins server client");
    EXPECT_EQ(kps.install_opts()->elem("docs")->suboptions()->entries()->entries(), 2u);
    EXPECT_EQ(joined(kps.install_opts()->elem("base")->dependencies()), "kps30cmn|");
}

class initialise_steps : public ::testing::Test {
protected:
    std::string cfg(const std::string& name) const { return dir_ / ("config/" + name); }

    temp_dir dir_;
    product_sandbox sandbox_{dir_ / "config", dir_ / "nls"};
    message_recorder recorder_;
    int prd_written_ = (write_file(cfg("kps30.prd"), "Code: kps\nVersion: 30\n"), 0);
    product kps_{nullptr, "kps30"};
};

// Each step's file in turn: missing or bad, the step fails with its own
// messages and nothing after it is read.
TEST_F(initialise_steps, each_file_is_read_in_order_and_the_first_failure_ends_it)
{
    auto initialise = [this]() { return recorder_.clear(), kps_.initialise(); };
    EXPECT_EQ(initialise(), -1);
    EXPECT_EQ(recorder_.texts().size(), 1u) << "one message for the missing command file";
    EXPECT_TRUE(kps_.cmd_templates()->entries() == 0 && kps_.primary_opts() == nullptr);

    write_file(cfg(KITSETUP_KARCH "/kps30cmd.cfg"), read_file(DEMO_CONFIG + "/linux/kps30cmd.cfg"));
    write_file(cfg("kps30ins.cfg"), "Name=Full; Size=3\n\nName=Other\n");
    EXPECT_EQ(initialise(), -1);
    EXPECT_EQ(recorder_.texts(), strings{"Error parsing " + cfg("kps30ins.cfg") +
                                         ", unrecognised keyword \"Size\" in option no. 1."});
    EXPECT_EQ(kps_.install_opts(), nullptr);

    std::remove(cfg("kps30ins.cfg").c_str());
    EXPECT_EQ(initialise(), -1) << "no subset definition file";
    EXPECT_EQ(recorder_.texts().size(), 1u);
    EXPECT_FALSE(kps_.initialised());

    write_file(cfg("kps30prd.cfg"), "Name=base; Man=Yes.\n");
    EXPECT_EQ(initialise(), 0);
    EXPECT_TRUE(recorder_.texts().empty());
    EXPECT_EQ(std::to_string(kps_.has_primary_options()) + " " + choice(kps_), "0 base");
}

// Options and subsets of a made-up product; in the private /opt the product
// is first not installed, then installed.
TEST_F(initialise_steps, applying_a_primary_option_selects_and_hides_subsets)
{
    write_file(cfg(KITSETUP_KARCH "/kps30cmd.cfg"), read_file(DEMO_CONFIG + "/linux/kps30cmd.cfg"));
    write_file(cfg("kps30ins.cfg"), "Name=Full; Opts=ALL\n\nName=Minimal; Opts=0; Hid=examples,base\n# last\n"
                                    "Name=Custom; Opts=docs,,nosuch\n");
    write_file(cfg("kps30prd.cfg"),
               "Name=base; Man=Yes.\nName=docs; Def=Yes.\nName=examples.\nName=print.\n");
    ASSERT_EQ(kps_.initialise(), 0);
    int status = in_private_opt([this](child_checks& checks) {
        l_prim_opt& options = *kps_.primary_opts();
        auto marks = [&options]() {
            std::string all;
            for (unsigned i = 0; i < options.entries(); ++i)
                all += options.elem(i)->selected() ? "1" : "0";
            return all;
        };
        const struct { const char* option; const char* choice; const char* marks; } fresh[] = {
            {"Full", "base docs examples print", "100"},
            {"Minimal", "base (docs) ~(examples) (print)", "010"},
            {"Custom", "base docs (examples) (print)", "001"},
        };
        for (const auto& row : fresh) {
            options.apply(options.elem(row.option));
            checks.expect(choice(kps_) + " " + marks(), std::string(row.choice) + " " + row.marks);
        }
        // Installed: the last installation's choice stays; only hiding changes.
        write_file("/opt/tarnu/.kps30.dat", "Target:\t/opt/kps;\nOptions:\tprint ;\n");
        for (unsigned i = 0; i < kps_.install_opts()->entries()->entries(); ++i)
            kps_.install_opts()->elem(i)->choose(kps_.install_opts()->elem(i)->name() == "print");
        options.apply(options.elem("Minimal"));
        checks.expect(choice(kps_) + " " + marks(), "(base) (docs) ~(examples) print 010");
        options.apply(options.elem("Full"));
        checks.expect(choice(kps_), "(base) (docs) (examples) print");
    });
    EXPECT_CHILD_PASSED(status, "primary options in a private /opt");
    EXPECT_TRUE(recorder_.texts().empty());
}

// The data file as written, read back, and extended by a reinstallation;
// then a damaged one, a planted link, and the user set-up that reads it.
TEST_F(initialise_steps, data_file_round_trip_damaged_entries_and_the_user_setup_reading_it)
{
    write_file(cfg(KITSETUP_KARCH "/kps30cmd.cfg"), read_file(DEMO_CONFIG + "/linux/kps30cmd.cfg"));
    write_file(cfg("kps30prd.cfg"), "Name=base.\nName=docs.\nName=tools.\n");
    ASSERT_EQ(kps_.initialise(), 0);
    int status = in_private_opt([this](child_checks& checks) {
        message_recorder recorder;
        prod_opts& tree = *kps_.install_opts();
        tree.elem("base")->choose(true);
        tree.elem("docs")->choose(true);
        kps_.set_target("/opt/kps");
        checks.expect(kps_.was_installed(), 0);
        checks.expect(kps_.write_data_file(), 0);
        checks.expect(read_file("/opt/tarnu/.kps30.dat"), "Target:\t/opt/kps;\nOptions:\tbase docs ;\n");

        product again(nullptr, "kps30");
        checks.expect(std::to_string(again.was_installed()) + std::to_string(again.parse_data_file()),
                      "10");
        checks.expect(std::string(again.target().c_str()) + " " + joined(*again.installed_option_ids()),
                      "/opt/kps base|docs|");
        kps_.parse_data_file();
        tree.elem("tools")->choose(true);
        kps_.set_media(MEDIA_FILESERVER);
        kps_.write_data_file();
        checks.expect(read_file("/opt/tarnu/.kps30.dat"),
                      "Target:\t/opt/kps;\nNode Installation:\tYes;\nOptions:\tbase docs tools ;\n");
        again.parse_data_file();
        checks.expect(again.node_installation(), 1);

        write_file("/opt/tarnu/.kps30.dat",
                   "# written by hand: yes\nTarget:\t/srv/kps;\nColour:\tred;\nNode Installation:\tmaybe;\n"
                   "Options:\tone  two\r\n;");
        recorder.clear();
        checks.expect(again.parse_data_file(), -1);
        checks.expect(std::string(again.target().c_str()) + " " + joined(*again.installed_option_ids()),
                      "/srv/kps one|two|");
        std::string text;
        for (const std::string& t : recorder.texts())
            text += t + "\n";
        checks.expect(text, "Unable to parse line 3 in file \"/opt/tarnu/.kps30.dat\".\n"
                            "Error parsing /opt/tarnu/.kps30.dat, \"Node Installation\" must be "
                            "followed by a valid flag.\n");

        // A link planted at the data file is not written through.
        std::remove("/opt/tarnu/.kps30.dat");
        checks.expect(symlink("/dev/full", "/opt/tarnu/.kps30.dat"), 0);
        recorder.clear();
        checks.expect(kps_.write_data_file(), -1);
        checks.expect(recorder.texts().empty() ? "" : recorder.texts()[0],
                      "Unable to open file /opt/tarnu/.kps30.dat. " + std::string(std::strerror(ELOOP)));
        std::remove("/opt/tarnu/.kps30.dat");

        // A record naming no target is no record: the script would get an empty
        // TARGET. (A fresh product, as -setup makes one.)
        product user(nullptr, "kps30");
        recorder.clear();
        checks.expect(user.setup_user(), -1);
        checks.expect(recorder.texts().at(0), "The script file " + cfg("kps30.set") + " does not exist.");
        write_file(cfg("kps30.set"), "set f [open " + (dir_ / "seen") + " w]\n"
                                     "puts -nonewline $f \"$PRODUCT in $TARGET\"\nclose $f\nreturn stop\n");
        for (const char* data : {static_cast<const char*>(nullptr), "", "Options:\tbase ;\n"}) {
            if (data != nullptr)
                write_file("/opt/tarnu/.kps30.dat", data);
            recorder.clear();
            checks.expect(user.setup_user(), -1);
            checks.expect(recorder.texts().empty() ? "" : recorder.texts().back(),
                          "No record of  having been installed on this machine can be found.");
        }
        write_file("/opt/tarnu/.kps30.dat", "Target:\t/opt/kps;\nOptions:\tbase ;\n");
        checks.expect(user.setup_user(), 1);
        checks.expect(read_file(dir_ / "seen"), " in /opt/kps");
    });
    EXPECT_CHILD_PASSED(status, "data file and user set-up in a private /opt");
}

}  // namespace

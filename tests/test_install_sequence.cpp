// product::install from every demo medium in a private /opt, checked by files,
// records and the scripts that ran; refusals that must start no command.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "event_loop.h"
#include "file_records.h"
#include "message_recorder.h"
#include "product_sandbox.h"
#include "progress_fakes.h"
#include "run_program.h"
#include "utilities_test_support.h"
#include "cmds/l_cmd.h"
#include "misc/lidefs.h"
#include "opts/l_subset.h"
#include "opts/prod_opts.h"
#include "opts/subset.h"
#include "prod/product.h"
#include "toolkit/oi_connection.h"

using namespace utilities_test;
namespace fs = std::filesystem;

namespace {

const std::string DEMO = KITSETUP_DEMO_DIR;
const std::string MEDIA = KITSETUP_BUILD_DIR "/media";

// How many of records lie below directory top.
long count_below(const std::vector<std::string>& records, const std::string& top)
{
    return std::count_if(records.begin(), records.end(),
                         [&](const std::string& r) { return r.rfind(top + "/", 0) == 0; });
}

class installation : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(kps_.initialise(), 0); }
    ~installation() override
    {
        cmd::set_local();
        BIN_DIR = saved_bin_;
        MAP_DIR = saved_map_;
        INSTALL_DIR = saved_install_;
    }

    // The demo's products, every subset with a script noting what it saw (the
    // demo's own printing script opens a dialog, and there is no display here).
    int write_config()
    {
        fs::create_directories(config_ + "/" KITSETUP_KARCH);
        for (const char* file : {"kps30.prd", "docs.cfg", "kdb12.prd", "kdb12prd.cfg", KITSETUP_KARCH "/kps30cmd.cfg",
                                 KITSETUP_KARCH "/kdb12cmd.cfg"})
            fs::copy_file(DEMO + "/config/" + file, config_ + "/" + file);
        std::string subsets = read_file(DEMO + "/config/kps30prd.cfg");
        write_file(config_ + "/kps30prd.cfg",
                   std::regex_replace(subsets, std::regex("Name=(\\w+);"), "Name=$1; Ins=Yes;"));
        for (const char* name : {"kps30ins", "kps30cmn", "base", "docs", "print", "examples"})
            write_file(config_ + "/" + name + ".ins", note_script(name, "$CURR_OPTION"));
        write_file(config_ + "/kps30.ins", note_script("kps30", "$PRODUCT $SOURCE $HOST $CREATEDIST"));
        BIN_DIR = (DEMO + "/bin/" KITSETUP_KARCH).c_str();
        MAP_DIR = (DEMO + "/map").c_str();
        return 0;
    }

    std::string note_script(const std::string& name, const std::string& more) const
    {
        return "set f [open " + (dir_ / "scripts") + " a]\nputs $f \"" + name +
               " $MEDIA $TARGET " + more + "\"\nclose $f\nreturn 0\n";
    }

    // Installs only the subsets chosen of prod from source into target and lets the
    // sequence run out: install's result. Notes and messages start afresh; records
    // of earlier runs are removed first unless kept.
    int install(product& prod, media_t media, const std::string& source, const std::string& target,
                const std::vector<std::string>& chosen, bool create_dist = false, bool keep_records = false)
    {
        fs::create_directories(target);
        for (const char* ext : {".dat", ".fls"})
            if (!keep_records)
                std::remove(("/opt/tarnu/." + std::string(prod.id().c_str()) + ext).c_str());
        std::remove((dir_ / "scripts").c_str());
        prod_opts& options = *prod.install_opts();
        for (unsigned i = 0; i < options.entries()->entries(); ++i)
            options.elem(i)->choose(std::count(chosen.begin(), chosen.end(), options.elem(i)->name().c_str()) > 0);
        prod.set_media(media);
        prod.set_create_dist_server(create_dist);
        prod.cmd_templates(CMD_EXTRACT)->set_output(target.c_str());
        for (cmd_t kind : {CMD_EXTRACT, CMD_REWIND, CMD_SKIP, CMD_COPY_CONVERT})
            if (kind == CMD_EXTRACT || media == MEDIA_TAPE)
                prod.cmd_templates(kind)->set_input(source.c_str());
        dialogs_.transfer = fake_transfer();
        dialogs_.log.lines.clear();
        recorder_.clear();
        int result = prod.install();
        l_cmd& sequence = *options.install_cmds();
        if (result == 0)
            run_until("the installation to end", [&] { return sequence.cleaning_up(); });
        // A tape installation ends with a background rewind the next one waits for.
        run_until("the rewind to end", [] { return !rewinding_g; });
        return result;
    }

    // What every good installation ends with, install's result first; files
    // counts the files under target unless negative.
    void expect_complete(child_checks& checks, int result, const product& prod, const std::string& target,
                         long files = -1)
    {
        checks.expect(result, 0);
        checks.expect(last_message(),
                      "Installation of " + std::string(prod.description().c_str()) + " is now complete.");
        checks.expect(dialogs_.transfer.shown, 0);
        checks.expect(sorted_lines(read_file("/opt/tarnu/." + std::string(prod.id().c_str()) + ".fls")) ==
                          files_under(target), 1);
        if (files >= 0)
            checks.expect(files_under(target).size(), files);
    }

    std::string last_message() const
    {
        return recorder_.texts().empty() ? "" : recorder_.texts().back();
    }
    // "1" when the first message shown begins with start.
    std::string first_message_starts(const std::string& start) const
    {
        return std::to_string(!recorder_.texts().empty() && recorder_.texts()[0].rfind(start, 0) == 0);
    }
    // How many lines of the log dialog hold text.
    long logged(const std::string& text) const
    {
        return std::count_if(dialogs_.log.lines.begin(), dialogs_.log.lines.end(),
                             [&](const std::string& line) { return line.find(text) != line.npos; });
    }
    std::string data(const char* id) const { return read_file("/opt/tarnu/." + std::string(id) + ".dat"); }
    std::string scripts() const { return read_file(dir_ / "scripts"); }
    // How many of the records of id are in /opt/tarnu.
    static int recorded(const std::string& id)
    {
        return fs::exists("/opt/tarnu/." + id + ".dat") + fs::exists("/opt/tarnu/." + id + ".fls");
    }

    temp_dir dir_;
    const std::string config_ = dir_ / "config";
    product_sandbox sandbox_{config_, DEMO + "/nls"};
    state_guard restore_;
    message_recorder recorder_;
    fake_dialogs dialogs_;
    const listring saved_bin_ = BIN_DIR, saved_map_ = MAP_DIR, saved_install_ = INSTALL_DIR;
    const int written_ = write_config();
    product kps_{&dialogs_.products, "kps30"};
    product* kdb_ = new product(&dialogs_.products, "kdb12");
    const int listed_ = dialogs_.products.add(kdb_);
};

TEST_F(installation, disk_media_copy_what_they_should_and_the_file_server_copies_nothing)
{
    int status = in_private_opt([&](child_checks& checks) {
        const std::string cd = MEDIA + "/cd", dist = dir_ / "dist", desc = kps_.description().c_str();

        // A distribution server made from the CD holds every subset, and no records.
        checks.expect(install(kps_, MEDIA_CD, cd, dist, {"kps30ins", "kps30cmn", "base", "docs", "print", "examples"},
                              true), 0);
        checks.expect(names_of(files_under(dist)) == names_of(files_under(MEDIA + "/dist/kps30")), 1);
        checks.expect(recorded("kps30"), 0);
        checks.expect(scripts(), "kps30 CD " + dist + " " + desc + " " + cd + " localhost Yes\n");

        // From the CD the installer's subset and the dependency come along.
        std::string target = dir_ / "from_cd";
        expect_complete(checks, install(kps_, MEDIA_CD, cd, target, {"base"}), kps_, target);
        std::vector<std::string> files = files_under(target);
        checks.expect(std::to_string(files.size()) + " " + std::to_string(count_below(files, "install")) + " " +
                          std::to_string(count_below(files, "common")),
                      "38 6 8");
        checks.expect(data("kps30"), "Target:\t" + target + ";\nOptions:\tbase ;\n");
        checks.expect(scripts(), "base CD " + target + " Programs and libraries\nkps30 CD " + target + " " + desc +
                                     " " + cd + " localhost No\n");

        // ... but not when the target's installer is the one running.
        target = dir_ / "own";
        INSTALL_DIR = (target + "/install").c_str();
        fs::create_directories(target + "/install");
        expect_complete(checks, install(kps_, MEDIA_CD, cd, target, {"examples"}), kps_, target, 30);
        INSTALL_DIR = saved_install_;

        // The server made above serves an installation (kcp -i).
        target = dir_ / "from_dist";
        expect_complete(checks, install(kps_, MEDIA_DISTRIBUTION, dist, target, {"docs"}), kps_, target, 91);
        checks.expect(data("kps30"), "Target:\t" + target + ";\nOptions:\tdocs ;\n");
        checks.expect(logged("/kcp -i -M"), 2);

        // Making a distribution server leaves an installation's records alone.
        std::string records = data("kps30") + read_file("/opt/tarnu/.kps30.fls");
        checks.expect(install(kps_, MEDIA_CD, cd, dir_ / "dist2", {"base"}, true, true), 0);
        checks.expect(data("kps30") + read_file("/opt/tarnu/.kps30.fls") == records, 1);

        // A file server: nothing copied, every script run on the server, a node recorded.
        const std::string server = MEDIA + "/fileserver/kps30";
        for (const std::vector<std::string>& chosen : {std::vector<std::string>{"base"}, std::vector<std::string>{}}) {
            target = dir_ / "node";
            checks.expect(install(kps_, MEDIA_FILESERVER, server, target, chosen), 0);
            checks.expect(std::to_string(recorder_.texts().size()) + " " + last_message(),
                          "1 Installation of " + desc + " is now complete.");
            checks.expect(files_under(target).size() + fs::exists("/opt/tarnu/.kps30.fls"), 0);
            checks.expect(data("kps30"), "Target:\t" + target + ";\nNode Installation:\tYes;\nOptions:\t" +
                                             (chosen.empty() ? "" : "base ") + ";\n");
            std::string ran;
            for (const char* name : {"kps30ins", "kps30cmn", "base", "docs", "print", "examples"})
                ran += std::string(name) + " FILESERVER " + server + " " +
                       kps_.install_opts()->elem(name)->description().c_str() + "\n";
            checks.expect(scripts(),
                          ran + "kps30 FILESERVER " + server + " " + desc + " " + server + " localhost No\n");
        }
    });
    EXPECT_CHILD_PASSED(status, "installations from disk media in a private /opt");
}

// The tape check reads the drive in this process: the test runs with the
// emulated drive preloaded (tests/CMakeLists.txt), else it is skipped.
TEST_F(installation, tape_installs_from_local_and_remote_drives_after_their_checks)
{
    const char* preload = std::getenv("LD_PRELOAD");
    if (preload == nullptr || std::strstr(preload, "tapeemu") == nullptr)
        GTEST_SKIP() << "runs with the tape emulator preloaded";
    ASSERT_EQ(kdb_->initialise(), 0);
    // Private tape copies: the head position lives beside the tape.
    std::string drives;
    for (const char* drive : {"nst0", "st0", "nst1"}) {
        write_file(dir_ / drive, "");
        std::string id = drive[std::strlen(drive) - 1] == '0' ? "kps30" : "kdb12", tape = dir_ / ("tape_" + id);
        if (!fs::exists(tape))
            fs::copy(MEDIA + "/tape/" + id, tape);
        drives += (drives.empty() ? "" : ":") + (dir_ / drive) + "=" + tape;
    }
    setenv("KITSETUP_TAPE", drives.c_str(), 1);
    int status = in_private_opt([&](child_checks& checks) {
        // Printing needs the common files: rewind, skip, common, two skips, print.
        std::string target = dir_ / "local";
        expect_complete(checks, install(kps_, MEDIA_TAPE, dir_ / "nst0", target, {"print"}), kps_, target);
        std::vector<std::string> files = files_under(target);
        checks.expect(std::to_string(files.size()) + " " + std::to_string(count_below(files, "common")), "20 8");
        checks.expect(data("kps30"), "Target:\t" + target + ";\nOptions:\tprint ;\n");
        checks.expect(scripts(), "print TAPE " + target + " Printing sample and printer drivers\nkps30 TAPE " + target +
                                     " " + kps_.description().c_str() + " " + dir_ / "nst0" + " localhost No\n");

        // A rewinding drive loses its place: refused before anything runs.
        checks.expect(install(kps_, MEDIA_TAPE, dir_ / "st0", dir_ / "rewinding", {"print"}), -1);
        checks.expect(last_message(), "The device " + (dir_ / "st0") + " is not a non-rewind device or the tape"
                                                                        " in the drive is not a TARNU install tape.");
        checks.expect(std::to_string(kps_.install_opts()->install_cmds()->entries()) + " " +
                          std::to_string(files_under(dir_ / "rewinding").size()),
                      "0 0");

        // A remote drive cannot be checked: the user is asked; no refuses.
        cmd::set_remote();
        recorder_.answer_next(false);
        checks.expect(install(kps_, MEDIA_TAPE, dir_ / "nst0", dir_ / "remote", {"examples"}), -1);
        checks.expect(first_message_starts((dir_ / "nst0") + " has been specified as the remote tape"), "1");
        target = dir_ / "remote";
        expect_complete(checks, install(kps_, MEDIA_TAPE, dir_ / "nst0", target, {"examples"}), kps_, target, 30);
        std::string remote_lines;
        for (const std::string& line : dialogs_.log.lines)
            if (line.find("/rsh localhost -n ") != std::string::npos)
                remote_lines += line.substr(line.find(" -n ") + 4, 7) + "|";
        // The rewind, five skips and the copy-convert stage run on the tape host.
        checks.expect(remote_lines, " /bin/m| /bin/m| /bin/m| /bin/m| /bin/m| /bin/m|/bin/dd|");
        cmd::set_local();

        // The second demo product, as its defaults select it.
        target = dir_ / "kdb12";
        expect_complete(checks, install(*kdb_, MEDIA_TAPE, dir_ / "nst1", target, {"kdb12ins", "server", "client"}),
                        *kdb_, target, 67);
        checks.expect(data("kdb12"), "Target:\t" + target + ";\nOptions:\tkdb12ins server client ;\n");
    });
    EXPECT_CHILD_PASSED(status, "installations from emulated tape drives in a private /opt");
}

TEST_F(installation, common_files_questions_and_refusals_before_any_command)
{
    int status = in_private_opt([&](child_checks& checks) {
        const std::string cd = MEDIA + "/cd", shared = dir_ / "shared";
        const std::string kdb_record = "Target:\t" + shared + "/;\nOptions:\tserver ;\n";
        // Another product's common files in the target: "no" leaves ours out.
        write_file("/opt/tarnu/.kdb12.dat", kdb_record);
        recorder_.answer_next(false);
        expect_complete(checks, install(kps_, MEDIA_CD, cd, shared, {"base"}), kps_, shared);
        checks.expect(first_message_starts("Common files for another Tarnu product already exist"), "1");
        checks.expect(std::to_string(files_under(shared).size()) + " " + std::to_string(fs::exists(shared + "/common")),
                      "30 0");
        checks.expect(data("kdb12"), kdb_record);

        // Elsewhere, but /opt/tarnu links to common files: "yes" takes them.
        write_file("/opt/tarnu/.kdb12.dat", "Target:\t" + (dir_ / "elsewhere") + ";\n");
        fs::create_directory_symlink(dir_ / "elsewhere/common", "/opt/tarnu/common");
        recorder_.answer_next(true);
        checks.expect(install(kps_, MEDIA_CD, cd, dir_ / "linked", {"print"}), 0);
        checks.expect(first_message_starts("A link exists in /opt/tarnu to common files for another"), "1");
        checks.expect(count_below(files_under(dir_ / "linked"), "common"), 8);

        // A missing dependency, or a stop before the commands, runs and leaves nothing.
        kps_.install_opts()->elem("examples")->add_dependency("nosuch");
        checks.expect(install(kps_, MEDIA_CD, cd, dir_ / "missing", {"examples"}), -1);
        checks.expect(last_message(), "Subset \"nosuch\" does not exist.");
        dialogs_.transfer.shown = true;
        dialogs_.transfer.set_stopped(true);
        recorder_.clear();
        checks.expect(std::to_string(kps_.install()) + " " + std::to_string(recorder_.texts().size()) + " " +
                          std::to_string(files_under(dir_ / "missing").size()),
                      "-1 0 0");
        checks.expect(kps_.install_opts()->install_cmds()->entries() + recorded("kps30"), 0);
        checks.expect(logged("kcp"), 0);
    });
    EXPECT_CHILD_PASSED(status, "common-files questions and refusals in a private /opt");
}

// Shell-special characters in source and target reach every command as one
// word and change nothing else; a target the data file could not give back
// (":" or ";" in it) is refused before anything runs.
TEST_F(installation, odd_names_in_source_and_target_stay_single_words)
{
    int status = in_private_opt([&](child_checks& checks) {
        const std::string odd = "-n 'a b' \"c\" $(touch pwned) `touch pwned` &|<>*?";
        const std::string cd = dir_ / ("cd; " + odd), target = dir_ / ("to " + odd);
        fs::copy(MEDIA + "/cd", cd, fs::copy_options::recursive);
        fs::create_directories(dir_ / "work");
        fs::current_path(dir_ / "work");
        write_file(config_ + "/kps30.del", "return 0\n");
        std::vector<std::string> outside = files_under(dir_.path());

        const std::string refused = dir_ / "to:x";
        checks.expect(install(kps_, MEDIA_CD, cd, refused, {"base"}), -1);
        checks.expect(last_message(), "The target directory \"" + refused + "\" cannot be recorded: it may not "
                                      "contain \";\", \":\", tabs or line breaks, begin or end with a blank, or hold two "
                                      "blanks in a row.");
        checks.expect(files_under(refused).size() + recorded("kps30"), 0);
        fs::remove(refused);

        expect_complete(checks, install(kps_, MEDIA_CD, cd, target, {"base"}), kps_, target, 38);
        checks.expect(data("kps30"), "Target:\t" + target + ";\nOptions:\tbase ;\n");

        recorder_.clear();
        dialogs_.working = fake_working();
        checks.expect(kps_.setup_deinstall(false), 0);
        run_until("the removal to end", [&] { return !dialogs_.working.shown; });
        checks.expect(last_message(), "Deinstallation of " + std::string(kps_.description().c_str()) +
                                          " is now complete.");
        checks.expect(recorded("kps30"), 0);
        // The removal keeps the installer's own directory; the notes go by hand.
        std::remove((dir_ / "scripts").c_str());
        std::vector<std::string> now = files_under(dir_.path());
        now.erase(std::remove_if(now.begin(), now.end(),
                                 [&](const std::string& r) { return r.rfind("to " + odd + "/install/", 0) == 0; }),
                  now.end());
        checks.expect(now == outside, 1);
    });
    EXPECT_CHILD_PASSED(status, "odd source and target names in a private /opt");
}

}  // namespace

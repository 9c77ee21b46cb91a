// Real extractions of the demo product from the demo media, each run as a
// sequence with the transfer dialog up: the CD-ROM through kcp, a copy of
// the tape in an emulated local drive (mt, dd, uncompress, tar), and the
// same drive as a remote one through the stand-in rsh. The files land in
// the target and the records list every one of them.
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

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
#include "toi/toi_init.h"

using namespace utilities_test;

namespace {

const std::string DEMO = KITSETUP_DEMO_DIR;
const std::string MEDIA = KITSETUP_BUILD_DIR "/media";

// Sorted "name stamp mode" records of every file and link under target.
std::vector<std::string> files_under(const std::string& target)
{
    std::vector<std::string> records;
    namespace fs = std::filesystem;
    for (const auto& entry : fs::recursive_directory_iterator(target)) {
        struct stat info {};
        if (lstat(entry.path().c_str(), &info) != 0 || S_ISDIR(info.st_mode))
            continue;
        stat(entry.path().c_str(), &info);
        records.push_back(fs::relative(entry.path(), target).string() + " " + std::to_string(info.st_mtime) +
                          " " + std::to_string(info.st_mode));
    }
    std::sort(records.begin(), records.end());
    return records;
}

std::vector<std::string> sorted_lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    return lines;
}

class media_extraction : public ::testing::Test {
protected:
    void TearDown() override
    {
        cmd::set_local();
        BIN_DIR = saved_bin_;
        MAP_DIR = saved_map_;
    }

    // Installs subset from media into a fresh target, the tape commands
    // first when tape: the checks' status.
    int install(media_t media, const char* subset_name, child_checks& checks)
    {
        std::string target = dir_ / ("target" + std::to_string(++installs_));
        write_file(target + "/.keep", "");
        std::remove((target + "/.keep").c_str());
        prod_opts& options = *kps_.install_opts();
        l_cmd& sequence = *options.install_cmds();
        for (unsigned i = 0; i < options.entries()->entries(); ++i)
            options.elem(i)->choose(options.elem(i)->name() == subset_name);
        kps_.set_media(media);
        // The product's installation script reads them.
        set_variable(kps_.interpreter(), "MEDIA", media == MEDIA_TAPE ? "TAPE" : "CD");
        set_variable(kps_.interpreter(), "TARGET", target.c_str());
        kps_.set_target(target.c_str());
        kps_.percentage_installed(0);
        kps_.cmd_templates(CMD_EXTRACT)->set_output(target.c_str());
        sequence.set_tape_volume(1);
        sequence.set_tape_position(0);
        if (media == MEDIA_TAPE) {
            cmd* rewind = kps_.cmd_templates(CMD_REWIND);
            rewind->build_cmd_line(true);
            sequence.add(rewind->copy().release());
        }
        // From a CD the installer's own subset comes too, and counts.
        for (const char* name : {media == MEDIA_CD ? "kps30ins" : "", subset_name}) {
            if (*name == '\0')
                continue;
            std::unique_ptr<l_cmd> built = options.elem(name)->extract_cmds(false);
            checks.expect(std::to_string(built != nullptr), "1");
            while (built != nullptr && built->entries() > 0) {
                sequence.add(built->elem(0)->copy().release());
                built->remove(0);
            }
        }
        dialogs_.transfer = fake_transfer();
        dialogs_.transfer.popup("Preparing to install ...");
        recorder_.clear();
        auto run_loop = [] {
            if (!OI_dispatch_one(false))
                usleep(1000);
        };
        sequence.execute_in_seq(true);
        wait_until("the installation to end", [&sequence] { return sequence.cleaning_up(); }, run_loop);
        // A tape installation ends with a rewind in the background, which
        // the next installation waits for.
        wait_until("the rewind to end", [] { return !rewinding_g; }, run_loop);
        checks.expect(recorder_.texts().empty() ? "" : folded(recorder_.texts().back()),
                      "Installation of " + std::string(kps_.description().c_str()) + " is now complete.");
        checks.expect(std::to_string(dialogs_.transfer.shown) + " " +
                          std::to_string(dialogs_.transfer.gauges.empty() ? 0 : dialogs_.transfer.gauges.back() >= 100) +
                          " " + std::to_string(kps_.percentage_installed()),
                      "0 1 100.000000");
        std::vector<std::string> installed = files_under(target);
        // The product's installation script leaves its marker, unrecorded.
        installed.erase(std::remove_if(installed.begin(), installed.end(),
                                       [](const std::string& record) {
                                           return record.rfind("install/kps30.installed ", 0) == 0;
                                       }),
                        installed.end());
        checks.expect(std::to_string(installed.size() > 5), "1");
        checks.expect(std::to_string(sorted_lines(read_file("/opt/tarnu/.kps30.fls")) == installed), "1");
        checks.expect(read_file("/opt/tarnu/.kps30.dat"),
                      "Target:\t" + target + ";\nOptions:\t" + subset_name + " ;\n");
        return checks.status();
    }

    temp_dir dir_;
    product_sandbox sandbox_{DEMO + "/config", DEMO + "/nls"};
    state_guard restore_;
    message_recorder recorder_;
    fake_dialogs dialogs_;
    const listring saved_bin_ = BIN_DIR, saved_map_ = MAP_DIR;
    product kps_{&dialogs_.products, "kps30"};
    int installs_ = 0;
};

TEST_F(media_extraction, the_cd_and_the_local_and_remote_tape_install_every_file)
{
    ASSERT_EQ(kps_.initialise(), 0);
    // A copy of the tape in a drive of this test's own: the head position
    // lives beside the tape, and other tests use the demo's.
    std::string drive = dir_ / "nst0", tape = dir_ / "tape";
    write_file(drive, "");
    std::filesystem::copy(MEDIA + "/tape/kps30", tape);
    int status = run_in_child([&]() {
        if (!private_opt_tarnu())
            return SKIP_STATUS;
        child_checks checks;
        BIN_DIR = (DEMO + "/bin/" KITSETUP_KARCH).c_str();
        MAP_DIR = (DEMO + "/map").c_str();
        kps_.cmd_templates(CMD_EXTRACT)->set_input((MEDIA + "/cd").c_str());
        install(MEDIA_CD, "base", checks);

        setenv("LD_PRELOAD", KITSETUP_TAPEEMU, 1);
        setenv("KITSETUP_TAPE", (drive + "=" + tape).c_str(), 1);
        for (cmd_t kind : {CMD_EXTRACT, CMD_REWIND, CMD_SKIP, CMD_COPY_CONVERT})
            kps_.cmd_templates(kind)->set_input(drive.c_str());
        // The printing sample's script asks through a dialog, and this
        // test runs without a display.
        kps_.install_opts()->elem("print")->set_install(false);
        install(MEDIA_TAPE, "print", checks);
        cmd::set_remote();
        dialogs_.log.lines.clear();
        install(MEDIA_TAPE, "examples", checks);
        std::string remote_lines;
        for (const std::string& line : dialogs_.log.lines)
            if (line.find("/rsh localhost -n ") != std::string::npos)
                remote_lines += line.substr(line.find(" -n ") + 4, 7) + "|";
        // The rewind, five skips and the copy-convert stage run on the
        // tape host.
        checks.expect(remote_lines, " /bin/m| /bin/m| /bin/m| /bin/m| /bin/m| /bin/m|/bin/dd|");
        return checks.status();
    }, false, true);
    EXPECT_CHILD_PASSED(status, "extractions from the demo media in a private /opt");
}

}  // namespace

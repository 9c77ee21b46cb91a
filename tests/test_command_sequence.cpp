// Install sequences run by the event loop: output read into status, gauge and
// records; commands failing by status, kill or standard error; a stop.
#include <fcntl.h>
#include <sys/stat.h>

#include <csignal>
#include <memory>
#include <string>
#include <vector>

#include "engine_fixture.h"
#include "cmds/ext_cmd.h"
#include "misc/l_proc_desc.h"
#include "misc/utilities.h"
#include "opts/subset.h"

using namespace utilities_test;

namespace {

const std::string FAILED = "Command did not complete successfully. You should examine the log file for "
                           "the source of the problem.";

// A sequence entry whose line is a given shell script.
struct scripted_cmd : ext_cmd {
    scripted_cmd(product* owner, const char* program, std::string script)
        : ext_cmd(nullptr, owner), script_(std::move(script))
    {
        set_name(program);
    }
    int build_cmd_line(liboolean) override { return set_cmd_line(script_.c_str()), 0; }
    std::string script_;
};

class sequences : public engine_fixture {
protected:
    l_cmd& sequence() { return *kps_.install_opts()->install_cmds(); }

    // Runs the scripts as one sequence (program names the output's form)
    // until cleanup is over: the messages shown meanwhile.
    strings run(const char* program, const std::vector<std::string>& scripts)
    {
        recorder_.clear();
        for (const std::string& script : scripts) {
            auto entry = std::make_unique<scripted_cmd>(&kps_, program, "cd " + target_ + " && " + script);
            entry->build_cmd_line(true);
            sequence().add(entry.release());
        }
        sequence().execute_in_seq(true);
        run_until("the sequence to end", [this] { return sequence().cleaning_up(); });
        return recorder_.texts();
    }

    // The file-set record of a file under the target.
    std::string record(const std::string& name) const
    {
        struct stat info {};
        stat((target_ + "/" + name).c_str(), &info);
        return name + " " + std::to_string(info.st_mtime) + " " + std::to_string(info.st_mode) + "\n";
    }

    // Ready for a fresh installation of docs (1 KB) into the target.
    void start_over(media_t media)
    {
        kps_.set_media(media);
        kps_.set_target(target_.c_str());
        kps_.percentage_installed(0);
        kps_.set_files_installed(false);
        kps_.install_opts()->elem("docs")->choose(true);
        dialogs_.transfer = fake_transfer();
        dialogs_.log.lines.clear();
    }
};

// Every split of one output gives the same lines; what follows the last newline waits.
TEST(output_lines, a_chunk_split_anywhere_joins_into_the_same_lines)
{
    const std::string text = "x a, 1 bytes\nx bb, 22 bytes\n\nlast";
    for (size_t split = 0; split <= text.size(); ++split) {
        int ends[2];
        ASSERT_EQ(pipe2(ends, O_NONBLOCK | O_CLOEXEC), 0);
        std::string pending;
        std::vector<std::string> lines;
        for (const std::string& part : {text.substr(0, split), text.substr(split)}) {
            ASSERT_EQ(write(ends[1], part.data(), part.size()), static_cast<ssize_t>(part.size()));
            read_output_lines(ends[0], pending, lines);
        }
        close(ends[1]);
        EXPECT_EQ(read_output_lines(ends[0], pending, lines), 0) << "the end of output";
        close(ends[0]);
        EXPECT_EQ(lines, (std::vector<std::string>{"x a, 1 bytes", "x bb, 22 bytes", ""})) << split;
        EXPECT_EQ(pending, "last") << split;
    }
}

// A tar-form listing over two commands, then a cpio one whose sizes come
// from the files themselves; each ends with its records and one message.
TEST_F(sequences, listings_become_status_gauge_file_set_log_and_records)
{
    int status = in_private_opt([this](child_checks& checks) {
        start_over(MEDIA_CD);
        strings shown = run("tar", {"mkdir lib && head -c 512 /dev/zero > lib/a && echo 'x lib/a, 512 bytes' && "
                                    "echo 'listing done' && head -c 256 /dev/zero > lib/b && "
                                    "echo 'x lib/b, 256 bytes'",
                                    "head -c 256 /dev/zero > top && printf 'x top, 256 bytes'"});
        checks.expect(folded(shown.empty() ? "" : shown.back()), "Installation of Sample Product is now complete.");
        checks.expect(shown.size(), 1);
        auto gauges = [this] {
            std::string all;
            for (int g : dialogs_.transfer.gauges)
                all += std::to_string(g) + " ";
            return all;
        };
        std::string statuses;
        for (const std::string& s : dialogs_.transfer.statuses)
            statuses += s + "|";
        checks.expect(gauges(), "50 75 100 ");
        checks.expect(statuses, "Copying lib/a.|Copying lib/b.|Preparing to install next option ...|Copying top.|");
        checks.expect(std::to_string(dialogs_.log.lines.size()) + " " + dialogs_.log.lines.at(2), "6 listing done");
        checks.expect(read_file("/opt/tarnu/.kps30.fls"), record("lib/a") + record("lib/b") + record("top"));
        checks.expect(read_file("/opt/tarnu/.kps30.dat"), "Target:\t" + target_ + ";\nOptions:\tdocs ;\n");
        checks.expect(std::to_string(kps_.percentage_installed()), "100.000000");

        start_over(MEDIA_FILESERVER);
        run("cpio", {"head -c 512 /dev/zero > f1 && echo f1 && head -c 512 /dev/zero > f2 && echo f2"});
        checks.expect(gauges(), "50 100 ");
        checks.expect(read_file("/opt/tarnu/.kps30.fls"), record("f1") + record("f2"));
        checks.expect(read_file("/opt/tarnu/.kps30.dat"),
                      "Target:\t" + target_ + ";\nNode Installation:\tYes;\nOptions:\tdocs ;\n");
        recorder_.clear();
        kps_.percentage_installed(100.5f);
        checks.expect(recorder_.texts().at(0) + " " + std::to_string(kps_.percentage_installed()),
                      "Percentage value is out of range. 100.000000");
    });
    EXPECT_CHILD_PASSED(status, "sequences in a private /opt");
}

// A command fails by status, kill or a stderr line not benign: one message, the
// rest never runs, recorded files kept for the removal. Output closed early or
// megabytes without a newline end a command normally.
TEST_F(sequences, failures_are_reported_once_and_end_the_sequence)
{
    int status = in_private_opt([this](child_checks& checks) {
        const std::string done = "Installation of Sample Product is now complete.";
        const struct { const char* script; std::string shown; } rows[] = {
            {"printf '10+0 records in\\nno such member\\n' >&2", done},
            {"exec >&-; sleep 1", done},
            {"head -c 3000000 /dev/zero | tr '\\0' y", done},
            {"printf 'no such member\\n' >&2; sleep 1", FAILED},
            {"printf '\\n' >&2", FAILED},
            {"exit 3", FAILED},
            {"kill -KILL $$", FAILED},
        };
        for (const auto& row : rows) {
            start_over(MEDIA_CD);
            strings shown = run("tar", {row.script, ": > never && echo 'x never, 0 bytes'"});
            checks.expect(row.script + std::string(": ") + (shown.empty() ? "" : folded(shown.back())) + " " +
                              std::to_string(shown.size()),
                          row.script + std::string(": ") + row.shown + " 1");
            checks.expect(std::to_string(access((target_ + "/never").c_str(), F_OK) == 0),
                          row.shown == done ? "1" : "0");
            std::remove((target_ + "/never").c_str());
        }
        checks.expect(access("/opt/tarnu/.kps30.dat", F_OK), -1);

        start_over(MEDIA_CD);
        recorder_.answer_next(false);
        strings shown = run("tar", {": > g && echo 'x g, 0 bytes' && exit 3"});
        checks.expect(std::to_string(shown.size()) + " " + (shown.empty() ? "" : folded(shown.back())),
                      "2 Beginning deinstallation of Sample Product from " + target_ + ". Do you wish to continue?");
        checks.expect(read_file("/opt/tarnu/.kps30.fls"), record("g"));
        checks.expect(access("/opt/tarnu/.kps30.dat", F_OK), 0);
    });
    EXPECT_CHILD_PASSED(status, "failing commands in a private /opt");
}

// The stop kills the whole pipeline at once; no failure is reported for it,
// what was recorded is written and its removal offered.
TEST_F(sequences, a_stop_during_an_extraction_kills_it_and_offers_the_removal)
{
    int status = in_private_opt([this](child_checks& checks) {
        start_over(MEDIA_CD);
        auto entry = std::make_unique<scripted_cmd>(
            &kps_, "tar", "cd " + target_ + " && : > f && echo 'x f, 0 bytes' && sleep 60 | sleep 60");
        entry->build_cmd_line(true);
        sequence().add(entry.release());
        sequence().execute_in_seq(true);
        run_until("the first file", [this] { return !dialogs_.transfer.statuses.empty(); });
        pid_t group = kps_.child_procs()->elem(0)->pid;
        recorder_.clear();
        recorder_.answer_next(false);
        // What the dialog's stop button does: kill, then the flag.
        unix_kill(group);
        dialogs_.transfer.set_stopped(true);
        run_until("the sequence to end", [this] { return sequence().cleaning_up(); });
        checks.expect(std::to_string(recorder_.texts().size()) + " " +
                          folded(recorder_.texts().empty() ? "" : recorder_.texts().back()),
                      "1 Beginning deinstallation of Sample Product from " + target_ + ". Do you wish to continue?");
        checks.expect(run_until("the pipeline to go", [group] { return kill(-group, 0) != 0; }), 1);
        checks.expect(read_file("/opt/tarnu/.kps30.fls"), record("f"));
        checks.expect(access("/opt/tarnu/.kps30.dat", F_OK), 0);
        checks.expect(kps_.child_procs()->entries(), 0);
    });
    EXPECT_CHILD_PASSED(status, "a stopped extraction in a private /opt");
}

}  // namespace

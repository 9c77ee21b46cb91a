// Removing an installed product: backups of changed files, "install" kept, shared
// directories only on yes, and damaged records never reaching outside the target.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine_fixture.h"

using namespace utilities_test;

namespace {

std::string backup_choice;

// Message texts are compared by their first 36 characters.
std::string head(const std::string& text)
{
    return text.substr(0, 36);
}

liboolean choose_backup(listring& dir, const listring&)
{
    dir = backup_choice.c_str();
    return true;
}

class removal : public engine_fixture {
protected:
    // Makes the files under the target and records them, those in changed with an
    // older stamp; extra is written verbatim after the records.
    void install(const std::vector<std::string>& files, const std::vector<std::string>& changed = {},
                 const std::string& extra = "")
    {
        std::string log;
        for (const std::string& name : files) {
            write_file(target_ + "/" + name, name);
            log += name + " " + std::to_string(stamp(name) - (contains(changed, name) ? 100 : 0)) + " 33188\n";
        }
        write_file("/opt/tarnu/.kps30.fls", log + extra);
        write_file("/opt/tarnu/.kps30.dat", "Target:\t" + target_ + ";\nOptions:\tdocs ;\n");
    }
    long stamp(const std::string& name) const
    {
        struct stat info {};
        stat((target_ + "/" + name).c_str(), &info);
        return static_cast<long>(info.st_mtime);
    }
    static bool contains(const std::vector<std::string>& list, const std::string& name)
    {
        return std::find(list.begin(), list.end(), name) != list.end();
    }
    bool exists(const std::string& path) const { return access(path.c_str(), F_OK) == 0; }
    std::string there(const std::vector<std::string>& names) const
    {
        std::string all;
        for (const std::string& name : names)
            all += exists(target_ + "/" + name) ? "1" : "0";
        return all;
    }
    // Removes with the given answers until the working dialog is down: the messages shown.
    strings remove(std::vector<liboolean> answers)
    {
        recorder_.clear();
        for (liboolean answer : answers)
            recorder_.answer_next(answer);
        dialogs_.working = fake_working();
        if (kps_.setup_deinstall(true) == 0 && dialogs_.working.shown)
            run_until("the working dialog to go", [this] { return !dialogs_.working.shown; });
        strings shown;
        for (const std::string& text : recorder_.texts())
            shown.push_back(head(text));
        return shown;
    }
};

TEST_F(removal, unchanged_files_go_changed_and_added_ones_are_backed_up_and_shared_ones_asked)
{
    int status = in_private_opt([this](child_checks& checks) {
        backup_choice = dir_ / "saved";
        product::set_directory_prompt(choose_backup);
        // Another product in the same target: "common" is asked about.
        write_file("/opt/tarnu/.kdb12.dat", "Target:\t" + target_ + ";\n");
        install({"lib/a", "lib/b", "install/x", "common/c"}, {"lib/b"});
        write_file(target_ + "/lib/sub/new", "added");
        strings shown = remove({true, false});
        checks.expect(shown == strings{head("Do you wish to backup any modified or additional"),
                                                      head("Other Tarnu products have been installed which"),
                                                      head("Deinstallation of Sample Product is now complete.")}, 1);
        checks.expect(there({"lib", "install/x", "common/c"}) + std::to_string(exists(target_)), "0111");
        checks.expect(read_file(dir_ / "saved/lib/b") + read_file(dir_ / "saved/lib/sub/new"), "lib/badded");
        checks.expect(read_file(dir_ / "saved/MODS.LST"),
                      "FILES WHICH WERE MODIFIED OR CREATED SINCE INSTALLATION.\n\nlib/b\nlib/sub/new\n");
        const std::vector<std::string>& log = dialogs_.log.lines;
        checks.expect(std::to_string(contains(log, target_ + "/lib/a deleted.")) +
                          std::to_string(contains(log, target_ + "/lib/b -> " + dir_ / "saved/lib/b")),
                      "11");
        checks.expect(exists("/opt/tarnu/.kps30.dat") || exists("/opt/tarnu/.kps30.fls"), 0);
        checks.expect(dialogs_.working.calls.at(0) + " " + std::to_string(dialogs_.working.icons > 0),
                      "popup Deinstalling Sample Product... 1");

        install({"common/c"});
        remove({false, true});
        checks.expect(there({"common", "install/x"}), "01");
    });
    EXPECT_CHILD_PASSED(status, "removal in a private /opt");
}

// A file that disappeared means the tree is not what was installed: no
// stops everything, yes goes on without backups.
TEST_F(removal, a_missing_file_asks_and_no_stops_with_nothing_more_deleted)
{
    int status = in_private_opt([this](child_checks& checks) {
        install({"lib/a", "lib/gone", "lib/c"});
        std::remove((target_ + "/lib/gone").c_str());
        strings shown = remove({true, false});
        checks.expect(std::to_string(shown.size()) + " " + shown.back(),
                      "2 " + head("The directory structure does not contain all the expected files."));
        checks.expect(there({"lib/a", "lib/c"}) + std::to_string(exists("/opt/tarnu/.kps30.dat")), "011");
        checks.expect(dialogs_.working.calls.back(), "popdown");

        shown = remove({true, true});
        checks.expect(std::to_string(shown.size()) + " " + shown.back(),
                      "3 " + head("Deinstallation of Sample Product is now complete."));
        checks.expect(there({"lib"}) + std::to_string(exists("/opt/tarnu/.kps30.dat")), "00");
    });
    EXPECT_CHILD_PASSED(status, "removal of a changed tree in a private /opt");
}

// Damaged entries are refused by line; nothing outside the target goes, named
// directly, through ".." or a link; a record without a usable target removes nothing.
TEST_F(removal, damaged_records_are_refused_and_nothing_outside_the_target_goes)
{
    int status = in_private_opt([this](child_checks& checks) {
        const std::string victim = dir_ / "outside/victim";
        write_file(victim, "keep");
        symlink((dir_ / "outside").c_str(), (target_ + "/link").c_str());
        std::string s = std::to_string(stamp("../outside/victim"));
        install({"lib/a"}, {}, "../outside/victim " + s + " 33188\n" + victim + " " + s + " 33188\n" +
                                   "link/victim " + s + " 33188\nwith blank/x 1 33188\r\n" +
                                   std::string("bin\0ary 1 1\n", 12) + "lib/z 12");
        std::string crlf = read_file("/opt/tarnu/.kps30.fls");
        crlf.replace(crlf.find('\n'), 1, "\r\n");
        write_file("/opt/tarnu/.kps30.fls", crlf);
        strings shown = remove({true});
        const std::string fls = "/opt/tarnu/.kps30.fls";
        strings want{head("Do you wish to backup any modified or additional files")};
        for (int line : {2, 3, 4, 5, 6, 7})
            want.push_back(head("Line " + std::to_string(line) + " of " + fls + (line < 5 ? " names" : " is not")));
        want.push_back(head("Deinstallation of Sample Product is now complete."));
        checks.expect(shown == want, 1);
        checks.expect(read_file(victim) + there({"lib", "link"}), "keep00");

        for (const char* data : {"", "Target:\t/;\n", "Options:\tdocs ;\n", "Target\0:\t/x;\n"}) {
            write_file("/opt/tarnu/.kps30.dat", std::string(data, data[0] == 'T' && data[6] == '\0' ? 14 : strlen(data)));
            write_file(target_ + "/lib/a", "a");
            shown = remove({});
            checks.expect(shown.empty() ? "" : shown.back(), head("No record of Sample Product having been installed"));
            checks.expect(there({"lib/a"}) + read_file(victim), "1keep");
        }
        write_file("/opt/tarnu/.kps30.dat", "Target:\t" + target_ + ";\n");
        write_file("/opt/tarnu/.kps30.fls", "");
        shown = remove({});
        checks.expect(std::to_string(shown.size()) + there({"lib/a"}) + std::to_string(exists(fls)), "010");
    });
    EXPECT_CHILD_PASSED(status, "damaged records in a private /opt");
}

}  // namespace

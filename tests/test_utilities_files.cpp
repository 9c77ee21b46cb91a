// Files and directories: creation, write access, moving by copy (also across
// file systems), listing, sizes, times and modes, free space, and the case
// setting in the tape label check.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "message_recorder.h"
#include "misc/utilities.h"
#include "utilities_test_support.h"

using namespace utilities_test;

namespace {

// Text of a message that names path and the system's text for error_number.
std::string message(const char* prefix, const std::string& path, int error_number, const char* end = "")
{
    return prefix + path + ". " + std::strerror(error_number) + end;
}

// Moves from to to and checks the result: 0, or the check that failed (1 the
// move, 2 the contents, 3 the mode, 4 the source is left, 5 a message shown).
int move_and_check(const std::string& from, const std::string& to)
{
    message_recorder recorder;
    std::string contents = read_file(from);
    struct stat before, after;
    if (stat(from.c_str(), &before) != 0 || unix_rename(from.c_str(), to.c_str()) != 0)
        return 1;
    if (read_file(to) != contents)
        return 2;
    if (stat(to.c_str(), &after) != 0 || (after.st_mode & 07777) != (before.st_mode & 07777))
        return 3;
    return std::filesystem::exists(from) ? 4 : recorder.messages().empty() ? 0 : 5;
}

long entries_in(const std::string& dir)
{
    return std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator());
}

class files : public ::testing::Test {
protected:
    temp_dir dir_;
    message_recorder recorder_;
};

}  // namespace

TEST_F(files, create_dir_makes_every_missing_level_or_names_the_one_it_could_not)
{
    std::string nested = dir_ / "a/b/c";
    EXPECT_EQ(create_dir(nested.c_str()), 0);
    EXPECT_EQ(create_dir(nested.c_str()), 0) << "an existing directory is fine";
    struct stat info;
    ASSERT_EQ(stat((dir_ / "a/b").c_str(), &info), 0);
    mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(info.st_mode & 0777, 0755u & ~mask);
    EXPECT_TRUE(write_access(nested.c_str()));
    EXPECT_FALSE(std::filesystem::exists(nested + "/kitsetup.test")) << "the trial file was left behind";
    EXPECT_FALSE(write_access((dir_ / "missing").c_str()));

    std::string file = dir_ / "plain";
    write_file(file, "x");
    EXPECT_EQ(create_dir((file + "/sub/deeper").c_str()), -1);
    EXPECT_EQ(recorder_.texts(), strings{message("Unable to create directory ", file, EEXIST)});
}

// The program runs as root and writes at names a user can foresee: a link,
// a second name of a file, another user's file or a FIFO planted there is
// never written through nor waited on, and the write check leaves nothing.
TEST_F(files, write_check_and_open_for_writing_leave_planted_names_alone)
{
    std::string victim = dir_ / "victim", link = dir_ / "kitsetup.test";
    write_file(victim, "precious");
    ASSERT_EQ(symlink(victim.c_str(), link.c_str()), 0);
    EXPECT_TRUE(write_access(dir_.path().c_str()));
    EXPECT_EQ(read_file(victim), "precious") << "the write check wrote through the link";
    EXPECT_EQ(entries_in(dir_.path()), 2) << "the link was removed or the trial file left behind";

    std::string second_name = dir_ / "second_name", foreign = dir_ / "foreign";
    ASSERT_EQ(::link(victim.c_str(), second_name.c_str()), 0);
    write_file(foreign, "theirs");
    std::vector<std::pair<std::string, int>> refused{{link, ELOOP}, {second_name, EEXIST}};
    if (chown(foreign.c_str(), 65534, 65534) == 0)
        refused.emplace_back(foreign, EEXIST);
    for (const auto& [path, expected_errno] : refused) {
        errno = 0;
        EXPECT_FALSE(open_for_writing(path.c_str(), 0644).valid()) << path;
        EXPECT_EQ(errno, expected_errno) << path;
    }
    EXPECT_EQ(read_file(victim) + " " + read_file(foreign), "precious theirs");

    std::string own = dir_ / "own";
    write_file(own, "an older and longer text");
    descriptor file = open_for_writing(own.c_str(), 0644);
    EXPECT_TRUE(file.valid() && file.write_all("new", 3) && file.close());
    EXPECT_EQ(read_file(own), "new");

    std::string fifo = dir_ / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    int status = run_in_child([&]() {
        alarm(wait_limit.count());
        return open_for_writing(fifo.c_str(), 0644).valid() ? 1 : 0;
    });
    EXPECT_CHILD_PASSED(status, "opening a FIFO nobody reads (142: it hung)");
}

// The second move goes onto a tmpfs in a private mount namespace: across file systems.
TEST_F(files, rename_copies_contents_and_mode_and_removes_the_source)
{
    std::string other_fs = dir_ / "other_fs";
    ASSERT_EQ(mkdir(other_fs.c_str(), 0755), 0);
    write_file(dir_ / "longer", std::string(20000, 'o'));
    for (bool across : {false, true}) {
        std::string from = dir_ / "source";
        std::string to = across ? other_fs + "/moved" : dir_ / "longer";
        write_file(from, std::string(10000, 'k') + "tail");
        ASSERT_EQ(chmod(from.c_str(), across ? 0751 : 0640), 0);
        int status = run_in_child([&]() {
            if (across && mount("kit_test", other_fs.c_str(), "tmpfs", 0, "size=4m") != 0)
                return SKIP_STATUS;
            return move_and_check(from, to);
        }, false, across);
        EXPECT_CHILD_PASSED(status, across ? "moving onto a tmpfs" : "moving over a longer file");
    }
    EXPECT_EQ(unix_rename((dir_ / "longer").c_str(), (dir_ / "longer").c_str()), 0);
    EXPECT_EQ(read_file(dir_ / "longer"), std::string(10000, 'k') + "tail") << "a move onto itself lost it";
}

// A link at the target is replaced by the moved file, never written through,
// on one file system and across two, and the copy leaves nothing else behind.
TEST_F(files, rename_replaces_a_link_at_the_target_instead_of_writing_through_it)
{
    std::string victim = dir_ / "victim";
    write_file(victim, "precious");
    for (bool across : {false, true}) {
        std::string from = dir_ / "source";
        std::string target_dir = dir_ / (across ? "other_fs" : "same_fs");
        write_file(from, "moved");
        ASSERT_EQ(mkdir(target_dir.c_str(), 0755), 0);
        int status = run_in_child([&]() {
            if (across && mount("kit_test", target_dir.c_str(), "tmpfs", 0, "size=1m") != 0)
                return SKIP_STATUS;
            std::string to = target_dir + "/target";
            message_recorder recorder;
            if (symlink(victim.c_str(), to.c_str()) != 0 || unix_rename(from.c_str(), to.c_str()) != 0)
                return 1;
            if (read_file(victim) != "precious")
                return 2;
            if (is_link(to.c_str()) || read_file(to) != "moved" || std::filesystem::exists(from))
                return 3;
            return entries_in(target_dir) != 1 ? 4 : recorder.messages().empty() ? 0 : 5;
        }, false, across);
        EXPECT_CHILD_PASSED(status, across ? "moving onto a link on a tmpfs" : "moving onto a link");
    }
}

// A directory is not moved, only its target made; a side that cannot be
// opened fails the move and keeps the source.
TEST_F(files, rename_of_a_directory_only_makes_the_target_and_a_failed_one_keeps_the_source)
{
    std::string tree = dir_ / "tree", existing = dir_ / "existing", blocked = dir_ / "plain/sub";
    write_file(tree + "/inside", "stays");
    ASSERT_EQ(mkdir(existing.c_str(), 0700), 0);
    EXPECT_EQ(unix_rename(tree.c_str(), existing.c_str()), 0);
    EXPECT_EQ(read_file(tree + "/inside"), "stays");
    EXPECT_FALSE(std::filesystem::exists(existing + "/inside"));
    write_file(dir_ / "plain", "x");
    EXPECT_EQ(unix_rename(tree.c_str(), blocked.c_str()), EEXIST);

    std::string from = dir_ / "source", missing = dir_ / "missing", unreachable = dir_ / "no_such_dir/target";
    write_file(from, "keep me");
    EXPECT_EQ(unix_rename(missing.c_str(), (dir_ / "to").c_str()), -1);
    EXPECT_EQ(unix_rename(from.c_str(), unreachable.c_str()), -1);
    EXPECT_EQ(recorder_.texts(), (strings{message("Unable to create directory ", blocked, EEXIST),
                                          message("Unable to obtain information on file ", missing, ENOENT, "."),
                                          message("Unable to open file ", missing, ENOENT),
                                          message("Unable to open file ", unreachable, ENOENT)}));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "to"));
    EXPECT_EQ(read_file(from), "keep me");
}

TEST_F(files, listing_flat_recursive_and_unreadable)
{
    for (const char* name : {"a", "b", "sub/c"})
        write_file(dir_ / name, "1");
    ASSERT_EQ(mkdir((dir_ / "sub/empty").c_str(), 0755), 0);
    // A link back up the tree must neither be listed nor walked forever.
    ASSERT_EQ(symlink("..", (dir_ / "sub/up").c_str()), 0);
    for (bool recurse : {false, true}) {
        l_listring found;
        EXPECT_EQ(get_files_in_dir(dir_.path().c_str(), found, recurse), 0);
        std::vector<std::string> names = take_strings(found);
        std::sort(names.begin(), names.end());
        std::vector<std::string> expected{dir_ / "a", dir_ / "b"};
        if (recurse)
            expected.push_back(dir_ / "sub/c");
        EXPECT_EQ(names, expected) << "recurse " << recurse;
    }
    EXPECT_TRUE(recorder_.messages().empty());

    ASSERT_EQ(mkdir((dir_ / "sub/locked").c_str(), 0), 0);
    ASSERT_EQ(chmod(dir_.path().c_str(), 0755), 0);
    int status = run_in_child([&]() {
        message_recorder recorder;
        l_listring found;
        if (get_files_in_dir(dir_.path().c_str(), found, true) != -1)
            return 1;
        std::string expected = message("Unable to open directory ", dir_ / "sub/locked", EACCES, ".");
        return recorder.texts() == std::vector<std::string>{expected} ? 0 : 2;
    }, true);
    EXPECT_CHILD_PASSED(status, "walking into an unreadable directory");
}

// A link is followed when it can be; a dangling one is examined itself
// rather than reported missing.
TEST_F(files, size_time_and_mode_follow_links_but_see_dangling_ones)
{
    write_file(dir_ / "file", "12345");
    std::string link = dir_ / "link", dangling = dir_ / "dangling";
    ASSERT_EQ(symlink("file", link.c_str()), 0);
    ASSERT_EQ(symlink("nowhere/at/all", dangling.c_str()), 0);
    struct stat info;
    ASSERT_EQ(lstat(dangling.c_str(), &info), 0);
    unsigned long mode = 0;
    EXPECT_EQ(std::to_string(unix_filesize(link.c_str())) + " " + std::to_string(unix_filesize(dangling.c_str())),
              "5 14") << "the file behind a link, a dangling link itself";
    EXPECT_EQ(gmtimestamp(dangling.c_str()), static_cast<long>(info.st_mtime));
    EXPECT_EQ(unix_mode(dangling.c_str(), &mode), 0);
    EXPECT_TRUE(S_ISLNK(mode));

    std::string missing = dir_ / "missing";
    EXPECT_EQ(std::to_string(unix_filesize(missing.c_str())) + " " + std::to_string(gmtimestamp(missing.c_str())) +
                  " " + std::to_string(unix_mode(missing.c_str(), &mode)), "-1 -1 -1");
    std::string stat_message = message("Unable to obtain information on file ", missing, ENOENT, ".");
    EXPECT_EQ(recorder_.texts(), (std::vector<std::string>{stat_message, stat_message}))
        << "gmtimestamp and unix_mode complain, unix_filesize does not";
}

TEST_F(files, free_space_in_kilobytes)
{
    struct statvfs info;
    ASSERT_EQ(statvfs(dir_.path().c_str(), &info), 0);
    unsigned long expected = static_cast<unsigned long>(info.f_bavail) * info.f_frsize / 1024;
    // Others write meanwhile; a wrong unit or an overflow is much further off.
    EXPECT_NEAR(static_cast<double>(unix_free_space(dir_.path().c_str())), static_cast<double>(expected),
                64 * 1024.0);
    EXPECT_EQ(unix_free_space((dir_ / "missing").c_str()), static_cast<unsigned long>(ENOENT));
    EXPECT_EQ(recorder_.texts(), std::vector<std::string>{"Could not determine free space on file system."});
}

// A plain file cannot be positioned, but its first bytes are still compared
// with the label (the emulated drives in tests/tape check the rest).
TEST_F(files, tape_label_is_compared_with_the_case_setting)
{
    state_guard restore;
    std::string device = dir_ / "labelled";
    write_file(device, "KITSETUP1 and the rest");
    listring::case_sensitive_off();
    EXPECT_TRUE(is_nonrewind(device.c_str()));
    EXPECT_TRUE(recorder_.messages().empty());
    listring::case_sensitive_on();
    EXPECT_FALSE(is_nonrewind(device.c_str()));
    EXPECT_EQ(recorder_.messages().size(), 1u);
}

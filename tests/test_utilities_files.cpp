// Files and directories: write access, directory creation, moving by copy
// (also across file systems), links, listing, sizes, times and modes, free
// space, and the tape check on things that are not installation tapes.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <sys/statvfs.h>
#include <sys/time.h>
#include <vector>

#include "message_recorder.h"
#include "misc/utilities.h"
#include "utilities_test_support.h"

using namespace utilities_test;

namespace {

std::string error_text(int error_number)
{
    return std::strerror(error_number);
}

// The exit status of a forked check, explained: codes are the check's own.
#define EXPECT_CHILD_PASSED(status, what)                                            \
    do {                                                                             \
        int child_status_ = (status);                                                \
        if (child_status_ == SKIP_STATUS)                                            \
            GTEST_SKIP() << "not permitted here: " << (what);                       \
        EXPECT_EQ(child_status_, 0) << (what) << " failed at check " << child_status_; \
    } while (0)

class files : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.ok()) << "cannot make a scratch directory"; }

    scratch_dir dir_;
    message_recorder recorder_;
};

}  // namespace

TEST_F(files, write_access_tries_and_cleans_up)
{
    EXPECT_TRUE(write_access(dir_.path().c_str()));
    EXPECT_TRUE(write_access((dir_.path() + "/").c_str()));
    EXPECT_FALSE(exists(dir_ / "kitsetup.test")) << "the trial file was left behind";
    EXPECT_FALSE(write_access((dir_ / "missing").c_str()));
    EXPECT_FALSE(write_access(""));
    EXPECT_TRUE(recorder_.messages().empty());

    ASSERT_EQ(mkdir((dir_ / "read_only").c_str(), 0555), 0);
    chmod(dir_.path().c_str(), 0755);
    std::string read_only = dir_ / "read_only";
    EXPECT_CHILD_PASSED(run_unprivileged([&]() { return write_access(read_only.c_str()) ? 1 : 0; }),
                        "write access to a read-only directory");
}

TEST_F(files, create_dir_makes_every_missing_level)
{
    env_guard restore_variable("KIT_TEST_TOP");
    std::string nested = dir_ / "a/b/c";
    EXPECT_EQ(create_dir(nested.c_str()), 0);
    EXPECT_TRUE(valid_directory(nested.c_str()));
    EXPECT_EQ(create_dir(nested.c_str()), 0) << "an existing directory is fine";

    struct stat info;
    ASSERT_EQ(stat((dir_ / "a/b").c_str(), &info), 0);
    mode_t umask_now = umask(0);
    umask(umask_now);
    EXPECT_EQ(info.st_mode & 0777, 0755u & ~umask_now);

    setenv("KIT_TEST_TOP", dir_.path().c_str(), 1);
    EXPECT_EQ(create_dir("$KIT_TEST_TOP/from/variable/"), 0);
    EXPECT_TRUE(valid_directory((dir_ / "from/variable").c_str()));
    EXPECT_TRUE(recorder_.messages().empty());
}

TEST_F(files, create_dir_under_a_file_fails_with_the_blocking_prefix)
{
    std::string file = dir_ / "plain";
    ASSERT_TRUE(write_text(file, "x"));
    EXPECT_EQ(create_dir((file + "/sub/deeper").c_str()), -1);
    EXPECT_EQ(recorder_.texts(),
              std::vector<std::string>{"Unable to create directory " + file + ". " + error_text(EEXIST)});
    EXPECT_FALSE(exists(file + "/sub"));
}

TEST_F(files, rename_moves_a_file_keeping_its_mode)
{
    std::string from = dir_ / "from.txt";
    std::string to = dir_ / "to.txt";
    ASSERT_TRUE(write_text(from, std::string(10000, 'k') + "tail", 0640));
    ASSERT_TRUE(write_text(to, "old contents that must go away entirely", 0600));
    EXPECT_EQ(unix_rename(from.c_str(), to.c_str()), 0);
    EXPECT_FALSE(exists(from));
    EXPECT_EQ(read_text(to), std::string(10000, 'k') + "tail");
    struct stat info;
    ASSERT_EQ(stat(to.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_TRUE(recorder_.messages().empty());
}

TEST_F(files, rename_onto_itself_keeps_the_file)
{
    std::string file = dir_ / "same";
    ASSERT_TRUE(write_text(file, "precious"));
    EXPECT_EQ(unix_rename(file.c_str(), file.c_str()), 0);
    EXPECT_EQ(read_text(file), "precious");
}

TEST_F(files, rename_keeps_mode_across_file_systems)
{
    std::string from = dir_ / "source.bin";
    std::string mount_point = dir_ / "other_fs";
    std::string to = mount_point + "/moved.bin";
    std::string contents;
    for (int i = 0; i < 3000; ++i)
        contents += std::to_string(i) + ",";
    ASSERT_TRUE(write_text(from, contents, 0640));
    ASSERT_EQ(mkdir(mount_point.c_str(), 0755), 0);

    int status = run_in_private_namespace([&]() {
        message_recorder recorder;
        if (mount("kit_test", mount_point.c_str(), "tmpfs", 0, "size=4m") != 0)
            return SKIP_STATUS;
        struct stat source_info;
        struct stat target_info;
        if (stat(from.c_str(), &source_info) != 0 || stat(mount_point.c_str(), &target_info) != 0 ||
            source_info.st_dev == target_info.st_dev)
            return 1;
        if (unix_rename(from.c_str(), to.c_str()) != 0)
            return 2;
        if (stat(to.c_str(), &target_info) != 0 || (target_info.st_mode & 07777) != 0640)
            return 3;
        if (read_text(to) != contents)
            return 4;
        if (exists(from))
            return 5;
        if (!recorder.messages().empty())
            return 6;
        return 0;
    });
    // 1: not two file systems; 2: rename failed; 3: mode lost; 4: contents
    // differ; 5: source left; 6: a message was shown.
    EXPECT_CHILD_PASSED(status, "moving a file onto a tmpfs");
}

TEST_F(files, rename_of_a_directory_only_makes_the_target)
{
    std::string from = dir_ / "tree";
    std::string existing = dir_ / "existing";
    ASSERT_EQ(mkdir(from.c_str(), 0755), 0);
    ASSERT_TRUE(write_text(from + "/inside", "stays"));
    ASSERT_EQ(mkdir(existing.c_str(), 0755), 0);

    EXPECT_EQ(unix_rename(from.c_str(), existing.c_str()), 0);
    EXPECT_EQ(read_text(from + "/inside"), "stays");
    EXPECT_FALSE(exists(existing + "/inside"));

    std::string fresh = dir_ / "fresh/deeper";
    EXPECT_EQ(unix_rename(from.c_str(), fresh.c_str()), 0);
    EXPECT_TRUE(valid_directory(fresh.c_str()));
    EXPECT_TRUE(valid_directory(from.c_str()));
    EXPECT_TRUE(recorder_.messages().empty());

    // A target under a plain file cannot be made: the error number comes
    // back.
    ASSERT_TRUE(write_text(dir_ / "plain", "x"));
    std::string blocked = dir_ / "plain/sub";
    EXPECT_EQ(unix_rename(from.c_str(), blocked.c_str()), EEXIST);
    EXPECT_EQ(recorder_.texts(),
              std::vector<std::string>{"Unable to create directory " + blocked + ". " + error_text(EEXIST)});
}

TEST_F(files, rename_reports_what_it_cannot_open)
{
    std::string missing = dir_ / "missing";
    std::string to = dir_ / "to";
    EXPECT_EQ(unix_rename(missing.c_str(), to.c_str()), -1);
    EXPECT_EQ(recorder_.texts(),
              (std::vector<std::string>{
                  "Unable to obtain information on file " + missing + ". " + error_text(ENOENT) + ".",
                  "Unable to open file " + missing + ". " + error_text(ENOENT)}));
    EXPECT_FALSE(exists(to));

    recorder_.clear();
    std::string from = dir_ / "source";
    ASSERT_TRUE(write_text(from, "keep me"));
    std::string unwritable = dir_ / "no_such_dir/target";
    EXPECT_EQ(unix_rename(from.c_str(), unwritable.c_str()), -1);
    EXPECT_EQ(recorder_.texts(),
              std::vector<std::string>{"Unable to open file " + unwritable + ". " + error_text(ENOENT)});
    EXPECT_EQ(read_text(from), "keep me") << "a failed move must keep its source";

    // Permissions only count for an ordinary user.
    ASSERT_TRUE(write_text(from, "secret", 0000));
    chmod(dir_.path().c_str(), 0777);
    std::string target = dir_ / "copied";
    int status = run_unprivileged([&]() {
        message_recorder recorder;
        if (unix_rename(from.c_str(), target.c_str()) != -1)
            return 1;
        if (recorder.texts() != std::vector<std::string>{"Unable to open file " + from + ". " +
                                                         error_text(EACCES)})
            return 2;
        return exists(target) ? 3 : 0;
    });
    EXPECT_CHILD_PASSED(status, "moving an unreadable file");
    EXPECT_TRUE(exists(from));
}

TEST_F(files, link_and_unlink_report_failures)
{
    std::string file = dir_ / "file";
    std::string second = dir_ / "second";
    ASSERT_TRUE(write_text(file, "shared"));
    EXPECT_EQ(unix_link(file.c_str(), second.c_str()), 0);
    EXPECT_EQ(read_text(second), "shared");
    EXPECT_EQ(unix_link(file.c_str(), second.c_str()), -1);
    EXPECT_EQ(recorder_.texts(), std::vector<std::string>{"Unable to create a link between " + file +
                                                          " and " + second + ". " + error_text(EEXIST)});
    recorder_.clear();
    EXPECT_EQ(unix_unlink(second.c_str()), 0);
    EXPECT_FALSE(exists(second));
    EXPECT_EQ(unix_unlink(second.c_str()), -1);
    EXPECT_EQ(recorder_.texts(),
              std::vector<std::string>{"Unable to delete file " + second + ". " + error_text(ENOENT)});
}

TEST_F(files, file_kind_queries)
{
    std::string file = dir_ / "file";
    std::string link = dir_ / "link";
    ASSERT_TRUE(write_text(file, "x", 0600));
    ASSERT_EQ(symlink("file", link.c_str()), 0);
    EXPECT_TRUE(valid_directory(dir_.path().c_str()));
    EXPECT_FALSE(valid_directory(file.c_str()));
    EXPECT_TRUE(valid_file(file.c_str(), R_OK));
    EXPECT_FALSE(valid_file(dir_.path().c_str(), F_OK)) << "a directory is not a file";
    EXPECT_FALSE(valid_file((dir_ / "missing").c_str(), F_OK));
    EXPECT_TRUE(is_link(link.c_str()));
    EXPECT_FALSE(is_link(file.c_str()));
    EXPECT_TRUE(valid_file(link.c_str(), F_OK)) << "links are followed";
}

TEST_F(files, listing_flat_and_recursive)
{
    ASSERT_TRUE(write_text(dir_ / "a", "1"));
    ASSERT_TRUE(write_text(dir_ / "b", "2"));
    ASSERT_EQ(mkdir((dir_ / "sub").c_str(), 0755), 0);
    ASSERT_TRUE(write_text(dir_ / "sub/c", "3"));
    ASSERT_EQ(mkdir((dir_ / "sub/empty").c_str(), 0755), 0);
    // A link back up the tree must neither be listed nor walked forever.
    ASSERT_EQ(symlink("..", (dir_ / "sub/up").c_str()), 0);

    l_listring flat;
    EXPECT_EQ(get_files_in_dir(dir_.path().c_str(), flat, false), 0);
    std::vector<std::string> names = take_strings(flat);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{dir_ / "a", dir_ / "b"}));

    l_listring deep;
    EXPECT_EQ(get_files_in_dir(dir_.path().c_str(), deep, true), 0);
    names = take_strings(deep);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{dir_ / "a", dir_ / "b", dir_ / "sub/c"}));
    EXPECT_TRUE(recorder_.messages().empty());
}

TEST_F(files, listing_a_missing_or_unreadable_directory_fails)
{
    l_listring out;
    std::string missing = dir_ / "missing";
    EXPECT_EQ(get_files_in_dir(missing.c_str(), out, true), -1);
    EXPECT_EQ(out.entries(), 0u);
    EXPECT_EQ(recorder_.texts(), std::vector<std::string>{"Unable to open directory " + missing + ". " +
                                                          error_text(ENOENT) + "."});

    ASSERT_TRUE(write_text(dir_ / "top_file", "1"));
    ASSERT_EQ(mkdir((dir_ / "locked").c_str(), 0000), 0);
    chmod(dir_.path().c_str(), 0755);
    std::string top = dir_.path();
    std::string locked = dir_ / "locked";
    int status = run_unprivileged([&]() {
        message_recorder recorder;
        l_listring found;
        if (get_files_in_dir(top.c_str(), found, true) != -1)
            return 1;
        if (recorder.texts() != std::vector<std::string>{"Unable to open directory " + locked + ". " +
                                                         error_text(EACCES) + "."})
            return 2;
        return 0;
    });
    EXPECT_CHILD_PASSED(status, "walking into an unreadable directory");
}

TEST_F(files, size_time_and_mode_of_files_and_dangling_links)
{
    std::string file = dir_ / "file";
    ASSERT_TRUE(write_text(file, "12345", 0640));
    struct timeval times[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(utimes(file.c_str(), times), 0);
    unsigned long mode = 0;
    EXPECT_EQ(unix_filesize(file.c_str()), 5);
    EXPECT_EQ(gmtimestamp(file.c_str()), 1000000000L);
    EXPECT_EQ(unix_mode(file.c_str(), &mode), 0);
    EXPECT_EQ(mode, static_cast<unsigned long>(S_IFREG | 0640));

    // A dangling link is examined itself rather than reported missing.
    std::string dangling = dir_ / "dangling";
    const char target[] = "nowhere/at/all";
    ASSERT_EQ(symlink(target, dangling.c_str()), 0);
    struct stat link_info;
    ASSERT_EQ(lstat(dangling.c_str(), &link_info), 0);
    EXPECT_EQ(unix_filesize(dangling.c_str()), static_cast<long>(sizeof target - 1));
    EXPECT_EQ(gmtimestamp(dangling.c_str()), static_cast<long>(link_info.st_mtime));
    EXPECT_EQ(unix_mode(dangling.c_str(), &mode), 0);
    EXPECT_TRUE(S_ISLNK(mode));
    EXPECT_TRUE(recorder_.messages().empty());

    std::string missing = dir_ / "missing";
    std::string stat_message =
        "Unable to obtain information on file " + missing + ". " + error_text(ENOENT) + ".";
    EXPECT_EQ(unix_filesize(missing.c_str()), -1);
    EXPECT_TRUE(recorder_.messages().empty()) << "unix_filesize fails silently";
    EXPECT_EQ(gmtimestamp(missing.c_str()), -1);
    EXPECT_EQ(unix_mode(missing.c_str(), &mode), -1);
    EXPECT_EQ(recorder_.texts(), (std::vector<std::string>{stat_message, stat_message}));
}

TEST_F(files, free_space_in_kilobytes)
{
    struct statvfs before;
    ASSERT_EQ(statvfs(dir_.path().c_str(), &before), 0);
    unsigned long expected = static_cast<unsigned long>(before.f_bavail) * before.f_frsize / 1024;
    unsigned long measured = unix_free_space(dir_.path().c_str());
    // Other processes write meanwhile; a few megabytes either way is fine,
    // a wrong unit or an overflow is not.
    unsigned long tolerance = 64 * 1024;
    EXPECT_LE(measured, expected + tolerance);
    EXPECT_GE(measured + tolerance, expected);
    EXPECT_TRUE(recorder_.messages().empty());

    EXPECT_EQ(unix_free_space((dir_ / "missing").c_str()), static_cast<unsigned long>(ENOENT));
    EXPECT_EQ(recorder_.texts(),
              std::vector<std::string>{"Could not determine free space on file system."});
}

TEST(times, unix_time_and_current_time_follow_the_clock)
{
    time_t before = time(nullptr);
    long now = unix_time();
    time_t after = time(nullptr);
    EXPECT_GE(now, static_cast<long>(before));
    EXPECT_LE(now, static_cast<long>(after));

    auto formatted = [](time_t when) {
        char text[100];
        struct tm local;
        localtime_r(&when, &local);
        strftime(text, sizeof text, "%c", &local);
        return std::string(text);
    };
    before = time(nullptr);
    listring out;
    current_time(out);
    after = time(nullptr);
    std::string shown = out.c_str();
    EXPECT_FALSE(shown.empty());
    EXPECT_TRUE(shown == formatted(before) || shown == formatted(after)) << shown;
}

// ---- The tape check on things that are not installation tapes ------------

namespace {

class tape_check_without_tape : public files {
protected:
    // Runs is_nonrewind with standard error caught in a file: the forked
    // positioning child reports there.
    liboolean check(const std::string& device, std::string* child_report = nullptr)
    {
        std::string report_file = dir_ / "stderr";
        std::fflush(stderr);
        int saved = dup(STDERR_FILENO);
        int caught = open(report_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(caught, STDERR_FILENO);
        close(caught);
        liboolean result = is_nonrewind(device.c_str());
        std::fflush(stderr);
        dup2(saved, STDERR_FILENO);
        close(saved);
        if (child_report != nullptr)
            *child_report = read_text(report_file);
        return result;
    }

    signal_guard signals_;
};

}  // namespace

TEST_F(tape_check_without_tape, missing_device_is_refused)
{
    std::string device = dir_ / "no_such_tape";
    EXPECT_FALSE(check(device));
    EXPECT_EQ(recorder_.texts(), std::vector<std::string>{"Source device \"" + device + "\" does not exist."});
}

TEST_F(tape_check_without_tape, foreign_data_is_the_wrong_tape)
{
    std::string device = dir_ / "foreign";
    ASSERT_TRUE(write_text(device, "some foreign data, not a label"));
    std::string report;
    EXPECT_FALSE(check(device, &report));
    EXPECT_EQ(recorder_.texts(),
              std::vector<std::string>{"The device " + device +
                                       " is not a non-rewind device or the tape in the drive is not a "
                                       "TARNU install tape."});
    // A plain file cannot be rewound; the child says so and the check goes on.
    EXPECT_EQ(report, "kitsetup Error: Unable to rewind tape " + device + ". " + error_text(ENOTTY) + ".\n");

    recorder_.clear();
    std::string short_device = dir_ / "short";
    ASSERT_TRUE(write_text(short_device, "kitset"));
    EXPECT_FALSE(check(short_device));
    ASSERT_EQ(recorder_.messages().size(), 1u);
    EXPECT_NE(recorder_.messages()[0].text.find("is not a non-rewind device"), std::string::npos);
}

TEST_F(tape_check_without_tape, label_is_compared_with_the_case_setting)
{
    case_guard restore_case;
    std::string device = dir_ / "labelled";
    ASSERT_TRUE(write_text(device, "kitsetup1 and the rest"));
    EXPECT_TRUE(check(device));
    EXPECT_TRUE(recorder_.messages().empty());

    std::string shouting = dir_ / "shouting";
    ASSERT_TRUE(write_text(shouting, "KITSETUP1"));
    listring::case_sensitive_off();
    EXPECT_TRUE(check(shouting));
    listring::case_sensitive_on();
    EXPECT_FALSE(check(shouting));
    EXPECT_EQ(recorder_.messages().size(), 1u);
}

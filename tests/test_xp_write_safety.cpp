// Rewriting the printer defaults file: a failed write is reported and leaves
// the file byte for byte as it was; a good one keeps its mode, owner and
// other names. Full disks are tmpfs in a private mount namespace.
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "run_program.h"
#include "utilities_test_support.h"
#include "xp/xp.h"
#include "xp_test_support.h"

using utilities_test::run_in_child;
using xp_test::report_recorder;

namespace {

const char* const ORIGINAL = "[windows]\ndevice=M,PS,lp0\n\n[ports]\nlp0=lp -d lp0\n\n[other]\nx=1\n";

// The names in directory; a leftover temporary file shows here.
std::set<std::string> files_in(const std::string& directory)
{
    std::set<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(directory, error))
        names.insert(entry.path().filename());
    return names;
}

// Writes ORIGINAL as the defaults file of directory with mode.
bool put_original(const std::string& directory, mode_t mode)
{
    write_file(directory + "/Xpdefaults", ORIGINAL);
    return chmod((directory + "/Xpdefaults").c_str(), mode) == 0;
}

// A write that must fail: 0 when the file is kept, one eWriteFile names it and
// the directory holds only expected; else the check that failed.
int check_failed_write(const std::string& directory, const std::set<std::string>& expected)
{
    report_recorder reports;
    std::string file = directory + "/Xpdefaults";
    if (_XpWritePrivateProfileString("ports", "lp9", std::string(9000, 'x').c_str(), file.c_str()) != 0)
        return 10;
    if (read_file(file) != ORIGINAL)
        return 11;
    if (reports.texts() !=
        std::vector<std::string>{"eWriteFile: _XpWritePrivateProfileString:: Can not write to file " + file})
        return 12;
    return files_in(directory) == expected ? 0 : 13;
}

class xp_write_safety : public ::testing::Test {
protected:
    // dir_ must be open to nobody for the permission cases.
    void SetUp() override { ASSERT_EQ(chmod(dir_.path().c_str(), 0755), 0); }

    temp_dir dir_;
};

}  // namespace

// As nobody (or as the user running the tests): the file's own protection
// decides, never its directory's, and a file that cannot be replaced by a
// rename (directory closed, owner not ours) is rewritten in place.
TEST_F(xp_write_safety, permissions_of_file_and_directory_are_honoured)
{
    struct permission_case { const char* what; mode_t directory_mode, file_mode; bool succeeds; } cases[] = {
        {"read-only file in an open directory", 0777, 0444, false},
        {"writable file in a closed directory", 0555, 0666, true},
        {"another user's writable file in an open directory", 0777, 0666, true},
    };
    for (const permission_case& c : cases) {
        std::string directory = dir_ / std::to_string(&c - cases);
        std::string file = directory + "/Xpdefaults";
        ASSERT_EQ(mkdir(directory.c_str(), 0755), 0);
        ASSERT_TRUE(put_original(directory, c.file_mode));
        ASSERT_EQ(chmod(directory.c_str(), c.directory_mode), 0);
        int status = run_in_child([&]() {
            if (!c.succeeds)
                return check_failed_write(directory, {"Xpdefaults"});
            report_recorder reports;
            if (_XpWritePrivateProfileString("ports", "lp1", "lp -d lp1", file.c_str()) != 1)
                return 20;
            if (read_file(file).find("lp0=lp -d lp0\nlp1=lp -d lp1\n\n[other]\nx=1\n") == std::string::npos)
                return 21;
            return reports.reports().empty() && files_in(directory).size() == 1 ? 0 : 22;
        }, true);
        EXPECT_CHILD_PASSED(status, c.what);
        struct stat after;
        ASSERT_EQ(stat(file.c_str(), &after), 0);
        EXPECT_TRUE((after.st_mode & 07777) == c.file_mode && after.st_uid == geteuid()) << c.what << ": mode, owner";
    }
}

// The rename keeps the mode; a file with a second name is changed under
// both. A user's defaults file that is a symbolic link is never written
// through: the write is refused and both the link and its target stay.
TEST_F(xp_write_safety, a_rewrite_keeps_mode_and_other_names_and_never_follows_a_link)
{
    std::string real = dir_ / "real", file = real + "/Xpdefaults", second = real + "/second";
    ASSERT_EQ(mkdir(real.c_str(), 0755), 0);
    ASSERT_TRUE(put_original(real, 0640));
    report_recorder reports;
    ASSERT_EQ(_XpWritePrivateProfileString("other", "y", "2", file.c_str()), 1);
    struct stat info;
    ASSERT_EQ(stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(read_file(file), std::string(ORIGINAL) + "y=2\n");

    ASSERT_EQ(::link(file.c_str(), second.c_str()), 0);
    ASSERT_EQ(XpDeleteSection("other", file.c_str()), 1);
    EXPECT_EQ(read_file(second), "[windows]\ndevice=M,PS,lp0\n\n[ports]\nlp0=lp -d lp0\n\n");

    std::string linked = dir_ / ".Xpdefaults";
    ASSERT_EQ(symlink(second.c_str(), linked.c_str()), 0);
    std::string target = read_file(second);
    EXPECT_EQ(XpDeleteSection("ports", linked.c_str()), 0);
    EXPECT_EQ(read_file(second), target);
    ASSERT_EQ(lstat(linked.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode)) << "the link was replaced by a file";
    EXPECT_EQ(files_in(dir_.path()), (std::set<std::string>{"real", ".Xpdefaults"}));
    EXPECT_EQ(files_in(real), (std::set<std::string>{"Xpdefaults", "second"})) << "no temporary file is left";
    EXPECT_EQ(reports.texts(), std::vector<std::string>{"eSymLink: XpDeleteSection:: Will not write to " + linked +
                                                        ": it is a symbolic link"});
}

// On a full tiny tmpfs, a write through a rename and one in place (as nobody)
// that needs more room fail and leave the file as it was.
TEST_F(xp_write_safety, a_full_disk_leaves_the_file_as_it_was)
{
    for (bool in_place : {false, true}) {
        std::string mount_point = dir_ / (in_place ? "in_place" : "renamed");
        ASSERT_EQ(mkdir(mount_point.c_str(), 0755), 0);
        int status = run_in_child([&]() {
            if (mount("none", mount_point.c_str(), "tmpfs", 0, "size=64k,mode=0755") != 0)
                return utilities_test::SKIP_STATUS;
            if (!put_original(mount_point, 0666))
                return 1;
            std::system(("cat /dev/zero > '" + mount_point + "/filler' 2>/dev/null").c_str());
            if (in_place && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
                return utilities_test::SKIP_STATUS;
            if (int failed = check_failed_write(mount_point, {"Xpdefaults", "filler"}))
                return failed;
            // A shrinking write fails as safely when even the replacement's first block does not fit.
            report_recorder reports;
            std::string file = mount_point + "/Xpdefaults";
            int result = XpDeleteSection("other", file.c_str());
            if (in_place)
                return result == 1 && read_file(file).find("[other]") == std::string::npos ? 0 : 30;
            return result == 0 && read_file(file) == ORIGINAL && reports.reports().size() == 1 ? 0 : 31;
        }, false, true);
        EXPECT_CHILD_PASSED(status, in_place ? "rewriting in place on a full disk" : "renaming on a full disk");
    }
}

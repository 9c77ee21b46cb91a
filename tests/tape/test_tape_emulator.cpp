// The emulated tape drive (libtapeemu.so, preloaded by CTest) behaves as a
// SCSI tape under the st driver: file-by-file reads with a filemark between
// files, spacing, rewinding on the last close of a rewinding name, and a head
// position shared by every descriptor, process and device name of the drive.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/mtio.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "emulated_drive.h"

namespace {

const std::string file0 = "first file of the tape, twenty-nine";
const std::string file1 = "kitsetup1 and the rest of file one";
const std::string file2 = "file two";

class tape_emulator : public emulated_drive {
protected:
    void SetUp() override
    {
        emulated_drive::SetUp();
        if (!HasFatalFailure())
            load_tape({file0, file1, file2});
    }
};

// Opens device for reading; fails the test when it cannot.
int open_device(const std::string& device)
{
    int fd = open(device.c_str(), O_RDONLY);
    EXPECT_GE(fd, 0) << "cannot open " << device << ": " << strerror(errno);
    return fd;
}

// Reads in small pieces until a read returns 0 (the filemark) or fails.
std::string read_to_filemark(int fd)
{
    std::string text;
    char piece[4];
    ssize_t got;
    while ((got = read(fd, piece, sizeof piece)) > 0)
        text.append(piece, static_cast<size_t>(got));
    EXPECT_EQ(got, 0) << "read failed: " << strerror(errno);
    return text;
}

std::string read_some(int fd, size_t count)
{
    std::string text(count, '\0');
    ssize_t got = read(fd, &text[0], count);
    text.resize(got < 0 ? 0 : static_cast<size_t>(got));
    return text;
}

// Performs one MTIOCTOP operation; returns 0 or the errno of the failure.
int tape_op(int fd, short op, int count)
{
    struct mtop request = {op, count};
    return ioctl(fd, MTIOCTOP, &request) == 0 ? 0 : errno;
}

struct mtget tape_status(int fd)
{
    struct mtget status = {};
    EXPECT_EQ(ioctl(fd, MTIOCGET, &status), 0) << "MTIOCGET failed: " << strerror(errno);
    return status;
}

TEST_F(tape_emulator, reads_each_file_up_to_its_filemark_in_turn)
{
    int fd = open_device(nrewind_device());
    EXPECT_EQ(read_to_filemark(fd), file0);
    EXPECT_EQ(read_to_filemark(fd), file1);
    EXPECT_EQ(read_to_filemark(fd), file2);
    close(fd);
}

TEST_F(tape_emulator, end_of_data_reads_empty_once_then_fails_with_eio)
{
    int fd = open_device(nrewind_device());
    ASSERT_EQ(tape_op(fd, MTEOM, 1), 0);
    char byte;
    EXPECT_EQ(read(fd, &byte, 1), 0);
    EXPECT_EQ(read(fd, &byte, 1), -1);
    EXPECT_EQ(errno, EIO);
    close(fd);
}

TEST_F(tape_emulator, non_rewinding_device_keeps_the_head_across_close_and_open)
{
    int fd = open_device(nrewind_device());
    EXPECT_EQ(read_some(fd, 5), file0.substr(0, 5));
    close(fd);
    fd = open_device(nrewind_device());
    EXPECT_EQ(read_to_filemark(fd), file0.substr(5)) << "a partial read lost its place";
    close(fd);
    fd = open_device(nrewind_device());
    EXPECT_EQ(read_to_filemark(fd), file1) << "the filemark read was not kept past the close";
    close(fd);
}

TEST_F(tape_emulator, rewinding_device_rewinds_on_its_last_close_only)
{
    int fd = open_device(rewind_device());
    ASSERT_EQ(tape_op(fd, MTFSF, 2), 0);
    int copy = dup(fd);
    ASSERT_GE(copy, 0);
    close(fd);
    EXPECT_EQ(tape_status(copy).mt_fileno, 2) << "closing one of two descriptors rewound";
    close(copy);
    fd = open_device(nrewind_device());
    struct mtget status = tape_status(fd);
    EXPECT_EQ(status.mt_fileno, 0);
    EXPECT_TRUE(GMT_BOT(status.mt_gstat)) << "the last close did not rewind";
    close(fd);
}

TEST_F(tape_emulator, descriptor_moved_with_dup2_reads_on_and_closes_like_the_device)
{
    // What dd does with its input: dup2 onto 0 and close the original.
    int fd = open_device(rewind_device());
    ASSERT_EQ(tape_op(fd, MTFSF, 1), 0);
    int moved = dup2(fd, 50);
    ASSERT_EQ(moved, 50);
    close(fd);
    EXPECT_EQ(read_to_filemark(moved), file1);
    close(moved);
    fd = open_device(nrewind_device());
    EXPECT_EQ(read_to_filemark(fd), file0);
    close(fd);
}

TEST_F(tape_emulator, forward_space_past_the_last_file_fails_at_end_of_data)
{
    int fd = open_device(nrewind_device());
    EXPECT_EQ(tape_op(fd, MTFSF, 3), 0) << "spacing onto end of data is allowed";
    EXPECT_EQ(tape_op(fd, MTREW, 1), 0);
    EXPECT_EQ(tape_op(fd, MTFSF, 4), EIO);
    struct mtget status = tape_status(fd);
    EXPECT_EQ(status.mt_fileno, 3);
    EXPECT_TRUE(GMT_EOD(status.mt_gstat));
    close(fd);
}

TEST_F(tape_emulator, backward_space_stops_before_the_filemark)
{
    int fd = open_device(nrewind_device());
    ASSERT_EQ(tape_op(fd, MTFSF, 2), 0);
    ASSERT_EQ(tape_op(fd, MTBSF, 1), 0);
    char byte;
    EXPECT_EQ(read(fd, &byte, 1), 0) << "the head is not at the filemark after file 1";
    EXPECT_EQ(read_to_filemark(fd), file2);
    EXPECT_EQ(tape_op(fd, MTBSF, 4), EIO);
    EXPECT_TRUE(GMT_BOT(tape_status(fd).mt_gstat)) << "a failed backward space stops at the start";
    close(fd);
}

TEST_F(tape_emulator, spaces_to_a_file_start_with_bsfm_and_to_its_end_with_fsfm)
{
    int fd = open_device(nrewind_device());
    ASSERT_EQ(tape_op(fd, MTFSF, 2), 0);
    EXPECT_EQ(read_some(fd, 3), file2.substr(0, 3));
    ASSERT_EQ(tape_op(fd, MTBSFM, 2), 0);
    EXPECT_EQ(read_to_filemark(fd), file1);
    ASSERT_EQ(tape_op(fd, MTREW, 1), 0);
    ASSERT_EQ(tape_op(fd, MTFSFM, 1), 0);
    char byte;
    EXPECT_EQ(read(fd, &byte, 1), 0) << "fsfm 1 did not stop before the first filemark";
    close(fd);
}

TEST_F(tape_emulator, forked_child_moves_the_head_the_parent_reads_at)
{
    int fd = open_device(nrewind_device());
    EXPECT_EQ(read_some(fd, 3), file0.substr(0, 3));
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        _exit(tape_op(fd, MTREW, 1) == 0 && tape_op(fd, MTFSF, 1) == 0 ? 0 : 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child's tape operations failed";
    EXPECT_EQ(read_some(fd, 9), "kitsetup1");
    close(fd);
}

TEST_F(tape_emulator, rewinding_device_reopened_after_a_forked_skip_reads_the_first_file)
{
    int fd = open_device(rewind_device());
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        _exit(tape_op(fd, MTREW, 1) == 0 && tape_op(fd, MTFSF, 1) == 0 ? 0 : 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    close(fd);
    fd = open_device(rewind_device());
    EXPECT_EQ(read_some(fd, 9), file0.substr(0, 9));
    close(fd);
}

TEST_F(tape_emulator, status_reports_the_drive_file_number_and_marks)
{
    int fd = open_device(nrewind_device());
    struct mtget status = tape_status(fd);
    EXPECT_EQ(status.mt_type, MT_ISSCSI2);
    EXPECT_EQ(status.mt_fileno, 0);
    EXPECT_TRUE(GMT_BOT(status.mt_gstat));
    EXPECT_TRUE(GMT_ONLINE(status.mt_gstat));
    ASSERT_EQ(tape_op(fd, MTFSF, 1), 0);
    status = tape_status(fd);
    EXPECT_EQ(status.mt_fileno, 1);
    EXPECT_FALSE(GMT_BOT(status.mt_gstat));
    EXPECT_TRUE(GMT_EOF(status.mt_gstat));
    EXPECT_FALSE(GMT_EOD(status.mt_gstat));
    close(fd);
}

TEST_F(tape_emulator, tape_is_write_protected)
{
    errno = 0;
    EXPECT_EQ(open(nrewind_device().c_str(), O_WRONLY), -1);
    EXPECT_EQ(errno, EROFS);
    errno = 0;
    EXPECT_EQ(open(nrewind_device().c_str(), O_RDWR), -1);
    EXPECT_EQ(errno, EROFS);
    int fd = open_device(nrewind_device());
    EXPECT_EQ(tape_op(fd, MTWEOF, 1), EACCES);
    close(fd);
}

TEST_F(tape_emulator, drive_without_its_tape_directory_is_empty)
{
    std::filesystem::remove_all(work_ + "/tape");
    errno = 0;
    EXPECT_EQ(open(nrewind_device().c_str(), O_RDONLY), -1);
    EXPECT_EQ(errno, ENOMEDIUM);
}

TEST_F(tape_emulator, seeking_the_tape_fails_and_leaves_the_head)
{
    int fd = open_device(nrewind_device());
    errno = 0;
    EXPECT_EQ(lseek(fd, 10, SEEK_SET), -1);
    EXPECT_EQ(errno, ESPIPE);
    EXPECT_EQ(read_some(fd, 5), file0.substr(0, 5));
    close(fd);
}

TEST_F(tape_emulator, other_files_and_requests_are_left_to_the_system)
{
    int fd = open((work_ + "/tape/1").c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(read_some(fd, 4), file1.substr(0, 4));
    EXPECT_EQ(tape_op(fd, MTREW, 1), ENOTTY) << "a plain file was taken for a tape";
    close(fd);

    fd = open_device(nrewind_device());
    int waiting = 0;
    EXPECT_EQ(ioctl(fd, FIONREAD, &waiting), -1);
    EXPECT_EQ(errno, ENOTTY);
    EXPECT_EQ(tape_op(fd, MTFSR, 1), ENOSYS);
    close(fd);
}

} // namespace

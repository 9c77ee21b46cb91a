// The emulated tape drive (libtapeemu.so, preloaded by CTest) reads, spaces
// and rewinds as a SCSI tape under the st driver, with one head per drive.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/mtio.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <tuple>

#include "emulated_drive.h"

namespace {

const std::string file0 = "first file of the tape";
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

// Reads in small pieces until a read returns 0 (the filemark); returns the text.
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

// Performs one MTIOCTOP operation; returns 0 or the errno of the failure.
int tape_op(int fd, short op, int count)
{
    struct mtop request = {op, count};
    return ioctl(fd, MTIOCTOP, &request) == 0 ? 0 : errno;
}

TEST_F(tape_emulator, reads_each_file_up_to_one_empty_read_then_fails_at_end_of_data)
{
    int fd = open_device(nrewind_device());
    EXPECT_EQ(read_to_filemark(fd), file0);
    EXPECT_EQ(read_to_filemark(fd), file1) << "the filemark did not lead to the next file";
    EXPECT_EQ(read_to_filemark(fd), file2);
    char byte;
    EXPECT_EQ(read(fd, &byte, 1), 0) << "end of data did not read empty once";
    EXPECT_EQ(read(fd, &byte, 1), -1);
    EXPECT_EQ(errno, EIO);
    close(fd);
}

TEST_F(tape_emulator, head_stays_across_close_but_the_last_close_of_a_rewinding_name)
{
    int fd = open_device(nrewind_device());
    char bytes[5];
    ASSERT_EQ(read(fd, bytes, sizeof bytes), 5);
    close(fd);
    fd = open_device(rewind_device());
    int copy = dup(fd);
    close(fd);
    EXPECT_EQ(read_to_filemark(copy), file0.substr(5)) << "a close moved the head";
    close(copy);
    fd = open_device(nrewind_device());
    EXPECT_EQ(read_to_filemark(fd), file0) << "the last close of the rewinding name did not rewind";
    close(fd);
}

// Each row: from the start of file 1, one operation's errno (0: success), the
// file number the drive then reports and the next read up to a filemark.
TEST_F(tape_emulator, spaces_over_filemarks_and_fails_past_either_end)
{
    const std::tuple<short, int, int, long, std::string> cases[] = {
        {MTFSF, 1, 0, 2, file2},
        {MTFSF, 2, 0, 3, ""},          // onto end of data
        {MTFSF, 3, EIO, 3, ""},        // past it: the head stops there
        {MTBSF, 1, 0, 0, ""},          // before the mark, at the end of file 0
        {MTBSF, 2, EIO, 0, file0},     // past the start
        {MTWEOF, 1, EACCES, 1, file1}, // the tape is write-protected
    };
    for (const auto& [op, count, error, file, next] : cases) {
        write_file(tape_dir() + "/.position", "1 0 0");
        int fd = open_device(nrewind_device());
        struct mtget status = {};
        EXPECT_EQ(tape_op(fd, op, count), error) << "op " << op << " count " << count;
        EXPECT_EQ(ioctl(fd, MTIOCGET, &status), 0);
        EXPECT_EQ(status.mt_fileno, file) << "op " << op << " count " << count;
        EXPECT_EQ(read_to_filemark(fd), next) << "op " << op << " count " << count;
        close(fd);
    }
}

TEST_F(tape_emulator, forked_child_moves_the_head_the_parent_reads_at)
{
    int fd = open_device(nrewind_device());
    ASSERT_EQ(tape_op(fd, MTFSF, 2), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        _exit(tape_op(fd, MTREW, 1) == 0 && tape_op(fd, MTFSF, 1) == 0 ? 0 : 1);
    ASSERT_EQ(waitpid(child, nullptr, 0), child);
    EXPECT_EQ(read_to_filemark(fd), file1) << "the child's rewind and space missed the parent's head";
    close(fd);
}

} // namespace

// The installer's tape check, is_nonrewind, on emulated drives (libtapeemu.so
// is preloaded by CTest): it accepts only a non-rewinding device whose tape
// carries the label at the start of its second file.
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../message_recorder.h"
#include "emulated_drive.h"
#include "misc/utilities.h"

namespace {

class tape_check : public emulated_drive {
protected:
    void load_installation_tape()
    {
        load_tape({"first archive", "kitsetup1\nproduct list", "second archive"});
    }

    std::string wrong_tape(const std::string& device) const
    {
        return "The device " + device
               + " is not a non-rewind device or the tape in the drive is not a TARNU install tape.";
    }
};

TEST_F(tape_check, non_rewinding_device_with_an_installation_tape_passes)
{
    load_installation_tape();
    message_recorder recorder;
    EXPECT_TRUE(is_nonrewind(listring(nrewind_device().c_str())));
    EXPECT_TRUE(recorder.texts().empty()) << recorder.texts().front();
}

TEST_F(tape_check, check_rewinds_first_wherever_the_tape_was_left)
{
    load_installation_tape();
    write_file(work_ + "/tape/.position", "3 0 0\n");
    message_recorder recorder;
    EXPECT_TRUE(is_nonrewind(listring(nrewind_device().c_str())));
    EXPECT_TRUE(recorder.texts().empty());
}

TEST_F(tape_check, rewinding_device_with_an_installation_tape_is_the_wrong_device)
{
    load_installation_tape();
    message_recorder recorder;
    EXPECT_FALSE(is_nonrewind(listring(rewind_device().c_str())));
    EXPECT_EQ(recorder.texts(), std::vector<std::string>{wrong_tape(rewind_device())});
}

TEST_F(tape_check, tape_without_the_label_at_the_start_of_its_second_file_is_refused)
{
    const std::vector<std::vector<std::string>> tapes = {
        {"first archive", "an archive of another maker", "more"},
        {"kitsetup1 but in the wrong file", "no label here", "more"},
        {"first archive", "kitsetup", "more"}, // shorter than the label
        {},                                    // blank: the skip fails
    };
    for (const std::vector<std::string>& files : tapes) {
        std::filesystem::remove_all(tape_dir());
        load_tape(files);
        message_recorder recorder;
        EXPECT_FALSE(is_nonrewind(listring(nrewind_device().c_str())))
            << (files.empty() ? "blank tape" : files[1]);
        EXPECT_EQ(recorder.texts(), std::vector<std::string>{wrong_tape(nrewind_device())});
    }
}

TEST_F(tape_check, missing_device_is_reported_as_absent)
{
    load_installation_tape();
    std::string device = work_ + "/nst1";
    message_recorder recorder;
    EXPECT_FALSE(is_nonrewind(listring(device.c_str())));
    EXPECT_EQ(recorder.texts(),
              std::vector<std::string>{"Source device \"" + device + "\" does not exist."});
}

TEST_F(tape_check, empty_drive_cannot_be_opened)
{
    message_recorder recorder;
    EXPECT_FALSE(is_nonrewind(listring(nrewind_device().c_str())));
    EXPECT_EQ(recorder.texts(),
              std::vector<std::string>{"Unable to open device " + nrewind_device()
                                       + ". No medium found."});
}

} // namespace

// is_nonrewind on emulated drives (CTest preloads libtapeemu.so): only a
// non-rewinding device whose tape's second file starts with the label passes.
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../message_recorder.h"
#include "misc/utilities.h"

namespace {

// A fresh drive per test: one tape behind a non-rewinding and a rewinding name.
class tape_check : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* preload = std::getenv("LD_PRELOAD");
        ASSERT_TRUE(preload && std::strstr(preload, "libtapeemu.so"))
            << "the tape emulator is not preloaded (LD_PRELOAD=libtapeemu.so)";
        write_file(nrewind_, "");
        write_file(rewind_, "");
        ASSERT_EQ(setenv("KITSETUP_TAPE", (nrewind_ + "=" + tape_ + ":" + rewind_ + "=" + tape_).c_str(), 1), 0);
    }
    void TearDown() override { unsetenv("KITSETUP_TAPE"); }

    // Puts a tape with files as its files 0, 1, ... in the drive.
    void load_tape(const strings& files)
    {
        std::filesystem::remove_all(tape_);
        std::filesystem::create_directory(tape_);
        for (size_t i = 0; i < files.size(); ++i)
            write_file(tape_ + "/" + std::to_string(i), files[i]);
    }

    temp_dir work_;
    const std::string tape_ = work_ / "tape", nrewind_ = work_ / "nst0", rewind_ = work_ / "st0";
    const strings installation_tape_ = {"first archive", "kitsetup1\nproduct list", "second archive"};
};

// The check rewinds first, wherever the tape was left.
TEST_F(tape_check, non_rewinding_device_with_an_installation_tape_passes_wherever_it_was_left)
{
    load_tape(installation_tape_);
    for (const char* position : {"", "3 0 0\n"}) {
        if (*position != '\0')
            write_file(tape_ + "/.position", position);
        message_recorder recorder;
        EXPECT_TRUE(is_nonrewind(listring(nrewind_.c_str()))) << "position " << position;
        EXPECT_TRUE(recorder.texts().empty()) << recorder.texts().front();
    }
}

// Each row: the tape in the drive (none: empty drive), the device, the message.
TEST_F(tape_check, a_wrong_device_tape_or_drive_is_refused_with_its_reason)
{
    auto wrong = [](const std::string& device) {
        return "The device " + device + " is not a non-rewind device or the tape in the drive is not a TARNU "
               "install tape.";
    };
    const struct { const char* what; std::optional<strings> tape; std::string device, message; } rows[] = {
        {"rewinding device", installation_tape_, rewind_, wrong(rewind_)},
        {"another maker's tape", strings{"first archive", "an archive of another maker", "more"}, nrewind_,
         wrong(nrewind_)},
        {"label in the wrong file", strings{"kitsetup1 but in the wrong file", "no label here", "more"}, nrewind_,
         wrong(nrewind_)},
        {"shorter than the label", strings{"first archive", "kitsetup", "more"}, nrewind_, wrong(nrewind_)},
        {"blank tape: the skip fails", strings{}, nrewind_, wrong(nrewind_)},
        {"missing device", installation_tape_, work_ / "nst1",
         "Source device \"" + work_ / "nst1" + "\" does not exist."},
        {"empty drive", std::nullopt, nrewind_, "Unable to open device " + nrewind_ + ". No medium found."},
    };
    for (const auto& row : rows) {
        std::filesystem::remove_all(tape_);
        if (row.tape)
            load_tape(*row.tape);
        message_recorder recorder;
        EXPECT_FALSE(is_nonrewind(listring(row.device.c_str()))) << row.what;
        EXPECT_EQ(recorder.texts(), strings{row.message}) << row.what;
    }
}

}  // namespace

// Test fixture: a fresh emulated drive for each test, a tape directory behind
// a non-rewinding name (nst0) and a rewinding one (st0), named to the
// preloaded emulator through KITSETUP_TAPE.
#ifndef KITSETUP_TESTS_TAPE_EMULATED_DRIVE_H
#define KITSETUP_TESTS_TAPE_EMULATED_DRIVE_H

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

class emulated_drive : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* preload = std::getenv("LD_PRELOAD");
        ASSERT_TRUE(preload && std::strstr(preload, "libtapeemu.so"))
            << "the tape emulator is not preloaded (LD_PRELOAD=libtapeemu.so)";
        char pattern[] = "/tmp/tape_test.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr) << "cannot make a work directory";
        work_ = pattern;
        write_file(nrewind_device(), "");
        write_file(rewind_device(), "");
        std::string tape = tape_dir();
        std::string config = nrewind_device() + "=" + tape + ":" + rewind_device() + "=" + tape;
        ASSERT_EQ(setenv("KITSETUP_TAPE", config.c_str(), 1), 0);
    }

    void TearDown() override
    {
        unsetenv("KITSETUP_TAPE");
        std::filesystem::remove_all(work_);
    }

    static void write_file(const std::string& path, const std::string& text)
    {
        std::ofstream(path) << text;
    }

    // Lays out the tape in the drive with files as its files 0, 1, ...
    void load_tape(const std::vector<std::string>& files)
    {
        std::filesystem::create_directory(tape_dir());
        for (size_t i = 0; i < files.size(); ++i)
            write_file(tape_dir() + "/" + std::to_string(i), files[i]);
    }

    std::string tape_dir() const { return work_ + "/tape"; }
    std::string nrewind_device() const { return work_ + "/nst0"; }
    std::string rewind_device() const { return work_ + "/st0"; }

    std::string work_;
};

#endif

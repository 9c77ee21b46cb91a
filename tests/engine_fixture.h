// Test fixture for the command engine and the removal: product "kps30" whose
// templates name stand-in programs in tools/ (real rm), a plain-file tape device,
// a target and the fake dialogs. Records in /opt/tarnu only on a private /opt.
#ifndef KITSETUP_TESTS_ENGINE_FIXTURE_H
#define KITSETUP_TESTS_ENGINE_FIXTURE_H

#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "event_loop.h"
#include "message_recorder.h"
#include "product_sandbox.h"
#include "progress_fakes.h"
#include "run_program.h"
#include "utilities_test_support.h"
#include "cmds/l_cmd.h"
#include "opts/prod_opts.h"
#include "prod/product.h"
#include "toolkit/oi_connection.h"

class engine_fixture : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(initialised_, 0) << "the sample product did not initialise"; }
    std::string cfg(const std::string& name) const { return dir_ / ("config/" + name); }

    // Writes the product's files; subsets is its subset definition file.
    int write_product(const std::string& subsets)
    {
        for (const char* program : {"tar", "cpio", "dd", "uncompress", "mt", "rsh"})
            write_file(tools_ + "/" + program, "#!/bin/sh\n");
        write_file(device_, "");
        write_file(target_ + "/.keep", "");
        write_file(cfg("kps30.prd"), "Code: kps\nVersion: 30\nDescription: Sample Product\n");
        write_file(cfg("kps30prd.cfg"), subsets);
        write_file(cfg("base.cfg"), "Name=man; Def=Yes.\nName=info.\nName=html; Def=Yes.\n");
        std::string commands;
        const char* kinds[][2] = {{"Extract", "tar"}, {"Rewind", "mt"}, {"Skip", "mt"}, {"Uncompress", "uncompress"},
                                  {"Copy-Convert", "dd"}, {"Remote Shell", "rsh"}, {"Expand", "tar"}};
        for (const auto& kind : kinds)
            commands += std::string(kind[0]) + " Command Directory: " + tools_ + "\n" + kind[0] +
                        " Command Name: " + kind[1] + "\n";
        commands += "Extract Command Options: xvf\nExtract Command Input: " + device_ +
                    "\nExtract Command Output: " + target_ +
                    "\nRewind Command Options: rewind\nRewind Command Device Option: -f\n"
                    "Rewind Command Input: " + device_ +
                    "\nSkip Command Options: fsf 1\nSkip Command Device Option: -f\n"
                    "Skip Command Input: " + device_ +
                    "\nUncompress Command Options: -c\nCopy-Convert Command Options: bs=20b\n"
                    "Copy-Convert Command Input Option: if=\nCopy-Convert Command Input: " + device_ +
                    "\nRemote Shell Command Options: -n\nRemote Shell Command Host: tapehost\n"
                    "Delete Command Directory: /bin\nDelete Command Name: rm\nDelete Command Options: -rf\n";
        write_file(cfg(KITSETUP_KARCH "/kps30cmd.cfg"), commands);
        return 0;
    }

    temp_dir dir_;
    const std::string tools_ = dir_ / "tools";
    const std::string device_ = dir_ / "nst0";
    const std::string target_ = dir_ / "target";
    product_sandbox sandbox_{dir_ / "config", dir_ / "nls"};
    utilities_test::state_guard restore_;
    message_recorder recorder_;
    fake_dialogs dialogs_;
    int written_ = write_product("Name=early; Vol=1; Pos=1; Siz=1.\n"
                                 "Name=base; Vol=1; Pos=2; Siz=1; Com=Yes; Opt=Yes.\n"
                                 "Name=docs; Vol=1; Pos=5; Siz=1.\n");
    product kps_{&dialogs_.products, "kps30"};
    int initialised_ = kps_.initialise();
};

#endif

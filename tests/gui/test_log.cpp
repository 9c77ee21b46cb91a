// The log of a run: its opening line alone is nothing worth saving, and a
// saved log keeps it above what the run reported.
#include <string>

#include "run_program.h"
#include "toolkit_fixture.h"
#include "ui/log_ui.h"

class log_dialog : public toolkit_test {};

TEST_F(log_dialog, HeaderAloneIsEmptyAndASavedLogKeepsIt)
{
    use_installer_message_boxes();
    log_ui log;
    log.header("kitsetup: Release 1.0.8, today, /opt/tarnu/install");
    EXPECT_TRUE(log.is_empty()) << "the opening line alone must not make a log file";
    log.text("", false);
    EXPECT_TRUE(log.is_empty()) << "an empty line is nothing either";
    log.text("x lib/libkp.so, 1024 bytes", false);
    EXPECT_FALSE(log.is_empty());

    temp_dir dir;
    std::string path = dir / "kitsetup.log";
    write_file(path, "an older and much longer log than this one\n");
    log.write_log(path.c_str());
    EXPECT_EQ(read_file(path),
              "kitsetup: Release 1.0.8, today, /opt/tarnu/install\n\nx lib/libkp.so, 1024 bytes\n");
}

// The log of a run: its opening line alone is not worth saving, and a name
// planted where it goes is not written through.
#include <cstdio>
#include <string>
#include <unistd.h>

#include "run_program.h"
#include "toolkit_fixture.h"
#include "misc/utilities.h"
#include "ui/log_ui.h"

class log_dialog : public toolkit_test {};

// As root the log may go to /tmp: a link planted at its name is left alone,
// the log goes to a new file beside it, and the message on standard output
// names that file.
TEST_F(log_dialog, HeaderAloneIsEmptyASavedLogKeepsItAndAPlantedLinkSendsItBeside)
{
    use_installer_message_boxes();
    log_ui log;
    log.header("kitsetup: Release 1.0.8, today, /opt/tarnu/install");
    EXPECT_TRUE(log.is_empty()) << "the opening line alone must not make a log file";
    log.text("", false);
    EXPECT_TRUE(log.is_empty()) << "an empty line is nothing either";
    log.text("x lib/libkp.so, 1024 bytes", false);
    EXPECT_FALSE(log.is_empty());
    const std::string logged = "kitsetup: Release 1.0.8, today, /opt/tarnu/install\n\nx lib/libkp.so, 1024 bytes\n";
    std::string path = dir_ / "kitsetup.log";
    write_file(path, "an older and much longer log than this one\n");
    log.write_log(path.c_str());
    EXPECT_EQ(read_file(path), logged);

    std::string victim = dir_ / "victim";
    write_file(victim, "precious");
    ASSERT_EQ(std::remove(path.c_str()), 0);
    ASSERT_EQ(symlink(victim.c_str(), path.c_str()), 0);
    watch("the log to be written without a message box");
    testing::internal::CaptureStdout();
    log.write_log(path.c_str());
    std::string said = testing::internal::GetCapturedStdout();
    const std::string saved = "kitsetup: Saved log file to ";
    ASSERT_EQ(said.rfind(saved + path + ".", 0), 0u) << said;
    std::string written = said.substr(saved.size(), said.size() - saved.size() - 1);
    EXPECT_EQ(read_file(written), logged);
    EXPECT_EQ(read_file(victim), "precious");
    EXPECT_TRUE(is_link(path.c_str()));
}

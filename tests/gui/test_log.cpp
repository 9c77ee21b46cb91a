// The log of a run: its opening line alone is not worth saving, a name
// planted where it goes is not written through, and a long log kept in its
// scratch file comes back whole and in order.
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "run_program.h"
#include "toolkit_fixture.h"
#include "misc/utilities.h"
#include "toolkit/oi_lookup.h"
#include "toolkit/oi_multi_text.h"
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

// The text the shown log dialog's widget holds.
static std::string shown_log_text()
{
    for (OI_d_tech* top : OI_uib_conn->shown_objects()) {
        auto* text = top->is_displayed() && top->name() == "log_dialog"
                         ? OI_find<OI_scroll_text>(top, "text", OI_lookup_policy::silent())
                         : nullptr;
        if (text != nullptr)
            return text->text();
    }
    return "no log dialog shown";
}

// Passes of many lines go out to the scratch file block by block, one line
// longer than any block among them; what the dialog shows (filled on popup
// and while shown), what it saves and its contents are the lines exactly,
// in order, and the scratch file has no name anyone could open.
TEST_F(log_dialog, ALongLogKeptInItsScratchFileIsShownAndSavedWholeAndInOrder)
{
    use_installer_message_boxes();
    log_ui log;
    log.header("kitsetup: Release 1.0.8");
    std::string expected = "kitsetup: Release 1.0.8";
    auto add = [&](const std::string& line) {
        log.text(line.c_str(), false);
        expected += "\n" + line;
    };
    for (int i = 0; i < 6000; ++i) {
        add("x part01/d" + std::to_string(i / 100) + "/f" + std::to_string(i) + ", 1024 bytes");
        if (i == 2500)
            add(std::string(200000, 'L') + "!");
        if (i % 100 == 99)
            log.flush_cb(nullptr, nullptr, 0);
    }
    log.popup();
    EXPECT_EQ(shown_log_text(), expected) << "the log shown on popup";
    for (int i = 0; i < 3000; ++i)
        add("x part02/f" + std::to_string(i) + ", 2048 bytes");
    log.flush_cb(nullptr, nullptr, 0);
    EXPECT_EQ(shown_log_text(), expected) << "the log filled while shown";

    bool scratch_seen = false;
    for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code ignored;
        std::string target = std::filesystem::read_symlink(fd.path(), ignored).string();
        bool deleted = target.size() > 10 && target.compare(target.size() - 10, 10, " (deleted)") == 0;
        scratch_seen = scratch_seen || (target.rfind("/tmp/", 0) == 0 && deleted);
    }
    EXPECT_TRUE(scratch_seen) << "a log of this size must be kept in an unnamed scratch file";

    std::string path = dir_ / "kitsetup.log";
    testing::internal::CaptureStdout();
    log.write_log(path.c_str());
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(read_file(path), expected + "\n");
    EXPECT_EQ(std::string(log.contents().c_str()), expected);
}

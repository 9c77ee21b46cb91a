// Start-up pieces that run inside the process: the directory layout, the
// exported environment and the signal handlers.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "message_recorder.h"
#include "misc/lidefs.h"
#include "run_program.h"
#include "ui/kitsetup.h"

namespace {

listring* const layout[] = {&INSTALL_DIR, &CONFIG_FILE_DIR, &ICONS_DIR, &MESSAGES_DIR,
                            &HELP_DIR,    &BIN_DIR,         &MAP_DIR};

// Puts back the seven directory variables, KARCH and the working directory.
class layout_guard {
public:
    layout_guard() : cwd_(getcwd(nullptr, 0))
    {
        for (int i = 0; i < 7; ++i)
            saved_[i] = *layout[i];
    }
    ~layout_guard()
    {
        for (int i = 0; i < 7; ++i)
            *layout[i] = saved_[i];
        setenv("KARCH", KITSETUP_KARCH, 1);
        EXPECT_EQ(chdir(cwd_), 0);
        std::free(cwd_);
    }

private:
    listring saved_[7];
    char* cwd_;
};

std::string text(const listring& s) { return s.c_str(); }

}  // namespace

TEST(SetupDirectories, LaysOutEveryDirectoryAndExportsThemForChildren)
{
    layout_guard guard;
    temp_dir dir;
    setenv("KARCH", "i86pc", 1);
    ASSERT_EQ(setup_directories((dir.path() + "/").c_str()), 0);
    const std::string root = dir.path();
    EXPECT_EQ(text(INSTALL_DIR), root) << "the trailing slash must go";
    EXPECT_EQ(text(CONFIG_FILE_DIR), root + "/config");
    EXPECT_EQ(text(ICONS_DIR), root + "/icons");
    EXPECT_EQ(text(MESSAGES_DIR), root + "/nls");
    EXPECT_EQ(text(HELP_DIR), root + "/hh");
    EXPECT_EQ(text(MAP_DIR), root + "/map");
    EXPECT_EQ(text(BIN_DIR), root + "/bin/i86pc");

    setup_environment();
    EXPECT_EQ(std::string(std::getenv("HHPATH")), root + "/bin/i86pc");
    EXPECT_EQ(std::string(std::getenv("HOHPATH")), root + "/hh");
    EXPECT_EQ(std::string(std::getenv("KITSETUP_DIR")), root);
    EXPECT_EQ(std::string(std::getenv("ICONS_DIR")), root + "/icons");
}

TEST(SetupDirectories, DotIsTheAbsoluteCurrentDirectory)
{
    layout_guard guard;
    temp_dir dir;
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    ASSERT_EQ(setup_directories("."), 0);
    char* resolved = realpath(dir.path().c_str(), nullptr);
    EXPECT_EQ(text(INSTALL_DIR), resolved);
    std::free(resolved);
}

TEST(SetupDirectories, MissingDirectoryIsReportedAndLeavesTheLayout)
{
    layout_guard guard;
    listring before = CONFIG_FILE_DIR;
    message_recorder recorder;
    EXPECT_EQ(setup_directories("/no/such/place"), -1);
    EXPECT_EQ(recorder.texts(), std::vector<std::string>{"Directory \"/no/such/place\" does not exist."});
    EXPECT_EQ(text(CONFIG_FILE_DIR), text(before));
}

// Before the event loop runs there is nothing to save: the program ends at
// once, with the signal's number as its status.
TEST(SignalsDeathTest, InterruptOrTerminationBeforeTheEventLoopEndsWithTheSignalNumber)
{
    for (int signal_number : {SIGINT, SIGTERM}) {
        EXPECT_EXIT((handle_signals(), raise(signal_number)), testing::ExitedWithCode(signal_number), "")
            << "signal " << signal_number;
    }
}

TEST(SignalsDeathTest, CrashesEndWithTheInternalErrorAnd255)
{
    for (int signal_number : {SIGSEGV, SIGBUS, SIGABRT}) {
        EXPECT_EXIT((handle_signals(), raise(signal_number)), testing::ExitedWithCode(255),
                    "^" + folded_pattern("kitsetup Error: unrecoverable internal error.") + "\n$")
            << "signal " << signal_number;
    }
}

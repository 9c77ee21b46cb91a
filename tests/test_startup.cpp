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

// Restores the seven directory variables and the working directory.
class layout_guard {
public:
    layout_guard()
        : saved_{INSTALL_DIR, CONFIG_FILE_DIR, ICONS_DIR, MESSAGES_DIR, HELP_DIR, BIN_DIR, MAP_DIR}
    {
        char* cwd = getcwd(nullptr, 0);
        cwd_ = cwd;
        std::free(cwd);
    }
    ~layout_guard()
    {
        listring* variables[] = {&INSTALL_DIR, &CONFIG_FILE_DIR, &ICONS_DIR, &MESSAGES_DIR,
                                 &HELP_DIR, &BIN_DIR, &MAP_DIR};
        for (int i = 0; i < 7; ++i)
            *variables[i] = saved_[i];
        if (chdir(cwd_.c_str()) != 0)
            ADD_FAILURE() << "cannot return to " << cwd_;
    }

private:
    listring saved_[7];
    std::string cwd_;
};

std::string real_path(const std::string& path)
{
    char* resolved = realpath(path.c_str(), nullptr);
    std::string result = resolved == nullptr ? "" : resolved;
    std::free(resolved);
    return result;
}

}  // namespace

TEST(SetupDirectories, LaysOutEveryDirectoryUnderTheInstallDirectory)
{
    layout_guard guard;
    setenv("KARCH", "i86pc", 1);
    ASSERT_EQ(setup_directories("/opt/tarnu/install/"), -1) << "not a directory here";
    temp_dir dir;
    ASSERT_EQ(setup_directories((dir.path() + "/").c_str()), 0);
    std::string root = dir.path();
    EXPECT_EQ(std::string(INSTALL_DIR), root);
    EXPECT_EQ(std::string(CONFIG_FILE_DIR), root + "/config");
    EXPECT_EQ(std::string(ICONS_DIR), root + "/icons");
    EXPECT_EQ(std::string(MESSAGES_DIR), root + "/nls");
    EXPECT_EQ(std::string(HELP_DIR), root + "/hh");
    EXPECT_EQ(std::string(MAP_DIR), root + "/map");
    EXPECT_EQ(std::string(BIN_DIR), root + "/bin/i86pc");
    setenv("KARCH", KITSETUP_KARCH, 1);
}

TEST(SetupDirectories, DotAndTheCurrentDirectoryGiveTheSameAbsoluteLayout)
{
    layout_guard guard;
    temp_dir dir;
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    ASSERT_EQ(setup_directories("."), 0);
    EXPECT_EQ(std::string(INSTALL_DIR), real_path(dir.path()));
    listring from_dot = CONFIG_FILE_DIR;
    ASSERT_EQ(setup_directories(dir.path().c_str()), 0);
    EXPECT_EQ(std::string(CONFIG_FILE_DIR), std::string(from_dot));
}

TEST(SetupDirectories, MissingDirectoryIsReportedAndLeavesTheLayout)
{
    layout_guard guard;
    listring before = CONFIG_FILE_DIR;
    message_recorder recorder;
    EXPECT_EQ(setup_directories("/no/such/place"), -1);
    ASSERT_EQ(recorder.texts().size(), 1u);
    EXPECT_EQ(recorder.texts()[0], "Directory \"/no/such/place\" does not exist.");
    EXPECT_EQ(std::string(CONFIG_FILE_DIR), std::string(before));
}

TEST(SetupEnvironment, ExportsTheLayoutForChildren)
{
    layout_guard guard;
    temp_dir dir;
    setenv("KARCH", KITSETUP_KARCH, 1);
    ASSERT_EQ(setup_directories(dir.path().c_str()), 0);
    setup_environment();
    EXPECT_EQ(std::string(std::getenv("HHPATH")), dir.path() + "/bin/" KITSETUP_KARCH);
    EXPECT_EQ(std::string(std::getenv("HOHPATH")), dir.path() + "/hh");
    EXPECT_EQ(std::string(std::getenv("KITSETUP_DIR")), dir.path());
    EXPECT_EQ(std::string(std::getenv("ICONS_DIR")), dir.path() + "/icons");
}

TEST(SignalsDeathTest, InterruptShutsDownWithTheSignalNumber)
{
    EXPECT_EXIT(
        {
            handle_signals();
            raise(SIGINT);
        },
        testing::ExitedWithCode(2), "");
}

TEST(SignalsDeathTest, CrashesEndWithTheInternalErrorAnd255)
{
    for (int signal_number : {SIGSEGV, SIGBUS, SIGABRT}) {
        EXPECT_EXIT(
            {
                handle_signals();
                raise(signal_number);
            },
            testing::ExitedWithCode(255), "^kitsetup Error: unrecoverable internal error\\.\n$")
            << "signal " << signal_number;
    }
}

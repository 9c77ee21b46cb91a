// Start-up inside the process: directory layout, exported environment, signals.
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

// A trailing slash goes and "." is the absolute current directory; a
// missing directory is reported and leaves the layout as it was.
TEST(SetupDirectories, LaysOutAndExportsEveryDirectoryAndAMissingOneChangesNothing)
{
    layout_guard guard;
    temp_dir dir;
    setenv("KARCH", "i86pc", 1);
    ASSERT_EQ(setup_directories((dir.path() + "/").c_str()), 0);
    const std::string root = dir.path();
    const std::pair<listring*, const char*> below[] = {
        {&INSTALL_DIR, ""}, {&CONFIG_FILE_DIR, "/config"}, {&ICONS_DIR, "/icons"}, {&MESSAGES_DIR, "/nls"},
        {&HELP_DIR, "/hh"}, {&MAP_DIR, "/map"}, {&BIN_DIR, "/bin/i86pc"}};
    for (const auto& [variable, path] : below)
        EXPECT_EQ(text(*variable), root + path) << path;

    setup_environment();
    EXPECT_EQ(std::string(std::getenv("HHPATH")) + "|" + std::getenv("HOHPATH") + "|" + std::getenv("KITSETUP_DIR") +
                  "|" + std::getenv("ICONS_DIR"), root + "/bin/i86pc|" + root + "/hh|" + root + "|" + root + "/icons")
        << "HHPATH|HOHPATH|KITSETUP_DIR|ICONS_DIR";

    write_file(dir / "here/.keep", "");  // not the last layout's, so a call that did nothing shows
    ASSERT_EQ(chdir((dir / "here").c_str()), 0);
    ASSERT_EQ(setup_directories("."), 0);
    char* resolved = realpath((dir / "here").c_str(), nullptr);
    EXPECT_EQ(text(INSTALL_DIR), resolved);
    std::free(resolved);
    listring before = CONFIG_FILE_DIR;
    message_recorder recorder;
    EXPECT_EQ(setup_directories("/no/such/place"), -1);
    EXPECT_EQ(recorder.texts(), strings{"Directory \"/no/such/place\" does not exist."});
    EXPECT_EQ(text(CONFIG_FILE_DIR), text(before));
}

// Before the event loop there is nothing to save: an interrupt ends the program at
// once with the signal's number; a crash with the internal error and 255.
TEST(SignalsDeathTest, InterruptsEndWithTheSignalNumberAndCrashesWithTheInternalError)
{
    const std::string crash =
        "^" + folded_pattern("kitsetup Error: unrecoverable internal error.") + "\n$";
    const struct { int signal_number, status; std::string err; } rows[] = {
        {SIGINT, SIGINT, ""}, {SIGTERM, SIGTERM, ""}, {SIGSEGV, 255, crash}, {SIGBUS, 255, crash},
        {SIGABRT, 255, crash}};
    for (const auto& row : rows)
        EXPECT_EXIT((handle_signals(), raise(row.signal_number)), testing::ExitedWithCode(row.status),
                    row.err)
            << "signal " << row.signal_number;
}

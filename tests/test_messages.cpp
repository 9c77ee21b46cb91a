// The message functions before the toolkit is up: what reaches standard
// error and the answers.
#include <gtest/gtest.h>

#include <string>

#include "message_recorder.h"
#include "ui/dialogs.h"

namespace {

std::string captured_stderr_of(void (*show)())
{
    testing::internal::CaptureStderr();
    show();
    return testing::internal::GetCapturedStderr();
}

}  // namespace

// Without the toolkit each kind goes to standard error with its prefix, a short
// text keeps its line breaks, and a warning answers no.
TEST(TextMessages, EachKindWritesItsPrefix)
{
    EXPECT_EQ(captured_stderr_of([] { error("Disk on fire.", true); }), "kitsetup Error: Disk on fire.\n");
    EXPECT_EQ(captured_stderr_of([] { EXPECT_FALSE(warning("Careful.", true)); }),
              "kitsetup Warning: Careful.\n");
    EXPECT_EQ(captured_stderr_of([] { information("one\ntwo", true); }), "one\ntwo\n");
}

TEST(TextMessagesDeathTest, ConfirmCannotBeAnsweredAndEndsTheProgram)
{
    EXPECT_EXIT(confirm("Continue?", true), testing::ExitedWithCode(255),
                "^" + folded_pattern("Unable to popup a dialog, interface has not yet been initialised.") + "\n$");
}

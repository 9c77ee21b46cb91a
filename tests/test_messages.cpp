// The message functions before the toolkit is up: what reaches standard
// error, the answers and the 80-column wrapping.
#include <gtest/gtest.h>

#include <sstream>
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

// Without the toolkit each kind goes to standard error with its prefix, a
// short text keeps its own line breaks, a long one is wrapped at 80 columns,
// and a warning answers no.
TEST(TextMessages, EachKindWritesItsPrefixAndTheTextWrappedAtEightyColumns)
{
    EXPECT_EQ(captured_stderr_of([] { error("Disk on fire.", true); }), "kitsetup Error: Disk on fire.\n");
    EXPECT_EQ(captured_stderr_of([] { EXPECT_FALSE(warning("Careful.", true)); }),
              "kitsetup Warning: Careful.\n");
    EXPECT_EQ(captured_stderr_of([] { information("one\ntwo", true); }), "one\ntwo\n");
    std::string err = captured_stderr_of([] {
        std::string sentence;
        while (sentence.size() < 200)
            sentence += "word ";
        sentence += "end";
        error(sentence.c_str(), true);
    });
    std::istringstream lines(err.substr(std::string("kitsetup Error: ").size()));
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count)
        EXPECT_LE(line.size(), 80u) << "line " << count << ": " << line;
    EXPECT_EQ(count, 3);
}

TEST(TextMessagesDeathTest, ConfirmCannotBeAnsweredAndEndsTheProgram)
{
    EXPECT_EXIT(confirm("Continue?", true), testing::ExitedWithCode(255),
                "^" + folded_pattern("Unable to popup a dialog, interface has not yet been initialised.") + "\n$");
}

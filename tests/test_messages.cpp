// The message functions before the toolkit is up: what reaches standard
// error, the answers, the 80-column wrapping and the test catcher.
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

TEST(TextMessages, ErrorWritesThePrefixAndTheText)
{
    std::string err = captured_stderr_of([] { error("Disk on fire.", true); });
    EXPECT_EQ(err, "kitsetup Error: Disk on fire.\n");
}

TEST(TextMessages, WarningWritesThePrefixAndAnswersFalse)
{
    liboolean answer = true;
    testing::internal::CaptureStderr();
    answer = warning("Careful.", true);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "kitsetup Warning: Careful.\n");
    EXPECT_FALSE(answer);
}

TEST(TextMessages, InformationWritesTheBareText)
{
    std::string err = captured_stderr_of([] { information("All done.", false); });
    EXPECT_EQ(err, "All done.\n");
}

TEST(TextMessagesDeathTest, ConfirmCannotBeAnsweredAndEndsTheProgram)
{
    EXPECT_EXIT(confirm("Continue?", true), testing::ExitedWithCode(255),
                "^" + folded_pattern("Unable to popup a dialog, interface has not yet been initialised.") + "\n$");
}

TEST(TextMessages, LongMessagesAreWrappedAtEightyColumns)
{
    std::string err = captured_stderr_of([] {
        std::string sentence;
        while (sentence.size() < 200)
            sentence += "word ";
        sentence += "end";
        error(sentence.c_str(), true);
    });
    std::istringstream lines(err.substr(std::string("kitsetup Error: ").size()));
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        EXPECT_LE(line.size(), 80u) << "line " << count << ": " << line;
        ++count;
    }
    EXPECT_EQ(count, 3);
}

TEST(TextMessages, ShortMessagesKeepTheirOwnLineBreaks)
{
    std::string err = captured_stderr_of([] { information("one\ntwo", true); });
    EXPECT_EQ(err, "one\ntwo\n");
}

TEST(MessageCatcher, RecordsEveryKindAndAnswersFromItsQueue)
{
    message_recorder recorder;
    recorder.answer_next(false);
    recorder.answer_next(true);
    testing::internal::CaptureStderr();
    error("e", true);
    EXPECT_FALSE(warning("w", true));
    EXPECT_TRUE(confirm("c", true));
    information("i", true);
    EXPECT_TRUE(confirm("unqueued answers are yes", true));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "caught messages must not be shown";
    ASSERT_EQ(recorder.messages().size(), 5u);
    EXPECT_EQ(recorder.messages()[0].kind, message_kind::error);
    EXPECT_EQ(recorder.messages()[1].kind, message_kind::warning);
    EXPECT_EQ(recorder.messages()[2].kind, message_kind::confirm);
    EXPECT_EQ(recorder.messages()[3].kind, message_kind::information);
    EXPECT_EQ(recorder.texts()[1], "w");
}

TEST(MessageCatcher, NestedRecordersRestoreTheOuterOne)
{
    message_recorder outer;
    {
        message_recorder inner;
        error("inner", true);
        EXPECT_EQ(inner.texts().size(), 1u);
    }
    error("outer", true);
    ASSERT_EQ(outer.texts().size(), 1u);
    EXPECT_EQ(outer.texts()[0], "outer");
}

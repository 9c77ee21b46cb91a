// The list of running children: order kept on removal, an out-of-range
// removal reported and survived, descriptors never deleted by the list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "message_recorder.h"
#include "misc/l_proc_desc.h"

namespace {

std::vector<pid_t> pids(const l_proc_desc& list)
{
    std::vector<pid_t> result;
    for (unsigned i = 0; i < list.entries(); ++i)
        result.push_back(list.elem(i)->pid);
    return result;
}

}  // namespace

TEST(l_proc_desc, removal_keeps_order_and_reports_bad_subscripts)
{
    message_recorder recorder;
    // Descriptors on the stack: a list that deleted them would crash here.
    proc_desc_t first{101, nullptr, nullptr};
    proc_desc_t second{202, nullptr, nullptr};
    proc_desc_t third{303, nullptr, nullptr};
    {
        l_proc_desc list;
        ASSERT_EQ(list.add(&first), 0);
        ASSERT_EQ(list.add(&second), 0);
        ASSERT_EQ(list.add(&third), 0);
        EXPECT_EQ(list.elem(1), &second);

        EXPECT_EQ(list.remove(1), 0);
        EXPECT_EQ(pids(list), (std::vector<pid_t>{101, 303}));
        EXPECT_TRUE(recorder.messages().empty());

        EXPECT_EQ(list.remove(2), -1);
        ASSERT_EQ(recorder.messages().size(), 1u);
        EXPECT_EQ(recorder.messages()[0].kind, message_kind::error);
        EXPECT_EQ(recorder.messages()[0].text, "Process descriptor error, subscript 2 is out of bounds.");
        EXPECT_EQ(pids(list), (std::vector<pid_t>{101, 303}));

        // tail() goes through the checked remove as well.
        EXPECT_EQ(list.tail(), 0);
        EXPECT_EQ(list.tail(), 0);
        EXPECT_EQ(list.tail(), -1);
        EXPECT_EQ(recorder.messages().size(), 2u);
        list.add(&first);
    }
    EXPECT_EQ(first.pid, 101);
}

// The list of running children: order kept on removal, a bad subscript reported
// and survived, descriptors never deleted by the list.
#include <gtest/gtest.h>


#include "message_recorder.h"
#include "misc/l_proc_desc.h"

TEST(l_proc_desc, removal_keeps_order_and_reports_bad_subscripts)
{
    message_recorder recorder;
    // Descriptors on the stack: a list that deleted them would crash here.
    proc_desc_t processes[3] = {{101, nullptr, nullptr}, {202, nullptr, nullptr}, {303, nullptr, nullptr}};
    l_proc_desc list;
    for (proc_desc_t& process : processes)
        ASSERT_EQ(list.add(&process), 0);
    EXPECT_EQ(list.remove(1), 0);
    EXPECT_EQ(list.remove(2), -1);
    ASSERT_EQ(list.entries(), 2u);
    EXPECT_EQ(std::to_string(list.elem(0)->pid) + " " + std::to_string(list.elem(1)->pid), "101 303");
    // tail() goes through the checked remove as well.
    EXPECT_EQ(list.tail(), 0);
    EXPECT_EQ(list.tail(), 0);
    EXPECT_EQ(list.tail(), -1);
    ASSERT_EQ(recorder.messages().size(), 2u);
    EXPECT_EQ(recorder.messages()[0].kind, message_kind::error);
    EXPECT_EQ(recorder.messages()[0].text, "Process descriptor error, subscript 2 is out of bounds.");
}

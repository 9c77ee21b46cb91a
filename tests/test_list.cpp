// The generic list: order after removals, the ownership rule and the
// subscript checks (exact look-up by name: test_product_list).
#include <gtest/gtest.h>

#include <string>

#include "lib/l_listring.h"
#include "lib/list.h"
#include "message_recorder.h"

namespace {

std::string contents(const List& list)
{
    std::string result;
    for (unsigned i = 0; i < list.entries(); ++i)
        result += static_cast<const char*>(list.elem(i));
    return result;
}

// Counts its own destructions, to show which list frees what.
struct counted : listring {
    explicit counted(int* destroyed) : listring("counted"), destroyed_(destroyed) {}
    ~counted() override { ++*destroyed_; }
    int* destroyed_;
};

}  // namespace

TEST(List, RemovalsKeepTheOrderAndTheRingClosed)
{
    List list;
    EXPECT_EQ(list.tail(), -1) << "tail of an empty list";
    EXPECT_EQ(list.remove(0), -1);
    for (const char* s : {"a", "b", "c", "d"})
        ASSERT_EQ(list.add(s), 0);
    ASSERT_EQ(list.remove(1), 0);
    EXPECT_EQ(contents(list), "acd");
    // Backwards and by jumps, from wherever the last look-up left off.
    EXPECT_EQ(std::string(static_cast<const char*>(list.elem(2))) + static_cast<const char*>(list.elem(0)) +
                  static_cast<const char*>(list.elem(1)) + static_cast<const char*>(list.elem(2)),
              "dacd");
    ASSERT_EQ(list.remove(0), 0);
    EXPECT_EQ(contents(list), "cd");
    ASSERT_EQ(list.remove(1), 0);
    list.add("e");
    EXPECT_EQ(contents(list), "ce") << "removing the last entry must relink the head";
    EXPECT_EQ(list.remove(2), -1);
    EXPECT_EQ(list.entries(), 2u);
    ASSERT_EQ(list.remove(0), 0);
    EXPECT_EQ(list.tail(), 0) << "tail of the only element";
    EXPECT_TRUE(list.is_empty());
    list.add("again");
    EXPECT_EQ(contents(list), "again");
}

TEST(ListDeathTest, ElemOutOfRangeEndsWithTheRangeMessage)
{
    List list;
    list.add("a");
    EXPECT_EXIT(list.elem(3), testing::ExitedWithCode(255),
                folded_pattern("List: operator [] range error on element 3"));
}

TEST(LListring, NeverFreesItsStringsAndCopiesOnAddByValue)
{
    int destroyed = 0;
    counted* first = new counted(&destroyed);
    listring original("first");
    {
        l_listring list;
        list.add(first);
        ASSERT_EQ(list.add(original), 0);
        original = "changed";
        EXPECT_STREQ(list.elem(1)->c_str(), "first");
        delete list.elem(1);
        list.remove(0);
    }
    EXPECT_EQ(destroyed, 0);
    delete first;
    EXPECT_EQ(destroyed, 1);
}

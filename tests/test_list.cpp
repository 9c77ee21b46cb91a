// The generic list and the typed-list pattern: order after removals, the
// ownership rule, exact look-up by name and the subscript checks.
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

// A list keyed by name, as the lists of products and subsets are.
class l_named : public typed_list<listring> {
public:
    l_named() : typed_list<listring>(labels_) {}
    listring* elem_by_name(const listring& name) const
    {
        return find_by_key(name, [](const listring& s) -> const listring& { return s; });
    }

protected:
    listring element_name(const listring& s) const override { return s; }

private:
    static const list_labels labels_;
};

const list_labels l_named::labels_ = {"product", "Product"};

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

TEST(LListringDeathTest, SubscriptOutOfBoundsShowsTheLabelAndEnds)
{
    l_listring list;
    EXPECT_EXIT(list.elem(2), testing::ExitedWithCode(255),
                folded_pattern("kitsetup Error: String error, subscript 2 is out of bounds."));
}

TEST(TypedList, LookupByNameIsExactEvenWhileTheProgramIgnoresCase)
{
    listring lower("kps30");
    l_named list;
    list.add(&lower);
    listring::case_sensitive_off();
    EXPECT_EQ(list.elem_by_name("KPS30"), nullptr);
    EXPECT_EQ(list.elem_by_name("kps30"), &lower);
    EXPECT_FALSE(listring::is_case_sensitive()) << "the program's setting was not restored";
    listring::case_sensitive_on();
}

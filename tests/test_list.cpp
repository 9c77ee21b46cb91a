// The generic list and the typed-list pattern: order after removals, the
// ownership rule and the messages of the subscript checks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/l_listring.h"
#include "lib/list.h"
#include "message_recorder.h"

namespace {

std::vector<std::string> contents(const List& list)
{
    std::vector<std::string> result;
    for (unsigned i = 0; i < list.entries(); ++i)
        result.push_back(static_cast<const char*>(list.elem(i)));
    return result;
}

// Counts its own destructions, to show which list frees what.
struct counted : listring {
    explicit counted(int* destroyed) : listring("counted"), destroyed_(destroyed) {}
    ~counted() override { ++*destroyed_; }
    int* destroyed_;
};

}  // namespace

TEST(List, RemovingKeepsTheOrderOfTheRest)
{
    const char* a = "a"; const char* b = "b"; const char* c = "c"; const char* d = "d";
    List list;
    for (const char* s : {a, b, c, d})
        ASSERT_EQ(list.add(s), 0);
    ASSERT_EQ(list.remove(1), 0);
    EXPECT_EQ(contents(list), (std::vector<std::string>{"a", "c", "d"}));
    ASSERT_EQ(list.remove(0), 0);
    EXPECT_EQ(contents(list), (std::vector<std::string>{"c", "d"}));
    ASSERT_EQ(list.remove(1), 0);
    EXPECT_EQ(contents(list), (std::vector<std::string>{"c"}));
}

TEST(List, RemovingTheLastEntryKeepsTheRingClosed)
{
    List list;
    for (const char* s : {"a", "b", "c"})
        list.add(s);
    list.remove(2);
    list.add("e");
    EXPECT_EQ(contents(list), (std::vector<std::string>{"a", "b", "e"}));
}

TEST(List, TailOfOneElementEmptiesAndOfNoneFails)
{
    List list;
    EXPECT_EQ(list.tail(), -1);
    EXPECT_TRUE(list.is_empty());
    list.add("only");
    EXPECT_EQ(list.tail(), 0);
    EXPECT_TRUE(list.is_empty());
    EXPECT_EQ(list.entries(), 0u);
}

TEST(List, RemoveOutOfRangeFailsAndChangesNothing)
{
    List list;
    EXPECT_EQ(list.remove(0), -1);
    list.add("a");
    EXPECT_EQ(list.remove(1), -1);
    EXPECT_EQ(list.entries(), 1u);
}

TEST(List, ManyAddsAndEmptyLeaveNothing)
{
    List list;
    int values[1000];
    for (int& v : values)
        list.add(&v);
    EXPECT_EQ(list.entries(), 1000u);
    EXPECT_EQ(list.elem(999), &values[999]);
    list.empty();
    EXPECT_TRUE(list.is_empty());
    list.add(&values[0]);
    EXPECT_EQ(list.elem(0), &values[0]);
}

TEST(ListDeathTest, ElemOutOfRangeEndsWithTheRangeMessage)
{
    List list;
    list.add("a");
    EXPECT_EXIT(list.elem(3), testing::ExitedWithCode(255),
                "List: operator \\[\\] range error on element 3");
}

TEST(LListring, DestroyingTheListFreesNoneOfItsStrings)
{
    int destroyed = 0;
    counted* first = new counted(&destroyed);
    counted* second = new counted(&destroyed);
    {
        l_listring list;
        list.add(first);
        list.add(second);
        list.remove(0);
    }
    EXPECT_EQ(destroyed, 0);
    delete first;
    delete second;
    EXPECT_EQ(destroyed, 2);
}

TEST(LListring, AddByValueStoresAnIndependentCopy)
{
    listring original("first");
    l_listring list;
    ASSERT_EQ(list.add(original), 0);
    original = "changed";
    EXPECT_STREQ(list.elem(0)->c_str(), "first");
    delete list.elem(0);
}

TEST(LListringDeathTest, SubscriptOutOfBoundsShowsTheLabelAndEnds)
{
    l_listring list;
    EXPECT_EXIT(list.elem(2), testing::ExitedWithCode(255),
                "kitsetup Error: String error, subscript 2 is out of bounds\\.");
}

namespace {

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
    EXPECT_EQ(list.elem_by_name("KPS30"), nullptr);
    EXPECT_TRUE(listring::is_case_sensitive());
}

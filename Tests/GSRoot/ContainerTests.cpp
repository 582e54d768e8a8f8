// GS::HashSet, GS::HashTable and GS::Array: insertion order, duplicates and swap-remove.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../../Sources/Host/GSRoot/Array.hpp"
#include "../../Sources/Host/GSRoot/HashSet.hpp"
#include "../../Sources/Host/GSRoot/HashTable.hpp"

namespace {

template <typename Set> std::vector<int> Members(const Set& set)
{
    return std::vector<int>(set.begin(), set.end());
}

TEST(HashSet, KeepsInsertionOrderAndRejectsDuplicates)
{
    GS::HashSet<int> set;
    EXPECT_TRUE(set.Add(30));
    EXPECT_TRUE(set.Add(10));
    EXPECT_TRUE(set.Add(20));
    EXPECT_FALSE(set.Add(10));
    EXPECT_EQ(Members(set), (std::vector<int>{30, 10, 20}));
    EXPECT_EQ(set.GetSize(), 3u);
}

TEST(HashSet, DeleteMovesLastMemberIntoThePlace)
{
    GS::HashSet<int> set{1, 2, 3, 4, 5};
    EXPECT_TRUE(set.Delete(2));
    EXPECT_EQ(Members(set), (std::vector<int>{1, 5, 3, 4}));
    EXPECT_TRUE(set.Delete(4)); // the last member: nothing moves
    EXPECT_EQ(Members(set), (std::vector<int>{1, 5, 3}));
    EXPECT_FALSE(set.Delete(42));
    // The moved member is still found and deletable at its new place.
    EXPECT_TRUE(set.Contains(5));
    EXPECT_TRUE(set.Delete(5));
    EXPECT_EQ(Members(set), (std::vector<int>{1, 3}));
    EXPECT_TRUE(set.Add(2));
    EXPECT_EQ(Members(set), (std::vector<int>{1, 3, 2}));
}

TEST(HashTable, KeepsInsertionOrderRejectsDuplicatesAndSwapRemoves)
{
    GS::HashTable<std::string, int> table;
    EXPECT_TRUE(table.Add("c", 3));
    EXPECT_TRUE(table.Add("a", 1));
    EXPECT_TRUE(table.Add("d", 4));
    EXPECT_TRUE(table.Add("b", 2));
    EXPECT_FALSE(table.Add("a", 100));
    EXPECT_EQ(table.Get("a"), 1);

    table.Put("a", 11);
    table.Put("e", 5);
    EXPECT_TRUE(table.Delete("c"));
    std::vector<std::string> keys;
    std::vector<int> values;
    for (const auto& entry : table) {
        keys.push_back(entry.key);
        values.push_back(entry.value);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"e", "a", "d", "b"}));
    EXPECT_EQ(values, (std::vector<int>{5, 11, 4, 2}));
    ASSERT_NE(table.GetPtr("e"), nullptr);
    EXPECT_EQ(*table.GetPtr("e"), 5);
    EXPECT_EQ(table.GetPtr("c"), nullptr);
    EXPECT_FALSE(table.Delete("c"));
}

TEST(Array, FindFirstAnswersSizeWhenMissing)
{
    GS::Array<int> array{4, 5, 4};
    EXPECT_EQ(array.FindFirst(4), 0u);
    EXPECT_EQ(array.FindFirst(9), array.GetSize());
    array.Delete(0);
    EXPECT_EQ(array, (GS::Array<int>{5, 4}));
}

} // namespace

#include "engine/list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
// The elements from head to tail, checking the back links on the way.
std::vector<int> Walk(const LinkedList<int>& list)
{
    std::vector<int> values;
    const ListNode<int>* prev = nullptr;
    for (const ListNode<int>* n = list.Begin(); n; n = n->Next)
    {
        EXPECT_EQ(n->Prev, prev);
        values.push_back(n->Data);
        prev = n;
    }
    EXPECT_EQ(list.Tail, prev);
    EXPECT_EQ(values.size(), list.Size());
    return values;
}

void Fill(LinkedList<int>& list, std::initializer_list<int> values)
{
    for (int v : values)
        list.PushBack(v);
}
} // namespace

TEST(LinkedList, EmptyListHasNoNodes)
{
    LinkedList<int> list;
    EXPECT_EQ(list.Begin(), nullptr);
    EXPECT_EQ(list.Tail, nullptr);
    EXPECT_EQ(list.Size(), 0u);
    list.Clear();
    EXPECT_EQ(list.Size(), 0u);
}

TEST(LinkedList, BeginReturnsElementsInPushOrder)
{
    LinkedList<int> list;
    Fill(list, {3, 1, 4, 1, 5});
    EXPECT_EQ(Walk(list), (std::vector<int>{3, 1, 4, 1, 5}));
}

TEST(LinkedList, EraseUnlinksAndReturnsTheFollower)
{
    {
        LinkedList<int> list;
        Fill(list, {1, 2, 3});
        ListNode<int>* second = list.Head->Next;
        EXPECT_EQ(list.Erase(list.Head), second);
        EXPECT_EQ(list.Head, second);
        EXPECT_EQ(Walk(list), (std::vector<int>{2, 3}));
    }
    {
        LinkedList<int> list;
        Fill(list, {1, 2, 3});
        ListNode<int>* second = list.Head->Next;
        EXPECT_EQ(list.Erase(list.Tail), nullptr);
        EXPECT_EQ(list.Tail, second);
        EXPECT_EQ(second->Next, nullptr);
        EXPECT_EQ(Walk(list), (std::vector<int>{1, 2}));
    }
    {
        LinkedList<int> list;
        Fill(list, {1, 2, 3});
        ListNode<int>* third = list.Tail;
        EXPECT_EQ(list.Erase(list.Head->Next), third);
        EXPECT_EQ(Walk(list), (std::vector<int>{1, 3}));
    }
}

TEST(LinkedList, ErasingTheOnlyNodeEmptiesTheList)
{
    LinkedList<int> list;
    list.PushBack(7);
    EXPECT_EQ(list.Erase(list.Begin()), nullptr);
    EXPECT_EQ(list.Head, nullptr);
    EXPECT_EQ(list.Tail, nullptr);
    EXPECT_EQ(list.Size(), 0u);
}

TEST(LinkedList, ErasingNullChangesNothing)
{
    LinkedList<int> list;
    Fill(list, {1, 2});
    EXPECT_EQ(list.Erase(nullptr), nullptr);
    EXPECT_EQ(Walk(list), (std::vector<int>{1, 2}));
}

TEST(LinkedList, EraseWhileWalkingDropsTheChosenElements)
{
    LinkedList<int> list;
    Fill(list, {1, 2, 3, 4, 5, 6});
    for (ListNode<int>* n = list.Begin(); n;)
        n = n->Data % 2 == 0 ? list.Erase(n) : n->Next;
    EXPECT_EQ(Walk(list), (std::vector<int>{1, 3, 5}));
}

TEST(LinkedList, CanBeFilledAgainAfterClear)
{
    LinkedList<std::string> list;
    list.PushBack("a");
    list.PushBack("b");
    list.Clear();
    EXPECT_EQ(list.Head, nullptr);
    EXPECT_EQ(list.Tail, nullptr);
    EXPECT_EQ(list.Size(), 0u);
    list.PushBack("c");
    ASSERT_NE(list.Begin(), nullptr);
    EXPECT_EQ(list.Begin()->Data, "c");
    EXPECT_EQ(list.Begin(), list.Tail);
    EXPECT_EQ(list.Size(), 1u);
}

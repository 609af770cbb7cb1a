#pragma once

// A small doubly linked list of values: filled at the end, walked from the
// front through the nodes, and erased in place while walking.

#include "math/dword.h"

template <typename T>
struct ListNode
{
    T Data{};
    ListNode* Next = nullptr;
    ListNode* Prev = nullptr;
};

template <typename T>
class LinkedList
{
public:
    ListNode<T>* Head = nullptr;
    ListNode<T>* Tail = nullptr;
    dword Count = 0;

    LinkedList() = default;
    ~LinkedList() { Clear(); }

    // The list owns its nodes; a copy would free them twice.
    LinkedList(const LinkedList&) = delete;
    LinkedList& operator=(const LinkedList&) = delete;

    void Clear()
    {
        while (Head)
            Erase(Head);
    }

    ListNode<T>* Begin() const { return Head; }

    void PushBack(T value)
    {
        auto* node = new ListNode<T>;
        node->Data = value;
        if (Tail)
        {
            Tail->Next = node;
            node->Prev = Tail;
            Tail = node;
            node->Next = nullptr;
        }
        else
        {
            Tail = Head = node;
            node->Prev = node->Next = nullptr;
        }
        ++Count;
    }

    // Unlinks and frees the node and returns the one that followed it, so a
    // walk can go on from there. The node must belong to this list.
    ListNode<T>* Erase(ListNode<T>* node)
    {
        if (!node)
            return nullptr;
        if (node->Prev)
            node->Prev->Next = node->Next;
        else
            Head = node->Next;
        if (node->Next)
            node->Next->Prev = node->Prev;
        else
            Tail = node->Prev;
        ListNode<T>* next = node->Next;
        delete node;
        --Count;
        return next;
    }

    dword Size() const { return Count; }
};

// XList: a doubly linked list of item pointers with one walk cursor. When it owns its items,
// removing a node deletes the item through DeleteItem (plain delete unless overridden).
// A walk: First(), then Next() returns each item and moves the cursor past it, so DeleteCurrent
// removes the item that Next() has just returned. A range-for walk keeps a position of its own,
// already past the visited item, so the visit may remove that item (but not its successor) and
// other walks, nested or not, leave it alone.
#pragma once

#include "foundation/CallTrace.h"

template <class T> class XList {
public:
    explicit XList(bool ownsItems = false) noexcept
        : m_ownsItems(ownsItems)
    {
    }
    // A subclass that overrides DeleteItem clears the list in its own destructor.
    virtual ~XList() { Clear(); }
    XList(const XList&) = delete;
    XList& operator=(const XList&) = delete;

    // Deletes an owned item; nothing for null.
    virtual void DeleteItem(T* item) { delete item; }

    // Appends item; returns its position (the count before adding).
    int AddTail(T* item)
    {
        Node* node = new Node { item, nullptr, m_tail };
        if (m_tail)
            m_tail->next = node;
        else
            m_head = node;
        m_tail = node;
        return m_count++;
    }

    // Position of the first node holding item, -1 when absent.
    int IndexOf(const T* item) const noexcept
    {
        int i = 0;
        for (Node* node = m_head; node; node = node->next, ++i) {
            if (node->item == item)
                return i;
        }
        return -1;
    }

    // Removes the first node holding item (and the item, when owned); false when absent. The
    // cursor moves to the removed node's successor.
    bool Remove(const T* item)
    {
        for (Node* node = m_head; node; node = node->next) {
            if (node->item == item) {
                m_cursor = node->next;
                DeleteNode(node);
                return true;
            }
        }
        return false;
    }

    // Removes the node before the cursor: the one Next() returned last, or the tail when the walk
    // has passed the end.
    void DeleteCurrent()
    {
        ZJ_TRACE("XList::DeleteCurrent");
        Node* node = m_cursor ? m_cursor->prev : m_tail;
        if (node)
            DeleteNode(node);
    }

    void Clear()
    {
        while (m_head) {
            Node* node = m_head;
            m_head = node->next;
            if (m_head)
                m_head->prev = nullptr;
            else
                m_tail = nullptr;
            --m_count;
            if (m_cursor == node)
                m_cursor = m_head;
            T* item = node->item;
            delete node;
            if (m_ownsItems && item)
                DeleteItem(item);
        }
        m_cursor = nullptr;
    }

    // Starts a walk at the head.
    void First() noexcept { m_cursor = m_head; }
    // The cursor's item, moving the cursor on; null at the end.
    T* Next() noexcept
    {
        if (!m_cursor)
            return nullptr;
        T* item = m_cursor->item;
        m_cursor = m_cursor->next;
        return item;
    }

    int Count() const noexcept { return m_count; }
    bool IsEmpty() const noexcept { return m_count == 0; }
    bool OwnsItems() const noexcept { return m_ownsItems; }
    void SetOwnsItems(bool owns) noexcept { m_ownsItems = owns; }
    T* Head() const noexcept { return m_head ? m_head->item : nullptr; }
    T* Tail() const noexcept { return m_tail ? m_tail->item : nullptr; }

private:
    struct Node {
        T* item;
        Node* next;
        Node* prev;
    };

public:
    class Walk {
    public:
        explicit Walk(const Node* node) noexcept
            : m_node(node)
            , m_next(node ? node->next : nullptr)
        {
        }
        T* operator*() const noexcept { return m_node->item; }
        Walk& operator++() noexcept
        {
            m_node = m_next;
            m_next = m_node ? m_node->next : nullptr;
            return *this;
        }
        bool operator!=(const Walk& other) const noexcept { return m_node != other.m_node; }

    private:
        const Node* m_node;
        const Node* m_next;
    };
    Walk begin() const noexcept { return Walk(m_head); }
    Walk end() const noexcept { return Walk(nullptr); }

private:
    // Unlinks and frees the node before deleting an owned item, so a failing item destructor
    // leaves the list consistent.
    void DeleteNode(Node* node)
    {
        if (node->prev)
            node->prev->next = node->next;
        else
            m_head = node->next;
        if (node->next)
            node->next->prev = node->prev;
        else
            m_tail = node->prev;
        if (m_cursor == node)
            m_cursor = node->next;
        --m_count;
        T* item = node->item;
        delete node;
        if (m_ownsItems && item)
            DeleteItem(item);
    }

    Node* m_head = nullptr;
    Node* m_tail = nullptr;
    Node* m_cursor = nullptr;
    int m_count = 0;
    bool m_ownsItems;
};

// XSlotPool: a fixed-capacity pool whose used slots form a chain. Slot 0 is the chain's head and
// holds no element; elements live in slots 1..capacity. Each slot stores the distance to the next
// used slot (0: none) and back to the previous one (or the head). The mark is the used slot (or
// the head) after which the next element goes. Walk: for (int s = First(); s; s = Next(s)).
#pragma once

#include "foundation/XRangeError.h"

#include <cstdint>
#include <memory>

template <class T> class XSlotPool {
public:
    XSlotPool() = default;
    explicit XSlotPool(int capacity) { Init(capacity); }

    // Room for capacity elements, all zeroed and free.
    void Init(int capacity)
    {
        if (capacity < 0)
            throw XRangeError();
        auto slots = static_cast<std::size_t>(capacity) + 1;
        m_links = std::make_unique<Link[]>(slots);
        m_elements = std::make_unique<T[]>(slots);
        m_capacity = capacity;
        m_mark = m_count = 0;
    }

    void Free() noexcept
    {
        m_links.reset();
        m_elements.reset();
        m_capacity = m_mark = m_count = 0;
    }

    // Frees every slot.
    void Clear() noexcept
    {
        for (int i = 0; i <= m_capacity; ++i)
            m_links[i] = Link {};
        m_mark = m_count = 0;
    }

    // Copies element into a free slot; returns the slot, -1 only when every slot is used.
    int Add(const T& element)
    {
        if (m_count >= m_capacity)
            return -1;
        if (m_mark >= m_capacity)
            RestartMark();
        int slot = m_mark + 1;
        ++m_count;
        m_elements[slot] = element;
        uint32_t distance = m_links[m_mark].next;
        if (distance != 0) {
            m_links[m_mark + distance].back -= 1;
            m_links[slot].next = distance - 1;
            m_links[m_mark].next = 1;
            m_links[slot].back = 1;
            m_mark = slot;
            SkipUsedRun();
        } else {
            m_links[m_mark].next = 1;
            m_links[slot].back = 1;
            m_links[slot].next = 0;
            m_mark = slot;
        }
        if (m_mark >= m_capacity)
            RestartMark();
        return slot;
    }

    // Frees a used slot; anything else throws XRangeError.
    void Remove(int slot)
    {
        if (!IsUsed(slot))
            throw XRangeError();
        uint32_t next = m_links[slot].next;
        uint32_t back = m_links[slot].back;
        --m_count;
        if (next != 0) {
            m_links[slot - back].next += next;
            m_links[slot + next].back += back;
        } else {
            m_links[slot - back].next = 0;
        }
        if (slot == m_mark)
            m_mark = slot - static_cast<int>(back);
        m_links[slot] = Link {};
    }

    // The first used slot, 0 when none.
    int First() const noexcept { return m_links ? static_cast<int>(m_links[0].next) : 0; }
    // The used slot after slot, 0 at the end.
    int Next(int slot) const noexcept
    {
        uint32_t next = m_links[slot].next;
        return next ? slot + static_cast<int>(next) : 0;
    }

    // The element of a used slot; anything else throws XRangeError.
    T& At(int slot)
    {
        if (!IsUsed(slot))
            throw XRangeError();
        return m_elements[slot];
    }

    bool IsUsed(int slot) const noexcept
    {
        return static_cast<unsigned>(slot) - 1u < static_cast<unsigned>(m_capacity)
            && m_links[slot].back != 0;
    }
    int Count() const noexcept { return m_count; }
    int Capacity() const noexcept { return m_capacity; }
    bool IsFull() const noexcept { return m_count >= m_capacity; }

private:
    struct Link {
        uint32_t next = 0;
        uint32_t back = 0;
    };

    void SkipUsedRun() noexcept
    {
        while (m_mark < m_capacity && m_links[m_mark].next == 1)
            ++m_mark;
    }
    void RestartMark() noexcept
    {
        m_mark = 0;
        SkipUsedRun();
    }

    int m_mark = 0;
    int m_capacity = 0;
    int m_count = 0;
    std::unique_ptr<Link[]> m_links;
    std::unique_ptr<T[]> m_elements;
};

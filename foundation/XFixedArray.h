// XFixedArray: N elements stored inline, every access tested against the capacity N.
// XFixedArrayList adds a count of used elements (the list form) with Add, InsertAt and RemoveAt.
#pragma once

#include "foundation/XRangeError.h"

#include <cstdint>

template <class T, int N> class XFixedArray {
    static_assert(N > 0);

public:
    // Element i for 0 <= i < N, whatever the list's count; otherwise throws XRangeError.
    T& At(int i)
    {
        if (i < 0 || i >= N)
            throw XRangeError();
        return m_items[i];
    }
    const T& At(int i) const
    {
        if (i < 0 || i >= N)
            throw XRangeError();
        return m_items[i];
    }
    static constexpr int Capacity() noexcept { return N; }
    T* Data() noexcept { return m_items; }
    const T* Data() const noexcept { return m_items; }

protected:
    T m_items[N] {};
};

template <class T, int N> class XFixedArrayList : public XFixedArray<T, N> {
public:
    // Stores value at index count; a full list throws XRangeError.
    void Add(const T& value)
    {
        if (m_count >= N)
            throw XRangeError();
        this->m_items[m_count++] = value;
    }
    // Moves the elements from i on up by one and stores value at i; a full list drops its last
    // element and keeps its count. i outside 0..count (0..N-1 when full) throws XRangeError.
    void InsertAt(const T& value, int i)
    {
        const int last = m_count < N ? m_count : N - 1;
        if (i < 0 || i > last)
            throw XRangeError();
        for (int k = last; k > i; --k)
            this->m_items[k] = this->m_items[k - 1];
        this->m_items[i] = value;
        if (m_count < N)
            ++m_count;
    }
    // Moves the elements after i down by one; i outside 0..count-1 throws XRangeError.
    void RemoveAt(int i)
    {
        if (i < 0 || i >= m_count)
            throw XRangeError();
        for (int k = i; k + 1 < m_count; ++k)
            this->m_items[k] = this->m_items[k + 1];
        --m_count;
    }
    int Count() const noexcept { return m_count; }
    bool IsEmpty() const noexcept { return m_count == 0; }
    bool IsFull() const noexcept { return m_count >= N; }
    void Clear() noexcept { m_count = 0; }

private:
    int32_t m_count = 0;
};

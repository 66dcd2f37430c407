// XStaticFIFO: a fixed-capacity stack of N items stored inline, despite its name. Overflow and
// underflow write their message to the error log and throw XRangeError.
#pragma once

#include "foundation/ErrorLog.h"
#include "foundation/XRangeError.h"

template <class T, int N> class XStaticFIFO {
    static_assert(N > 0);

public:
    void Push(const T& value)
    {
        if (m_top >= N - 1) {
            WriteErrorLog("XStaticFIFO::Push index is out of range");
            throw XRangeError();
        }
        m_items[++m_top] = value;
    }

    T Pop()
    {
        if (m_top < 0) {
            WriteErrorLog("XStaticFIFO::Pop index is out of range");
            throw XRangeError();
        }
        return m_items[m_top--];
    }

    // The item k places below the top (0: the top).
    T& Last(int k = 0)
    {
        if (m_top < 0) {
            WriteErrorLog("XStaticFIFO::Last stack is empty");
            throw XRangeError();
        }
        if (k < 0 || k > m_top)
            throw XRangeError();
        return m_items[m_top - k];
    }

    int Count() const noexcept { return m_top + 1; }
    bool IsEmpty() const noexcept { return m_top < 0; }
    void Clear() noexcept { m_top = -1; }
    static constexpr int Capacity() noexcept { return N; }

private:
    T m_items[N] {};
    int m_top = -1;
};

// XDynamicArray: a count and one heap block of exactly count elements; no spare room. Every
// growth and deletion moves the content into a new block of the new size, byte by byte, so those
// operations need trivially copyable elements; class elements use SetSize and Done only. Every
// element access tests its index and throws XRangeError.
#pragma once

#include "foundation/ErrorLog.h"
#include "foundation/XMemBuffer.h"
#include "foundation/XRangeError.h"

#include <concepts>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <type_traits>
#include <utility>

template <class T> class XDynamicArray {
public:
    XDynamicArray() = default;
    ~XDynamicArray() { Done(); }
    XDynamicArray(const XDynamicArray&) = delete;
    XDynamicArray& operator=(const XDynamicArray&) = delete;
    XDynamicArray(XDynamicArray&& other) noexcept
        : m_count(std::exchange(other.m_count, 0))
        , m_data(std::exchange(other.m_data, nullptr))
    {
    }
    XDynamicArray& operator=(XDynamicArray&& other) noexcept
    {
        if (this != &other) {
            Done();
            m_count = std::exchange(other.m_count, 0);
            m_data = std::exchange(other.m_data, nullptr);
        }
        return *this;
    }

    int Count() const noexcept { return m_count; }
    bool IsEmpty() const noexcept { return m_count == 0; }
    T* Data() noexcept { return m_data; }
    const T* Data() const noexcept { return m_data; }
    T* begin() noexcept { return m_data; }
    T* end() noexcept { return m_data + m_count; }
    const T* begin() const noexcept { return m_data; }
    const T* end() const noexcept { return m_data + m_count; }

    // Element i for 0 <= i < count; otherwise throws XRangeError (nothing is logged).
    T& At(int i)
    {
        if (i < 0 || i >= m_count)
            throw XRangeError();
        return m_data[i];
    }
    const T& At(int i) const
    {
        if (i < 0 || i >= m_count)
            throw XRangeError();
        return m_data[i];
    }

    // Appends n elements, zero-filled when zero is set; returns the last element (null when the
    // array stays empty).
    T* AddEmpty(bool zero, int n = 1)
    {
        static_assert(std::is_trivially_copyable_v<T>, "AddEmpty moves elements as bytes");
        if (n < 0)
            throw XRangeError();
        if (n > std::numeric_limits<int32_t>::max() - m_count)
            throw std::bad_alloc();
        if (n == 0)
            return m_count ? m_data + m_count - 1 : nullptr;
        T* block = new T[static_cast<std::size_t>(m_count) + static_cast<std::size_t>(n)];
        if (m_count)
            std::memcpy(static_cast<void*>(block), m_data, sizeof(T) * static_cast<std::size_t>(m_count));
        if (zero)
            std::memset(static_cast<void*>(block + m_count), 0, sizeof(T) * static_cast<std::size_t>(n));
        delete[] m_data;
        m_data = block;
        m_count += n;
        return m_data + m_count - 1;
    }

    // Appends one element holding value; returns it.
    T& Add(const T& value)
    {
        T* last = AddEmpty(false, 1);
        *last = value;
        return *last;
    }

    // Removes element i keeping the order of the others. A bad index logs
    // "XDynamicArray::Delete index is out of range" and throws; the array is unchanged.
    void Delete(int i)
    {
        static_assert(std::is_trivially_copyable_v<T>, "Delete moves elements as bytes");
        if (i < 0 || i >= m_count) {
            WriteErrorLog("XDynamicArray::Delete index is out of range");
            throw XRangeError();
        }
        T* block = nullptr;
        if (m_count > 1) {
            block = new T[static_cast<std::size_t>(m_count) - 1];
            std::memcpy(static_cast<void*>(block), m_data, sizeof(T) * static_cast<std::size_t>(i));
            std::memcpy(static_cast<void*>(block + i), m_data + i + 1,
                sizeof(T) * static_cast<std::size_t>(m_count - i - 1));
        }
        delete[] m_data;
        m_data = block;
        --m_count;
    }

    // Index of the first element equal to value, -1 when none.
    int IndexOf(const T& value) const noexcept
    {
        for (int i = 0; i < m_count; ++i) {
            if constexpr (std::equality_comparable<T>) {
                if (m_data[i] == value)
                    return i;
            } else {
                if (std::memcmp(
                        static_cast<const void*>(m_data + i), static_cast<const void*>(&value), sizeof(T))
                    == 0)
                    return i;
            }
        }
        return -1;
    }

    // Frees the block (destroying class elements); count becomes 0.
    void Done() noexcept
    {
        delete[] m_data;
        m_data = nullptr;
        m_count = 0;
    }

    // Done, then a block of n default-constructed elements (none for n = 0).
    void SetSize(int n)
    {
        if (n < 0)
            throw XRangeError();
        Done();
        if (n > 0) {
            m_data = new T[static_cast<std::size_t>(n)]();
            m_count = n;
        }
    }

    // The u32 form in a stream: a count, then count values. The count is checked against the bytes
    // left before anything is read; a short stream throws XRangeError and leaves the array as it was.
    void Read(XMemBuffer& stream) requires std::same_as<T, uint32_t>
    {
        uint32_t count = stream.ReadU32();
        if (count > static_cast<uint32_t>(stream.Remaining()) / 4) {
            stream.SetPosition(stream.Position() - 4);
            throw XRangeError();
        }
        XDynamicArray values;
        values.SetSize(static_cast<int>(count));
        stream.Read(values.m_data, static_cast<int>(count * 4));
        *this = std::move(values);
    }

private:
    int32_t m_count = 0;
    T* m_data = nullptr;
};

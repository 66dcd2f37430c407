#include "foundation/XMemBuffer.h"

#include "foundation/XRangeError.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

void XMemBuffer::Reset(int capacity)
{
    if (capacity < 0)
        throw XRangeError();
    // calloc of 0 bytes may give null; keep one byte so Data() is always usable.
    auto* data = static_cast<uint8_t*>(std::calloc(static_cast<std::size_t>(std::max(capacity, 1)), 1));
    if (!data)
        throw std::bad_alloc();
    Free();
    m_data = data;
    m_capacity = capacity;
    m_position = 0;
    m_external = 0;
}

void XMemBuffer::Attach(void* data, int size)
{
    if (size < 0 || (!data && size > 0))
        throw XRangeError();
    Free();
    m_data = static_cast<uint8_t*>(data);
    m_capacity = size;
    m_position = 0;
    m_external = 1;
}

void XMemBuffer::Free() noexcept
{
    if (!m_external)
        std::free(m_data);
    m_data = nullptr;
    m_capacity = 0;
    m_position = 0;
    m_external = 0;
}

void XMemBuffer::GrowFor(int n)
{
    if (n < 0)
        throw XRangeError();
    int64_t need = int64_t(m_position) + n;
    if (need <= m_capacity)
        return;
    int64_t capacity = m_capacity;
    while (capacity < need)
        capacity += std::max<int64_t>(capacity / 4, 16);
    if (capacity > std::numeric_limits<int32_t>::max())
        throw std::bad_alloc();
    auto* data = static_cast<uint8_t*>(std::calloc(static_cast<std::size_t>(capacity), 1));
    if (!data)
        throw std::bad_alloc();
    if (m_capacity)
        std::memcpy(data, m_data, static_cast<std::size_t>(m_capacity));
    if (!m_external)
        std::free(m_data);
    m_external = 0;
    m_data = data;
    m_capacity = static_cast<int32_t>(capacity);
}

int XMemBuffer::Write(const void* bytes, int n)
{
    GrowFor(n);
    if (n)
        std::memcpy(m_data + m_position, bytes, static_cast<std::size_t>(n));
    m_position += n;
    return n;
}

int XMemBuffer::Reserve(int n)
{
    GrowFor(n);
    int offset = m_position;
    m_position += n;
    return offset;
}

void XMemBuffer::Read(void* dest, int n)
{
    if (n < 0 || n > Remaining())
        throw XRangeError();
    if (n)
        std::memcpy(dest, m_data + m_position, static_cast<std::size_t>(n));
    m_position += n;
}

uint32_t XMemBuffer::ReadU32()
{
    uint32_t value;
    Read(&value, 4);
    return value;
}

int32_t XMemBuffer::ReadI32()
{
    int32_t value;
    Read(&value, 4);
    return value;
}

float XMemBuffer::ReadF32()
{
    float value;
    Read(&value, 4);
    return value;
}

void XMemBuffer::SetPosition(int position)
{
    if (position < 0 || position > m_capacity)
        throw XRangeError();
    m_position = position;
}

void XMemBuffer::Skip(int n)
{
    if (n < 0 || n > Remaining())
        throw XRangeError();
    m_position += n;
}

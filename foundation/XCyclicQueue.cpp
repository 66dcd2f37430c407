#include "foundation/XCyclicQueue.h"

#include "foundation/XRangeError.h"

void XCyclicQueue::Init(int capacity)
{
    if (capacity < 0)
        throw XRangeError();
    m_values = std::make_unique<uint32_t[]>(static_cast<std::size_t>(capacity));
    m_capacity = static_cast<uint32_t>(capacity);
    m_read = m_write = 0;
}

void XCyclicQueue::Free() noexcept
{
    m_values.reset();
    m_capacity = m_read = m_write = 0;
}

void XCyclicQueue::Push(uint32_t value)
{
    if (m_capacity == 0)
        throw XRangeError();
    m_values[m_write] = value;
    m_write = (m_write + 1) % m_capacity;
    if (m_write == m_read)
        m_read = (m_read + 1) % m_capacity;
}

uint32_t XCyclicQueue::Pop()
{
    if (IsEmpty())
        throw XRangeError();
    uint32_t value = m_values[m_read];
    m_read = (m_read + 1) % m_capacity;
    return value;
}

int XCyclicQueue::Count() const noexcept
{
    return m_capacity ? int((m_write + m_capacity - m_read) % m_capacity) : 0;
}

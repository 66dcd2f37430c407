// XCyclicQueue: an overwriting ring of 32-bit values. A push that fills the ring drops the oldest
// value, so it holds at most capacity - 1 values. Popping an empty queue throws XRangeError.
#pragma once

#include <cstdint>
#include <memory>

class XCyclicQueue {
public:
    XCyclicQueue() = default;
    explicit XCyclicQueue(int capacity) { Init(capacity); }

    // A ring of capacity slots, empty.
    void Init(int capacity);
    void Free() noexcept;
    void Push(uint32_t value);
    uint32_t Pop();
    bool IsEmpty() const noexcept { return m_read == m_write; }
    int Count() const noexcept;
    int Capacity() const noexcept { return m_capacity; }

private:
    std::unique_ptr<uint32_t[]> m_values;
    uint32_t m_read = 0;
    uint32_t m_write = 0;
    uint32_t m_capacity = 0;
};

// XMemBuffer: a growable byte buffer in which save games and network packets are built and read
// in place. Writers append at the position, growing the block by a quarter of its capacity (at
// least 16 bytes) until the bytes fit; readers read at Current() and advance the position. An
// external buffer belongs to someone else and is never freed here.
#pragma once

#include <cstddef>
#include <cstdint>

class XMemBuffer {
public:
    XMemBuffer() = default;
    explicit XMemBuffer(int capacity) { Reset(capacity); }
    ~XMemBuffer() { Free(); }
    XMemBuffer(const XMemBuffer&) = delete;
    XMemBuffer& operator=(const XMemBuffer&) = delete;

    // Frees the block unless external, then allocates exactly capacity bytes (zeroed), position 0.
    void Reset(int capacity);
    // Reads in place from someone else's bytes: external, capacity = size, position 0.
    void Attach(void* data, int size);
    // Frees the block unless external; the buffer is then empty.
    void Free() noexcept;

    // Appends n bytes at the position, growing first; returns n.
    int Write(const void* bytes, int n);
    template <class T> int WriteValue(const T& value) { return Write(&value, static_cast<int>(sizeof(T))); }
    // Grows as Write does and skips n bytes; returns the offset of the first skipped byte.
    int Reserve(int n);
    void Rewind() noexcept { m_position = 0; }

    // Copies n bytes from the position and advances; throws XRangeError past the capacity.
    void Read(void* dest, int n);
    uint32_t ReadU32();
    int32_t ReadI32();
    float ReadF32();

    int Capacity() const noexcept { return m_capacity; }
    int Position() const noexcept { return m_position; }
    // Bytes from the position to the end of the block.
    int Remaining() const noexcept { return m_capacity - m_position; }
    // Sets the read or write position; throws XRangeError outside 0..capacity.
    void SetPosition(int position);
    // Advances the position by n within the capacity; throws XRangeError otherwise.
    void Skip(int n);
    bool IsExternal() const noexcept { return m_external != 0; }
    uint8_t* Data() noexcept { return m_data; }
    const uint8_t* Data() const noexcept { return m_data; }
    uint8_t* Current() noexcept { return m_data + m_position; }
    const uint8_t* Current() const noexcept { return m_data + m_position; }

private:
    void GrowFor(int n);

    uint32_t m_external = 0;
    int32_t m_capacity = 0;
    int32_t m_position = 0;
    uint8_t* m_data = nullptr;
};

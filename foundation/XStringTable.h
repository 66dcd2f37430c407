// XStringTable: names packed back to back, each with its terminator, in one text buffer, with an
// offset per name. The offsets array's size is the capacity. Find is an exact byte comparison.
// Stream form (little-endian): u32 buffer size, u32 used bytes U, u32 count, U text bytes,
// u32 capacity C, C x u32 offsets.
#pragma once

#include "foundation/XDynamicArray.h"

#include <cstdint>

class XMemBuffer;

class XStringTable {
public:
    XStringTable() = default;
    ~XStringTable() { Free(); }
    XStringTable(const XStringTable&) = delete;
    XStringTable& operator=(const XStringTable&) = delete;

    // Frees any old content; room for capacity names in bufferSize bytes of text.
    void Init(int capacity, uint32_t bufferSize);
    void Free() noexcept;
    // Appends a name; returns its index. A full offsets array throws XRangeError; a full text
    // buffer grows.
    int Add(const char* text);
    // Removes name i; later names move down one index. A bad index throws XRangeError.
    void Delete(int i);
    // Enlarges the capacity by lines and the text buffer by bytes, keeping every name.
    void Grow(int lines, uint32_t bytes);

    // Index of the first name equal to name, -1 when absent.
    int Find(const char* name) const noexcept;
    // Name i; null for a negative i; throws XRangeError for i at or above the count.
    const char* GetString(int i) const;
    // As GetString, with "_DEFAULT_" for -1.
    const char* GetStringOrDefault(int i) const;

    int Count() const noexcept { return m_count; }
    int Capacity() const noexcept { return m_offsets.Count(); }
    uint32_t BufferSize() const noexcept { return m_bufferSize; }
    uint32_t UsedBytes() const noexcept { return m_used; }

    void Write(XMemBuffer& stream) const;
    // Reads the stream form at the stream's position. Every size, count and offset is checked
    // first; a corrupt stream logs "XStringTable::Read corrupt stream" and throws XRangeError,
    // leaving the table and the stream position unchanged.
    void Read(XMemBuffer& stream);

private:
    void SetBuffer(uint32_t size);

    uint32_t m_bufferSize = 0;
    char* m_text = nullptr;
    uint32_t m_used = 0;
    int32_t m_count = 0;
    XDynamicArray<uint32_t> m_offsets;
    uint32_t m_reserved = 0;
};

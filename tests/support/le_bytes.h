// Little-endian fields of the files and messages fixtures make by hand, over foundation/ByteOrder.h:
// values read and overwritten at an offset, and bytes built value by value. An offset past the end
// throws std::out_of_range.
#pragma once

#include "foundation/ByteOrder.h"

#include <cstddef>
#include <stdexcept>
#include <string>

namespace zoq::test {

inline void CheckRoom(const Bytes& bytes, size_t at, size_t size)
{
    if (at > bytes.size() || bytes.size() - at < size)
        throw std::out_of_range("fixture bytes end at " + std::to_string(bytes.size()));
}

template <ByteOrderValue T> T ValueAt(const Bytes& bytes, size_t at)
{
    CheckRoom(bytes, at, sizeof(T));
    return LoadLE<T>(bytes.data() + at);
}

template <ByteOrderValue T> void PutAt(Bytes& bytes, size_t at, T value)
{
    CheckRoom(bytes, at, sizeof(T));
    StoreLE(bytes.data() + at, value);
}

inline uint16_t U16At(const Bytes& bytes, size_t at)
{
    return ValueAt<uint16_t>(bytes, at);
}

inline uint32_t U32At(const Bytes& bytes, size_t at)
{
    return ValueAt<uint32_t>(bytes, at);
}

inline void PutU32(Bytes& bytes, size_t at, uint32_t value)
{
    PutAt(bytes, at, value);
}

// The values' bytes one after the other.
template <ByteOrderValue... T> Bytes LeBytes(T... values)
{
    Bytes out;
    (AppendLE(out, values), ...);
    return out;
}

// The same as text, as table values hold them.
template <ByteOrderValue... T> std::string LeText(T... values)
{
    const Bytes bytes = LeBytes(values...);
    return std::string(bytes.begin(), bytes.end());
}

} // namespace zoq::test

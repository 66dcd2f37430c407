// ByteOrder: the little-endian values of stored files and wire messages, read from and written to
// byte buffers at any alignment. Every load and store goes through memcpy; a big-endian host
// reverses the bytes. Values are integers, floats or enumerations of 1, 2, 4 or 8 bytes.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

// A growable run of bytes, as writers build files and messages.
using Bytes = std::vector<uint8_t>;

template <class T>
concept ByteOrderValue = (std::is_arithmetic_v<T> || std::is_enum_v<T>)&&(
    sizeof(T) == 1 || sizeof(T) == 2 || sizeof(T) == 4 || sizeof(T) == 8);

template <ByteOrderValue T> T LoadLE(const void* at)
{
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, at, sizeof bytes);
    if constexpr (std::endian::native != std::endian::little)
        std::reverse(bytes, bytes + sizeof bytes);
    T value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

template <ByteOrderValue T> void StoreLE(void* at, T value)
{
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof bytes);
    if constexpr (std::endian::native != std::endian::little)
        std::reverse(bytes, bytes + sizeof bytes);
    std::memcpy(at, bytes, sizeof bytes);
}

// Appends the value's bytes to the end of out.
template <ByteOrderValue T> void AppendLE(Bytes& out, T value)
{
    const size_t at = out.size();
    out.resize(at + sizeof(T));
    StoreLE(out.data() + at, value);
}

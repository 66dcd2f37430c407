// Shared body of the unpacker fuzz entries: the first two bytes give the output capacity, the
// rest is the packed input; both are exact-size heap blocks.
#pragma once

#include "foundation/KWUnpack.h"

#include <cstdint>
#include <memory>

inline int FuzzUnpacker(
    bool (*unpack)(const uint8_t*, size_t, uint8_t*, size_t, size_t&), const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const size_t capacity = size_t(data[0]) | size_t(data[1]) << 8;
    auto in = std::make_unique<uint8_t[]>(size - 2);
    std::copy(data + 2, data + size, in.get());
    auto out = std::make_unique<uint8_t[]>(capacity);
    size_t written = 0;
    unpack(in.get(), size - 2, out.get(), capacity, written);
    if (written > capacity)
        __builtin_trap();
    return 0;
}

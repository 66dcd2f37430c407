// XRing: the byte ring between a transport's thread and the main thread. Its owner supplies the
// storage and guards it with one lock. A push never overtakes the reader: one byte always stays
// free, and a push that does not fit is refused whole and logged ("XRing переполнение").
#pragma once

#include <cstdint>

struct XRing {
    int32_t size = 0; // capacity in bytes
    uint8_t* data = nullptr; // `size` bytes, owned by the ring's owner
    int32_t read = 0; // next byte to take
    int32_t write = 0; // next byte to fill

    bool IsEmpty() const { return read == write; }
    // Bytes in use.
    int32_t Used() const { return write >= read ? write - read : size - read + write; }
    // Bytes a push may still add.
    int32_t Free() const { return size > 0 ? size - 1 - Used() : 0; }
    void Clear() { read = write = 0; }

    // Copies n bytes in, wrapping at the end. False, logged, when n is above Free().
    bool Push(const void* source, int32_t n);
    // Copies n bytes out, wrapping at the end. False when fewer than n bytes are in use.
    bool Pop(void* destination, int32_t n);
};

#include "net/XRing.h"

#include "foundation/ErrorLog.h"
#include "platform/win/text.h"

#include <cstring>

bool XRing::Push(const void* source, int32_t n)
{
    if (n < 0 || n > Free()) {
        WriteErrorLog(CP1251("XRing переполнение"));
        return false;
    }
    if (n == 0)
        return true;
    const uint8_t* bytes = static_cast<const uint8_t*>(source);
    if (write + n < size) {
        std::memcpy(data + write, bytes, static_cast<size_t>(n));
        write += n;
        return true;
    }
    const int32_t tail = size - write;
    std::memcpy(data + write, bytes, static_cast<size_t>(tail));
    std::memcpy(data, bytes + tail, static_cast<size_t>(n - tail));
    write = n - tail;
    return true;
}

bool XRing::Pop(void* destination, int32_t n)
{
    if (n < 0 || n > Used())
        return false;
    if (n == 0)
        return true;
    uint8_t* bytes = static_cast<uint8_t*>(destination);
    if (read + n < size) {
        std::memcpy(bytes, data + read, static_cast<size_t>(n));
        read += n;
        return true;
    }
    const int32_t tail = size - read;
    std::memcpy(bytes, data + read, static_cast<size_t>(tail));
    std::memcpy(bytes + tail, data, static_cast<size_t>(n - tail));
    read = n - tail;
    return true;
}

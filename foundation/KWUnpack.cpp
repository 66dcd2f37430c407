#include "KWUnpack.h"

#include <cstring>

namespace {

// Copies a back-reference; an overlapping one repeats the bytes it has just written.
inline void CopyReference(uint8_t* out, size_t o, size_t distance, size_t length)
{
    uint8_t* dst = out + o;
    const uint8_t* src = dst - distance;
    if (distance >= length) {
        std::memcpy(dst, src, length);
    } else if (distance == 1) {
        std::memset(dst, *src, length);
    } else {
        for (size_t k = 0; k < length; ++k)
            dst[k] = src[k];
    }
}

} // namespace

bool UnpackRle8(const uint8_t* in, size_t n, uint8_t* out, size_t capacity, size_t& written)
{
    size_t o = 0;
    written = 0;
    if (n == 0)
        return true;
    const uint8_t escape = in[0];
    size_t i = 1;
    while (i < n) {
        const void* hit = std::memchr(in + i, escape, n - i);
        size_t literal = hit ? size_t(static_cast<const uint8_t*>(hit) - (in + i)) : n - i;
        if (literal > capacity - o) {
            written = o;
            return false;
        }
        std::memcpy(out + o, in + i, literal);
        o += literal;
        i += literal;
        if (!hit)
            break;
        if (i + 1 >= n) {
            written = o;
            return false;
        }
        uint8_t count = in[i + 1];
        if (count == 255) {
            if (o >= capacity) {
                written = o;
                return false;
            }
            out[o++] = escape;
            i += 2;
            continue;
        }
        size_t run = size_t(count) + 3;
        if (i + 2 >= n || run > capacity - o) {
            written = o;
            return false;
        }
        std::memset(out + o, in[i + 2], run);
        o += run;
        i += 3;
    }
    written = o;
    return true;
}

bool UnpackRle16(const uint8_t* in, size_t n, uint8_t* out, size_t capacity, size_t& written)
{
    size_t o = 0;
    written = 0;
    const size_t words = n / 2;
    if (words < 2)
        return true;
    const uint8_t escape = in[0];
    size_t w = 1;
    while (w < words) {
        size_t end = w;
        while (end < words && in[2 * end + 1] != escape)
            ++end;
        size_t literal = 2 * (end - w);
        if (literal > capacity - o) {
            written = o;
            return false;
        }
        std::memcpy(out + o, in + 2 * w, literal);
        o += literal;
        w = end;
        if (w >= words)
            break;
        uint8_t count = in[2 * w];
        if (w + 1 >= words) {
            written = o;
            return false;
        }
        const uint8_t lo = in[2 * w + 2];
        const uint8_t hi = in[2 * w + 3];
        size_t run = count == 255 ? 1 : size_t(count) + 3;
        if (2 * run > capacity - o) {
            written = o;
            return false;
        }
        if (lo == hi) {
            std::memset(out + o, lo, 2 * run);
        } else {
            uint8_t* dst = out + o;
            for (size_t k = 0; k < run; ++k) {
                dst[2 * k] = lo;
                dst[2 * k + 1] = hi;
            }
        }
        o += 2 * run;
        w += 2;
    }
    written = o;
    return true;
}

bool UnpackLzFlags(const uint8_t* in, size_t n, uint8_t* out, size_t capacity, size_t& written)
{
    size_t o = 0;
    size_t i = 0;
    written = 0;
    while (i < n) {
        const uint8_t flags = in[i++];
        if (flags == 0 && n - i >= 8 && capacity - o >= 8) {
            std::memcpy(out + o, in + i, 8);
            o += 8;
            i += 8;
            continue;
        }
        for (int bit = 0; bit < 8 && i < n; ++bit) {
            if (flags & (1u << bit)) {
                if (i + 1 >= n) {
                    written = o;
                    return false;
                }
                const uint8_t b0 = in[i];
                const uint8_t b1 = in[i + 1];
                size_t length = size_t(b0 >> 4) + 4;
                size_t distance = size_t(b1) + size_t(b0 & 15) * 256;
                if (distance == 0 || distance > o || length > capacity - o) {
                    written = o;
                    return false;
                }
                CopyReference(out, o, distance, length);
                o += length;
                i += 2;
            } else {
                if (o >= capacity) {
                    written = o;
                    return false;
                }
                out[o++] = in[i++];
            }
        }
    }
    written = o;
    return true;
}

bool UnpackLzEscape(const uint8_t* in, size_t n, uint8_t* out, size_t capacity, size_t& written)
{
    size_t o = 0;
    written = 0;
    if (n == 0)
        return true;
    const uint8_t escape = in[0];
    size_t i = 1;
    while (i < n) {
        const void* hit = std::memchr(in + i, escape, n - i);
        size_t literal = hit ? size_t(static_cast<const uint8_t*>(hit) - (in + i)) : n - i;
        if (literal > capacity - o) {
            written = o;
            return false;
        }
        std::memcpy(out + o, in + i, literal);
        o += literal;
        i += literal;
        if (!hit)
            break;
        if (i + 2 >= n) {
            written = o;
            return false;
        }
        const uint8_t c = in[i + 1];
        const uint8_t d = in[i + 2];
        i += 3;
        if (c == 255 && d == 255) {
            if (o >= capacity) {
                written = o;
                return false;
            }
            out[o++] = escape;
            continue;
        }
        size_t length = size_t(c >> 4) + 4;
        size_t distance = size_t(c & 15) * 256 + d;
        if (distance == 0 || distance > o || length > capacity - o) {
            written = o;
            return false;
        }
        CopyReference(out, o, distance, length);
        o += length;
    }
    written = o;
    return true;
}

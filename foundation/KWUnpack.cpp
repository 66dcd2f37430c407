#include "foundation/KWUnpack.h"

#include <cstring>

namespace {

// The output block and its room: every write checks the room before it touches the block.
class Output {
public:
    Output(uint8_t* out, size_t capacity)
        : m_out(out)
        , m_capacity(capacity)
    {
    }

    size_t Size() const { return m_size; }

    bool Copy(const uint8_t* src, size_t count)
    {
        if (count > m_capacity - m_size)
            return false;
        std::memcpy(m_out + m_size, src, count);
        m_size += count;
        return true;
    }

    bool Byte(uint8_t value)
    {
        if (m_size >= m_capacity)
            return false;
        m_out[m_size++] = value;
        return true;
    }

    bool Fill(uint8_t value, size_t count)
    {
        if (count > m_capacity - m_size)
            return false;
        std::memset(m_out + m_size, value, count);
        m_size += count;
        return true;
    }

    // The word lo,hi repeated count times.
    bool FillWords(uint8_t lo, uint8_t hi, size_t count)
    {
        if (lo == hi)
            return Fill(lo, 2 * count);
        if (2 * count > m_capacity - m_size)
            return false;
        uint8_t* dst = m_out + m_size;
        for (size_t k = 0; k < count; ++k) {
            dst[2 * k] = lo;
            dst[2 * k + 1] = hi;
        }
        m_size += 2 * count;
        return true;
    }

    // A back-reference within what is written; an overlapping one repeats the bytes it has
    // just written.
    bool Reference(size_t distance, size_t length)
    {
        if (distance == 0 || distance > m_size || length > m_capacity - m_size)
            return false;
        uint8_t* dst = m_out + m_size;
        const uint8_t* src = dst - distance;
        if (distance >= length) {
            std::memcpy(dst, src, length);
        } else if (distance == 1) {
            std::memset(dst, *src, length);
        } else {
            for (size_t k = 0; k < length; ++k)
                dst[k] = src[k];
        }
        m_size += length;
        return true;
    }

private:
    uint8_t* m_out;
    size_t m_capacity;
    size_t m_size = 0;
};

// Copies the literal bytes from in[i] up to the next escape or the end, and leaves i there.
inline bool CopyToEscape(const uint8_t* in, size_t n, size_t& i, uint8_t escape, Output& out)
{
    const void* hit = std::memchr(in + i, escape, n - i);
    const size_t literal = hit ? size_t(static_cast<const uint8_t*>(hit) - (in + i)) : n - i;
    if (!out.Copy(in + i, literal))
        return false;
    i += literal;
    return true;
}

bool Rle8(const uint8_t* in, size_t n, Output& out)
{
    if (n == 0)
        return true;
    const uint8_t escape = in[0];
    size_t i = 1;
    while (i < n) {
        if (!CopyToEscape(in, n, i, escape, out))
            return false;
        if (i == n)
            break;
        if (i + 1 >= n)
            return false;
        const uint8_t count = in[i + 1];
        if (count == 255) {
            if (!out.Byte(escape))
                return false;
            i += 2;
            continue;
        }
        if (i + 2 >= n || !out.Fill(in[i + 2], size_t(count) + 3))
            return false;
        i += 3;
    }
    return true;
}

bool Rle16(const uint8_t* in, size_t n, Output& out)
{
    const size_t words = n / 2;
    if (words < 2)
        return true;
    const uint8_t escape = in[0];
    size_t w = 1;
    while (w < words) {
        size_t end = w;
        while (end < words && in[2 * end + 1] != escape)
            ++end;
        if (!out.Copy(in + 2 * w, 2 * (end - w)))
            return false;
        w = end;
        if (w >= words)
            break;
        const uint8_t count = in[2 * w];
        if (w + 1 >= words)
            return false;
        if (!out.FillWords(in[2 * w + 2], in[2 * w + 3], count == 255 ? 1 : size_t(count) + 3))
            return false;
        w += 2;
    }
    return true;
}

bool LzFlags(const uint8_t* in, size_t n, Output& out)
{
    size_t i = 0;
    while (i < n) {
        const uint8_t flags = in[i++];
        if (flags == 0 && n - i >= 8 && out.Copy(in + i, 8)) {
            i += 8;
            continue;
        }
        for (int bit = 0; bit < 8 && i < n; ++bit) {
            if (flags & (1u << bit)) {
                if (i + 1 >= n)
                    return false;
                const uint8_t b0 = in[i];
                const uint8_t b1 = in[i + 1];
                if (!out.Reference(size_t(b1) + size_t(b0 & 15) * 256, size_t(b0 >> 4) + 4))
                    return false;
                i += 2;
            } else {
                if (!out.Byte(in[i++]))
                    return false;
            }
        }
    }
    return true;
}

bool LzEscape(const uint8_t* in, size_t n, Output& out)
{
    if (n == 0)
        return true;
    const uint8_t escape = in[0];
    size_t i = 1;
    while (i < n) {
        if (!CopyToEscape(in, n, i, escape, out))
            return false;
        if (i == n)
            break;
        if (i + 2 >= n)
            return false;
        const uint8_t c = in[i + 1];
        const uint8_t d = in[i + 2];
        i += 3;
        if (c == 255 && d == 255) {
            if (!out.Byte(escape))
                return false;
            continue;
        }
        if (!out.Reference(size_t(c & 15) * 256 + d, size_t(c >> 4) + 4))
            return false;
    }
    return true;
}

// Runs one unpacker over the output block; written is what it produced, also on a fault.
template <bool (*Body)(const uint8_t*, size_t, Output&)>
bool Run(const uint8_t* in, size_t n, uint8_t* out, size_t capacity, size_t& written)
{
    Output output(out, capacity);
    const bool ok = Body(in, n, output);
    written = output.Size();
    return ok;
}

} // namespace

bool UnpackRle8(const uint8_t* in, size_t n, uint8_t* out, size_t capacity, size_t& written)
{
    return Run<Rle8>(in, n, out, capacity, written);
}

bool UnpackRle16(const uint8_t* in, size_t n, uint8_t* out, size_t capacity, size_t& written)
{
    return Run<Rle16>(in, n, out, capacity, written);
}

bool UnpackLzFlags(const uint8_t* in, size_t n, uint8_t* out, size_t capacity, size_t& written)
{
    return Run<LzFlags>(in, n, out, capacity, written);
}

bool UnpackLzEscape(const uint8_t* in, size_t n, uint8_t* out, size_t capacity, size_t& written)
{
    return Run<LzEscape>(in, n, out, capacity, written);
}

#include "foundation/XStringTable.h"

#include "foundation/ErrorLog.h"
#include "foundation/XMemBuffer.h"
#include "foundation/XRangeError.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

namespace {

// A stream may not ask for more text buffer than this; real tables are a few kilobytes.
constexpr uint32_t kMaxStreamBuffer = 64u << 20;

char* AllocateText(uint32_t size)
{
    auto* text = static_cast<char*>(std::calloc(std::max<uint32_t>(size, 1), 1));
    if (!text)
        throw std::bad_alloc();
    return text;
}

[[noreturn]] void Corrupt(XMemBuffer& stream, int start)
{
    stream.SetPosition(start);
    WriteErrorLog("XStringTable::Read corrupt stream");
    throw XRangeError();
}

} // namespace

void XStringTable::Init(int capacity, uint32_t bufferSize)
{
    if (capacity < 0)
        throw XRangeError();
    char* text = AllocateText(bufferSize);
    XDynamicArray<uint32_t> offsets;
    try {
        offsets.AddEmpty(true, capacity);
    } catch (...) {
        std::free(text);
        throw;
    }
    Free();
    m_text = text;
    m_bufferSize = bufferSize;
    m_offsets = std::move(offsets);
}

void XStringTable::Free() noexcept
{
    std::free(m_text);
    m_text = nullptr;
    m_bufferSize = 0;
    m_used = 0;
    m_count = 0;
    m_reserved = 0;
    m_offsets.Done();
}

void XStringTable::SetBuffer(uint32_t size)
{
    char* text = AllocateText(size);
    if (m_used)
        std::memcpy(text, m_text, m_used);
    std::free(m_text);
    m_text = text;
    m_bufferSize = size;
}

int XStringTable::Add(const char* text)
{
    if (!text)
        text = "";
    if (m_count >= m_offsets.Count())
        throw XRangeError();
    std::size_t length = std::strlen(text) + 1;
    if (length > std::numeric_limits<uint32_t>::max() - m_used)
        throw std::bad_alloc();
    uint32_t need = m_used + static_cast<uint32_t>(length);
    if (need > m_bufferSize) {
        uint64_t grown = std::max<uint64_t>(need, uint64_t(m_bufferSize) + m_bufferSize / 2);
        SetBuffer(static_cast<uint32_t>(std::min<uint64_t>(grown, std::numeric_limits<uint32_t>::max())));
    }
    std::memcpy(m_text + m_used, text, length);
    m_offsets.At(m_count) = m_used;
    m_used = need;
    return m_count++;
}

void XStringTable::Delete(int i)
{
    if (i < 0 || i >= m_count)
        throw XRangeError();
    uint32_t offset = m_offsets.At(i);
    uint32_t length = static_cast<uint32_t>(std::strlen(m_text + offset)) + 1;
    // A stream may let names share bytes; such text stays until no name uses it.
    bool shared = false;
    for (int j = 0; j < m_count; ++j) {
        uint32_t other = m_offsets.At(j);
        if (j != i && other >= offset && other < offset + length)
            shared = true;
    }
    if (!shared) {
        std::memmove(m_text + offset, m_text + offset + length, m_used - offset - length);
        m_used -= length;
        std::memset(m_text + m_used, 0, length);
        for (int j = 0; j < m_count; ++j) {
            uint32_t& other = m_offsets.At(j);
            if (other > offset)
                other -= length;
        }
    }
    uint32_t* offsets = m_offsets.Data();
    std::memmove(offsets + i, offsets + i + 1, sizeof(uint32_t) * static_cast<std::size_t>(m_count - i - 1));
    offsets[m_count - 1] = 0;
    --m_count;
}

void XStringTable::Grow(int lines, uint32_t bytes)
{
    if (lines < 0 || bytes > std::numeric_limits<uint32_t>::max() - m_bufferSize)
        throw XRangeError();
    SetBuffer(m_bufferSize + bytes);
    m_offsets.AddEmpty(true, lines);
}

int XStringTable::Find(const char* name) const noexcept
{
    if (!name)
        return -1;
    for (int i = 0; i < m_count; ++i) {
        if (std::strcmp(m_text + m_offsets.Data()[i], name) == 0)
            return i;
    }
    return -1;
}

const char* XStringTable::GetString(int i) const
{
    if (i < 0)
        return nullptr;
    if (i >= m_count)
        throw XRangeError();
    return m_text + m_offsets.At(i);
}

const char* XStringTable::GetStringOrDefault(int i) const
{
    return i == -1 ? "_DEFAULT_" : GetString(i);
}

void XStringTable::Write(XMemBuffer& stream) const
{
    uint32_t count = static_cast<uint32_t>(m_count);
    uint32_t capacity = static_cast<uint32_t>(m_offsets.Count());
    stream.WriteValue(m_bufferSize);
    stream.WriteValue(m_used);
    stream.WriteValue(count);
    stream.Write(m_text, static_cast<int>(m_used));
    stream.WriteValue(capacity);
    stream.Write(m_offsets.Data(), static_cast<int>(capacity * 4));
}

void XStringTable::Read(XMemBuffer& stream)
{
    const int start = stream.Position();
    if (stream.Remaining() < 12)
        Corrupt(stream, start);
    uint32_t bufferSize = stream.ReadU32();
    uint32_t used = stream.ReadU32();
    uint32_t count = stream.ReadU32();
    if (used > bufferSize || bufferSize > kMaxStreamBuffer || used > uint32_t(stream.Remaining()))
        Corrupt(stream, start);
    const char* text = reinterpret_cast<const char*>(stream.Current());
    if (used > 0 && text[used - 1] != 0)
        Corrupt(stream, start);
    stream.Skip(static_cast<int>(used));

    XDynamicArray<uint32_t> offsets;
    try {
        offsets.Read(stream);
    } catch (const XRangeError&) {
        Corrupt(stream, start);
    }
    if (count > uint32_t(offsets.Count()))
        Corrupt(stream, start);
    for (uint32_t i = 0; i < count; ++i) {
        if (offsets.Data()[i] >= used)
            Corrupt(stream, start);
    }

    char* buffer = AllocateText(bufferSize);
    if (used)
        std::memcpy(buffer, text, used);
    Free();
    m_text = buffer;
    m_bufferSize = bufferSize;
    m_used = used;
    m_count = static_cast<int32_t>(count);
    m_offsets = std::move(offsets);
}

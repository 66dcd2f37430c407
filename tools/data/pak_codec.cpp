#include "tools/data/pak_codec.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace zoq::tools::data {
namespace {

struct CodecRow {
    Codec codec;
    const char* name;
    uint32_t flags; // stored in archives: fixed by the format
};

constexpr CodecRow kCodecs[] = {
    { Codec::Raw, "raw", 0 },
    { Codec::Rle8, "rle8", 2 },
    { Codec::Rle16, "rle16", 1 },
    { Codec::LzFlags, "lzflags", 4 },
    { Codec::LzEscape, "lzescape", 8 },
    { Codec::Rle8LzFlags, "rle8+lzflags", 6 },
    { Codec::Rle8LzEscape, "rle8+lzescape", 10 },
    { Codec::Rle16LzFlags, "rle16+lzflags", 5 },
    { Codec::Rle16LzEscape, "rle16+lzescape", 9 },
    { Codec::Auto, "auto", 0 },
};

constexpr size_t kMinMatch = 4;
constexpr size_t kMaxMatch = 19;
constexpr size_t kMaxDistance = 4095;
constexpr int kChainDepth = 48;

// The byte that occurs least often (the lowest on ties): the cheapest escape.
uint8_t RarestByte(const uint8_t* data, size_t n, size_t stride)
{
    std::array<size_t, 256> counts {};
    for (size_t i = 0; i < n; i += stride)
        ++counts[data[i]];
    return uint8_t(std::min_element(counts.begin(), counts.end()) - counts.begin());
}

// Greedy LZ parse over a 4095-byte window with hash chains.
class Matcher {
public:
    explicit Matcher(ByteSpan in)
        : m_in(in)
        , m_prev(in.size(), -1)
    {
        m_head.fill(-1);
    }

    // The longest match at i (length 0 when none of at least kMinMatch bytes).
    void Find(size_t i, size_t& length, size_t& distance) const
    {
        length = 0;
        distance = 0;
        size_t limit = std::min(kMaxMatch, m_in.size() - i);
        if (limit < kMinMatch)
            return;
        int32_t candidate = m_head[Hash(i)];
        for (int depth = 0; candidate >= 0 && depth < kChainDepth; ++depth) {
            size_t d = i - size_t(candidate);
            if (d > kMaxDistance)
                break;
            size_t len = 0;
            while (len < limit && m_in[size_t(candidate) + len] == m_in[i + len])
                ++len;
            if (len > length) {
                length = len;
                distance = d;
                if (len == limit)
                    break;
            }
            candidate = m_prev[size_t(candidate)];
        }
        if (length < kMinMatch)
            length = 0;
    }

    void Insert(size_t i)
    {
        if (i + kMinMatch > m_in.size())
            return;
        uint32_t h = Hash(i);
        m_prev[i] = m_head[h];
        m_head[h] = int32_t(i);
    }

private:
    uint32_t Hash(size_t i) const
    {
        return (LoadLE<uint32_t>(m_in.data() + i) * 2654435761u) >> (32 - kHashBits);
    }

    static constexpr int kHashBits = 15;
    ByteSpan m_in;
    std::array<int32_t, 1u << kHashBits> m_head;
    std::vector<int32_t> m_prev;
};

template <class Emit> void ParseLz(ByteSpan in, bool avoidEscapePair, Emit&& emit)
{
    Matcher matcher(in);
    size_t i = 0;
    while (i < in.size()) {
        size_t length = 0;
        size_t distance = 0;
        matcher.Find(i, length, distance);
        // c = 255, d = 255 is the escape codec's literal escape byte, not a reference.
        if (avoidEscapePair && length == kMaxMatch && distance == kMaxDistance)
            length = kMaxMatch - 1;
        if (length >= kMinMatch) {
            emit(length, distance);
            for (size_t k = 0; k < length; ++k)
                matcher.Insert(i + k);
            i += length;
        } else {
            emit(0, 0);
            matcher.Insert(i);
            ++i;
        }
    }
}

Bytes Stored(ByteSpan block)
{
    Bytes record;
    record.reserve(block.size() + 4);
    AppendLE<uint32_t>(record, uint32_t(block.size()));
    record.insert(record.end(), block.begin(), block.end());
    return record;
}

std::optional<Bytes> RunLength(Codec codec, ByteSpan block)
{
    switch (codec) {
    case Codec::Rle8:
    case Codec::Rle8LzFlags:
    case Codec::Rle8LzEscape:
        return PackRle8(block);
    case Codec::Rle16:
    case Codec::Rle16LzFlags:
    case Codec::Rle16LzEscape:
        return PackRle16(block);
    default:
        return std::nullopt;
    }
}

bool HasLz(Codec codec)
{
    return CodecFlags(codec) & 12u;
}
bool HasRunLength(Codec codec)
{
    return CodecFlags(codec) & 3u;
}

Bytes Lz(Codec codec, ByteSpan data)
{
    return (CodecFlags(codec) & 4u) ? PackLzFlags(data) : PackLzEscape(data);
}

// The record of one forced codec, or nullopt when it cannot hold the block.
std::optional<BlockRecord> TryCodec(ByteSpan block, Codec codec, uint32_t blockSize)
{
    const size_t room = size_t(blockSize) + 128;
    BlockRecord result;
    result.flags = CodecFlags(codec);
    if (codec == Codec::Raw) {
        result.record = Stored(block);
        return result;
    }
    if (HasRunLength(codec)) {
        std::optional<Bytes> middle = RunLength(codec, block);
        if (!middle || middle->size() > room)
            return std::nullopt;
        if (!HasLz(codec)) {
            AppendLE<uint32_t>(result.record, uint32_t(middle->size()));
            result.record.insert(result.record.end(), middle->begin(), middle->end());
            return result;
        }
        Bytes packed = Lz(codec, *middle);
        if (packed.size() > room)
            return std::nullopt;
        AppendLE<uint32_t>(result.record, uint32_t(middle->size()));
        AppendLE<uint32_t>(result.record, uint32_t(packed.size()));
        result.record.insert(result.record.end(), packed.begin(), packed.end());
        return result;
    }
    Bytes packed = Lz(codec, block);
    if (packed.size() > room)
        return std::nullopt;
    AppendLE<uint32_t>(result.record, uint32_t(packed.size()));
    result.record.insert(result.record.end(), packed.begin(), packed.end());
    return result;
}

} // namespace

std::optional<Codec> ParseCodec(std::string_view name)
{
    for (const CodecRow& row : kCodecs) {
        if (name == row.name)
            return row.codec;
    }
    return std::nullopt;
}

const char* CodecName(Codec codec)
{
    for (const CodecRow& row : kCodecs) {
        if (row.codec == codec)
            return row.name;
    }
    return "?";
}

uint32_t CodecFlags(Codec codec)
{
    for (const CodecRow& row : kCodecs) {
        if (row.codec == codec)
            return row.flags;
    }
    return 0;
}

Bytes PackRle8(ByteSpan in)
{
    const uint8_t escape = RarestByte(in.data(), in.size(), 1);
    Bytes out;
    out.reserve(in.size() + in.size() / 64 + 16);
    out.push_back(escape);
    size_t i = 0;
    while (i < in.size()) {
        const uint8_t b = in[i];
        size_t run = 1;
        while (run < 257 && i + run < in.size() && in[i + run] == b)
            ++run;
        if (run >= 4 || (run == 3 && b == escape)) {
            out.push_back(escape);
            out.push_back(uint8_t(run - 3));
            out.push_back(b);
            i += run;
            continue;
        }
        if (b == escape) {
            out.push_back(escape);
            out.push_back(255);
        } else {
            out.push_back(b);
        }
        ++i;
    }
    return out;
}

std::optional<Bytes> PackRle16(ByteSpan in)
{
    if (in.size() % 2 != 0)
        return std::nullopt;
    const size_t words = in.size() / 2;
    const uint8_t escape = RarestByte(in.data() + 1, in.size() > 0 ? in.size() - 1 : 0, 2);
    auto word = [&](size_t w) { return LoadLE<uint16_t>(&in[2 * w]); };
    Bytes out;
    out.reserve(in.size() + in.size() / 64 + 16);
    out.push_back(escape);
    out.push_back(0);
    size_t w = 0;
    while (w < words) {
        const uint16_t value = word(w);
        size_t run = 1;
        while (run < 257 && w + run < words && word(w + run) == value)
            ++run;
        const bool escaped = uint8_t(value >> 8) == escape;
        if (run >= 3) {
            out.push_back(uint8_t(run - 3));
            out.push_back(escape);
            w += run;
        } else {
            if (escaped) {
                out.push_back(255);
                out.push_back(escape);
            }
            ++w;
        }
        AppendLE(out, value);
    }
    return out;
}

Bytes PackLzFlags(ByteSpan in)
{
    Bytes out;
    out.reserve(in.size() + in.size() / 8 + 16);
    size_t flagAt = 0;
    int items = 8;
    size_t i = 0;
    ParseLz(in, false, [&](size_t length, size_t distance) {
        if (items == 8) {
            flagAt = out.size();
            out.push_back(0);
            items = 0;
        }
        if (length) {
            out[flagAt] |= uint8_t(1u << items);
            out.push_back(uint8_t(((length - 4) << 4) | (distance >> 8)));
            out.push_back(uint8_t(distance));
            i += length;
        } else {
            out.push_back(in[i++]);
        }
        ++items;
    });
    return out;
}

Bytes PackLzEscape(ByteSpan in)
{
    const uint8_t escape = RarestByte(in.data(), in.size(), 1);
    Bytes out;
    out.reserve(in.size() + in.size() / 32 + 16);
    out.push_back(escape);
    size_t i = 0;
    ParseLz(in, true, [&](size_t length, size_t distance) {
        if (length) {
            out.push_back(escape);
            out.push_back(uint8_t(((length - 4) << 4) | (distance >> 8)));
            out.push_back(uint8_t(distance));
            i += length;
        } else {
            const uint8_t b = in[i++];
            out.push_back(b);
            if (b == escape) {
                out.push_back(255);
                out.push_back(255);
            }
        }
    });
    return out;
}

BlockRecord PackBlock(ByteSpan block, Codec codec, uint32_t blockSize)
{
    if (codec != Codec::Auto) {
        std::optional<BlockRecord> record = TryCodec(block, codec, blockSize);
        if (record)
            return *record;
        return BlockRecord { 0, Stored(block) };
    }
    BlockRecord best { 0, Stored(block) };
    for (const CodecRow& row : kCodecs) {
        if (row.codec == Codec::Raw || row.codec == Codec::Auto)
            continue;
        std::optional<BlockRecord> record = TryCodec(block, row.codec, blockSize);
        if (record && record->record.size() < best.record.size())
            best = std::move(*record);
    }
    return best;
}

} // namespace zoq::tools::data

// Block packers of the archive format, the inverse of foundation/KWUnpack.h, and the choice of
// a block's record (flags and stored bytes) for a codec.
#pragma once

#include "foundation/ByteOrder.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace zoq::tools::data {

enum class Codec {
    Raw,
    Rle8,
    Rle16,
    LzFlags,
    LzEscape,
    Rle8LzFlags,
    Rle8LzEscape,
    Rle16LzFlags,
    Rle16LzEscape,
    Auto, // the smallest record per block
};

// "raw", "rle8", ..., "rle16+lzescape", "auto".
std::optional<Codec> ParseCodec(std::string_view name);
const char* CodecName(Codec codec);

// Block flags as stored in the block table: bits 0-1 the run-length stage (bit 0 = 16-bit,
// bit 1 = 8-bit), bits 2-3 the LZ stage (bit 2 = flag bytes, bit 3 = escape byte).
uint32_t CodecFlags(Codec codec);

using ByteSpan = std::span<const uint8_t>;

Bytes PackRle8(ByteSpan in);
// 16-bit words; an odd length cannot be coded.
std::optional<Bytes> PackRle16(ByteSpan in);
Bytes PackLzFlags(ByteSpan in);
Bytes PackLzEscape(ByteSpan in);

// One block as stored: its flags and its record (length words and data).
struct BlockRecord {
    uint32_t flags = 0;
    Bytes record;
};

// Packs one block of at most blockSize bytes. A forced codec that cannot hold the block (odd
// length for RLE16, a packed or middle length above blockSize + 128) stores it raw.
BlockRecord PackBlock(ByteSpan block, Codec codec, uint32_t blockSize);

} // namespace zoq::tools::data

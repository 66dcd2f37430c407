// Image files built in memory from 0xAARRGGBB pixels, rows from the top: BMP, TGA (plain and
// run-length), DDS, PNG and JPEG. The demo data and the image readers' tests write them.
#pragma once

#include "foundation/ByteOrder.h"
#include "platform/gfx/types.h"

#include <cstdint>
#include <vector>

namespace zoq::tools::texture {

Bytes MakeBmp(const std::vector<uint32_t>& argb, uint32_t w, uint32_t h, uint32_t bits, bool topDown);
// type 2 or 10; 24 or 32 bits; RLE files use runs where neighbours repeat.
Bytes MakeTga(
    const std::vector<uint32_t>& argb, uint32_t w, uint32_t h, uint32_t type, uint32_t bits, bool topOrigin);
// levels of raw data in `format` (DXT or 16/32-bit).
Bytes MakeDds(plat::gfx::Format format, uint32_t w, uint32_t h, const std::vector<Bytes>& levels);
Bytes MakePng(const std::vector<uint32_t>& argb, uint32_t w, uint32_t h, bool alpha);
Bytes MakeJpeg(const std::vector<uint32_t>& argb, uint32_t w, uint32_t h, int quality);

} // namespace zoq::tools::texture

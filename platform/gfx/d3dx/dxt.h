// DXT1/3/5 block codec, shared by the D3DX loaders, the gl backend (decoding when the driver
// lacks s3tc) and the tools. Decoding is the standard one: 5:6:5 end points widened by bit
// replication, interpolated colours rounded to nearest, the three-colour mode for DXT1 blocks
// whose first end point is not above the second, and DXT5's 8- and 6-value alpha. Encoding is
// a range fit along the block's principal colour axis; flat blocks take the end points whose
// interpolation comes closest. Pixels are 0xAARRGGBB.
#pragma once

#include "platform/gfx/types.h"

#include <cstdint>

namespace plat::gfx::d3dx {

// 8 for DXT1, 16 for DXT3 and DXT5, 0 for any other format.
uint32_t DxtBlockBytes(Format format);

void DecodeDxtBlock(Format format, const uint8_t* block, uint32_t out[16]);
void EncodeDxtBlock(Format format, const uint32_t in[16], uint8_t* block);

// Whole levels: block rows `pitch` bytes apart, pixel rows `stride` pixels apart. Encoding pads
// a level whose sides are not multiples of 4 by repeating its last row and column; decoding
// writes only the pixels inside width x height.
void DecodeDxt(Format format, const uint8_t* blocks, uint32_t pitch, uint32_t width, uint32_t height,
    uint32_t* argb, uint32_t stride);
void EncodeDxt(Format format, const uint32_t* argb, uint32_t stride, uint32_t width, uint32_t height,
    uint8_t* blocks, uint32_t pitch);

} // namespace plat::gfx::d3dx

// Pixel conversion between formats and resampling, on 0xAARRGGBB working pixels.
#pragma once

#include "platform/gfx/types.h"

#include <cstdint>
#include <vector>

namespace plat::gfx::d3dx {

enum class Filter : uint32_t { Default, None, Point, Linear, Triangle, Box };

// Formats the converters read and write: the colour formats of the format table (X1R5G5B5 and
// R8G8B8 too, for files) and DXT1/3/5.
bool CanConvert(Format format);

// Rows of `format` at `pitch` bytes to working pixels `stride` pixels apart.
void ToArgb(Format format, const uint8_t* source, uint32_t pitch, uint32_t width, uint32_t height,
    uint32_t* argb, uint32_t stride);
// Working pixels to rows of `format`; block formats need width and height on the block grid
// or at the level's edge (the last blocks are padded).
void FromArgb(Format format, const uint32_t* argb, uint32_t stride, uint32_t width, uint32_t height,
    uint8_t* target, uint32_t pitch);

// A picture of width x height resampled to the target size. None copies without scaling,
// leaving black where the source is smaller; Point takes the nearest pixel; Linear
// interpolates bilinearly; Triangle and Box widen their kernel when shrinking.
std::vector<uint32_t> Resample(const uint32_t* argb, uint32_t width, uint32_t height, uint32_t targetWidth,
    uint32_t targetHeight, Filter filter);

} // namespace plat::gfx::d3dx

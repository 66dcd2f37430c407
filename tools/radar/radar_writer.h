// Radar map files: the 16-byte header {16, 0, width, height}, then 64 x 64-pixel DXT3 tiles row
// by row, the picture padded with opaque black to whole tiles. Shared by zoq-radar, the demo-data
// generator and the tests.
#pragma once

#include "foundation/ByteOrder.h"

#include <cstdint>
#include <vector>

namespace zoq::tools::map {
struct LocationMap;
}

namespace zoq::tools::radar {

// 0xAARRGGBB pixels, rows from the top.
struct RadarPicture {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint32_t> argb;
};

// The file's bytes; throws std::invalid_argument for a side outside 1..65536 or a pixel count
// that does not match.
Bytes WriteRadarMap(const RadarPicture& picture);

// A location map painted from above, one pixel per map point (10 world units), shaded by the
// slope of its heights: water blue, land the colour of its material. It covers the map's blocks
// whole, so every block is one tile.
RadarPicture PaintLocation(const map::LocationMap& location);

} // namespace zoq::tools::radar

#include "tools/radar/radar_writer.h"

#include "platform/gfx/d3dx/dxt.h"
#include "tools/map/map_writer.h"
#include "ui/CRadarMap.h"

#include <algorithm>
#include <stdexcept>

namespace zoq::tools::radar {
namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kWater = 0xFF2850A0u;

// Land colours by material code, repeating.
constexpr uint32_t kMaterialColours[] = { 0xFF6C8C48u, 0xFF8C7C5Cu, 0xFFA8A090u, 0xFF5C7040u, 0xFFC8B080u,
    0xFF70685Cu, 0xFF809868u, 0xFF98886Cu };

uint32_t Shade(uint32_t colour, float factor)
{
    uint32_t out = colour & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const float channel = float((colour >> shift) & 0xFFu) * factor;
        out |= uint32_t(std::clamp(channel, 0.0f, 255.0f)) << shift;
    }
    return out;
}

} // namespace

Bytes WriteRadarMap(const RadarPicture& picture)
{
    if (picture.width < 1 || picture.width > RadarMapFormat::kMaxSide || picture.height < 1
        || picture.height > RadarMapFormat::kMaxSide)
        throw std::invalid_argument("picture sides must lie within 1..65536");
    if (picture.argb.size() != size_t(picture.width) * picture.height)
        throw std::invalid_argument("pixel count does not match the picture's size");
    const int32_t columns = RadarMapFormat::Columns(int32_t(picture.width));
    const int32_t rows = RadarMapFormat::Rows(int32_t(picture.height));
    Bytes out(size_t(RadarMapFormat::kHeaderBytes), 0);
    StoreLE<uint32_t>(out.data(), uint32_t(RadarMapFormat::kHeaderBytes));
    StoreLE<uint32_t>(out.data() + 8, picture.width);
    StoreLE<uint32_t>(out.data() + 12, picture.height);
    out.reserve(
        out.size() + size_t(RadarMapFormat::TileBytes(int32_t(picture.width), int32_t(picture.height))));
    constexpr int32_t side = RadarMapFormat::kTileSide;
    std::vector<uint32_t> tile(size_t(side) * side);
    uint8_t blocks[RadarMapFormat::kTileBytes];
    for (int32_t ty = 0; ty < rows; ++ty)
        for (int32_t tx = 0; tx < columns; ++tx) {
            for (int32_t y = 0; y < side; ++y)
                for (int32_t x = 0; x < side; ++x) {
                    const uint32_t px = uint32_t(tx * side + x);
                    const uint32_t py = uint32_t(ty * side + y);
                    tile[size_t(y) * side + size_t(x)] = px < picture.width && py < picture.height
                        ? picture.argb[size_t(py) * picture.width + px]
                        : kBlack;
                }
            plat::gfx::d3dx::EncodeDxt(plat::gfx::Format::Dxt3, tile.data(), uint32_t(side), uint32_t(side),
                uint32_t(side), blocks, uint32_t(RadarMapFormat::kBlockRowBytes));
            out.insert(out.end(), blocks, blocks + sizeof blocks);
        }
    return out;
}

RadarPicture PaintLocation(const map::LocationMap& location)
{
    RadarPicture picture;
    picture.width = uint32_t(location.BlocksX() * RadarMapFormat::kTileSide);
    picture.height = uint32_t(location.BlocksY() * RadarMapFormat::kTileSide);
    picture.argb.assign(size_t(picture.width) * picture.height, kBlack);
    const auto at = [&](int x, int y) {
        return location.PointIndex(
            std::clamp(x, 0, location.width - 1), std::clamp(y, 0, location.height - 1));
    };
    for (uint32_t y = 0; y < picture.height; ++y)
        for (uint32_t x = 0; x < picture.width; ++x) {
            const size_t point = at(int(x), int(y));
            if (point >= location.heights.size())
                continue;
            const bool water = point < location.water.size() && location.water[point] != 0;
            const uint16_t material = point < location.materials.size() ? location.materials[point] : 0;
            const uint32_t base
                = water ? kWater : kMaterialColours[(material & 0x7FFF) % std::size(kMaterialColours)];
            // Light from the north-west: a slope rising towards it is brighter.
            const size_t below = at(int(x) + 1, int(y) + 1);
            const float slope
                = below < location.heights.size() ? location.heights[point] - location.heights[below] : 0.0f;
            const float factor = water ? 1.0f : std::clamp(1.0f + slope * 0.05f, 0.6f, 1.4f);
            picture.argb[size_t(y) * picture.width + x] = Shade(base, factor);
        }
    return picture;
}

} // namespace zoq::tools::radar

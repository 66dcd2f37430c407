// Height queries and the point view of GetCell.
#include "world/terrain/CLocation.h"

#include "foundation/CTimer.h"

#include <algorithm>
#include <cmath>

Vec3 UnpackNormal16(uint32_t packed)
{
    const float x = float(int16_t(uint16_t(packed & 0xFFFFu))) * 3.051944e-5f;
    const float y = float(int16_t(uint16_t(packed >> 16))) * 3.051944e-5f;
    return Vec3 { x, y, std::sqrt(std::max(0.0f, 1.0f - x * x - y * y)) };
}

float MapPointView::Height() const
{
    switch (m_layout) {
    case Layout::Full:
        return m_full->height;
    case Layout::Half:
        return HalfHeight(m_half->height);
    default:
        return 0.0f;
    }
}

bool MapPointView::Water() const
{
    switch (m_layout) {
    case Layout::Full:
        return FullWater(m_full->code);
    case Layout::Half:
        return HalfWater(m_half->height);
    default:
        return false;
    }
}

uint32_t MapPointView::Code() const
{
    return m_layout == Layout::Full ? m_full->code : 0u;
}

uint32_t MapPointView::Colour() const
{
    switch (m_layout) {
    case Layout::Full:
        return m_full->colour;
    case Layout::Half:
        return m_half->colour;
    default:
        return 0u;
    }
}

uint32_t MapPointView::Light() const
{
    switch (m_layout) {
    case Layout::Full:
        return m_full->light;
    case Layout::Half:
        return m_half->light;
    default:
        return 0u;
    }
}

Vec3 MapPointView::Normal() const
{
    switch (m_layout) {
    case Layout::Full:
        return UnpackNormal16(m_full->normal);
    case Layout::Half:
        return UnpackNormal16(m_half->normal);
    default:
        return Vec3 {};
    }
}

namespace {

float WaterRule(float h, bool isWater, const MapSurface* surface)
{
    if (isWater && surface && h <= surface->waterLevel + 3.0f)
        return surface->waterLevel + 3.0f;
    return h;
}

} // namespace

float CLocation::GetHeightAt(const Vec3& position, bool water)
{
    const int gx = int(position.x * 0.1f + 0.5f);
    const int gy = int(position.y * 0.1f + 0.5f);
    if (gx < 0 || gx >= width - 1 || gy < 0 || gy >= height - 1)
        return 0.0f;
    const int column = gx >> 6;
    const int row = gy >> 6;
    const int lx = gx & 63;
    const int ly = gy & 63;
    SCellRecord& record = Cell(column, row);
    if (MapCell* full = GetFullResCell(column, row)) {
        const float h = full->At(ly, lx).height;
        return water ? WaterRule(h, FullWater(full->At(ly & ~1, lx & ~1).code), record.surface) : h;
    }
    if (!record.half)
        LoadCell(column, row, kFarLevel);
    HalfCell* half = GetHalfResCell(column, row);
    const float h = HalfHeight(half->At(ly >> 1, lx >> 1).height);
    return water ? WaterRule(h, HalfWater(half->At((ly >> 1) & ~1, (lx >> 1) & ~1).height), record.surface)
                 : h;
}

float CLocation::GetHeight(const Vec3& position, bool water, bool load)
{
    const float fx = position.x * 0.1f;
    const float fy = position.y * 0.1f;
    const int gx = int(fx);
    const int gy = int(fy);
    if (gx < 0 || gx >= width - 1 || gy < 0 || gy >= height - 1)
        return 0.0f;
    const int column = gx >> 6;
    const int row = gy >> 6;
    MapCell* full = GetFullResCell(column, row);
    if (!full) {
        if (!load)
            return 0.0f;
        LoadCell(column, row, kNearLevel);
        full = GetFullResCell(column, row);
    }
    const int lx = gx & 63;
    const int ly = gy & 63;
    const float u = fx - float(gx);
    const float v = fy - float(gy);
    const float h00 = full->At(ly, lx).height;
    const float h10 = full->At(ly, lx + 1).height;
    const float h01 = full->At(ly + 1, lx).height;
    const float h11 = full->At(ly + 1, lx + 1).height;
    float h;
    if (((lx + ly) & 1) != 0) {
        if (u + v <= 1.0f)
            h = h00 + (h10 - h00) * u + (h01 - h00) * v;
        else
            h = h11 + (h01 - h11) * (1.0f - u) + (h10 - h11) * (1.0f - v);
    } else if (u >= v) {
        h = h00 + (h10 - h00) * (u - v) + (h11 - h00) * v;
    } else {
        h = h00 + (h01 - h00) * (v - u) + (h11 - h00) * u;
    }
    return water ? WaterRule(h, FullWater(full->At(ly & ~1, lx & ~1).code), Cell(column, row).surface) : h;
}

MapPointView CLocation::GetCell(int gx, int gy)
{
    if (gx < 0 || gy < 0 || gx > 64 * blocksX || gy > 64 * blocksY)
        return MapPointView {};
    const int column = std::min(blocksX - 1, gx >> 6);
    const int row = std::min(blocksY - 1, gy >> 6);
    const int lx = gx - 64 * column;
    const int ly = gy - 64 * row;
    const SCellRecord& record = Cell(column, row);
    if (record.full)
        return MapPointView(&record.full->At(ly, lx));
    if (record.half)
        return MapPointView(&record.half->At(ly >> 1, lx >> 1));
    return MapPointView {};
}

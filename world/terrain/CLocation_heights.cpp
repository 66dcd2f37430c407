// Height queries and the point view of GetCell.
#include "world/terrain/CLocation.h"

#include "foundation/CTimer.h"

#include <algorithm>
#include <cfloat>
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
        return m_full->height[m_index];
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
        return FullWater(m_full->code[m_index]);
    case Layout::Half:
        return HalfWater(m_half->height);
    default:
        return false;
    }
}

uint32_t MapPointView::Code() const
{
    return m_layout == Layout::Full ? m_full->code[m_index] : 0u;
}

uint32_t MapPointView::Colour() const
{
    switch (m_layout) {
    case Layout::Full:
        return m_full->colour[m_index];
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
        return m_full->light[m_index];
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
        return UnpackNormal16(m_full->normal[m_index]);
    case Layout::Half:
        return UnpackNormal16(m_half->normal);
    default:
        return Vec3 {};
    }
}

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
        const float h = full->Height(ly, lx);
        return water ? WaterRule(h, FullWater(full->Code(ly & ~1, lx & ~1)), record.surface) : h;
    }
    if (!record.half)
        LoadCell(column, row, kFarLevel);
    HalfCell* half = GetHalfResCell(column, row);
    const float h = HalfHeight(half->At(ly >> 1, lx >> 1).height);
    return water ? WaterRule(h, HalfWater(half->At((ly >> 1) & ~1, (lx >> 1) & ~1).height), record.surface)
                 : h;
}

MapCell* CLocation::LoadNear(int column, int row)
{
    LoadCell(column, row, kNearLevel);
    return GetFullResCell(column, row);
}

MapPointView CLocation::GetCell(int gx, int gy)
{
    // No map loaded: every point reads the default.
    if (blocksX <= 0 || blocksY <= 0 || gx < 0 || gy < 0 || gx > 64 * blocksX || gy > 64 * blocksY)
        return MapPointView {};
    const int column = std::min(blocksX - 1, gx >> 6);
    const int row = std::min(blocksY - 1, gy >> 6);
    const int lx = gx - 64 * column;
    const int ly = gy - 64 * row;
    const SCellRecord& record = Cell(column, row);
    if (record.full)
        return MapPointView(&record.full->planes, ly * MapCell::kSide + lx);
    if (record.half)
        return MapPointView(&record.half->At(ly >> 1, lx >> 1));
    return MapPointView {};
}

// Cell streaming: the two buffer pools, reading a block into a buffer, the load queue.
#include "world/terrain/CLocation.h"

#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/XRangeError.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

// Picks the first free buffer, else the oldest stamp (the first on ties).
template <class Buffer> Buffer& TakeOldest(std::vector<std::unique_ptr<Buffer>>& pool)
{
    if (pool.empty())
        throw std::runtime_error("empty buffer pool");
    Buffer* oldest = nullptr;
    float stamp = 1e11f;
    for (auto& buffer : pool) {
        if (!buffer->loaded)
            return *buffer;
        if (buffer->lastUse < stamp) {
            stamp = buffer->lastUse;
            oldest = buffer.get();
        }
    }
    return oldest ? *oldest : *pool.front();
}

void SetSphere(const float* box, Vec3& centre, float& radius)
{
    centre = Vec3 { (box[0] + box[3]) * 0.5f, (box[1] + box[4]) * 0.5f, (box[2] + box[5]) * 0.5f };
    const float dx = box[0] - centre.x;
    const float dy = box[1] - centre.y;
    const float dz = box[2] - centre.z;
    radius = std::sqrt(dx * dx + dy * dy + dz * dz);
}

} // namespace

MapCell* CLocation::GetFullResCell(int column, int row)
{
    MapCell* cell = Cell(column, row).full;
    if (cell)
        cell->lastUse = GameClockF32;
    return cell;
}

HalfCell* CLocation::GetHalfResCell(int column, int row)
{
    HalfCell* cell = Cell(column, row).half;
    if (cell)
        cell->lastUse = GameClockF32;
    return cell;
}

MapCell& CLocation::TakeFull()
{
    MapCell& cell = TakeOldest(m_full);
    if (cell.loaded)
        Evict(cell);
    return cell;
}

HalfCell& CLocation::TakeHalf()
{
    HalfCell& cell = TakeOldest(m_half);
    if (cell.loaded)
        Evict(cell);
    return cell;
}

void CLocation::Evict(MapCell& cell)
{
    ReleaseQuadMeshes(cell);
    SCellRecord& owner = Cell(cell.column, cell.row);
    if (owner.full == &cell)
        owner.full = nullptr;
    cell.loaded = 0;
}

void CLocation::Evict(HalfCell& cell)
{
    SCellRecord& owner = Cell(cell.column, cell.row);
    if (owner.half == &cell)
        owner.half = nullptr;
    ReleaseMesh(cell.farMesh);
    ReleaseMesh(cell.waterMesh);
    cell.lastUse = 0.0f;
    cell.resetTime = GameClockF32;
    cell.loaded = 0;
}

void CLocation::LoadCell(int column, int row, int level)
{
    ZJ_TRACE("CLocation::LoadCell");
    if (!InMap(column, row))
        throw XRangeError();
    if (!streamOpen)
        throw std::runtime_error("map file not open for streaming");
    SCellRecord& record = Cell(column, row);
    XFileMapSource source(streamFile);
    MapFile file(source);
    if (level == kFarLevel) {
        HalfCell& cell = TakeHalf();
        const int32_t surface = file.ReadHalf(record.offset, cell.points);
        record.surface = surface < 0 ? nullptr : &surfaces.at(size_t(surface));
        cell.column = column;
        cell.row = row;
        float low = 1e10f;
        float high = -1e10f;
        for (const HalfPoint& point : cell.points) {
            low = std::min(low, HalfHeight(point.height));
            high = std::max(high, HalfHeight(point.height));
        }
        if (record.surface) {
            low = std::min(low, record.surface->waterLevel);
            high = std::max(high, record.surface->waterLevel);
        }
        const float box[6] = { 640.0f * float(column), 640.0f * float(row), low,
            kStep * float(64 * column + 66), kStep * float(64 * row + 66), high };
        std::copy(std::begin(box), std::end(box), cell.box);
        SetSphere(cell.box, cell.centre, cell.radius);
        cell.lastUse = cell.resetTime = GameClockF32;
        cell.bucket = -1;
        cell.loaded = 1;
        record.half = &cell;
        UpdateBorder(column, row);
        return;
    }
    MapCell& cell = TakeFull();
    const int32_t surface = file.ReadFull(record.offset, cell.planes);
    record.surface = surface < 0 ? nullptr : &surfaces.at(size_t(surface));
    cell.column = column;
    cell.row = row;
    cell.lastUse = cell.resetTime = GameClockF32;
    cell.loaded = 1;
    cell.visible = 0;
    cell.quadSplit = 0;
    record.full = &cell;
    float cellLow = 1e10f;
    float cellHigh = -1e10f;
    for (int q = 0; q < 4; ++q) {
        MapQuad& quad = cell.quads[q];
        quad = MapQuad {};
        quad.column = column;
        quad.row = row;
        quad.number = q;
        const int r0 = 32 * (q / 2);
        const int c0 = 32 * (q % 2);
        float low = 1e10f;
        float high = -1e10f;
        for (int r = r0; r <= r0 + 32; ++r) {
            for (int c = c0; c <= c0 + 32; ++c) {
                low = std::min(low, cell.Height(r, c));
                high = std::max(high, cell.Height(r, c));
            }
        }
        if (record.surface) {
            low = std::min(low, record.surface->waterLevel);
            high = std::max(high, record.surface->waterLevel);
        }
        const float box[6] = { kStep * float(64 * column + c0), kStep * float(64 * row + r0), low,
            kStep * float(64 * column + c0 + 32), kStep * float(64 * row + r0 + 32), high };
        std::copy(std::begin(box), std::end(box), quad.box);
        SetSphere(quad.box, quad.centre, quad.radius);
        cellLow = std::min(cellLow, low);
        cellHigh = std::max(cellHigh, high);
    }
    const float box[6] = { 640.0f * float(column), 640.0f * float(row), cellLow,
        kStep * float(64 * column + 65), kStep * float(64 * row + 65), cellHigh };
    std::copy(std::begin(box), std::end(box), cell.box);
    SetSphere(cell.box, cell.centre, cell.radius);
    std::fill(std::begin(cell.stitched), std::end(cell.stitched), uint8_t(0));
    for (int i = 0; i < 32; ++i) {
        const int odd = 2 * i + 1;
        cell.savedEdges[0][i] = cell.Height(odd, 0);
        cell.savedEdges[1][i] = cell.Height(0, odd);
        cell.savedEdges[2][i] = cell.Height(odd, 64);
        cell.savedEdges[3][i] = cell.Height(64, odd);
    }
    UpdateBorder(column, row);
}

void CLocation::CycleLoad()
{
    ZJ_TRACE("CLocation::CycleLoad");
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < loadQueueCount; ++i) {
            const SQueuedLoad& entry = loadQueue[i];
            if (entry.index < 0 || entry.index >= kQueue)
                throw XRangeError();
            if ((entry.level == kFarLevel) == (pass == 1))
                LoadCell(entry.column, entry.row, entry.level);
        }
    }
    ++loadStats[std::min(loadQueueCount, kLoadStats - 1)];
    loadQueueCount = 0;
}

// The mesh cache: pools, view buckets, the level of each quad, the mesh a quad or far cell draws,
// releasing, flushing and the cache and memory reports.
#include "world/terrain/CLocation.h"

#include "foundation/CTimer.h"
#include "foundation/CViewFrame.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "world/objects/PlayerGlobals.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>

float GetLodLevel(float d2)
{
    const float v = float(ModelQuality + 1) * d2;
    if (v > 90000.0f)
        return -1.0f;
    if (v > 2500.0f)
        return 3.0f + (v - 2500.0f) / 87560.016f;
    if (v > 625.0f)
        return 2.0f + (v - 625.0f) / 1885.0099f;
    if (v > 100.0f)
        return 1.0f + (v - 100.0f) / 525.5001f;
    return v / 100.2001f;
}

int CLocation::ViewBucket(const Vec3& v)
{
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (!(length > 0.0f))
        return -1;
    const Vec3 n { v.x / length, v.y / length, v.z / length };
    if (n.z < -0.2f)
        return -1;
    int best = -1;
    float bestDot = 0.75f;
    for (int i = 0; i < 32; ++i) {
        const float dot = n.x * Location.viewDirections[i].x + n.y * Location.viewDirections[i].y;
        if (dot > bestDot) {
            bestDot = dot;
            best = i;
        }
    }
    return best;
}

int CLocation::BucketDistance(int stored, int bucket)
{
    if ((stored >= 0 && bucket >= 0) || stored == bucket)
        return (stored - bucket) & 31;
    return 16;
}

void CLocation::UnlinkSlot(MapMesh& mesh)
{
    if (!mesh.buffer)
        return;
    mesh.buffer->inUse = 0;
    mesh.buffer->mesh = nullptr;
    mesh.buffer = nullptr;
}

MapMesh* CLocation::GetFreeMapMesh(int kind)
{
    ZJ_TRACE("CLocation::GetFreeMapMesh");
    auto& pool = m_meshes[size_t(kind)];
    if (pool.empty())
        throw std::runtime_error("empty mesh pool");
    MapMesh* taken = nullptr;
    float stamp = 1e11f;
    for (auto& mesh : pool) {
        if (!mesh->inUse) {
            taken = mesh.get();
            break;
        }
        if (mesh->stamp < stamp) {
            stamp = mesh->stamp;
            taken = mesh.get();
        }
    }
    if (!taken)
        taken = pool.front().get();
    UnlinkSlot(*taken);
    if (taken->owner)
        *taken->owner = nullptr;
    taken->owner = nullptr;
    taken->inUse = 0;
    taken->data.vertexCount = 0;
    taken->data.indexCount = 0;
    taken->layerCount = 0;
    return taken;
}

SDetailStore* CLocation::GetFreeMapMesh()
{
    ZJ_TRACE("CLocation::GetFreeMapMesh");
    if (m_detail.empty())
        throw std::runtime_error("no detail stores");
    SDetailStore* taken = nullptr;
    double stamp = 1e11;
    for (auto& store : m_detail) {
        if (!store->inUse) {
            taken = store.get();
            break;
        }
        if (store->lastUse < stamp) {
            stamp = store->lastUse;
            taken = store.get();
        }
    }
    if (!taken)
        taken = m_detail.front().get();
    if (taken->generated)
        *taken->generated = 0;
    taken->generated = nullptr;
    taken->inUse = 0;
    taken->count = 0;
    return taken;
}

void CLocation::ReleaseMesh(MapMesh*& slot)
{
    if (!slot)
        return;
    slot->inUse = 0;
    UnlinkSlot(*slot);
    slot->owner = nullptr;
    slot = nullptr;
}

void CLocation::ReleaseQuadMeshes(MapCell& cell)
{
    for (MapQuad& quad : cell.quads) {
        for (MapMesh*& mesh : quad.meshes)
            ReleaseMesh(mesh);
        ReleaseMesh(quad.water);
        if (quad.detail) {
            quad.detail->inUse = 0;
            quad.detail->generated = nullptr;
            quad.detail = nullptr;
        }
        quad.generated = 0;
    }
    cell.quadSplit = 0;
    cell.resetTime = GameClockF32;
}

void CLocation::SetQuadLevels(int column, int row)
{
    MapCell* cell = Cell(column, row).full;
    if (!cell)
        return;
    const int vr = VisibleRadius;
    const float d2Limit = vr <= 196 ? 70.0f : vr <= 256 ? float(vr - 126) : 130.0f;
    const Vec3& camera = ViewFrame.position;
    for (MapQuad& quad : cell->quads) {
        const float dx = quad.centre.x - camera.x;
        const float dy = quad.centre.y - camera.y;
        const float d = std::sqrt(dx * dx + dy * dy) * 0.1f;
        if (d > float(vr + 32) || !IsSphereVisible(quad.centre, quad.radius)) {
            quad.visible = 0;
            continue;
        }
        quad.visible = 1;
        quad.level = d < 64.0f && fineDetail ? 1 : d < d2Limit ? 2 : 3;
    }
    cell->quadSplit = 2;
}

MapMesh* CLocation::GetQuadObject(int column, int row, int quad)
{
    SCellRecord& record = Cell(column, row);
    const Vec3& camera = ViewFrame.position;
    if (record.level != kFarLevel && quad >= 0 && quad < 4) {
        MapCell* cell = GetFullResCell(column, row);
        if (!cell)
            return nullptr;
        MapQuad& q = cell->quads[quad];
        const int level = q.level;
        if (level < 1 || level > 3)
            return nullptr;
        MapMesh*& slot = q.meshes[level - 1];
        // Only level 3 is built for a view direction.
        const int bucket = level == 3
            ? ViewBucket(Vec3 { q.centre.x - camera.x, q.centre.y - camera.y, q.centre.z - camera.z })
            : -1;
        const int distance = level == 3 ? BucketDistance(q.buckets[level - 1], bucket) : 0;
        if (!slot || (level == 3 && distance >= 2 && distance <= 30)) {
            ++meshMisses[level - 1];
            if (level == 1)
                GenerateLod1(column, row, quad);
            else if (level == 2)
                GenerateLod2(column, row, quad);
            else
                GenerateLod3(column, row, quad, bucket);
        } else {
            ++meshHits[level - 1];
        }
        if (slot)
            slot->stamp = GameClockF32;
        return slot;
    }
    HalfCell* half = GetHalfResCell(column, row);
    if (!half)
        return nullptr;
    const int bucket = ViewBucket(
        Vec3 { half->centre.x - camera.x, half->centre.y - camera.y, half->centre.z - camera.z });
    const int distance = BucketDistance(half->bucket, bucket);
    if (half->farMesh && (distance < 2 || distance > 30)) {
        ++farHits;
    } else {
        ++farMisses;
        GenerateLOD4B(column, row, bucket);
    }
    half->farMesh->stamp = GameClockF32;
    return half->farMesh;
}

MapMesh* CLocation::GetQuadWater(int column, int row, int quad, const SWaterParams& water)
{
    if (quad < 0 || quad > 3) {
        HalfCell* half = GetHalfResCell(column, row);
        if (!half)
            return nullptr;
        if (!half->waterMesh)
            GenerateWater4(column, row, water);
        half->waterMesh->stamp = GameClockF32;
        return half->waterMesh;
    }
    MapCell* cell = GetFullResCell(column, row);
    if (!cell || cell->quads[quad].level == 0)
        return nullptr;
    if (!cell->quads[quad].water)
        GenerateQuadWater(column, row, quad, water);
    cell->quads[quad].water->stamp = GameClockF32;
    return cell->quads[quad].water;
}

void CLocation::ReleaseAllMapMeshes()
{
    for (auto& pool : m_meshes) {
        for (auto& mesh : pool) {
            if (mesh->owner)
                *mesh->owner = nullptr;
            mesh->owner = nullptr;
            mesh->inUse = 0;
            mesh->buffer = nullptr;
        }
    }
    for (auto& buffers : m_deviceBuffers) {
        for (SDeviceBuffer& buffer : buffers) {
            buffer.inUse = 0;
            buffer.mesh = nullptr;
        }
    }
}

void CLocation::SizeSlotPool(int kind, int count)
{
    for (auto& pool : m_meshes) {
        for (auto& mesh : pool)
            UnlinkSlot(*mesh);
    }
    m_deviceBuffers[kind] = std::vector<SDeviceBuffer>(size_t(count));
    m_lastSlot[kind] = 0;
}

void CLocation::FlushMeshCache()
{
    for (auto& full : m_full) {
        if (full->loaded)
            ReleaseQuadMeshes(*full);
    }
    for (auto& half : m_half) {
        if (!half->loaded)
            continue;
        ReleaseMesh(half->farMesh);
        ReleaseMesh(half->waterMesh);
        half->lastUse = 0.0f;
        half->resetTime = GameClockF32;
    }
    ReleaseAllMapMeshes();
}

void CLocation::InvalidateResources()
{
    for (auto& pool : m_meshes) {
        for (auto& mesh : pool)
            mesh->buffer = nullptr;
    }
    for (auto& buffers : m_deviceBuffers) {
        for (SDeviceBuffer& buffer : buffers) {
            buffer.inUse = buffer.created = buffer.usedThisFrame = 0;
            buffer.mesh = nullptr;
            buffer.device.reset();
        }
    }
}

void CLocation::ReportMeshMemory()
{
    size_t bytes = 0;
    for (int kind = 0; kind < kMeshKinds; ++kind) {
        if (m_meshes[kind].empty())
            continue;
        const CVertexData& data = m_meshes[kind].front()->data;
        for (SDeviceBuffer& buffer : m_deviceBuffers[kind]) {
            buffer.created = 1;
            bytes += size_t(data.stride) * data.vertexCapacity + 2u * data.indexCapacity;
        }
    }
    char line[64];
    std::snprintf(line, sizeof line, "Map Mesh Memory==%dKb", int(bytes / 1024));
    WriteErrorLog(line);
}

void CLocation::ReportCacheStats()
{
    char line[64];
    for (int kind = 0; kind < kMeshKinds; ++kind) {
        std::snprintf(line, sizeof line, "CASH Success %5.1f%%",
            double(meshHits[kind]) * 100.0 / (double(meshMisses[kind]) + meshHits[kind] + 0.001));
        WriteErrorLog(line);
        std::snprintf(line, sizeof line, "V CASH Success %5.1f%%",
            double(bufferHits[kind]) * 100.0 / (double(bufferMisses[kind]) + bufferHits[kind] + 0.001));
        WriteErrorLog(line);
    }
    Purge();
    for (auto& pool : m_meshes)
        pool.clear();
    for (auto& buffers : m_deviceBuffers)
        buffers.clear();
    m_full.clear();
    m_half.clear();
    m_detail.clear();
    m_detailVertexData.clear();
}

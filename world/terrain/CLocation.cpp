// The location's lifecycle: construction, Init (pools sized by the view range) and Purge.
#include "world/terrain/CLocation.h"

#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "render/CModelManager.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CEnvironment.h"

#include <cmath>
#include <cstdio>

CLocation Location;
int32_t ModelQuality = 0;

namespace {

struct SKindLayout {
    uint32_t format;
    uint32_t vertices;
    uint32_t indices;
};

constexpr SKindLayout kKinds[CLocation::kMeshKinds] = {
    { 0x152, 12288, 18432 },
    { 0x152, 3667, 18432 },
    { 0x15a, 3617, 18432 },
    { 0x5a, 1089, 6144 },
    { 0x15a, 1024, 1536 },
};

struct SFixedRow {
    int visibleRadius;
    int meshes[CLocation::kMeshKinds];
    int deviceBuffers[CLocation::kMeshKinds];
};

// The values the settings program offers, ascending.
constexpr SFixedRow kFixedRows[] = {
    { 128, { 10, 20, 30, 5, 20 }, { 8, 2, 11, 3, 7 } },
    { 256, { 10, 35, 60, 20, 40 }, { 8, 11, 20, 10, 15 } },
    { 384, { 10, 35, 70, 40, 40 }, { 8, 12, 18, 30, 20 } },
    { 512, { 10, 35, 80, 70, 40 }, { 8, 12, 18, 50, 33 } },
};

struct SSharedBuffer {
    const char* name;
    uint32_t format;
    uint32_t vertices;
    uint32_t indices;
};

constexpr SSharedBuffer kSharedBuffers[] = {
    { "MAP1", 0x152, 16000, 65534 },
    { "MAPDETAILS", 0x1d2, 10000, 55000 },
    { "MAP3", 0x15a, 13000, 65534 },
    { "MAP4", 0x5a, 10000, 55000 },
};

constexpr int kDetailVertexBlocks = 20;

} // namespace

CLocation::CLocation()
    : m_cells(new SCellRecord[size_t(kGridCells) * kGridCells])
{
    for (int i = 0; i < 32; ++i) {
        const double a = double(i) * 3.14159265358979323846 / 16.0;
        viewDirections[i] = Vec3 { float(std::sin(a)), float(std::cos(a)), 0.0f };
    }
    SetViewRanges(VisibleRadius);
}

CLocation::~CLocation() = default;

CLocation::SPoolSizes CLocation::PoolSizesFor(int vr, bool fineDetail)
{
    SPoolSizes sizes {};
    sizes.meshes[0] = 12;
    sizes.meshes[1] = vr <= 196 ? 5 : vr <= 256 ? (vr - 196) / 2 + 5 : 35;
    sizes.meshes[2] = vr <= 196 ? (vr - 76) / 2 : 60;
    sizes.meshes[3] = vr <= 196 ? 10
        : vr <= 256             ? 20
        : vr <= 512             ? int(std::lround(std::sqrt(double(vr)) * vr * 0.025))
                                : 300;
    sizes.meshes[4] = sizes.meshes[1] + sizes.meshes[2] + sizes.meshes[3];
    // Device buffers: the row of the largest offered value not above vr (the smallest below it).
    const SFixedRow* row = &kFixedRows[0];
    for (const SFixedRow& fixed : kFixedRows) {
        if (fixed.visibleRadius <= vr)
            row = &fixed;
        if (fixed.visibleRadius == vr)
            std::copy(std::begin(fixed.meshes), std::end(fixed.meshes), sizes.meshes);
    }
    std::copy(std::begin(row->deviceBuffers), std::end(row->deviceBuffers), sizes.deviceBuffers);
    if (!fineDetail) {
        sizes.meshes[1] += sizes.meshes[0];
        sizes.meshes[0] = 0;
        sizes.deviceBuffers[1] += sizes.deviceBuffers[0];
        sizes.deviceBuffers[0] = 0;
    }
    sizes.fullBuffers = vr == 384 ? 250 : vr == 512 ? 300 : 200;
    sizes.halfBuffers = vr == 384 ? 300 : vr == 512 ? 500 : 100;
    return sizes;
}

void CLocation::SetViewRanges(int vr)
{
    viewRadius = float(vr + 32) / 64.0f;
    nearRadius = float(std::min(vr, 196)) / 64.0f;
    attenuationStart = float(vr) / 128.0f + (vr > 256 ? 1.5f : 0.5f);
    attenuationEnd = float(vr) / 64.0f;
}

void CLocation::Init()
{
    ZJ_TRACE("CLocation::Init");
    std::fill(std::begin(meshHits), std::end(meshHits), 0u);
    std::fill(std::begin(meshMisses), std::end(meshMisses), 0u);
    std::fill(std::begin(bufferHits), std::end(bufferHits), 0u);
    std::fill(std::begin(bufferMisses), std::end(bufferMisses), 0u);
    farHits = farMisses = 0;
    Purge();
    SetViewRanges(VisibleRadius);
    const SPoolSizes sizes = PoolSizesFor(VisibleRadius, fineDetail != 0);
    size_t bytes = 0;
    for (int kind = 0; kind < kMeshKinds; ++kind) {
        m_meshes[kind].clear();
        for (int i = 0; i < sizes.meshes[kind]; ++i) {
            auto mesh = std::make_unique<MapMesh>();
            mesh->kind = kind;
            mesh->data.Allocate(kKinds[kind].format, kKinds[kind].vertices, kKinds[kind].indices);
            bytes += size_t(mesh->data.stride) * kKinds[kind].vertices + 2u * kKinds[kind].indices;
            m_meshes[kind].push_back(std::move(mesh));
        }
        m_deviceBuffers[kind] = std::vector<SDeviceBuffer>(size_t(sizes.deviceBuffers[kind]));
        m_lastSlot[kind] = 0;
    }
    char line[64];
    std::snprintf(line, sizeof line, "Mesh Size=%d Kb", int(bytes / 1024));
    WriteErrorLog(line);
    if (g_pModelManager) {
        for (const SSharedBuffer& shared : kSharedBuffers) {
            if (g_pModelManager->FindBuffer(shared.name) < 0)
                g_pModelManager->CreateRenderBuffer(
                    shared.name, shared.format, shared.vertices, shared.indices, 1, false);
        }
    }
    m_detailVertexData.clear();
    m_detailVertexData = std::vector<CVertexData>(kDetailVertexBlocks);
    for (CVertexData& data : m_detailVertexData)
        data.Allocate(0x1d2, 5000, 25000);
    SizeBufferPools(sizes.fullBuffers, sizes.halfBuffers);
    m_detail.clear();
    for (int i = 0; i < kDetailStores; ++i)
        m_detail.push_back(std::make_unique<SDetailStore>());
    Environment.InitSky();
    loadQueueCount = 0;
}

void CLocation::SizeBufferPools(int full, int half)
{
    Purge();
    m_full.clear();
    for (int i = 0; i < full; ++i)
        m_full.push_back(std::make_unique<MapCell>());
    m_half.clear();
    for (int i = 0; i < half; ++i)
        m_half.push_back(std::make_unique<HalfCell>());
}

void CLocation::Purge()
{
    ZJ_TRACE("CLocation::Purge");
    ReleaseAllMapMeshes();
    for (auto& full : m_full) {
        for (MapQuad& quad : full->quads)
            quad = MapQuad {};
        full->loaded = 0;
        full->visible = 0;
        full->lastUse = full->resetTime = 0.0f;
        full->quadSplit = 0;
        std::fill(std::begin(full->stitched), std::end(full->stitched), uint8_t(0));
    }
    for (auto& half : m_half) {
        half->loaded = 0;
        half->lastUse = half->resetTime = 0.0f;
        half->farMesh = half->waterMesh = nullptr;
        half->bucket = -1;
    }
    for (auto& store : m_detail) {
        store->inUse = 0;
        store->generated = nullptr;
        store->count = 0;
    }
    for (size_t i = 0; i < size_t(kGridCells) * kGridCells; ++i) {
        SCellRecord& cell = m_cells[i];
        cell.objects.Clear();
        cell.offset = 0;
        cell.full = nullptr;
        cell.half = nullptr;
        std::fill(std::begin(cell.factors), std::end(cell.factors), 0.0f);
        cell.surface = nullptr;
        std::fill(std::begin(cell.box), std::end(cell.box), 0.0f);
        cell.centre = Vec3 {};
        cell.radius = 0.0f;
        cell.level = cell.previousLevel = 0;
        cell.counter = 0;
    }
    m_filed.clear();
    surfaces.clear();
    width = height = blocksX = blocksY = 0;
    loadQueueCount = 0;
    candidateCount = visibleCount = renderListCount = 0;
    detailDrawCount = 0;
}

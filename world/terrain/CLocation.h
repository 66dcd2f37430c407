// CLocation: the terrain of the current location. It holds what Map::Load read of the map file,
// the 64 x 64 cell table, the full- and half-resolution buffer pools with the load queue, the
// mesh pools with their levels of detail and stitching, the per-frame visibility lists, the cell
// object grid, the terrain rays, the horizon bend and the ground colour. One global, Location.
// Main thread only. Its aspects live in CLocation_<aspect>.cpp.
#pragma once

#include "foundation/CTimer.h"
#include "foundation/Matrix.h"
#include "foundation/Vector.h"
#include "foundation/XFile.h"
#include "world/terrain/MapCell.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

class CComplexObject;
class CTexture;
class CZJObject;

// The water renderer's parameters of a water mesh.
struct SWaterParams {
    uint32_t colour; // low 24 bits used
    float period;
    float opacity; // 0..1
    float flag; // 0 forces one diagonal of the near-quad blocks
};

class CLocation {
public:
    static constexpr int kMeshKinds = 5;
    static constexpr int kDetailStores = 40;
    static constexpr int kCandidates = 1000;
    static constexpr int kVisible = 400;
    static constexpr int kQueue = 200;
    static constexpr int kLoadStats = 20;

    struct SCandidate {
        int32_t level;
        float d2;
        int32_t column;
        int32_t row;
    };
    struct SVisibleCell {
        float d2;
        int32_t column;
        int32_t row;
    };
    struct SQueuedLoad {
        int32_t index; // into the visible list
        int32_t column;
        int32_t row;
        int32_t level;
    };
    struct SPoolSizes {
        int meshes[kMeshKinds];
        int deviceBuffers[kMeshKinds];
        int fullBuffers;
        int halfBuffers;
    };

    CLocation();
    ~CLocation();
    CLocation(const CLocation&) = delete;
    CLocation& operator=(const CLocation&) = delete;

    // Lifecycle.
    void Init(); // sizes every pool from VisibleRadius
    void Purge(); // forgets the map: buffers, cells, queue, meshes; width and height 0
    // Replaces the full- and half-resolution pools (Init sizes them from the view range); the map
    // is purged.
    void SizeBufferPools(int full, int half);
    // The pool sizes for a view radius and the fine-detail switch.
    static SPoolSizes PoolSizesFor(int visibleRadius, bool fineDetail);

    // Map data (Map::Load fills it).
    char16_t name[64] {};
    int32_t width = 0; // grid points
    int32_t height = 0;
    int32_t blocksX = 0;
    int32_t blocksY = 0;
    std::vector<MapSurface> surfaces;
    char fileName[256] = {}; // the map file: data directory + name
    XFile streamFile; // the map file held open for cell streaming
    uint8_t streamOpen = 0;

    SCellRecord& Cell(int column, int row) { return m_cells[size_t(row) * kGridCells + size_t(column)]; }
    bool InMap(int column, int row) const
    {
        return column >= 0 && row >= 0 && column < blocksX && row < blocksY;
    }

    // Streaming and heights.
    MapCell* GetFullResCell(int column, int row);
    HalfCell* GetHalfResCell(int column, int row);
    // Reads the cell at the given level: 4 half resolution, anything else full.
    void LoadCell(int column, int row, int level);
    void CycleLoad();
    float GetHeightAt(const Vec3& position, bool water);
    // The surface record of the cell under a point that lies in water; null otherwise. Loads the
    // cell at half resolution when neither resolution is loaded.
    const MapSurface* GetWaterSurface(const Vec3& point);
    // Inline: physics and objects ask it many times a frame.
    float GetHeight(const Vec3& position, bool water, bool load);
    // Inline too. A height that GetHeight(p, false, false) never exceeds for any p whose grid coordinates
    // (x 0.1, cut toward zero) are (gx, gy): the highest of the square's four corners with room for
    // rounding, 0 where GetHeight answers 0, FLT_MAX in the first row and column. A walk in short
    // steps asks once a square.
    float GetSquareTop(int gx, int gy);
    MapPointView GetCell(int gx, int gy);
    uint32_t loadStats[kLoadStats] {};
    SQueuedLoad loadQueue[kQueue] {};
    int32_t loadQueueCount = 0;

    // Object grid.
    void ClearCellObjects();
    void AddCellObject(const Vec3& position, CZJObject* object, bool spread);
    void MoveCellObject(const Vec3& oldPosition, const Vec3& newPosition, CZJObject* object);
    void DeleteCellObject(const Vec3& position, CZJObject* object);

    // Rays.
    bool GetRoughRayIntersection(const Vec3& start, const Vec3& direction, float length, Vec3& out);
    bool FindTerrainCrossing(const Vec3& a, const Vec3& b, Vec3& out);
    bool GetRayIntersection(const Vec3& start, const Vec3& direction, float length, Vec3& out);

    // Horizon bend and colours.
    void GetAttenuation(const Vec3& point, float& fade, float& sink) const;
    void BendToHorizon(Matrix4& matrix, bool soft) const;
    void BendPointToHorizon(Vec3& out, const Vec3& point, bool soft) const;
    uint32_t GetGroundColor(float x, float y);
    uint32_t GetVertexColor(float x, float y);
    uint8_t bendHorizon = 1;

    // Visibility.
    void PreRender();
    void CycleSetVisibility();
    void CycleMakeWater();
    Vec3 cameraCell {}; // camera cell position, z 0
    float cameraHeight = 0.0f; // camera z in cell units
    float viewRadius = 0.0f; // cell units
    float nearRadius = 0.0f;
    float attenuationStart = 0.0f;
    float attenuationEnd = 0.0f;
    SCandidate candidates[kCandidates] {};
    int32_t candidateCount = 0;
    SVisibleCell visibleCells[kVisible] {};
    int32_t visibleCount = 0;
    // Per-frame list of the cell renderers, emptied by the visibility pass.
    int32_t renderListCount = 0;
    // The sphere test of the visibility pass (camera frame of ViewFrame).
    static bool IsSphereVisible(const Vec3& centre, float radius);
    void SetViewRanges(int visibleRadius);

    // Meshes.
    MapMesh* GetQuadObject(int column, int row, int quad);
    MapMesh* GetQuadWater(int column, int row, int quad, const SWaterParams& water);
    MapMesh* GetFreeMapMesh(int kind);
    SDetailStore* GetFreeMapMesh();
    void UpdateBorder(int column, int row);
    void SetQuadLevels(int column, int row);
    void GenerateLod1(int column, int row, int quad);
    void GenerateLod2(int column, int row, int quad);
    void GenerateLod3(int column, int row, int quad, int bucket);
    void GenerateLOD4B(int column, int row, int bucket);
    void GenerateWater4(int column, int row, const SWaterParams& water);
    void GenerateQuadWater(int column, int row, int quad, const SWaterParams& water);
    bool GetMapMesh(const Vec3& position, float size, CVertexData& out);
    void ReleaseAllMapMeshes();
    void FlushMeshCache();
    void InvalidateResources();
    void ReportMeshMemory();
    void RestoreResources() { ReportMeshMemory(); }
    void ReportCacheStats();
    static int ViewBucket(const Vec3& v);
    static int BucketDistance(int stored, int bucket);
    uint8_t fineDetail = 1;
    int32_t meshCount(int kind) const { return int32_t(m_meshes[kind].size()); }
    int32_t deviceBufferCount(int kind) const { return int32_t(m_deviceBuffers[kind].size()); }
    uint32_t meshHits[kMeshKinds] {};
    uint32_t meshMisses[kMeshKinds] {};
    uint32_t bufferHits[kMeshKinds] {};
    uint32_t bufferMisses[kMeshKinds] {};
    uint32_t farHits = 0;
    uint32_t farMisses = 0;
    Vec3 viewDirections[32] {};

    // Rendering (drawn by the terrain renderers).
    void Render();
    void CycleRender();
    void RenderCell(int column, int row);
    void RenderCell4(int column, int row);
    void CycleRenderWater();
    void RenderForWater();
    void RenderDetails();
    void RenderDetailObjects();
    void DrawDetailObject(int k);
    // The terrain state set applied last (0 near, 4 far) and the bend mode (0 off, 1 on); -1
    // unknown at the start of a pass.
    int32_t terrainStateCache = -1;
    int32_t bendCache = -1;
    // Binds the texture to stage 0 unless the pass has bound it there already.
    void SetStage0Texture(CTexture* texture);
    // Forgets the pass's stage-0 texture; each terrain pass starts with it.
    void ForgetStage0Texture() { m_stage0Known = false; }
    // Mesh slots: pools 0-3 serve levels 1-4. SizeSlotPool replaces a pool (Init sizes them from
    // the view range); every mesh loses its slot.
    SDeviceBuffer& deviceBuffer(int kind, int i) { return m_deviceBuffers[kind].at(size_t(i)); }
    void SizeSlotPool(int kind, int count);

    // Water (CLocation_water.cpp).
    void RenderWater(int column, int row, int far, const MapSurface& surface);
    // Frame f of an N x N atlas run through in period seconds, at t; 0 when N <= 0 or the period
    // is not a positive number.
    static int AtlasFrame(int side, float period, double t);
    int32_t waterCellsDrawn = 0; // by the last water pass

    // Detail objects (CLocation_details.cpp).
    struct SDetailDraw {
        float d2;
        CComplexObject* model;
        const SDetailObject* object;
        float alpha;
        uint32_t colour;
        int32_t blended; // 0: the object's colour, may be opaque; 1: always deferred
        int32_t lod;
    };
    static constexpr int kDetailDraws = 4000;
    void GenerateNoiseObjects(int column, int row, int quad);
    SDetailDraw detailDraws[kDetailDraws] {};
    int32_t detailDrawCount = 0;
    int32_t detailObjectsDrawn = 0; // opaque objects of the last pass
    int32_t detailObjectsDeferred = 0; // handed to the effect renderer in the last pass

    // Detail mesh (CLocation_detailmesh.cpp).
    struct SDetailLayer {
        int32_t materialTexture; // the material's Texture, -1 when it has none
        int32_t material;
        int32_t texture; // TextureDetail or TextureBump
        uint8_t bump;
    };
    static constexpr int kDetailLayers = 20;
    static constexpr int kDetailMaterials = 64;
    void GenerateDetailMesh(const Vec3& centre, float radius);
    SDetailLayer detailLayers[kDetailLayers] {};
    int32_t detailLayerCount = 0; // layers filled by the last GenerateDetailMesh
    CVertexData& DetailLayerData(int i) { return m_detailVertexData.at(size_t(i)); }
    int32_t detailLayersDrawn = 0; // by the last RenderDetails

    // Pool access for the renderers and tests.
    int fullPoolSize() const { return int(m_full.size()); }
    int halfPoolSize() const { return int(m_half.size()); }
    MapCell& fullBuffer(int i) { return *m_full.at(size_t(i)); }
    HalfCell& halfBuffer(int i) { return *m_half.at(size_t(i)); }
    SDetailStore& detailStore(int i) { return *m_detail.at(size_t(i)); }

private:
    struct SFiled {
        int32_t x0, y0, x1, y1; // cell rectangle, inclusive
        bool spread;
    };

    MapCell* LoadNear(int column, int row);
    MapCell& TakeFull();
    HalfCell& TakeHalf();
    void Evict(MapCell& cell);
    void Evict(HalfCell& cell);
    void ReleaseQuadMeshes(MapCell& cell);
    void ReleaseMesh(MapMesh*& slot);
    void Unfile(CZJObject* object, const SFiled& filed);
    void File(const Vec3& position, CZJObject* object, bool spread);
    void StitchSide(MapCell& cell, int side, const HalfCell& far);
    void RestoreSide(MapCell& cell, int side);
    void UpdateNearBorder(int column, int row);
    static void UnlinkSlot(MapMesh& mesh);
    SDeviceBuffer* TakeSlot(MapMesh& mesh, int pool, bool fromLast);
    void ApplyTerrainStates(int set);
    void ApplyBend(bool on, float x0, float y0, float side);
    void DrawLayers(MapMesh& mesh, int level, int ring);
    int Ring(int which);
    void BuildLayered(int column, int row, int quad, int level, int bucket);
    static bool CellOfPosition(const Vec3& position, int& column, int& row, int blocksX, int blocksY);

    std::unique_ptr<SCellRecord[]> m_cells;
    std::vector<std::unique_ptr<MapCell>> m_full;
    std::vector<std::unique_ptr<HalfCell>> m_half;
    std::vector<std::unique_ptr<MapMesh>> m_meshes[kMeshKinds];
    std::vector<SDeviceBuffer> m_deviceBuffers[kMeshKinds];
    int32_t m_lastSlot[kMeshKinds] {};
    int32_t m_rings[3] { -1, -1, -1 }; // "MAP1", "MAP3" and "MAP4", as last found
    CTexture* m_stage0Texture = nullptr;
    bool m_stage0Known = false;
    std::vector<std::unique_ptr<SDetailStore>> m_detail;
    std::vector<CVertexData> m_detailVertexData;
    std::unordered_map<const CZJObject*, SFiled> m_filed;
    // Water pass: the slot and surface set up last, and whether the reflection's projective
    // matrix is in place for the current slot.
    int32_t m_waterSlot = -1;
    const MapSurface* m_waterRecord = nullptr;
    bool m_waterProjected = false;
};

extern CLocation Location;

// A water point of a cell with a surface record is lifted to the water level + 3; chosen without
// branches, since water and land points mix at random along a shore.
inline float WaterRule(float h, bool isWater, const MapSurface* surface)
{
    const float floors[2] = { -FLT_MAX, surface ? surface->waterLevel + 3.0f : -FLT_MAX };
    return std::max(h, floors[isWater ? 1 : 0]);
}

inline float CLocation::GetHeight(const Vec3& position, bool water, bool load)
{
    const float fx = position.x * 0.1f;
    const float fy = position.y * 0.1f;
    const int gx = int(fx);
    const int gy = int(fy);
    if (gx < 0 || gx >= width - 1 || gy < 0 || gy >= height - 1)
        return 0.0f;
    const int column = gx >> 6;
    const int row = gy >> 6;
    const SCellRecord& record = Cell(column, row);
    MapCell* full = record.full;
    if (!full) {
        if (!load)
            return 0.0f;
        full = LoadNear(column, row);
    }
    full->lastUse = GameClockF32;
    const int lx = gx & 63;
    const int ly = gy & 63;
    const float u = fx - float(gx);
    const float v = fy - float(gy);
    const float* row0 = &full->planes.height[ly * MapCell::kSide + lx];
    const float* row1 = row0 + MapCell::kSide;
    const float h00 = row0[0];
    const float h10 = row0[1];
    const float h01 = row1[0];
    const float h11 = row1[1];
    // Both splits, both triangles, picked by index rather than branches: positions fall on either
    // parity and either side at random.
    const float triangles[4] = {
        h00 + (h01 - h00) * (v - u) + (h11 - h00) * u, // even split, u < v
        h00 + (h10 - h00) * (u - v) + (h11 - h00) * v, // even split, u >= v
        h11 + (h01 - h11) * (1.0f - u) + (h10 - h11) * (1.0f - v), // odd split, u + v > 1
        h00 + (h10 - h00) * u + (h01 - h00) * v, // odd split, u + v <= 1
    };
    const int odd = (lx + ly) & 1;
    const int side = odd * int(u + v <= 1.0f) + (1 - odd) * int(u >= v);
    const float h = triangles[2 * odd + side];
    return water ? WaterRule(h, FullWater(full->Code(ly & ~1, lx & ~1)), record.surface) : h;
}

inline float CLocation::GetSquareTop(int gx, int gy)
{
    // Cut toward zero, the first row and column also hold points a little below 0, where
    // GetHeight extrapolates: no bound there.
    if (gx <= 0 || gy <= 0)
        return FLT_MAX;
    if (gx >= width - 1 || gy >= height - 1)
        return 0.0f;
    MapCell* full = Cell(gx >> 6, gy >> 6).full;
    if (!full)
        return 0.0f;
    full->lastUse = GameClockF32;
    const float* row0 = &full->planes.height[(gy & 63) * MapCell::kSide + (gx & 63)];
    const float* row1 = row0 + MapCell::kSide;
    const float corners[4] = { row0[0], row0[1], row1[0], row1[1] };
    float top = corners[0];
    float size = 0.0f;
    for (const float h : corners) {
        top = std::max(top, h);
        size = std::max(size, std::fabs(h));
    }
    // The interpolation rounds within a few units in the last place of the largest corner.
    return top + size * 1.0e-5f + 1.0e-3f;
}

// The fractional detail level of an object at squared distance d2; -1 when not drawn.
float GetLodLevel(float d2);
// cfg.ini [CONFIG] ModelQuality, read by GetLodLevel.
extern int32_t ModelQuality;

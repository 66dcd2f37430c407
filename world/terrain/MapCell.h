// The terrain's cell data: the cell record of the 64 x 64 table, the full-resolution buffer
// (MapCell) with its four quads, the half-resolution buffer, the pooled meshes, the detail stores
// and the point view that GetCell returns.
#pragma once

#include "foundation/Vector.h"
#include "foundation/XList.h"
#include "foundation/XRandom.h"
#include "render/CVertexData.h"
#include "render/Mesh.h"
#include "world/objects/CZJObject.h"
#include "world/terrain/MapFile.h"

#include <cstdint>
#include <memory>

struct MapMesh;
struct SDetailStore;

inline constexpr int kCellSteps = 64;
inline constexpr int kGridCells = 64;
inline constexpr float kStep = 10.0f;
inline constexpr int kNearLevel = 0;
inline constexpr int kFarLevel = 4;

// Signed height, far omission bit and water byte of a half-resolution plane-0 word.
inline float HalfHeight(uint32_t word)
{
    return float(int16_t(uint16_t(word & 0xFFFFu)));
}
inline bool HalfWater(uint32_t word)
{
    return (word >> 24) != 0;
}
inline bool FullWater(uint32_t code)
{
    return ((code >> 8) & 0xFFu) != 0;
}
// Low 16 bits signed x, high 16 bits signed y, each / 32766; z from the unit length.
Vec3 UnpackNormal16(uint32_t packed);

// One layer of a terrain mesh: a run of vertices and indices drawn with one land material.
struct SMeshLayer {
    uint32_t firstVertex;
    uint32_t vertexCount;
    uint32_t firstIndex;
    uint32_t indexCount;
    int32_t material; // land material record, -1 none; -2 ends the list
    int32_t texture; // the material's texture, -1 none
    uint8_t flag; // the material code's bit 15
};

// A mesh slot of a kind's pool: device buffers that keep one mesh's geometry while the mesh is
// drawn every frame. The buffers are made on the slot's first use.
struct SDeviceBuffer {
    uint8_t inUse = 0; // taken by a mesh
    uint8_t created = 0;
    uint8_t usedThisFrame = 0;
    MapMesh* mesh = nullptr; // the mesh it holds
    std::unique_ptr<Mesh> device;
};

struct MapMesh {
    static constexpr int kMaxLayers = 8;
    CVertexData data;
    float stamp = 0.0f;
    uint8_t inUse = 0;
    int32_t column = -1;
    int32_t row = -1;
    int32_t quad = -1;
    int32_t kind = 0;
    SDeviceBuffer* buffer = nullptr;
    MapMesh** owner = nullptr; // the slot that points at this mesh
    SMeshLayer layers[kMaxLayers] {};
    int32_t layerCount = 0;
};

struct MapQuad {
    SRandomState seed {};
    uint8_t seedSaved = 0;
    int32_t level = 0; // 1 to 3 while visible
    Vec3 centre {};
    float radius = 0.0f;
    float box[6] {};
    uint8_t visible = 0;
    MapMesh* meshes[3] {};
    int32_t buckets[3] { -1, -1, -1 };
    MapMesh* water = nullptr;
    SDetailStore* detail = nullptr;
    uint8_t generated = 0; // the detail store holds this quad's objects
    int32_t column = 0; // the cell and the quad's number in it
    int32_t row = 0;
    int32_t number = 0;

    // Adds the quad's detail objects in view to the location's frame list, generating them first
    // when its store does not hold them.
    void RenderDetails();
};

// Full-resolution buffer of one near cell.
struct MapCell {
    static constexpr int kSide = MapFile::kFullSide;
    uint8_t loaded = 0;
    uint8_t visible = 0;
    float lastUse = 0.0f;
    float resetTime = 0.0f;
    int32_t column = 0;
    int32_t row = 0;
    float box[6] {};
    Vec3 centre {};
    float radius = 0.0f;
    FullPlanes planes;
    int32_t quadSplit = 0;
    MapQuad quads[4];
    uint8_t stitched[4] {}; // left, top, right, bottom
    float savedEdges[4][32] {};

    MapPoint At(int r, int c) const { return planes.At(r * kSide + c); }
    float& Height(int r, int c) { return planes.height[r * kSide + c]; }
    float Height(int r, int c) const { return planes.height[r * kSide + c]; }
    uint32_t Code(int r, int c) const { return planes.code[r * kSide + c]; }
};

// Half-resolution buffer of one far cell.
struct HalfCell {
    static constexpr int kSide = MapFile::kHalfSide;
    uint8_t loaded = 0;
    float box[6] {};
    Vec3 centre {};
    float radius = 0.0f;
    float lastUse = 0.0f;
    float resetTime = 0.0f;
    int32_t column = 0;
    int32_t row = 0;
    int32_t bucket = -1; // the view bucket of the far mesh
    MapMesh* farMesh = nullptr;
    MapMesh* waterMesh = nullptr;
    HalfPoint points[kSide * kSide];

    HalfPoint& At(int r, int c) { return points[r * kSide + c]; }
    const HalfPoint& At(int r, int c) const { return points[r * kSide + c]; }
};

// One entry of the 64 x 64 cell table.
struct SCellRecord {
    uint32_t offset = 0;
    MapCell* full = nullptr;
    HalfCell* half = nullptr;
    float factors[5] {};
    MapSurface* surface = nullptr;
    float box[6] {};
    Vec3 centre {};
    float radius = 0.0f;
    int32_t level = 0;
    int32_t previousLevel = 0;
    XList<CZJObject> objects; // filed here, not owned
    uint32_t counter = 0;
};

// The point record of a grid point, read by its layout: a full-resolution point, the covering
// half-resolution point, or the default point (zeros).
class MapPointView {
public:
    enum class Layout { Default, Half, Full };
    MapPointView() = default;
    MapPointView(const FullPlanes* planes, int index)
        : m_layout(Layout::Full)
        , m_full(planes)
        , m_index(index)
    {
    }
    explicit MapPointView(const HalfPoint* half)
        : m_layout(Layout::Half)
        , m_half(half)
    {
    }
    Layout GetLayout() const { return m_layout; }
    float Height() const;
    bool Water() const;
    uint32_t Code() const; // full only: omission bits, water byte, material
    uint32_t Colour() const;
    uint32_t Light() const;
    Vec3 Normal() const; // (0, 0, 0) for the default point

private:
    Layout m_layout = Layout::Default;
    const FullPlanes* m_full = nullptr;
    int m_index = 0;
    const HalfPoint* m_half = nullptr;
};

// One generated detail object of a detail store.
struct SDetailObject {
    int32_t type;
    int32_t model;
    float scale;
    float sine;
    float cosine;
    float position[3];
    float radius;
    uint32_t colour;
};

// One of the location's 40 detail stores; filled by the detail-object generator.
struct SDetailStore {
    static constexpr int kCapacity = 8000;
    SDetailObject objects[kCapacity];
    uint8_t inUse = 0;
    uint8_t* generated = nullptr; // the owning quad's flag, cleared when the store is recycled
    double lastUse = 0.0;
    int32_t count = 0;
    int32_t order[kCapacity]; // by radius, smallest first
};

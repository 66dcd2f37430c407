// The mesh builders: the layered quad meshes of levels 1 to 3, the far mesh and the water meshes.
#include "world/terrain/CLocation.h"

#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/Color.h"
#include "foundation/ErrorLog.h"
#include "render/CLandMaterials.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/MeshTemplates.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

struct SVertexLayered { // 0x152
    float x, y, z, nx, ny, nz;
    uint32_t colour;
    float u, v;
};
struct SVertexBlended { // 0x15a
    float x, y, z, w0, w1, w2, nx, ny, nz;
    uint32_t colour;
    float u, v;
};
struct SVertexFar { // 0x5a
    float x, y, z, w0, w1, w2, nx, ny, nz;
    uint32_t colour;
};
static_assert(sizeof(SVertexLayered) == 36 && sizeof(SVertexBlended) == 48 && sizeof(SVertexFar) == 40);

constexpr int kMaxMaterials = 100;

// Plane colour under the decoded light word: unchanged for light 0, else scaled by
// trunc((1 - l) x 192 + 63).
uint32_t Shade(uint32_t colour, uint32_t light)
{
    const float l = Environment.DecodePackedValue(light);
    if (l == 0.0f)
        return colour;
    const float k = std::clamp((1.0f - l) * 192.0f + 63.0f, 0.0f, 256.0f);
    return ColorScale(colour, uint32_t(k));
}

Vec3 FaceNormal(const Vec3& a, const Vec3& b, const Vec3& c)
{
    const Vec3 e1 { b.x - a.x, b.y - a.y, b.z - a.z };
    const Vec3 e2 { c.x - a.x, c.y - a.y, c.z - a.z };
    Vec3 n { e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x };
    const float length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    if (length > 0.0f)
        n = Vec3 { n.x / length, n.y / length, n.z / length };
    return n;
}

bool Culled(const Vec3& a, const Vec3& b, const Vec3& c, const Vec3* direction, float limit)
{
    if (!direction)
        return false;
    const Vec3 n = FaceNormal(a, b, c);
    return !(n.x * direction->x + n.y * direction->y + n.z * direction->z < limit);
}

template <class Vertex> Vertex* Vertices(MapMesh& mesh)
{
    return reinterpret_cast<Vertex*>(mesh.data.vertices);
}

struct SLayerGroup {
    int32_t material;
    int32_t texture;
    uint8_t flag;
};

} // namespace

void CLocation::GenerateLod1(int column, int row, int quad)
{
    ZJ_TRACE("CLocation::GenerateLod1");
    MapQuad& q = Cell(column, row).full->quads[quad];
    const bool rebuild = q.seedSaved != 0;
    if (rebuild) {
        PushRandomState();
        SharedRandom.last = std::bit_cast<float>(q.seed.lastBits);
        SharedRandom.seed = q.seed.seed;
    } else {
        q.seed = SRandomState { std::bit_cast<uint32_t>(SharedRandom.last), SharedRandom.seed };
    }
    try {
        BuildLayered(column, row, quad, 1, -1);
    } catch (...) {
        if (rebuild)
            PopRandomState();
        throw;
    }
    if (rebuild)
        PopRandomState();
    else
        q.seedSaved = 1;
}

void CLocation::GenerateLod2(int column, int row, int quad)
{
    ZJ_TRACE("CLocation::GenerateLod2");
    BuildLayered(column, row, quad, 2, -1);
}

void CLocation::GenerateLod3(int column, int row, int quad, int bucket)
{
    ZJ_TRACE("CLocation::GenerateLod3");
    BuildLayered(column, row, quad, 3, bucket);
}

void CLocation::BuildLayered(int column, int row, int quad, int level, int bucket)
{
    MapCell& cell = *Cell(column, row).full;
    MapQuad& q = cell.quads[quad];
    const int kind = level - 1;
    MapMesh*& slot = q.meshes[kind];
    ReleaseMesh(slot);
    MapMesh& mesh = *GetFreeMapMesh(kind);
    mesh.inUse = 1;
    mesh.column = column;
    mesh.row = row;
    mesh.quad = quad;
    mesh.stamp = GameClockF32;
    mesh.owner = &slot;
    slot = &mesh;
    q.buckets[kind] = bucket;
    const Vec3* cull = level == 3 && bucket >= 0 ? &viewDirections[bucket] : nullptr;
    const int r0 = 32 * (quad / 2);
    const int c0 = 32 * (quad % 2);

    // Materials of the quad, ascending, then their layer groups.
    uint16_t codes[kMaxMaterials];
    int codeCount = 0;
    for (int r = r0; r <= r0 + 32; ++r) {
        for (int c = c0; c <= c0 + 32; ++c) {
            const uint16_t code = uint16_t(cell.Code(r, c) >> 16);
            if (std::find(codes, codes + codeCount, code) == codes + codeCount && codeCount < kMaxMaterials)
                codes[codeCount++] = code;
        }
    }
    std::sort(codes, codes + codeCount);
    SLayerGroup groups[MapMesh::kMaxLayers];
    int groupCount = 0;
    uint8_t groupOfCode[kMaxMaterials];
    for (int i = 0; i < codeCount; ++i) {
        const bool flag = (codes[i] & 0x8000u) != 0;
        const int material = g_pLandMaterials ? g_pLandMaterials->FindByGID(codes[i]) : -1;
        const int texture = material >= 0 ? g_pLandMaterials->GetMaterial(material).texture : -1;
        int g = 0;
        while (g < groupCount && !(groups[g].texture == texture && groups[g].flag == uint8_t(flag)))
            ++g;
        if (g == groupCount) {
            if (groupCount < MapMesh::kMaxLayers)
                groups[groupCount++] = SLayerGroup { material, texture, uint8_t(flag) };
            else
                g = MapMesh::kMaxLayers - 1;
        }
        groupOfCode[i] = uint8_t(g);
    }
    uint8_t layerOf[33 * 33];
    for (int r = 0; r <= 32; ++r) {
        for (int c = 0; c <= 32; ++c) {
            const uint16_t code = uint16_t(cell.Code(r0 + r, c0 + c) >> 16);
            const uint16_t* found = std::lower_bound(codes, codes + codeCount, code);
            layerOf[r * 33 + c] = found != codes + codeCount && *found == code
                ? groupOfCode[found - codes]
                : uint8_t(groupCount > 0 ? groupCount - 1 : 0);
        }
    }
    // Texture rotation and mirror per block (level 1 only), from the generator's seed.
    uint8_t rotation[256] = {};
    uint8_t mirror[256] = {};
    if (level == 1) {
        for (int b = 0; b < 256; ++b) {
            SharedRandom.seed
                = (SharedRandom.seed * XRandom::kMultiplier + XRandom::kIncrement) % XRandom::kModulus;
            rotation[b] = uint8_t((SharedRandom.seed >> 8) & 3u);
            SharedRandom.seed
                = (SharedRandom.seed * XRandom::kMultiplier + XRandom::kIncrement) % XRandom::kModulus;
            mirror[b] = uint8_t((SharedRandom.seed >> 8) & 1u);
            SharedRandom.last = float(SharedRandom.seed) / float(XRandom::kModulus);
        }
    }

    const uint32_t omitBit = 1u << (level - 1);
    const auto& templates = MeshTemplates();
    int16_t vertexOf[33 * 33];
    bool full = false;
    for (int g = 0; g < groupCount && !full; ++g) {
        const SLayerGroup& group = groups[g];
        int mode = 1;
        float scale = 10.0f;
        if (group.material >= 0) {
            const SLandMaterial& material = g_pLandMaterials->GetMaterial(group.material);
            mode = material.vertical;
            scale = material.height;
        }
        SMeshLayer& layer = mesh.layers[mesh.layerCount++];
        layer = SMeshLayer { mesh.data.vertexCount, 0, mesh.data.indexCount, 0, group.material, group.texture,
            group.flag };
        std::fill(std::begin(vertexOf), std::end(vertexOf), int16_t(-1));
        for (int br = 0; br < 16 && !full; ++br) {
            for (int bc = 0; bc < 16; ++bc) {
                bool inLayer = false;
                for (int i = 0; i < 9 && !inLayer; ++i)
                    inLayer = layerOf[(2 * br + i / 3) * 33 + 2 * bc + i % 3] == g;
                if (!inLayer)
                    continue;
                if (mesh.data.vertexCount + 9 > mesh.data.vertexCapacity
                    || mesh.data.indexCount + 24 > mesh.data.indexCapacity) {
                    char line[96];
                    std::snprintf(line, sizeof line,
                        "CLocation::GenerateLod%d: mesh of cell %d,%d quad %d is full", level, column, row,
                        quad);
                    WriteErrorLog(line);
                    full = true;
                    break;
                }
                int mask = 0;
                constexpr int kMiddles[5][2] = { { 1, 1 }, { 3, 2 }, { 4, 4 }, { 5, 8 }, { 7, 16 } };
                for (const auto& middle : kMiddles) {
                    const int i = middle[0];
                    if (cell.Code(r0 + 2 * br + i / 3, c0 + 2 * bc + i % 3) & omitBit)
                        mask |= middle[1];
                }
                const SMeshTemplate& t = templates[size_t(TemplateIndex(mask, br, bc))];
                Vec3 position[9];
                for (int i = 0; i < 9; ++i) {
                    const int gx = 64 * column + c0 + 2 * bc + i % 3;
                    const int gy = 64 * row + r0 + 2 * br + i / 3;
                    position[i] = Vec3 { kStep * float(gx), kStep * float(gy),
                        cell.Height(r0 + 2 * br + i / 3, c0 + 2 * bc + i % 3) };
                }
                for (int k = 0; k < t.count; ++k) {
                    const uint8_t* tri = t.triangles[k];
                    if (Culled(position[tri[0]], position[tri[1]], position[tri[2]], cull, 0.22f))
                        continue;
                    for (int j = 0; j < 3; ++j) {
                        const int i = tri[j];
                        const int lr = 2 * br + i / 3;
                        const int lc = 2 * bc + i % 3;
                        int16_t& index = vertexOf[lr * 33 + lc];
                        if (index < 0) {
                            const MapPoint point = cell.At(r0 + lr, c0 + lc);
                            const Vec3 normal = UnpackNormal16(point.normal);
                            const uint32_t alpha = layerOf[lr * 33 + lc] < g ? 0u : 0xFF000000u;
                            const uint32_t colour = (Shade(point.colour, point.light) & 0xFFFFFFu) | alpha;
                            const Vec3& p = position[i];
                            float u = 0.0f;
                            float v = 0.0f;
                            if (mode == 0) {
                                u = (float(i % 3) * 0.5f + float(rotation[br * 16 + bc])) * 0.25f;
                                v = (float(i / 3) * 0.5f + float(mirror[br * 16 + bc])) * 0.5f;
                            } else {
                                const float gx = p.x * 0.1f;
                                const float gy = p.y * 0.1f;
                                u = 10.0f * (group.flag ? gx - gy : gx + gy) / scale;
                                v = 0.5f * p.z / scale;
                            }
                            index = int16_t(mesh.data.vertexCount++);
                            if (level == 3) {
                                const float fr = float(r0 + lr) / 64.0f;
                                const float fc = float(c0 + lc) / 64.0f;
                                Vertices<SVertexBlended>(mesh)[index]
                                    = SVertexBlended { p.x, p.y, p.z, (1 - fr) * fc, (1 - fc) * fr, fr * fc,
                                          normal.x, normal.y, normal.z, colour, u, v };
                            } else {
                                Vertices<SVertexLayered>(mesh)[index] = SVertexLayered { p.x, p.y, p.z,
                                    normal.x, normal.y, normal.z, colour, u, v };
                            }
                        }
                        mesh.data.indices[mesh.data.indexCount++] = uint16_t(index);
                    }
                }
            }
        }
        layer.vertexCount = mesh.data.vertexCount - layer.firstVertex;
        layer.indexCount = mesh.data.indexCount - layer.firstIndex;
    }
    if (mesh.layerCount < MapMesh::kMaxLayers)
        mesh.layers[mesh.layerCount].material = -2;
}

void CLocation::GenerateLOD4B(int column, int row, int bucket)
{
    ZJ_TRACE("CLocation::GenerateLOD4B");
    HalfCell& half = *Cell(column, row).half;
    ReleaseMesh(half.farMesh);
    MapMesh& mesh = *GetFreeMapMesh(3);
    mesh.inUse = 1;
    mesh.column = column;
    mesh.row = row;
    mesh.quad = 4;
    mesh.stamp = GameClockF32;
    mesh.owner = &half.farMesh;
    half.farMesh = &mesh;
    half.bucket = bucket;
    const Vec3* cull = bucket >= 0 ? &viewDirections[bucket] : nullptr;
    const auto& templates = MeshTemplates();
    int16_t vertexOf[33 * 34];
    std::fill(std::begin(vertexOf), std::end(vertexOf), int16_t(-1));
    for (int br = 0; br < 16; ++br) {
        for (int bc = 0; bc < 16; ++bc) {
            int mask = 0;
            constexpr int kMiddles[5][2] = { { 1, 1 }, { 3, 2 }, { 4, 4 }, { 5, 8 }, { 7, 16 } };
            for (const auto& middle : kMiddles) {
                const int i = middle[0];
                if ((half.At(2 * br + i / 3, 2 * bc + i % 3).height >> 16) & 8u)
                    mask |= middle[1];
            }
            const SMeshTemplate& t = templates[size_t(TemplateIndex(mask, br, bc))];
            Vec3 position[9];
            for (int i = 0; i < 9; ++i) {
                const int r = 2 * br + i / 3;
                const int c = 2 * bc + i % 3;
                position[i] = Vec3 { kStep * float(64 * column + 2 * c), kStep * float(64 * row + 2 * r),
                    HalfHeight(half.At(r, c).height) };
            }
            for (int k = 0; k < t.count; ++k) {
                const uint8_t* tri = t.triangles[k];
                if (Culled(position[tri[0]], position[tri[1]], position[tri[2]], cull, 0.2f))
                    continue;
                for (int j = 0; j < 3; ++j) {
                    const int r = 2 * br + tri[j] / 3;
                    const int c = 2 * bc + tri[j] % 3;
                    int16_t& index = vertexOf[r * 34 + c];
                    if (index < 0) {
                        const HalfPoint& point = half.At(r, c);
                        const Vec3 n = UnpackNormal16(point.normal);
                        const float fr = float(r) / 32.0f;
                        const float fc = float(c) / 32.0f;
                        const Vec3& p = position[tri[j]];
                        index = int16_t(mesh.data.vertexCount++);
                        Vertices<SVertexFar>(mesh)[index] = SVertexFar { p.x, p.y, p.z, (1 - fr) * fc,
                            (1 - fc) * fr, fr * fc, n.x, n.y, n.z, Shade(point.colour, point.light) };
                    }
                    mesh.data.indices[mesh.data.indexCount++] = uint16_t(index);
                }
            }
        }
    }
    mesh.layers[0] = SMeshLayer { 0, mesh.data.vertexCount, 0, mesh.data.indexCount, -1, -1, 0 };
    mesh.layerCount = 1;
}

namespace {

// A water vertex at grid point (gx, gy).
SVertexBlended WaterVertex(int gx, int gy, const SWaterParams& water, float u, float v)
{
    const float a = float(gx + gy) / water.period;
    const uint32_t alpha = uint32_t(std::clamp(water.opacity, 0.0f, 1.0f) * 255.0f);
    return SVertexBlended { kStep * float(gx), kStep * float(gy), 0.0f, (std::cos(a) * 0.5f + 1.0f) * 0.5f,
        (std::sin(a) * 0.5f + 1.0f) * 0.5f, 0.0f, 0.0f, 0.0f, 1.0f,
        (alpha << 24) | (water.colour & 0xFFFFFFu), u, v };
}

MapMesh& TakeWater(CLocation& location, MapMesh*& slot, int column, int row, int quad)
{
    MapMesh& mesh = *location.GetFreeMapMesh(4);
    mesh.inUse = 1;
    mesh.column = column;
    mesh.row = row;
    mesh.quad = quad;
    mesh.stamp = GameClockF32;
    mesh.owner = &slot;
    slot = &mesh;
    return mesh;
}

} // namespace

void CLocation::GenerateWater4(int column, int row, const SWaterParams& water)
{
    ZJ_TRACE("CLocation::GenerateWater4");
    HalfCell& half = *Cell(column, row).half;
    ReleaseMesh(half.waterMesh);
    MapMesh& mesh = TakeWater(*this, half.waterMesh, column, row, 4);
    // Two triangles per sub-square of the 3 x 3 patch, counter-clockwise from above.
    constexpr uint8_t kPatch[8][3] = { { 0, 1, 4 }, { 0, 4, 3 }, { 1, 2, 5 }, { 1, 5, 4 }, { 3, 4, 7 },
        { 3, 7, 6 }, { 4, 5, 8 }, { 4, 8, 7 } };
    for (int pr = 0; pr < 8; ++pr) {
        for (int pc = 0; pc < 8; ++pc) {
            if (!HalfWater(half.At(4 * pr, 4 * pc).height)
                || !HalfWater(half.At(4 * pr + 4, 4 * pc + 4).height))
                continue;
            const uint32_t first = mesh.data.vertexCount;
            for (int j = 0; j < 3; ++j) {
                for (int i = 0; i < 3; ++i) {
                    Vertices<SVertexBlended>(mesh)[mesh.data.vertexCount++] = WaterVertex(
                        64 * column + 8 * pc + 4 * i, 64 * row + 8 * pr + 4 * j, water,
                        float(i) * 0.125f + float(pc % 8) * 0.25f, float(j) * 0.125f + float(pr % 8) * 0.25f);
                }
            }
            for (const auto& tri : kPatch) {
                for (uint8_t k : tri)
                    mesh.data.indices[mesh.data.indexCount++] = uint16_t(first + k);
            }
        }
    }
    mesh.layers[0] = SMeshLayer { 0, mesh.data.vertexCount, 0, mesh.data.indexCount, -1, -1, 0 };
    mesh.layerCount = 1;
}

void CLocation::GenerateQuadWater(int column, int row, int quad, const SWaterParams& water)
{
    ZJ_TRACE("CLocation::GenerateWater4");
    MapCell& cell = *Cell(column, row).full;
    MapQuad& q = cell.quads[quad];
    ReleaseMesh(q.water);
    MapMesh& mesh = TakeWater(*this, q.water, column, row, quad);
    const int r0 = 32 * (quad / 2);
    const int c0 = 32 * (quad % 2);
    for (int br = 0; br < 8; ++br) {
        for (int bc = 0; bc < 8; ++bc) {
            const int r = r0 + 4 * br;
            const int c = c0 + 4 * bc;
            if (!FullWater(cell.Code(r, c)) && !FullWater(cell.Code(r, c + 4))
                && !FullWater(cell.Code(r + 4, c)) && !FullWater(cell.Code(r + 4, c + 4)))
                continue;
            const uint32_t first = mesh.data.vertexCount;
            for (int j = 0; j < 2; ++j) {
                for (int i = 0; i < 2; ++i) {
                    Vertices<SVertexBlended>(mesh)[mesh.data.vertexCount++]
                        = WaterVertex(64 * column + c + 4 * i, 64 * row + r + 4 * j, water,
                            float(2 * i) * 0.0625f + float(bc % 8) * 0.125f,
                            float(2 * j) * 0.0625f + float(br % 8) * 0.125f);
                }
            }
            // Corners 0 (c, r), 1 (c + 4, r), 2 (c, r + 4), 3 (c + 4, r + 4).
            const bool alternate = water.flag != 0.0f && ((br + bc) & 1) != 0;
            const uint8_t split[2][6] = { { 0, 1, 3, 0, 3, 2 }, { 0, 1, 2, 1, 3, 2 } };
            for (uint8_t k : split[alternate ? 1 : 0])
                mesh.data.indices[mesh.data.indexCount++] = uint16_t(first + k);
        }
    }
    mesh.layers[0] = SMeshLayer { 0, mesh.data.vertexCount, 0, mesh.data.indexCount, -1, -1, 0 };
    mesh.layerCount = 1;
}

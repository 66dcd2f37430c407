// The detail mesh: a finer skin of the full-resolution points within a disc around the camera,
// one layer per land material with a detail texture (and a second, bump layer for materials
// flagged for it), rebuilt every frame and drawn over the terrain without depth writes.
#include "world/terrain/CLocation.h"

#include "foundation/CTimer.h"
#include "foundation/CViewFrame.h"
#include "foundation/CallTrace.h"
#include "foundation/XRangeError.h"
#include "render/CLandMaterials.h"
#include "render/CModelManager.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/CLightWare.h"
#include "world/terrain/DetailPatterns.h"
#include "world/terrain/TerrainStates.h"
#include "world/terrain/TerrainSwitches.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace {

using plat::gfx::RenderState;

constexpr int kMaskSide = 48;
constexpr int kMapSide = 64;
// The largest radius whose area (0.2 R + 5 steps with the rounding and the block's far edge)
// fits the cull mask.
constexpr float kMaxRadius = 210.0f;
constexpr float kAlwaysBuilt2 = 1600.0f;

struct SDetailVertex {
    float x, y, z;
    float nx, ny, nz;
    uint32_t diffuse;
    uint32_t specular;
    float u, v;
};
static_assert(sizeof(SDetailVertex) == 40);

bool Projects(const Vec3& point)
{
    Vec3 p {};
    TransformCoord(p, point, ViewFrame.combined);
    return p.z >= 0.0f && std::fabs(p.x) < 1.02f * p.z && std::fabs(p.y) < 1.02f * p.z;
}

uint32_t EncodeVector(const Vec3& v)
{
    auto part = [](float c) { return uint32_t(int(128.0f + 127.0f * c)) & 0xFFu; };
    return (part(v.x) << 16) | (part(v.y) << 8) | part(v.z);
}

Vec3 Unit(const Vec3& v)
{
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return length > 0.0f ? Vec3 { v.x / length, v.y / length, v.z / length } : Vec3 {};
}

Vec3 Scaled(const Vec3& v, float k)
{
    return Vec3 { v.x * k, v.y * k, v.z * k };
}

// Points 1, 3, 4, 5 and 7 of the block at (r, c) of a cell, as pattern bits 0 to 4.
int PatternOf(const MapCell& cell, int r, int c, uint32_t flag)
{
    const int points[5][2] = { { 0, 1 }, { 1, 0 }, { 1, 1 }, { 1, 2 }, { 2, 1 } };
    int p = 0;
    for (int k = 0; k < 5; ++k) {
        if (cell.Code(r + points[k][0], c + points[k][1]) & flag)
            p |= 1 << k;
    }
    return p == 31 && (((r >> 1) + (c >> 1)) & 1) == 0 ? 32 : p;
}

} // namespace

void CLocation::GenerateDetailMesh(const Vec3& centre, float radius)
{
    ZJ_TRACE("CLocation::GenerateDetailMesh");
    // The layers are counted: a material without a texture of its own must not end the list.
    detailLayerCount = 0;
    for (SDetailLayer& layer : detailLayers)
        layer = SDetailLayer { -1, -1, -1, 0 };
    const float R = std::min(radius, kMaxRadius);
    if (!(R > 0.0f) || m_detailVertexData.size() < size_t(kDetailLayers) || width < 2 || height < 2)
        return;
    const float f = 0.1f;
    const int ax0 = int((centre.x - R) * f - 0.5f) & ~1;
    const int ay0 = int((centre.y - R) * f - 0.5f) & ~1;
    const int ax1 = int((centre.x + R) * f + 0.5f);
    const int ay1 = int((centre.y + R) * f + 0.5f);
    const int cellX0 = std::clamp(ax0 / 64, 0, blocksX - 1);
    const int cellX1 = std::clamp(ax1 / 64, 0, blocksX - 1);
    const int cellY0 = std::clamp(ay0 / 64, 0, blocksY - 1);
    const int cellY1 = std::clamp(ay1 / 64, 0, blocksY - 1);

    // Visits every block of the area in a visible near buffer: fn(cell, local row, local column,
    // area row, area column).
    auto eachBlock = [&](auto&& fn) {
        for (int cy = cellY0; cy <= cellY1; ++cy) {
            for (int cx = cellX0; cx <= cellX1; ++cx) {
                MapCell* cell = Cell(cx, cy).full;
                if (!cell || !cell->visible)
                    continue;
                for (int gy = std::max(ay0, 64 * cy); gy < std::min(ay1, 64 * cy + 64); gy += 2) {
                    for (int gx = std::max(ax0, 64 * cx); gx < std::min(ax1, 64 * cx + 64); gx += 2)
                        fn(*cell, gy - 64 * cy, gx - 64 * cx, gy - ay0, gx - ax0);
                }
            }
        }
    };

    uint32_t materials[kDetailMaterials];
    int materialCount = 0;
    uint32_t last = ~0u; // neighbouring points mostly share their material
    // A block shares its top row and left column with the blocks before it in the cell, which
    // listed their materials already: the list comes out in the same order.
    eachBlock([&](MapCell& cell, int r, int c, int ar, int ac) {
        for (int j = r == 0 || ar == 0 ? 0 : 1; j < 3; ++j) {
            for (int i = c == 0 || ac == 0 ? 0 : 1; i < 3; ++i) {
                const uint32_t id = cell.Code(r + j, c + i) >> 16;
                if (id == last)
                    continue;
                last = id;
                if (materialCount < kDetailMaterials
                    && std::find(materials, materials + materialCount, id) == materials + materialCount)
                    materials[materialCount++] = id;
            }
        }
    });
    // The cull mask costs projections: only made when some material has a layer to build.
    bool anyLayer = false;
    for (int m = 0; m < materialCount && !anyLayer && g_pLandMaterials; ++m) {
        const int index = g_pLandMaterials->FindByGID(materials[m]);
        if (index < 0)
            continue;
        const SLandMaterial& material = g_pLandMaterials->GetMaterial(index);
        anyLayer = material.textureDetail >= 0
            || ((material.specDetail || material.diffBump) && material.textureBump >= 0);
    }
    if (!anyLayer)
        return;
    uint8_t mask[kMaskSide][kMaskSide] = {};
    const float cull2 = 1.44f * R * R;
    eachBlock([&](MapCell& cell, int r, int c, int ar, int ac) {
        const float bx = kStep * float(64 * cell.column + c + 1) - centre.x;
        const float by = kStep * float(64 * cell.row + r + 1) - centre.y;
        const float d2 = bx * bx + by * by;
        if (d2 > cull2) {
            mask[ar][ac] = 1;
            return;
        }
        if (d2 <= kAlwaysBuilt2)
            return;
        for (int j = 0; j <= 2; j += 2) {
            for (int i = 0; i <= 2; i += 2) {
                const Vec3 corner { (float(i) * 1.5f + float(64 * cell.column + c) - 0.5f) * kStep,
                    (float(j) * 1.5f + float(64 * cell.row + r) - 0.5f) * kStep, cell.Height(r + j, c + i) };
                if (Projects(corner))
                    return;
            }
        }
        mask[ar][ac] = 1;
    });

    const uint32_t flag = DetailQualityOn ? 1u : 2u;
    const Vec3 sun = Environment.sunVector;
    const float brightness = Environment.sunBrightness;
    const Vec3 camera = ViewFrame.position;
    uint16_t map[kMapSide][kMapSide];
    int n = 0;
    for (int m = 0; m < materialCount && n < kDetailLayers; ++m) {
        const int index = g_pLandMaterials ? g_pLandMaterials->FindByGID(materials[m]) : -1;
        if (index < 0)
            continue;
        const SLandMaterial& material = g_pLandMaterials->GetMaterial(index);
        for (int bump = 0; bump < 2 && n < kDetailLayers; ++bump) {
            if (bump && !material.specDetail && !material.diffBump)
                continue;
            const int texture = bump ? material.textureBump : material.textureDetail;
            if (texture < 0)
                continue;
            CVertexData& data = m_detailVertexData[size_t(n)];
            auto* vertices = reinterpret_cast<SDetailVertex*>(data.vertices);
            std::memset(map, 0, sizeof map);
            uint32_t vertexCount = 0;
            uint32_t indexCount = 0;
            eachBlock([&](MapCell& cell, int r, int c, int ar, int ac) {
                if (mask[ar][ac])
                    return;
                const SDetailPattern& pattern = kDetailPatterns[size_t(PatternOf(cell, r, c, flag))];
                bool carries = false;
                for (int k = 0; k < 9; ++k) {
                    if ((pattern.used >> k & 1) && (cell.Code(r + k / 3, c + k % 3) >> 16) == materials[m])
                        carries = true;
                }
                if (!carries || vertexCount + 9 > data.vertexCapacity
                    || indexCount + 3u * pattern.triangleCount > data.indexCapacity)
                    return;
                uint16_t local[9] = {};
                for (int k = 0; k < 9; ++k) {
                    if (!(pattern.used >> k & 1))
                        continue;
                    const int pr = r + k / 3;
                    const int pc = c + k % 3;
                    uint16_t& slot = map[ar + k / 3][ac + k % 3];
                    if (slot == 0) {
                        const int X = 64 * cell.column + pc;
                        const int Y = 64 * cell.row + pr;
                        const MapPoint point = cell.At(pr, pc);
                        SDetailVertex v {};
                        v.x = kStep * float(X);
                        v.y = kStep * float(Y);
                        v.z = point.height;
                        const Vec3 normal = UnpackNormal16(point.normal);
                        v.nx = normal.x;
                        v.ny = normal.y;
                        v.nz = normal.z;
                        const float dx = v.x - centre.x;
                        const float dy = v.y - centre.y;
                        const float q = (dx * dx + dy * dy) / (R * R);
                        float a = q < 0.5f ? 1.0f : q <= 1.0f ? 1.0f - 2.0f * (q - 0.5f) : 0.0f;
                        if ((point.code >> 16) != materials[m])
                            a = 0.0f;
                        else if (a != 0.0f)
                            a *= (std::sin((float(index) * 0.5f + float(X)) * 0.7f)
                                         * std::cos((float(Y) + float(index)) * 0.59f)
                                     + 2.0f)
                                * 0.33333f;
                        const uint32_t alpha = uint32_t(255.0f * a) << 24;
                        const float l = Environment.DecodePackedValue(point.light);
                        const float shade = (1.0f - l) * 192.0f + 63.0f;
                        if (!bump) {
                            uint32_t colour = point.colour & 0xFFFFFFu;
                            if (l != 0.0f) {
                                const uint32_t k8 = uint32_t(shade);
                                colour = ((((colour >> 16) & 0xFF) * k8 / 256) << 16)
                                    | ((((colour >> 8) & 0xFF) * k8 / 256) << 8)
                                    | ((colour & 0xFF) * k8 / 256);
                            }
                            v.diffuse = alpha | colour;
                        } else {
                            const Vec3 e = Unit(Vec3 { camera.x - v.x, camera.y - v.y, camera.z - v.z });
                            const Vec3 h
                                = Scaled(Unit(Vec3 { e.x + sun.x, e.y + sun.y, e.z + sun.z }), brightness);
                            Vec3 light = Scaled(Unit(Vec3 { sun.x, sun.y, sun.z - 0.2f }), brightness);
                            if (l != 0.0f)
                                light = Scaled(light, shade / 255.0f);
                            v.specular = EncodeVector(h);
                            v.diffuse = alpha | EncodeVector(light);
                        }
                        v.u = float(X - ax0) * 0.5f;
                        v.v = float(Y - ay0) * 0.5f;
                        vertices[vertexCount] = v;
                        slot = uint16_t(++vertexCount);
                    }
                    local[k] = uint16_t(slot - 1);
                }
                for (int i = 0; i < 3 * pattern.triangleCount; ++i)
                    data.indices[indexCount++] = local[pattern.indices[size_t(i)]];
            });
            data.vertexCount = vertexCount;
            data.indexCount = indexCount;
            data.firstVertex = 0;
            data.firstIndex = 0;
            detailLayers[n] = SDetailLayer { material.texture, index, texture, uint8_t(bump) };
            detailLayerCount = ++n;
        }
    }
}

void CLocation::RenderDetails()
{
    ZJ_TRACE("CLocation::RenderDetails");
    detailLayersDrawn = 0;
    ForgetStage0Texture();
    const Vec3 camera = ViewFrame.position;
    GenerateDetailMesh(camera, 200.0f);
    LightWare.SetLights(camera.x, camera.y, camera.z, 200.0f);
    plat::gfx::Device* device = g_Graphic.GetDevice();
    if (!device || !g_TexShaderManager || !g_pModelManager || !g_pLandMaterials)
        return;
    const int ring = g_pModelManager->FindBuffer("MAPDETAILS");
    device->SetRenderState(RenderState::DiffuseMaterialSource, uint32_t(plat::gfx::MaterialSource::Color1));
    device->SetRenderState(RenderState::SpecularMaterialSource, uint32_t(plat::gfx::MaterialSource::Color2));
    device->SetRenderState(RenderState::ZWriteEnable, 0);
    device->SetRenderState(RenderState::SpecularEnable, 0);
    device->SetTextureStageState(0, plat::gfx::StageState::MipMapLodBias, std::bit_cast<uint32_t>(-0.3f));
    Environment.SetFog(true, 1.0f, 0.0f);
    device->SetTransform(plat::gfx::Transform::World, plat::gfx::Matrix::Identity());
    device->SetMaterial(kTerrainMaterial);
    g_TexShaderManager->ResetCurrent();
    for (int i = 0; i < detailLayerCount; ++i) {
        const SDetailLayer& layer = detailLayers[i];
        CVertexData& data = m_detailVertexData[size_t(i)];
        if (data.vertexCount == 0 || ring < 0)
            continue;
        Mesh* mesh = g_pModelManager->GetRenderSingleBufMesh(ring, data);
        if (!mesh)
            continue;
        const SLandMaterial& material = g_pLandMaterials->GetMaterial(layer.material);
        CTexture* texture = g_pTextureManager && layer.texture < g_pTextureManager->GetRecordCount()
            ? g_pTextureManager->GetTexture(layer.texture)
            : nullptr;
        if (!layer.bump) {
            if (material.selfIllum) {
                plat::gfx::Material glow = kTerrainMaterial;
                const float force = material.selfIllumForce;
                const float e = material.selfIllumPeriod == 0.0f ? 1.0f
                                                                 : 0.5f * force + (1.0f - force)
                        + 0.5f * force
                            * float(std::sin(3.14159265358979 / material.selfIllumPeriod * GameClock));
                glow.diffuse = glow.ambient = { 0.5f, 0.5f, 0.5f, 0.5f };
                glow.emissive = { e, e, e, e };
                device->SetMaterial(glow);
            }
            g_TexShaderManager->Apply(22, mesh, texture);
            if (material.selfIllum)
                device->SetMaterial(kTerrainMaterial);
        } else {
            if (material.specDetail)
                g_TexShaderManager->Apply(36, mesh, texture);
            if (material.diffBump)
                g_TexShaderManager->Apply(35, mesh, texture);
        }
        ++detailLayersDrawn;
    }
    g_TexShaderManager->ApplyEx();
    device->SetRenderState(RenderState::DiffuseMaterialSource, uint32_t(plat::gfx::MaterialSource::Material));
    device->SetRenderState(
        RenderState::SpecularMaterialSource, uint32_t(plat::gfx::MaterialSource::Material));
    device->SetRenderState(RenderState::ZWriteEnable, 1);
    device->SetTextureStageState(0, plat::gfx::StageState::MipMapLodBias, 0);
}

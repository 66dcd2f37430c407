#include "foundation/CViewFrame.h"
#include "foundation/CallTrace.h"
#include "foundation/Matrix.h"
#include "platform/gfx/device.h"
#include "render/CModelManager.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"
#include "world/objects/CSmoke.h"
#include "world/terrain/CLocation.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <vector>

using namespace plat::gfx;

namespace {

constexpr float kPi = 3.14159265358979f;
// Puffs this near the camera (squared distance) are not drawn.
constexpr float kNearSq = 3.0f;
constexpr float kCell = 0.25f; // one cell of the 4 x 4 texture sheet
// Style 2: below this view factor faint puffs are pooled, each pool drawn at kPoolOpacity.
constexpr float kPoolBelow = 80.0f;
constexpr float kPoolOpacity = 20.0f;
constexpr int kQuadSlot = 24;
constexpr int kDriftSlot = 45;

struct SSortEntry {
    float key; // squared distance to the camera
    int32_t index; // ring slot
};
// The sort table the trails share: grown to the largest trail drawn so far, never shrunk.
std::vector<SSortEntry> SortTable;

uint32_t WithAlpha(uint32_t colour, float opacity)
{
    const float a = std::clamp(opacity, 0.0f, 255.0f);
    return (uint32_t(a) << 24) | (colour & 0xFFFFFFu);
}

void SetFloatState(Device* device, RenderState state, float value)
{
    device->SetRenderState(state, std::bit_cast<uint32_t>(value));
}

} // namespace

void CSmoke::MakeMesh()
{
    ZJ_TRACE("CSmoke::MakeMesh");
    mesh.firstVertex = mesh.firstIndex = 0;
    mesh.vertexCount = mesh.indexCount = 0;
    if (!mesh.vertices || count == 0)
        return;
    const Vec3 camera = ViewFrame.position;
    const float invLife = 1.0f / puffLife;

    if (style == kStylePoints) {
        auto* out = reinterpret_cast<SSmokePointVertex*>(mesh.vertices);
        uint32_t n = 0;
        for (int32_t i = 0; i < count && n < mesh.vertexCapacity; ++i) {
            const SSmokePuff& puff = Puff(i);
            const float life = puff.age * puff.ageRate;
            const Vec3& p = puff.position;
            const float dx = p.x - camera.x, dy = p.y - camera.y, dz = p.z - camera.z;
            if (life >= puffLife || dx * dx + dy * dy + dz * dz <= kNearSq)
                continue;
            const float q = (puffLife - life) * invLife;
            out[n++] = { p.x, p.y, p.z, WithAlpha(puff.colour, 127.0f * puff.strength * q * q) };
        }
        mesh.vertexCount = n;
        return;
    }

    if (SortTable.size() < size_t(count))
        SortTable.resize(size_t(count));
    int32_t sorted = 0;
    for (int32_t i = 0, index = tail; i < count; ++i, index = index + 1 == capacity ? 0 : index + 1) {
        const SSmokePuff& puff = puffs[index];
        const Vec3& p = puff.position;
        const float dx = p.x - camera.x, dy = p.y - camera.y, dz = p.z - camera.z;
        const float distanceSq = dx * dx + dy * dy + dz * dz;
        if (puff.age * puff.ageRate < puffLife && distanceSq > kNearSq)
            SortTable[size_t(sorted++)] = { distanceSq, index };
    }
    std::sort(SortTable.begin(), SortTable.begin() + sorted,
        [](const SSortEntry& a, const SSortEntry& b) { return a.key > b.key; });

    float scale = 127.0f;
    const bool drift = style == kStyleDrift;
    if (drift)
        scale = 127.0f * (1.0f - 0.9f * std::fabs(Vec3Dot(ViewFrame.forward, lastDirection)));
    const bool pool = drift && scale < kPoolBelow;
    float pooled = 0.0f;

    auto* out = reinterpret_cast<SSmokeQuadVertex*>(mesh.vertices);
    uint32_t quads = 0;
    for (int32_t s = 0; s < sorted; ++s) {
        const SSmokePuff& puff = puffs[SortTable[size_t(s)].index];
        const float q = (puffLife - puff.age * puff.ageRate) * invLife;
        float opacity = scale * puff.strength * q * q;
        if (pool && opacity < kPoolOpacity) {
            pooled += opacity;
            if (pooled <= kPoolOpacity)
                continue;
            pooled -= kPoolOpacity;
            opacity = kPoolOpacity;
        }
        // The look-at frame from the puff to the camera; straight above or below, side is x.
        const Vec3& p = puff.position;
        const float inv = 1.0f / std::sqrt(SortTable[size_t(s)].key);
        const Vec3 toCamera { (camera.x - p.x) * inv, (camera.y - p.y) * inv, (camera.z - p.z) * inv };
        Vec3 side { -toCamera.y, toCamera.x, 0.0f };
        const float sideLength = std::sqrt(side.x * side.x + side.y * side.y);
        if (sideLength > 1e-6f)
            side = { side.x / sideLength, side.y / sideLength, 0.0f };
        else
            side = { 1.0f, 0.0f, 0.0f };
        Vec3 up;
        Vec3Cross(up, toCamera, side);
        const float half = 0.5f * puff.size * pointSize;
        if (drift) {
            const float v = puff.velocity.x;
            const float turn = kPi * (std::trunc(v) - v);
            const float c = std::cos(turn), sn = std::sin(turn);
            const Vec3 turnedSide { c * side.x + sn * up.x, c * side.y + sn * up.y, c * side.z + sn * up.z };
            up = { c * up.x - sn * side.x, c * up.y - sn * side.y, c * up.z - sn * side.z };
            side = turnedSide;
        }
        Vec3Scale(side, side, half);
        Vec3Scale(up, up, half);
        const float u0 = float(puff.frame & 3) * kCell;
        const float v0 = float((puff.frame >> 2) & 3) * kCell;
        const uint32_t colour = WithAlpha(puff.colour, opacity);
        SSmokeQuadVertex* quad = out + 4 * quads;
        quad[0] = { p.x - side.x - up.x, p.y - side.y - up.y, p.z - side.z - up.z, colour, u0, v0 + kCell, u0,
            v0 + kCell };
        quad[1] = { p.x + side.x - up.x, p.y + side.y - up.y, p.z + side.z - up.z, colour, u0 + kCell,
            v0 + kCell, u0 + kCell, v0 + kCell };
        quad[2] = { p.x - side.x + up.x, p.y - side.y + up.y, p.z - side.z + up.z, colour, u0, v0, u0, v0 };
        quad[3] = { p.x + side.x + up.x, p.y + side.y + up.y, p.z + side.z + up.z, colour, u0 + kCell, v0,
            u0 + kCell, v0 };
        ++quads;
    }
    mesh.vertexCount = 4 * quads;
    mesh.indexCount = 6 * quads;
}

void CSmoke::Render(int texture)
{
    ZJ_TRACE("CSmoke::Render");
    MakeMesh();
    if (mesh.vertexCount == 0 || !g_pModelManager || !g_TexShaderManager)
        return;
    // Puffs are in world space: the identity, bent to the horizon as the ground at emitterPoint.
    Matrix4 world;
    Matrix4Identity(world);
    world.m[12] = emitterPoint.x;
    world.m[13] = emitterPoint.y;
    Location.BendToHorizon(world, false);
    world.m[12] = world.m[13] = 0.0f;
    g_Graphic.SetWorldMatrix(world);

    const bool points = style == kStylePoints;
    const int ring = points ? g_pModelManager->EffectPointSlot() : g_pModelManager->EffectSlot();
    if (ring < 0)
        return;
    Mesh* drawn = g_pModelManager->GetRenderSingleBufMesh(ring, mesh);
    if (!drawn)
        return;
    CTexture* sheet = g_pTextureManager && texture >= 0 ? g_pTextureManager->GetTexture(texture) : nullptr;
    Device* device = g_Graphic.GetDevice();
    if (points && device) {
        device->SetRenderState(RenderState::PointSpriteEnable, 1);
        device->SetRenderState(RenderState::PointScaleEnable, 1);
        SetFloatState(device, RenderState::PointSize, pointSize);
        SetFloatState(device, RenderState::PointSizeMin, 1.0f);
        SetFloatState(device, RenderState::PointSizeMax, 64.0f);
        SetFloatState(device, RenderState::PointScaleA, 0.1f);
        SetFloatState(device, RenderState::PointScaleB, 0.0f);
        SetFloatState(device, RenderState::PointScaleC, 1.0f);
    }
    g_TexShaderManager->Apply(style == kStyleDrift ? kDriftSlot : kQuadSlot, drawn, sheet);
    if (points && device) {
        device->SetRenderState(RenderState::PointSpriteEnable, 0);
        device->SetRenderState(RenderState::PointScaleEnable, 0);
    }
}

#include "foundation/CViewFrame.h"
#include "foundation/CallTrace.h"
#include "foundation/Color.h"
#include "platform/gfx/d3dx/dxt.h"
#include "platform/gfx/fvf.h"
#include "render/CComplexObject.h"
#include "render/CModel.h"
#include "render/CModelManager.h"
#include "render/Mesh.h"
#include "render/TexShaderManager.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/CEnvironment_local.h"
#include "world/terrain/CLocation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <numbers>
#include <stdexcept>

using plat::gfx::RenderState;
namespace fvf = plat::gfx::fvf;

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
// The camera's near and far distances of the fog range.
constexpr float kNearDistance = 1.0f;
constexpr float kFarDistance = 14000.0f;

struct SSkyVertex {
    Vec3 position;
    uint32_t colour;
    float u, v;
};
struct SCloudVertex {
    Vec3 position;
    uint32_t colour;
    float u0, v0, u1, v1;
};
struct SHorizonVertex {
    Vec3 position;
    Vec3 normal;
    float u, v;
};

plat::gfx::Device* Device()
{
    return g_Graphic.GetDevice();
}

void SetStates(std::initializer_list<std::pair<RenderState, uint32_t>> states)
{
    if (plat::gfx::Device* device = Device())
        for (const auto& [state, value] : states)
            device->SetRenderState(state, value);
}

void DrawMesh(int shader, Mesh* mesh, int t0, int t1 = -1, int t2 = -1)
{
    if (g_TexShaderManager && Device() && mesh)
        g_TexShaderManager->Apply(
            shader, mesh, envlocal::TextureAt(t0), envlocal::TextureAt(t1), envlocal::TextureAt(t2));
}

// A mesh of triangles in the device's managed pool, or in system memory without a device (tools
// and tests read it there); locked for filling.
std::unique_ptr<Mesh> NewLockedMesh(uint32_t format, uint32_t vertices, uint32_t indices)
{
    const uint32_t mode = Device() ? Mesh::kStaticManaged : Mesh::kSystemMemory;
    auto mesh = std::make_unique<Mesh>(mode, format, vertices, true, indices);
    mesh->primitive = 1;
    if (!mesh->Lock(true, true))
        throw std::runtime_error("sky mesh cannot be locked");
    return mesh;
}

Matrix4 Translation(const Vec3& p)
{
    Matrix4 m;
    Matrix4Identity(m);
    m.m[12] = p.x;
    m.m[13] = p.y;
    m.m[14] = p.z;
    return m;
}

// The average colour of a texture's smallest level with alpha 255: 32-bit and DXT levels are read;
// for other formats, or without the texture, the fallback.
uint32_t AverageColour(int32_t index, uint32_t fallback)
{
    CTexture* texture = envlocal::TextureAt(index);
    plat::gfx::Texture* device = texture ? texture->GetTexture() : nullptr;
    if (!device || device->GetLevelCount() == 0)
        return fallback;
    using plat::gfx::Format;
    const Format format = device->GetFormat();
    const bool dxt = format == Format::Dxt1 || format == Format::Dxt3 || format == Format::Dxt5;
    if (!dxt && format != Format::A8R8G8B8 && format != Format::X8R8G8B8)
        return fallback;
    const uint32_t level = device->GetLevelCount() - 1;
    plat::gfx::SurfaceDesc desc;
    plat::gfx::LockedRect locked;
    if (!plat::gfx::Succeeded(device->GetLevelDesc(level, desc))
        || !plat::gfx::Succeeded(device->LockRect(level, locked, nullptr, plat::gfx::lock::kReadOnly)))
        return fallback;
    uint64_t sum[3] {};
    uint64_t count = 0;
    auto add = [&](uint32_t argb) {
        sum[0] += (argb >> 16) & 0xFF;
        sum[1] += (argb >> 8) & 0xFF;
        sum[2] += argb & 0xFF;
        ++count;
    };
    const auto* bits = static_cast<const uint8_t*>(locked.bits);
    if (dxt) {
        const uint32_t blockBytes = format == Format::Dxt1 ? 8 : 16;
        for (uint32_t y = 0; y < (desc.height + 3) / 4; ++y)
            for (uint32_t x = 0; x < (desc.width + 3) / 4; ++x) {
                uint32_t pixels[16];
                plat::gfx::d3dx::DecodeDxtBlock(
                    format, bits + size_t(y) * size_t(locked.pitch) + x * blockBytes, pixels);
                for (uint32_t p : pixels)
                    add(p);
            }
    } else {
        for (uint32_t y = 0; y < desc.height; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(bits + size_t(y) * size_t(locked.pitch));
            for (uint32_t x = 0; x < desc.width; ++x)
                add(row[x]);
        }
    }
    device->UnlockRect(level);
    if (count == 0)
        return fallback;
    return 0xFF000000u | uint32_t(sum[0] / count) << 16 | uint32_t(sum[1] / count) << 8
        | uint32_t(sum[2] / count);
}

} // namespace

void CEnvironment::SetFog(bool on, float scale, float offset)
{
    plat::gfx::Device* device = Device();
    if (!on) {
        if (!device)
            return;
        device->SetRenderState(RenderState::FogEnable, 0);
        device->SetRenderState(RenderState::FogTableMode, 0);
        device->SetRenderState(RenderState::FogVertexMode, 0);
        if (current.fogMode == 3) {
            envlocal::SetFloatState(device, RenderState::FogStart, 10000.0f);
            envlocal::SetFloatState(device, RenderState::FogEnd, 100000.0f);
        } else {
            envlocal::SetFloatState(device, RenderState::FogDensity, 0.0f);
        }
        return;
    }
    if (current.fogMode == 0) {
        current.fogMode = 2;
        if (current.fogDensity == 0.0f)
            current.fogDensity = 0.0002f;
    }
    const float range = VisibleRadius > 0 && VisibleRadius < 512 ? 512.0f / float(VisibleRadius) : 1.0f;
    const float d = std::max(current.fogDensity, 0.00025f * range) * scale + offset;
    const GraphicCaps& caps = g_Graphic.Caps();
    if (!caps.fogTable)
        current.fogMode = 3;
    const Vec3& forward = ViewFrame.forward;
    fogColour = BlendColor(current.fogToward1, current.fogAway1, (Vec3Dot(forward, sunVector) + 1.0f) / 2.0f);
    if (!device)
        return;
    if (!caps.fogTable) {
        if (caps.fogRange)
            device->SetRenderState(RenderState::RangeFogEnable, 1);
        device->SetRenderState(RenderState::FogVertexMode, uint32_t(current.fogMode));
        device->SetRenderState(RenderState::FogTableMode, 0);
    } else {
        device->SetRenderState(RenderState::FogTableMode, uint32_t(current.fogMode));
        device->SetRenderState(RenderState::FogVertexMode, 0);
    }
    if (current.fogMode == 3) {
        envlocal::SetFloatState(
            device, RenderState::FogStart, std::sqrt(std::log(10.0f / 9.0f)) / d + kNearDistance);
        envlocal::SetFloatState(device, RenderState::FogEnd,
            std::min(std::sqrt(std::log(100.0f)) / d + kNearDistance, kFarDistance));
    } else {
        envlocal::SetFloatState(device, RenderState::FogDensity, d);
    }
    device->SetRenderState(RenderState::FogEnable, 1);
    device->SetRenderState(RenderState::FogColor, fogColour);
}

// The clear is skipped only when the whole view looks below the horizon: the sky backdrop covers a
// few degrees above it, so with the forward vector alone a camera pitched down a little showed the
// upper screen in whatever colour the frame was cleared to. The highest corner of the view is
// forward + up x tan(fovY / 2) + side x tan(fovX / 2), with the signs that raise it; without a
// stored projection it is the forward vector.
void CEnvironment::ClearBackground()
{
    const Matrix4& projection = g_Graphic.GetProjection();
    const float tanX = projection.m[0] > 0.0f ? 1.0f / projection.m[0] : 0.0f;
    const float tanY = projection.m[5] > 0.0f ? 1.0f / projection.m[5] : 0.0f;
    const float top
        = ViewFrame.forward.z + std::fabs(ViewFrame.up.z) * tanY + std::fabs(ViewFrame.side.z) * tanX;
    if (top > -0.05f * std::sqrt(1.0f + tanX * tanX + tanY * tanY))
        g_Graphic.Clear(plat::gfx::clear::kTarget, skyColour);
}

void CEnvironment::ClearUnderwater()
{
    const Vec3& camera = ViewFrame.position;
    const int column = int(std::floor(camera.x * 0.1f)) >> 6;
    const int row = int(std::floor(camera.y * 0.1f)) >> 6;
    if (!Location.InMap(column, row))
        return;
    const MapSurface* surface = Location.Cell(column, row).surface;
    if (!surface || surface->waterLevel <= camera.z)
        return;
    g_Graphic.Clear(
        plat::gfx::clear::kTarget, AverageColour(surface->texture1Index, fogColour | 0xFF000000u));
}

void CEnvironment::DrawCloudLayer(int texture, const Matrix4& m, float alpha)
{
    if (texture == -1 || !g_TexShaderManager || !Device())
        return;
    g_TexShaderManager->SetFactorAlpha(alpha);
    plat::gfx::Device* device = Device();
    device->SetTransform(plat::gfx::Transform::Texture0, envlocal::ToDevice(m));
    Matrix4 slow = m;
    slow.m[8] *= 1.0f / 2.2f;
    slow.m[9] *= 0.4f;
    device->SetTransform(plat::gfx::Transform::Texture1, envlocal::ToDevice(slow));
    // Seen from below, the dome's triangles face away from the camera; the sun and backdrop
    // shaders turn culling back on when they finish.
    device->SetRenderState(RenderState::CullMode, uint32_t(plat::gfx::Cull::None));
    DrawMesh(16, cloudDome.get(), texture, texture);
}

void CEnvironment::DrawDisc(const Vec3& position, float size, int shader, int t0, int t1, float alpha)
{
    if (!g_TexShaderManager || !Device() || !backdrop)
        return;
    Matrix4 world;
    Matrix4Identity(world, size);
    const Vec3& side = ViewFrame.side;
    const Vec3& up = ViewFrame.up;
    const Vec3& forward = ViewFrame.forward;
    const Vec3 rows[3] = { side, up, forward };
    for (int r = 0; r < 3; ++r) {
        world.m[r * 4 + 0] = rows[r].x * size;
        world.m[r * 4 + 1] = rows[r].y * size;
        world.m[r * 4 + 2] = rows[r].z * size;
    }
    world.m[12] = position.x;
    world.m[13] = position.y;
    world.m[14] = position.z;
    g_Graphic.SetWorldMatrix(world);
    g_TexShaderManager->SetFactorAlpha(alpha);
    // The backdrop's ceiling quad serves as the disc.
    backdrop->startVertex = 0;
    backdrop->vertexCount = 4;
    backdrop->startIndex = 0;
    backdrop->indexCount = 6;
    DrawMesh(shader, backdrop.get(), t0, t1);
}

void CEnvironment::RenderEnv()
{
    ZJ_TRACE("CEnvironment::RenderEnv");
    SetFog(false, 1.0f, 0.0f);
    // The sky is seen from inside: culling is off until the horizon.
    SetStates({ { RenderState::ZWriteEnable, 0 }, { RenderState::Lighting, 0 },
        { RenderState::SpecularEnable, 0 }, { RenderState::CullMode, uint32_t(plat::gfx::Cull::None) } });
    const Vec3& camera = ViewFrame.position;
    const Vec3& forward = ViewFrame.forward;
    const bool upright = std::fabs(forward.z) < 0.9f;
    const bool blending = transition && next >= 0;
    const SWeatherState* upcoming = blending ? &Weather(next) : nullptr;
    if (upright && backdrop) {
        const float heading = std::atan2(forward.x, forward.y);
        Matrix4 world;
        Matrix4RotateZ(world, -heading);
        world.m[12] = camera.x;
        world.m[13] = camera.y;
        world.m[14] = camera.z;
        g_Graphic.SetWorldMatrix(world);
        Matrix4 turn;
        Matrix4Identity(turn);
        turn.m[8] = -heading / kPi / 2.0f;
        if (plat::gfx::Device* device = Device())
            device->SetTransform(plat::gfx::Transform::Texture0, envlocal::ToDevice(turn));
        backdrop->startVertex = 4;
        backdrop->vertexCount = 40;
        backdrop->startIndex = 6;
        backdrop->indexCount = 60;
        if (skyBlend == 0.0f) {
            DrawMesh(11, backdrop.get(), skyA);
        } else {
            if (g_TexShaderManager)
                g_TexShaderManager->SetFactorAlpha(skyBlend);
            DrawMesh(17, backdrop.get(), skyA, skyB);
        }
    }
    g_Graphic.SetWorldMatrix(Translation(camera));
    const float range = float(VisibleRadius) / 2048.0f + 0.75f;
    auto clouds = [&](int layer, float scale) {
        const int own = layer == 0 ? current.cloud1.index : current.cloud2.index;
        const int coming = upcoming ? (layer == 0 ? upcoming->cloud1.index : upcoming->cloud2.index) : -1;
        if (own == -1 && coming == -1)
            return;
        SetFog(true, range * scale, 0.0f);
        DrawCloudLayer(own, cloudMatrix[layer], blending ? 1.0f - transitionFactor : 1.0f);
        if (blending)
            DrawCloudLayer(coming, cloudMatrix[2 + layer], transitionFactor);
    };
    clouds(0, 0.6f);
    const int sunOwn = current.sun.index;
    const int sunComing = upcoming ? upcoming->sun.index : -1;
    if (sunVector.z > -0.1f && (sunOwn != -1 || sunComing != -1)) {
        SetFog(true, 0.1f, 0.0f);
        const float k = 5000.0f * (sunVector.z + 1.0f);
        const Vec3 at { camera.x + sunVector.x * k, camera.y + sunVector.y * k, camera.z + sunVector.z * k };
        if (sunOwn != -1 && sunComing != -1 && blending) {
            if (g_TexShaderManager)
                g_TexShaderManager->SetFactorAlpha(transitionFactor);
            DrawDisc(at, 2000.0f, 17, sunOwn, sunComing, transitionFactor);
        } else {
            DrawDisc(at, 2000.0f, 11, sunOwn != -1 ? sunOwn : sunComing, -1, 1.0f);
        }
    }
    const int moonOwn = current.moon.index;
    const int moonComing = upcoming ? upcoming->moon.index : -1;
    if (moonVector.z > -0.1f && (moonOwn != -1 || moonComing != -1)) {
        const float k = 6000.0f * (moonVector.z + 0.9f);
        const Vec3 at { camera.x + moonVector.x * k, camera.y + moonVector.y * k,
            camera.z + moonVector.z * k };
        if (!blending)
            DrawDisc(at, 2000.0f, 11, moonOwn, -1, 1.0f);
        else if (moonOwn != -1)
            DrawDisc(at, 2000.0f, 18, moonOwn, -1, 1.0f - transitionFactor);
        else
            DrawDisc(at, 2000.0f, 18, moonComing, -1, transitionFactor);
    }
    g_Graphic.SetWorldMatrix(Translation(camera));
    clouds(1, 0.75f);
    SetStates({ { RenderState::CullMode, uint32_t(plat::gfx::Cull::Ccw) }, { RenderState::Lighting, 1 },
        { RenderState::SpecularEnable, 1 }, { RenderState::ZWriteEnable, 1 } });
    if (!upright || horizonModel < 0 || !horizonFlag || !g_pModelManager)
        return;
    CComplexObject* model = g_pModelManager->GetModel(horizonModel);
    if (!model || model->GetPartCount() == 0 || !model->GetPartObject(0))
        return;
    UpdateSunAndMoon();
    SetFog(true, 0.225f, 0.00008f);
    if (g_TexShaderManager)
        g_TexShaderManager->SetFactorColor(fogColour | 0xFF000000u);
    const int side = forward.x > std::fabs(forward.y) ? 0
        : forward.y > std::fabs(forward.x)            ? 1
        : forward.x <= -std::fabs(forward.y)          ? 2
                                                      : 3;
    const SComplexPart& part = model->GetPart(0);
    g_Graphic.SetWorldMatrix(Translation(camera));
    if (plat::gfx::Device* device = Device()) {
        Matrix4 stage1;
        Matrix4Identity(stage1, model->GetPartObject(0)->texParamScale);
        device->SetTransform(plat::gfx::Transform::Texture1, envlocal::ToDevice(stage1));
        Matrix4 stage2;
        Matrix4Identity(stage2);
        const float running = cloudMatrix[0].m[8];
        stage2.m[8] = running - std::floor(running);
        device->SetTransform(plat::gfx::Transform::Texture2, envlocal::ToDevice(stage2));
    }
    DrawMesh(42, horizonMeshes[side].get(), part.textures[0], part.textures[1], part.textures[2]);
    SetFog(true, 1.0f, 0.0f);
}

void CEnvironment::RenderFX(bool skipParticles)
{
    if (!skipParticles && effect)
        effect->Render();
    const bool blending = transition && next >= 0;
    const bool hasSun = current.sun.index != -1 || (blending && Weather(next).sun.index != -1);
    if (!(sunVector.z >= 0.1f && hasSun && sunGlare > 0.0f))
        return;
    SetStates({ { RenderState::ZEnable, 0 } });
    const Vec3& camera = ViewFrame.position;
    const Vec3 at { camera.x + sunVector.x * 6000.0f, camera.y + sunVector.y * 6000.0f,
        camera.z + sunVector.z * 6000.0f };
    const int front = g_pTextureManager ? g_pTextureManager->FindTexture("TEX_SUN_FRONT") : -1;
    const int back = g_pTextureManager ? g_pTextureManager->FindTexture("TEX_SUN_BACK") : -1;
    DrawDisc(at, 10000.0f, 38, front, -1, sunGlare * 0.5f);
    const float q = Vec3Dot(ViewFrame.forward, sunVector) * 8.0f - 7.0f;
    if (q > 0.0f)
        DrawDisc(at, 1500.0f, 38, back, -1, q * sunGlare * 0.5f);
    SetStates({ { RenderState::ZEnable, 1 } });
}

void CEnvironment::InitSky()
{
    auto* state = reinterpret_cast<uint8_t*>(&current);
    for (size_t offset : { size_t(96), size_t(128) }) {
        char name[33] {};
        std::memcpy(name, state + offset, 32);
        const int32_t index = envlocal::FindTexture(name);
        std::memset(state + offset, 0, 32);
        std::memcpy(state + offset, &index, 4);
    }
    Matrix4Identity(cloudMatrix[0]);
    cloudMatrix[0].m[0] = cloudMatrix[0].m[5] = current.cloudScale1;
    Matrix4Identity(cloudMatrix[1]);
    cloudMatrix[1].m[0] = cloudMatrix[1].m[5] = current.cloudScale2;

    cloudDome = NewLockedMesh(fvf::kXyz | fvf::kDiffuse | fvf::kTex2, 400, 2166);
    auto* cloud = reinterpret_cast<SCloudVertex*>(cloudDome->vertexData);
    for (int r = 0; r < 20; ++r)
        for (int c = 0; c < 20; ++c) {
            const float x = 750.0f * float(c) - 7500.0f;
            const float y = 750.0f * float(r) - 7500.0f;
            const float z = 200.0f - (x * x + y * y) * 0.00002f;
            const float a = std::clamp(2.0f - std::sqrt(x * x + y * y + z * z) / 1000.0f, 0.0f, 1.0f);
            cloud[r * 20 + c] = { { x * 4.0f, y * 4.0f, z * 8.0f }, (uint32_t(255.0f * a) << 24) | 0xFFFFFFu,
                float(c - 10), float(r - 10), float(c - 10) * 0.3154574f, float(r - 10) * 0.3194888f };
        }
    uint32_t n = 0;
    for (int r = 0; r < 19; ++r)
        for (int c = 0; c < 19; ++c) {
            const int i = 20 * r + c;
            for (int k : { i, i + 1, i + 20, i + 20, i + 1, i + 21 })
                cloudDome->indexData[n++] = uint16_t(k);
        }

    cloudDome->Unlock(true, true);
    backdrop = NewLockedMesh(fvf::kXyz | fvf::kDiffuse | fvf::kTex1, 44, 66);
    auto* sky = reinterpret_cast<SSkyVertex*>(backdrop->vertexData);
    const float corners[4][2] = { { -40000.0f, -20000.0f }, { 40000.0f, -20000.0f }, { -40000.0f, 20000.0f },
        { 40000.0f, 20000.0f } };
    for (int j = 0; j < 4; ++j)
        sky[j] = { { corners[j][0], corners[j][1], 400.0f }, 0xFFFFFFFFu, float(j % 2), float(j / 2) };
    n = 0;
    for (int k : { 0, 2, 1, 1, 2, 3 })
        backdrop->indexData[n++] = uint16_t(k);
    for (int s = 0; s < 10; ++s) {
        const int b = 4 + 4 * s;
        for (int j = 0; j < 4; ++j) {
            const int k = (j % 2) - 5 + s;
            const float angle = kPi * float(k) * 0.02f;
            sky[b + j] = { { 24000.0f * std::sin(angle), 6000.0f * std::cos(angle), 900.0f * float(j / 2) },
                j / 2 == 0 ? 0xFFFFFFFFu : 0xFF0000FFu, 0.5f + 0.02f * float(k), 1.0f - float(j / 2) };
        }
        for (int k : { b, b + 1, b + 2, b + 1, b + 3, b + 2 })
            backdrop->indexData[n++] = uint16_t(k);
    }
    backdrop->Unlock(true, true);
    UpdateHorizont();
}

void CEnvironment::FreeSkyMeshes()
{
    backdrop.reset();
    cloudDome.reset();
}

float CEnvironment::SplitAngle(int width, int height)
{
    const float aspect = height > 0 && width > 0 ? float(width) / float(height) : 4.0f / 3.0f;
    return std::clamp(85.0f * 0.75f * aspect, 83.0f, 89.9f);
}

std::array<std::vector<uint16_t>, 4> CEnvironment::SplitHorizon(
    const std::vector<Vec3>& positions, const std::vector<uint16_t>& indices, float factor)
{
    using Test = bool (*)(const Vec3&, float);
    static constexpr Test kTests[4] = {
        [](const Vec3& p, float k) { return std::fabs(p.y) * k < p.x; },
        [](const Vec3& p, float k) { return std::fabs(p.x) * k < p.y; },
        [](const Vec3& p, float k) { return std::fabs(p.y) * k < -p.x; },
        [](const Vec3& p, float k) { return std::fabs(p.x) * k < -p.y; },
    };
    std::array<std::vector<uint16_t>, 4> out;
    for (size_t t = 0; t + 2 < indices.size(); t += 3) {
        const uint16_t tri[3] = { indices[t], indices[t + 1], indices[t + 2] };
        if (tri[0] >= positions.size() || tri[1] >= positions.size() || tri[2] >= positions.size())
            continue;
        for (size_t side = 0; side < 4; ++side)
            if (std::any_of(tri, tri + 3, [&](uint16_t i) { return kTests[side](positions[i], factor); }))
                out[side].insert(out[side].end(), tri, tri + 3);
    }
    return out;
}

void CEnvironment::UpdateHorizont()
{
    ZJ_TRACE("CEnvironment::UpdateHorizont");
    if (!g_pModelManager)
        return;
    if (horizonModel == -1)
        horizonModel = g_pModelManager->FindModel("MOD_HOR_LOC1_B");
    if (horizonModel == -1)
        return;
    CComplexObject* model = g_pModelManager->GetModel(horizonModel);
    if (!model || model->GetPartCount() == 0)
        throw std::runtime_error("horizon model without parts");
    CModel* part = model->GetPartObject(0);
    if (!part)
        throw std::runtime_error("horizon model's first part has no mesh");
    Mesh& source = part->MainMesh();
    splitFactor
        = 1.0f / std::tan(SplitAngle(g_Graphic.ScreenWidth(), g_Graphic.ScreenHeight()) * kPi / 180.0f);
    if (!source.Lock(true, true))
        throw std::runtime_error("horizon mesh unreadable");
    const std::unique_ptr<uint8_t[]> generic = source.GetGenericVertices();
    std::vector<uint16_t> indices(
        source.indexData, source.indexData + (source.indexData ? source.indexCount : 0));
    source.Unlock(true, true);
    auto vertexAt = [&](uint16_t i) -> const uint8_t* { return generic.get() + size_t(i) * 64; };
    auto position = [&](uint16_t i) {
        Vec3 p;
        std::memcpy(&p, vertexAt(i), 12);
        return p;
    };
    std::vector<Vec3> positions(source.vertexCount);
    for (uint32_t i = 0; i < source.vertexCount; ++i)
        positions[i] = position(uint16_t(i));
    const std::array<std::vector<uint16_t>, 4> split = SplitHorizon(positions, indices, splitFactor);
    for (int side = 0; side < 4; ++side) {
        std::vector<int32_t> remap(source.vertexCount, -1);
        std::vector<SHorizonVertex> vertices;
        std::vector<uint16_t> out;
        for (uint16_t i : split[size_t(side)]) {
            if (remap[i] == -1) {
                remap[i] = int32_t(vertices.size());
                SHorizonVertex v {};
                std::memcpy(&v.position, vertexAt(i), 12);
                std::memcpy(&v.normal, vertexAt(i) + 24, 12);
                std::memcpy(&v.u, vertexAt(i) + 48, 8);
                vertices.push_back(v);
            }
            out.push_back(uint16_t(remap[i]));
        }
        if (vertices.empty()) {
            horizonMeshes[side].reset();
            continue;
        }
        horizonMeshes[side] = NewLockedMesh(
            fvf::kXyz | fvf::kNormal | fvf::kTex1, uint32_t(vertices.size()), uint32_t(out.size()));
        Mesh& mesh = *horizonMeshes[side];
        std::memcpy(mesh.vertexData, vertices.data(), vertices.size() * sizeof(SHorizonVertex));
        std::memcpy(mesh.indexData, out.data(), out.size() * 2);
        mesh.Unlock(true, true);
    }
}

// CExploObject's drawing: the deferred entry, the explosion light and the stages' sprites,
// ground marks, shells and smoke.
#include "world/objects/CExploObject.h"

#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "platform/gfx/fvf.h"
#include "render/CModelManager.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"
#include "world/db/CGun.h"
#include "world/db/CZJEngine.h"
#include "world/objects/CCamera.h"
#include "world/objects/CExploObject_local.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CEffectRenderManager.h"
#include "world/terrain/CLightWare.h"
#include "world/terrain/CLocation.h"

#include <algorithm>
#include <cmath>

namespace {

// Shader slots of the stages.
constexpr int kSlotAlphaEffect = 11;
constexpr int kSlotMaterialEffect = 12;
constexpr int kSlotAlphaFactor = 19;
constexpr int kSlotSphere = 25;
constexpr int kSlotGlow = 38;
constexpr int kSlotScorch = 46;
constexpr int kSlotSphereGlow = 49;

// Ground marks: a square grid of this many points a side (at most 400 vertices).
constexpr int kMarkSide = 20;
// Ground marks float this high over the terrain, so that they win the depth test.
constexpr float kMarkLift = 0.05f;

struct MarkVertex {
    float x, y, z;
    uint32_t diffuse;
    float u0, v0, u1, v1;
};
constexpr uint32_t kMarkFormat = plat::gfx::fvf::kXyz | plat::gfx::fvf::kDiffuse | plat::gfx::fvf::kTex2;

CTexture* TextureOf(int32_t index)
{
    return index >= 0 && g_pTextureManager ? g_pTextureManager->GetTexture(index) : nullptr;
}

Vec3 CameraPosition(const Vec3& fallback)
{
    return CameraObject ? CameraObject->frame.position : fallback;
}

// A terrain colour byte as a tint factor.
float Tint(uint32_t colour, int shift, float scale)
{
    return 0.3f + float((colour >> shift) & 0xFF) * scale;
}

// The unit camera-facing quad scaled to size at the point, bent to the horizon and drawn.
void DrawSprite(const Vec3& at, float size, int slot, CTexture* texture)
{
    if (!g_pModelManager || !g_TexShaderManager)
        return;
    Mesh* mesh = g_pModelManager->AddUnitBillboard();
    if (!mesh)
        return;
    Matrix4 world = g_pModelManager->BillboardMatrix();
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            world.m[4 * r + c] *= size;
    world.m[12] = at.x;
    world.m[13] = at.y;
    world.m[14] = at.z;
    Location.BendToHorizon(world, false);
    g_Graphic.SetWorldMatrix(world);
    g_TexShaderManager->Apply(slot, mesh, texture);
}

// The sheet frame of a stage that runs through its sheet once over its duration.
int AnimatedFrame(const SExploLayer& stage, float p)
{
    const int frames = Explo::SheetFrames(stage);
    return std::clamp(int(p * float(frames)), 0, frames - 1);
}

} // namespace

void CExploObject::Draw()
{
    const Vec3 offset = Explo::Sub(frame.position, CameraPosition(frame.position));
    if (EffectRenderManager.IsCollecting())
        EffectRenderManager.AddEffect(Vec3LengthSq(offset), this, 0);
    else
        DrawEffect(0);
}

void CExploObject::PreDraw()
{
    const SExploType& row = Row();
    if (!row.hasLight || elapsed > kLightTime) {
        effectInView = 0;
        effectWhenHidden = 0;
        return;
    }
    const float k = elapsed * 5.0f;
    const float intensity = k < 1.0f ? k * k : 1.0f / (k * k);
    const plat::gfx::ColorValue colour = plat::gfx::ToColorValue(row.lightColor);
    const float s = 20.0f * intensity;
    const plat::gfx::ColorValue lit { colour.r * s, colour.g * s, colour.b * s, colour.a };
    light = plat::gfx::Light {};
    light.type = plat::gfx::LightType::Point;
    light.diffuse = lit;
    light.specular = lit;
    light.ambient = lit;
    light.position = { frame.position.x, frame.position.y, frame.position.z };
    light.range = row.lightRadius;
    light.attenuation0 = 1.0f;
    const float reach = 6.0f / row.lightRadius;
    light.attenuation2 = std::sqrt(intensity) * reach * reach;
    LightWare.AddLight(light, 1.0f);
}

void CExploObject::DrawEffect(int argument)
{
    (void)argument;
    ZJ_TRACE("CExploObject::DrawEffect");
    const SExploType& row = Row();
    const float dt = FrameTime;
    for (int i = 0; i < kStages; ++i) {
        const SExploLayer& stage = row.layers[i];
        if (stage.kind == kEmpty || elapsed < stage.delay || elapsed - dt > stage.delay + stage.duration)
            continue;
        DrawStage(i, stage, dt);
    }
    if (g_TexShaderManager)
        g_TexShaderManager->SetFactorAlpha(1.0f);
    ResetTextureFrame();
}

void CExploObject::DrawStage(int i, const SExploLayer& stage, float dt)
{
    (void)dt;
    const float t = elapsed - stage.delay;
    const float p = t / stage.duration;
    float a = 1.0f;
    if (stage.hideTime != 0.0f)
        a = std::clamp(1.0f - (t - (stage.duration - stage.hideTime)) / stage.hideTime, 0.0f, 1.0f);
    CTexture* texture = TextureOf(stage.textures[stageTexture[i]].Index());
    const Vec3& at = frame.position;
    const float scale = stage.scale;
    TexShaderManager* shaders = g_TexShaderManager;
    if (!shaders)
        return;
    const int columns = Explo::SheetColumns(stage);
    const int rows = Explo::SheetRows(stage);
    switch (stage.kind) {
    case kSprite: {
        const float rise = (1.5f - a * 0.5f) * stage.shift * scale;
        const float size = scale * (1.0f + (stage.speed != 0.0f ? 0.5f - a * 0.5f : 0.0f));
        if (stage.mapColor) {
            const uint32_t ground = Location.GetGroundColor(at.x, at.y);
            const float f = 0.7f / 255.0f;
            const auto byte = [&](int shift) {
                return uint32_t(std::clamp(Tint(ground, shift, f), 0.0f, 1.0f) * 255.0f);
            };
            shaders->SetFactorColor(0xFF000000u | byte(16) << 16 | byte(8) << 8 | byte(0));
        } else {
            shaders->SetFactorAlpha(a);
        }
        SetTextureFrame(columns, rows, AnimatedFrame(stage, p));
        DrawSprite(Vec3 { at.x, at.y, at.z + rise }, size, stageBlend[i] == 1 ? kSlotGlow : kSlotAlphaFactor,
            texture);
        break;
    }
    case kSheetSprite: {
        const Vec3 ahead = Explo::Add(at, Explo::Scale(frame.forward, 0.75f));
        SetTextureFrame(columns, rows, stageFrame[i]);
        DrawSprite(Vec3 { ahead.x, ahead.y, ahead.z + 0.05f * scale }, scale, kSlotAlphaEffect, texture);
        break;
    }
    case kGroundMark:
    case kScorchMark: {
        if (heightAboveGround > scale * 0.5f || !g_pModelManager)
            break;
        if (!decalBuilt[i])
            BuildGroundMark(i, scale * 0.5f);
        Mesh* mesh = g_pModelManager->GetRenderSingleBufMesh(g_pModelManager->EffectSlot(), decals[i]);
        if (!mesh)
            break;
        Matrix4 world;
        Matrix4Identity(world);
        g_Graphic.SetWorldMatrix(world);
        if (stage.kind == kGroundMark) {
            const float h = stage.hideTime;
            const float rising = h > 0.0f ? t / h : 1.0f;
            const float falling = stage.duration > h ? (stage.duration - t) / (stage.duration - h) : 0.0f;
            shaders->SetFactorAlpha(std::clamp(std::min(rising, falling), 0.0f, 1.0f));
            shaders->Apply(kSlotAlphaFactor, mesh, texture);
        } else {
            shaders->SetFactorAlpha(a);
            SetTextureFrame(columns, rows, AnimatedFrame(stage, p));
            shaders->Apply(kSlotScorch, mesh, texture, TextureOf(ZJEngine.ids2[CZJEngine::kTexExpMask]));
        }
        break;
    }
    case kSparks:
        for (const SParticle& spark : particles[i]) {
            SetTextureFrame(columns, rows, spark.frame);
            DrawSprite(spark.position, scale, kSlotAlphaEffect, texture);
        }
        break;
    case kRing: {
        int slot = kSlotAlphaEffect;
        if (stage.mapColor) {
            const uint32_t ground = Location.GetGroundColor(at.x, at.y);
            const float f = 1.0f / 170.0f;
            plat::gfx::Material material {};
            material.diffuse = { Tint(ground, 16, f), Tint(ground, 8, f), Tint(ground, 0, f), 1.0f };
            material.ambient = material.diffuse;
            g_Graphic.SetMaterial(material);
            slot = kSlotMaterialEffect;
        }
        SetTextureFrame(columns, rows, AnimatedFrame(stage, p));
        for (const SParticle& particle : particles[i]) {
            const Vec3 raised { particle.position.x, particle.position.y,
                particle.position.z + scale * 0.5f };
            DrawSprite(raised, scale, slot, texture);
        }
        break;
    }
    case kDebris: {
        const float fade = 2.0f * (1.0f - (elapsed - stage.delay * timeRate) / stage.duration);
        shaders->SetFactorAlpha(std::clamp(fade, 0.0f, 1.0f));
        const Vec3 eye = CameraPosition(at);
        for (const SParticle& particle : particles[i]) {
            const float speed2 = Vec3LengthSq(particle.velocity);
            const float stretch = std::clamp(0.01f * speed2, 0.25f, 1.0f) * scale;
            const Vec3 along = Explo::Scale(Explo::Normalised(particle.velocity), stretch * 0.5f);
            Mesh* mesh = EffectRenderManager.GetRayMesh(Explo::Sub(particle.position, along),
                Explo::Add(particle.position, along), scale * 0.5f, eye, 1.0f, false, 0.0f, 1.0f);
            if (mesh) {
                Matrix4 world;
                Matrix4Identity(world);
                g_Graphic.SetWorldMatrix(world);
                shaders->Apply(kSlotAlphaFactor, mesh, texture);
            } else {
                DrawSprite(particle.position, scale, kSlotAlphaFactor, texture);
            }
        }
        break;
    }
    case kShells: {
        if (!g_pModelManager)
            break;
        const int slot = stage.extraKind != 0 ? kSlotSphereGlow : kSlotSphere;
        for (const SParticle& shell : particles[i]) {
            Mesh* mesh = g_pModelManager->GetRenderSingleBufMesh(g_pModelManager->EffectSlot(), decals[i]);
            if (!mesh)
                break;
            Matrix4 world;
            Matrix4Identity(world, shell.size);
            world.m[12] = at.x;
            world.m[13] = at.y;
            world.m[14] = at.z;
            Location.BendToHorizon(world, false);
            g_Graphic.SetWorldMatrix(world);
            shaders->SetFactorAlpha(stage.opacity * shell.alpha);
            shaders->Apply(slot, mesh, texture);
        }
        break;
    }
    case kSmokeRing:
        if (stageSmoke[i].ready)
            stageSmoke[i].Render(stage.textures[stageTexture[i]].Index());
        break;
    default:
        break;
    }
    ResetTextureFrame();
}

void CExploObject::BuildGroundMark(int i, float markRadius)
{
    CVertexData& mesh = decals[i];
    constexpr int n = kMarkSide;
    uint16_t* index = mesh.Allocate(kMarkFormat, n * n, (n - 1) * (n - 1) * 6);
    mesh.firstVertex = mesh.firstIndex = 0;
    auto* vertex = reinterpret_cast<MarkVertex*>(mesh.vertices);
    const Vec3& centre = frame.position;
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            const float u = float(x) / float(n - 1);
            const float v = float(y) / float(n - 1);
            Vec3 p { centre.x + (u * 2.0f - 1.0f) * markRadius, centre.y + (v * 2.0f - 1.0f) * markRadius,
                0.0f };
            p.z = Location.GetHeight(p, false, false) + kMarkLift;
            *vertex++ = MarkVertex { p.x, p.y, p.z, 0xFFFFFFFFu, u, v, u, v };
        }
    }
    for (int y = 0; y + 1 < n; ++y) {
        for (int x = 0; x + 1 < n; ++x) {
            const auto k = uint16_t(y * n + x);
            const uint16_t quad[6] = { k, uint16_t(k + 1), uint16_t(k + n), uint16_t(k + n), uint16_t(k + 1),
                uint16_t(k + n + 1) };
            index = std::copy(std::begin(quad), std::end(quad), index);
        }
    }
    decalBuilt[i] = 1;
}

// CMissileObject's drawing: queued with the deferred effects, then drawn by kind (rays, heads and
// glows, models with their flame, beams, spheres and the smoke trail).
#include "world/objects/CMissileObject.h"

#include "foundation/CTimer.h"
#include "foundation/CViewFrame.h"
#include "foundation/CallTrace.h"
#include "render/CComplexObject.h"
#include "render/CModelManager.h"
#include "render/CVertexData.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"
#include "world/db/CMissileManager.h"
#include "world/db/CZJEngine.h"
#include "world/terrain/CEffectRenderManager.h"
#include "world/terrain/CLightWare.h"
#include "world/terrain/CLocation.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSlotFacing = 11;
constexpr int kSlotFactorAlpha = 19;
constexpr int kSlotRay = 24;
constexpr int kSlotGlow = 38;

CTexture* TextureOf(int32_t index)
{
    return index >= 0 && g_pTextureManager ? g_pTextureManager->GetTexture(index) : nullptr;
}

CComplexObject* ModelOf(int32_t index)
{
    if (index < 0 || !g_pModelManager || index >= g_pModelManager->GetModelCount())
        return nullptr;
    return g_pModelManager->GetModel(index);
}

Vec3 Along(const Vec3& p, const Vec3& d, float s)
{
    return Vec3 { p.x + d.x * s, p.y + d.y * s, p.z + d.z * s };
}

void SetTranslation(Matrix4& m, const Vec3& p)
{
    m.m[12] = p.x;
    m.m[13] = p.y;
    m.m[14] = p.z;
}

// A camera-facing square of side size at centre, turned in its plane by spin, lit by the
// location; with factorAlpha >= 0 the slot's factor alpha is set first.
void DrawFacingQuad(
    const Vec3& centre, float size, float spin, int slot, CTexture* texture, float factorAlpha)
{
    if (!g_pModelManager || !g_TexShaderManager || g_pModelManager->ModelsSlot() < 0)
        return;
    CVertexData& quad = g_pModelManager->AddBillboard(size, size, true);
    Mesh* mesh = g_pModelManager->GetRenderSingleBufMesh(g_pModelManager->ModelsSlot(), quad);
    if (!mesh)
        return;
    Matrix4 turn;
    Matrix4Identity(turn);
    Matrix4RotateZ(turn, spin);
    Matrix4 world;
    Matrix4Multiply(world, turn, g_pModelManager->BillboardMatrix());
    SetTranslation(world, centre);
    Location.BendToHorizon(world, false);
    g_Graphic.SetWorldMatrix(world);
    LightWare.SetLights(centre.x, centre.y, centre.z, size);
    if (factorAlpha >= 0.0f)
        g_TexShaderManager->SetFactorAlpha(factorAlpha);
    g_TexShaderManager->Apply(slot, mesh, texture);
}

// The beam mesh from a to b drawn with the slot, at the identity world matrix.
void DrawRay(const Vec3& a, const Vec3& b, float width, float fade, int slot, CTexture* texture)
{
    Mesh* mesh = EffectRenderManager.GetRayMesh(a, b, width, ViewFrame.position, fade, false, 0.0f, 1.0f);
    if (!mesh || !g_TexShaderManager)
        return;
    Matrix4 identity;
    Matrix4Identity(identity);
    g_Graphic.SetWorldMatrix(identity);
    g_TexShaderManager->Apply(slot, mesh, texture);
}

} // namespace

void CMissileObject::Draw()
{
    if (EffectRenderManager.IsCollecting()) {
        const Vec3 d { frame.position.x - ViewFrame.position.x, frame.position.y - ViewFrame.position.y,
            frame.position.z - ViewFrame.position.z };
        EffectRenderManager.AddEffect(Vec3LengthSq(d), this, 0);
        return;
    }
    DrawEffect(0);
}

void CMissileObject::DrawNVisible()
{
    if (kind == kBullet || kind == kRocket || kind == kCloud)
        Draw();
}

void CMissileObject::DrawEffect(int argument)
{
    ZJ_TRACE("CMissileObject::DrawEffect");
    (void)argument;
    if (!typeRecord)
        return;
    Matrix4 identity;
    Matrix4Identity(identity);
    g_Graphic.PushWorldMatrix(identity);
    try {
        DrawKindEffect();
    } catch (...) {
        g_Graphic.PopWorldMatrix();
        throw;
    }
    g_Graphic.PopWorldMatrix();
}

void CMissileObject::DrawKindEffect()
{
    const SMissileType& row = Row();
    const Vec3 camera = ViewFrame.position;
    switch (kind) {
    case kBullet:
        DrawBullet(camera);
        break;
    case kRocket:
        if (flying && !ModelOf(row.model.Index()))
            return;
        if (flying)
            DrawModel(1.0f, true);
        trail.Render(row.texture.Index());
        break;
    case kCloud:
        trail.Render(row.texture.Index());
        break;
    case kBomb:
        if (flying && !ModelOf(row.model.Index()))
            return;
        if (flying)
            DrawModel(3.0f, false);
        trail.Render(ZJEngine.ids2[CZJEngine::kTexFxRocketSmoke]);
        break;
    case kBolt:
        DrawBeam(15.0f, 1.3f, camera);
        break;
    case kDrop:
        DrawBeam(125.0f, 0.66f, camera);
        break;
    case kWanderer:
        DrawGlow(camera);
        trail.Render(row.texture.Index());
        break;
    case kPiercer:
        DrawSpheres();
        break;
    default:
        break;
    }
}

void CMissileObject::DrawBullet(const Vec3& camera)
{
    (void)camera;
    const SMissileType& row = Row();
    const float opacity = flying ? 1.0f : std::max(2.0f * impactTimer, 0.01f);
    DrawRay(
        prevPosition, frame.position, row.scale * 0.25f, opacity, kSlotRay, TextureOf(row.texture2.Index()));
    if (!flying)
        return;
    const float time = float(GameClock);
    CTexture* head = TextureOf(row.texture.Index());
    DrawFacingQuad(frame.position, row.scale * 1.45f, time * 200.0f, kSlotFacing, head, -1.0f);
    DrawFacingQuad(frame.position, row.scale * 5.0f * (0.9f + 0.1f * std::sin(200.0f * time)), 0.0f,
        kSlotGlow, head, 1.0f);
}

void CMissileObject::DrawModel(float scale, bool faceVelocity)
{
    CComplexObject* model = ModelOf(Row().model.Index());
    Matrix4 world = frame.matrix;
    if (faceVelocity && Vec3LengthSq(velocity) >= 1.0e-6f) {
        CTransform facing;
        Vec3 d;
        Vec3Normalize(d, velocity);
        facing.SetDirection(d);
        world = facing.matrix;
        SetTranslation(world, frame.position);
    }
    for (int i = 0; i < 12; ++i)
        if (i % 4 != 3)
            world.m[i] *= scale;
    Location.BendToHorizon(world, false);
    g_Graphic.SetWorldMatrix(world);
    LightWare.SetLights(frame.position.x, frame.position.y, frame.position.z, radius);
    model->Render(nullptr, 0, CComplexObject::kAllGroups);
    const int fire = model->FindPart("FIRE");
    CComplexObject* flame = ModelOf(ZJEngine.ids2[CZJEngine::kModFxRocketFire]);
    if (fire < 0 || !flame)
        return;
    Matrix4 point = GetPointMatrix(model, fire);
    for (int i = 0; i < 12; ++i)
        if (i % 4 != 3)
            point.m[i] *= 4.0f;
    Matrix4 flameWorld;
    Matrix4Multiply(flameWorld, point, world);
    g_Graphic.SetWorldMatrix(flameWorld);
    flame->Render(nullptr, 0, CComplexObject::kAllGroups);
}

void CMissileObject::DrawBeam(float maxLength, float glowFactor, const Vec3& camera)
{
    (void)camera;
    if (!flying)
        return;
    const SMissileType& row = Row();
    CTexture* texture = TextureOf(row.texture.Index());
    const Vec3 p = frame.position;
    const Vec3 flown { p.x - prevPosition.x, p.y - prevPosition.y, p.z - prevPosition.z };
    const float length = std::min(Vec3Length(flown), row.scale * maxLength);
    if (length > 1.0f && Vec3LengthSq(velocity) > 0.0f) {
        Vec3 back;
        Vec3Normalize(back, velocity);
        DrawRay(Along(p, back, -length), p, row.scale, 1.0f, kSlotGlow, texture);
    }
    const float time = float(GameClock);
    DrawFacingQuad(p, row.scale * 4.0f * (0.9f + 0.1f * std::sin(50.0f * time)) * glowFactor, 0.0f, kSlotGlow,
        texture, -1.0f);
}

void CMissileObject::DrawGlow(const Vec3& camera)
{
    (void)camera;
    if (!flying)
        return;
    const SMissileType& row = Row();
    const float size = row.scale * 6.0f * (0.9f + 0.1f * std::sin(50.0f * float(GameClock)));
    DrawFacingQuad(frame.position, size, 0.0f, kSlotGlow, TextureOf(row.texture2.Index()), 1.0f);
}

void CMissileObject::DrawSpheres()
{
    if (!g_pModelManager || !g_TexShaderManager || g_pModelManager->EffectSlot() < 0)
        return;
    static CVertexData sphere;
    const Vec3 view { ViewFrame.matrix.m[2], ViewFrame.matrix.m[6], ViewFrame.matrix.m[10] };
    CEffectRenderManager::CreateSphereEx(sphere, radius, 8, 0xFFFFFFFF, view, false);
    Mesh* mesh = g_pModelManager->GetRenderSingleBufMesh(g_pModelManager->EffectSlot(), sphere);
    if (!mesh)
        return;
    CTexture* texture = TextureOf(Row().texture.Index());
    const Vec3 heading { frame.matrix.m[2], frame.matrix.m[6], frame.matrix.m[10] };
    for (int i = 0; i < 3; ++i) {
        Matrix4 world;
        Matrix4Identity(world, 1.0f + 0.25f * float(i));
        SetTranslation(world, Along(frame.position, heading, float(i) * radius));
        Location.BendToHorizon(world, false);
        g_Graphic.SetWorldMatrix(world);
        LightWare.SetLights(frame.position.x, frame.position.y, frame.position.z, radius);
        g_TexShaderManager->SetFactorAlpha(0.15f * lifeTime + 0.05f);
        g_TexShaderManager->Apply(kSlotFactorAlpha, mesh, texture);
    }
}

#include "world/objects/CLampObject.h"

#include "foundation/CTimer.h"
#include "foundation/CViewFrame.h"
#include "foundation/CallTrace.h"
#include "render/CComplexObject.h"
#include "render/CModel.h"
#include "render/CModelManager.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"
#include "world/db/CLanternManager.h"
#include "world/objects/PlacedInit.h"
#include "world/terrain/CEffectRenderManager.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/CLightWare.h"
#include "world/terrain/CLocation.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr int kSlotPool = 19;
constexpr int kSlotHalo = 38;
constexpr float kMinIntensity = 0.001f;
constexpr float kMinGlow = 0.05f;

CTexture* TextureAt(int32_t index)
{
    return index >= 0 && g_pTextureManager ? g_pTextureManager->GetTexture(index) : nullptr;
}

} // namespace

CLampObject::CLampObject()
{
    type = kLamp;
    alive = 1;
    visible = 1;
    effectInView = 1;
    effectWhenHidden = 1;
    hitByRays = 1;
    solid = 1;
    runs = 0;
    moves = 0;
}

CLampObject::~CLampObject() = default;

const SLanternType* CLampObject::Row() const
{
    return static_cast<const SLanternType*>(typeRecord);
}

void CLampObject::Init(const float* placement, NameKey32 typeId)
{
    ZJ_TRACE("CLampObject::Init");
    typeKey = typeId;
    PlaceWithRow(*this, placement, g_LanternManager, typeId);
    frame2 = frame;
    const SLanternType& row = *Row();
    solid = radius < kSolidBelow;
    hitByRays = row.scale > 0.5f;
    range = row.radius;
    light = plat::gfx::Light {};
    light.type = plat::gfx::LightType::Point;
    light.position = { frame.position.x, frame.position.y, frame.position.z + radius };
    light.range = range;
    light.attenuation0 = 1.0f;
    light.attenuation1 = 0.01f;
    light.attenuation2 = 0.001f;
    poolMesh.Allocate(kPoolFormat, kPoolVertices, kPoolIndices);
    poolMesh.vertexCount = 0;
    poolMesh.indexCount = 0;
    poolBuilt = 0;
}

float CLampObject::Darkness(uint32_t ambient, uint32_t sunColour, float limit)
{
    return (float(ambient & 0xFFu) / 256.0f + float(sunColour & 0xFFu) / 128.0f) - (2.0f * limit + 1.0f);
}

void CLampObject::PreDraw()
{
    lightLevel = glowLevel = morphLevel = intensity = 0.0f;
    const SLanternType* row = Row();
    const Vec3 d { frame.position.x - ViewFrame.position.x, frame.position.y - ViewFrame.position.y,
        frame.position.z - ViewFrame.position.z };
    const float distance = Vec3Length(d);
    if (!row || distance >= kDarkBeyond)
        return;
    const float darkness = Darkness(Environment.current.ambient, Environment.current.sunColour, row->limit);
    lightLevel = darkness >= 0.0f ? 0.0f : std::min(1.0f, -4.0f * darkness);
    glowLevel = lightLevel > 0.5f ? (lightLevel - 0.5f) * 2.0f : 0.0f;
    morphLevel = lightLevel;
    if (distance > 400.0f)
        morphLevel *= 0.5f;
    else if (distance > 200.0f)
        morphLevel *= (400.0f - distance) * 0.0025f + 0.5f;
    const float fade = distance < 500.0f ? 1.0f : (1000.0f - distance) * 0.002f;
    intensity = lightLevel * fade * (std::sin(float(id) + 2.0f * GameClockF32) + 3.0f);
    if (intensity < kMinIntensity)
        return;
    const plat::gfx::ColorValue colour { intensity * row->color[0], intensity * row->color[1],
        intensity * row->color[2], 1.0f };
    light.diffuse = colour;
    light.specular = colour;
    light.ambient = { 0.25f * colour.r, 0.25f * colour.g, 0.25f * colour.b, 1.0f };
    light.position = { frame.position.x, frame.position.y, frame.position.z + radius };
    LightWare.AddLight(light, 1.0f);
}

void CLampObject::Draw()
{
    ZJ_TRACE("CLampObject::Draw");
    const SLanternType* row = Row();
    if (!row)
        return;
    const Vec3& p = frame.position;
    if (intensity > kMinIntensity && radius < kPoolBelow && g_pModelManager && g_TexShaderManager
        && g_pModelManager->EffectSlot() >= 0) {
        if (!poolBuilt) {
            poolMesh.vertexCount = 0;
            poolMesh.indexCount = 0;
            poolBuilt = Location.GetMapMesh(p, kPoolReach, poolMesh) ? 1 : 0;
        }
        CTexture* pool = TextureAt(row->shadow.Index());
        if (pool && poolMesh.vertexCount > 0) {
            if (Mesh* mesh
                = g_pModelManager->GetRenderSingleBufMesh(g_pModelManager->EffectSlot(), poolMesh)) {
                Matrix4 identity;
                Matrix4Identity(identity);
                g_Graphic.SetWorldMatrix(identity);
                g_TexShaderManager->SetFactorAlpha(std::min(intensity * 0.15f, 1.0f));
                g_TexShaderManager->Apply(kSlotPool, mesh, pool);
            }
        }
    }
    if (CComplexObject* model = GetComplexModel()) {
        Matrix4 world = frame.matrix;
        Location.BendToHorizon(world, false);
        g_Graphic.SetWorldMatrix(world);
        LightWare.SetLights(p.x, p.y, p.z, radius);
        const float brightness = GetObjectBrightness(p);
        std::array<float, CModel::kMaxChannels> weights {};
        weights[0] = 1.0f - morphLevel;
        model->SetColor(brightness, brightness, brightness, brightness);
        model->Render(weights.data(), 0, CComplexObject::kAllGroups);
        model->ResetColor();
    }
    if (glowLevel <= kMinGlow)
        return;
    if (EffectRenderManager.IsCollecting())
        EffectRenderManager.AddEffect(viewDistance * viewDistance, this, 0);
    else
        DrawEffect(0);
}

Vec3 CLampObject::HaloPoint()
{
    const Vec3& p = frame.position;
    const SLanternType* row = Row();
    CComplexObject* model = GetComplexModel();
    CModel* part = row && model && row->fxPart >= 0 && row->fxPart < model->GetPartCount()
        ? model->GetPartObject(row->fxPart)
        : nullptr;
    Matrix4 box;
    if (part && part->GetBoxCenterFrame(row->fxCorners, nullptr, box)) {
        Vec3 at;
        TransformCoord(at, Vec3 { box.m[12], box.m[13], box.m[14] }, frame.matrix);
        return at;
    }
    return Vec3 { p.x, p.y, p.z + 0.8f * radius };
}

void CLampObject::DrawEffect(int argument)
{
    ZJ_TRACE("CLampObject::DrawEffect");
    (void)argument;
    const SLanternType* row = Row();
    if (!row)
        return;
    if (!row->prepared)
        g_LanternManager.InitLantern(typeIndex);
    CTexture* halo = TextureAt(row->glow.Index());
    if (!halo || !g_pModelManager || !g_TexShaderManager || g_pModelManager->ModelsSlot() < 0)
        return;
    const Vec3 at = HaloPoint();
    const float t = GameClockF32;
    const float size = (std::sin(float(id) + 50.0f * t) * 0.01f + 1.0f) * radius * 0.75f;
    CVertexData& quad = g_pModelManager->AddBillboard(size, size, true);
    Mesh* mesh = g_pModelManager->GetRenderSingleBufMesh(g_pModelManager->ModelsSlot(), quad);
    if (!mesh)
        return;
    Matrix4 world = g_pModelManager->BillboardMatrix();
    world.m[12] = at.x;
    world.m[13] = at.y;
    world.m[14] = at.z;
    world.m[15] = 1.0f;
    g_Graphic.SetWorldMatrix(world);
    g_TexShaderManager->SetFactorAlpha(
        std::min((std::sin(float(id) + 5.0f * t) * 0.2f + 0.8f) * glowLevel, 1.0f));
    g_TexShaderManager->Apply(kSlotHalo, mesh, halo);
}

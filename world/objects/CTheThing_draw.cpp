// CTheThing's drawing: the model lit by the location and a pulsing light under it, the glow decal
// on the ground beneath while it lies there, and once taken the pick-up flash whose frame grid
// runs once during the rise.
#include "world/objects/CTheThing.h"

#include "foundation/CViewFrame.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/XRangeError.h"
#include "render/CComplexObject.h"
#include "render/CModel.h"
#include "render/CModelManager.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"
#include "world/db/CZJEngine.h"
#include "world/db/PlayerRemains.h"
#include "world/terrain/CEffectRenderManager.h"
#include "world/terrain/CLightWare.h"
#include "world/terrain/CLocation.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr float kTwoPi = 2.0f * std::numbers::pi_v<float>;
constexpr int kSlotGlow = 19; // factor alpha
constexpr uint32_t kGroundFormat = 0x242; // position, diffuse, two texture sets
// The pulse light: below the centre by 1.5 x radius, reaching 5 x radius, violet.
constexpr float kLightDepth = 1.5f;
constexpr float kLightReach = 5.0f;
constexpr float kLightColour[3] = { 115.0f / 255.0f, 90.0f / 255.0f, 248.0f / 255.0f };
constexpr float kGlowReach = 5.0f;

CComplexObject* ModelAt(int32_t index)
{
    if (index < 0 || !g_pModelManager || index >= g_pModelManager->GetModelCount())
        return nullptr;
    return g_pModelManager->GetModel(index);
}

} // namespace

float CTheThing::LightPulse(float age)
{
    return (std::sin(kTwoPi * age) + 1.0f) * 0.5f;
}

float CTheThing::GlowIntensity(float age)
{
    return std::sin(kTwoPi * age) * 0.15f + 0.4f;
}

bool CTheThing::FillGround(const Vec3& centre, float size)
{
    if (!ground.vertices)
        ground.Allocate(kGroundFormat, kGroundVertices, kGroundIndices);
    ground.vertexCount = ground.indexCount = 0;
    ground.firstVertex = ground.firstIndex = 0;
    return Location.GetMapMesh(centre, size, ground);
}

int CTheThing::FlashFrame(uint32_t grid, float riseTime)
{
    const uint32_t frames = grid < 256 ? grid * grid : (grid & 255u) * (grid >> 8);
    const int frame = int(std::clamp(riseTime / kRiseTime, 0.0f, 1.0f) * float(frames));
    return std::min(frame, std::max(int(frames) - 1, 0));
}

CComplexObject* CTheThing::Model() const
{
    return ModelAt(modelIndex);
}

void CTheThing::Draw()
{
    ZJ_TRACE("CTheThing::Draw");
    if (PlayerRemains == this || (remote && owned))
        return;
    if (CComplexObject* model = Model()) {
        Matrix4 world = frame.matrix;
        Location.BendToHorizon(world, false);
        g_Graphic.SetWorldMatrix(world);
        const Vec3& p = frame.position;
        LightWare.SetLights(p.x, p.y, p.z, radius);
        const float brightness = GetObjectBrightness(p);
        model->SetColor(brightness, brightness, brightness, brightness);
        SetGlowLight();
        model->Render(nullptr, 0, CComplexObject::kAllGroups);
        model->ResetColor();
        if (plat::gfx::Device* device = g_Graphic.GetDevice())
            device->LightEnable(kGlowLight, false);
    }
    if (onGround) {
        DrawGlow();
        return;
    }
    if (EffectRenderManager.IsCollecting())
        EffectRenderManager.AddEffect(
            Vec3LengthSq(Vec3 { frame.position.x - ViewFrame.position.x,
                frame.position.y - ViewFrame.position.y, frame.position.z - ViewFrame.position.z }),
            this, 0);
    else
        DrawEffect(0);
}

void CTheThing::SetGlowLight() const
{
    plat::gfx::Device* device = g_Graphic.GetDevice();
    if (!device)
        return;
    const float pulse = LightPulse(age);
    plat::gfx::Light light;
    light.type = plat::gfx::LightType::Point;
    const plat::gfx::ColorValue colour { kLightColour[0] * pulse, kLightColour[1] * pulse,
        kLightColour[2] * pulse, 1.0f };
    light.diffuse = light.specular = light.ambient = colour;
    const Vec3& p = frame.position;
    light.position = plat::gfx::Vector3 { p.x, p.y, p.z - kLightDepth * radius };
    light.range = kLightReach * radius;
    light.attenuation0 = 1.0f;
    device->SetLight(kGlowLight, light);
    device->LightEnable(kGlowLight, true);
}

// The glow texture on the terrain patch around the thing, pulsing with its age.
void CTheThing::DrawGlow()
{
    CTexture* texture
        = glowTexture >= 0 && g_pTextureManager ? g_pTextureManager->GetTexture(glowTexture) : nullptr;
    if (!texture || !g_pModelManager || !g_TexShaderManager)
        return;
    const Vec3& p = frame.position;
    if (!FillGround(Vec3 { p.x, p.y, p.z - riseTimer / kRiseTime * 5.0f }, kGlowReach * radius))
        return;
    if (g_pModelManager->EffectSlot() < 0)
        return;
    Mesh* mesh = g_pModelManager->GetRenderSingleBufMesh(g_pModelManager->EffectSlot(), ground);
    if (!mesh)
        return;
    Matrix4 identity;
    Matrix4Identity(identity);
    g_Graphic.SetWorldMatrix(identity);
    g_TexShaderManager->SetFactorAlpha(GlowIntensity(age));
    g_TexShaderManager->Apply(kSlotGlow, mesh, texture);
}

void CTheThing::DrawEffect(int argument)
{
    (void)argument;
    CComplexObject* flash = ModelAt(ZJEngine.ids2[CZJEngine::kModFxPodbor]);
    if (!flash)
        return;
    if (flash->GetPartCount() == 0) {
        WriteErrorLog("CTheThing::DrawEffect flash model without parts");
        throw XRangeError();
    }
    if (CModel* part = flash->GetPartObject(0))
        flash->SetFrame(FlashFrame(uint32_t(part->frameGrid), riseTimer));
    Matrix4 world;
    Matrix4Identity(world);
    world.m[12] = frame.position.x;
    world.m[13] = frame.position.y;
    world.m[14] = frame.position.z;
    g_Graphic.SetWorldMatrix(world);
    flash->Render(nullptr, 0, CComplexObject::kAllGroups);
}

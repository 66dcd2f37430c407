#include "world/objects/CMapCoverObject.h"

#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/XRangeError.h"
#include "render/CModelManager.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"
#include "world/db/CMapCoverManager.h"
#include "world/objects/PlacedInit.h"
#include "world/terrain/CLightWare.h"
#include "world/terrain/CLocation.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr int kSlotLit = 12;
constexpr int kSlotGlow = 19;
constexpr int32_t kGlowing = 1;
// The lit cover takes the light's full colour; its texture and alpha come from the vertices' white.
constexpr plat::gfx::Material kLitMaterial { { 1, 1, 1, 1 }, { 1, 1, 1, 1 }, { 0, 0, 0, 0 }, { 0, 0, 0, 0 },
    0.0f };

} // namespace

CMapCoverObject::CMapCoverObject()
{
    type = kMapCover;
    alive = 1;
    visible = 1;
    runs = 0;
    moves = 0;
    hitByRays = 0;
    solid = 0;
    effectInView = 0;
}

void CMapCoverObject::Init(const float* placement, NameKey32 typeId)
{
    ZJ_TRACE("CMapCoverObject::Init");
    TakePlacement(*this, placement);
    typeKey = typeId;
    const int row = g_MapCoverManager.FindRow(typeId.text);
    if (row < 0)
        throw XRangeError();
    typeIndex = row;
    typeRecord = g_MapCoverManager.GetDescData(row);
    texture = static_cast<const SMapCoverType*>(typeRecord)->texture.Index();
    const float* m = frame.matrix.m;
    radius = std::min(kUnitRadius * std::sqrt(m[0] * m[0] + m[1] * m[1] + m[2] * m[2]), kMaxRadius);
    // The cover's square onto the texture: turned by the heading about the square's centre.
    const float heading = std::atan2(m[1], m[0]);
    const float c = std::cos(heading);
    const float s = std::sin(heading);
    Matrix4Identity(textureMatrix);
    textureMatrix.m[0] = c;
    textureMatrix.m[1] = s;
    textureMatrix.m[4] = -s;
    textureMatrix.m[5] = c;
    textureMatrix.m[8] = -0.5f * c + 0.5f * s + 0.5f;
    textureMatrix.m[9] = -0.5f * s - 0.5f * c + 0.5f;
    groundMesh.Allocate(kMeshFormat, kMeshVertices, kMeshIndices);
    groundMesh.vertexCount = 0;
    groundMesh.indexCount = 0;
    meshBuilt = 0;
}

void CMapCoverObject::SetPosition(const Vec3& position)
{
    CZJObject::SetPosition(position);
    meshBuilt = 0;
}

float CMapCoverObject::GlowIntensity(float time) const
{
    const SMapCoverType* row = static_cast<const SMapCoverType*>(typeRecord);
    if (!row || row->period == 0.0f)
        return 1.0f;
    return std::sin(float(id) + time * std::numbers::pi_v<float> / row->period) * 0.25f + 0.75f;
}

void CMapCoverObject::Draw()
{
    ZJ_TRACE("CMapCoverObject::Draw");
    const SMapCoverType* row = static_cast<const SMapCoverType*>(typeRecord);
    if (!row || !groundMesh.vertices || !g_pModelManager || !g_TexShaderManager)
        return;
    Matrix4 identity;
    Matrix4Identity(identity);
    g_Graphic.SetWorldMatrix(identity);
    if (!meshBuilt) {
        groundMesh.vertexCount = 0;
        groundMesh.indexCount = 0;
        meshBuilt = Location.GetMapMesh(frame.position, radius, groundMesh) ? 1 : 0;
    }
    if (groundMesh.vertexCount == 0 || g_pModelManager->EffectSlot() < 0)
        return;
    Mesh* mesh = g_pModelManager->GetRenderSingleBufMesh(g_pModelManager->EffectSlot(), groundMesh);
    if (!mesh)
        return;
    CTexture* image = texture >= 0 && g_pTextureManager ? g_pTextureManager->GetTexture(texture) : nullptr;
    plat::gfx::Device* device = g_Graphic.GetDevice();
    if (device) {
        device->SetTransform(plat::gfx::TextureTransformOf(0), ToDeviceMatrix(textureMatrix));
        device->SetTextureStageState(
            0, plat::gfx::StageState::TextureTransformFlags, uint32_t(plat::gfx::TextureTransform::Count2));
    }
    if (row->kind == kGlowing) {
        g_TexShaderManager->SetFactorAlpha(GlowIntensity(GameClockF32));
        g_TexShaderManager->Apply(kSlotGlow, mesh, image);
    } else {
        LightWare.SetLights(frame.position.x, frame.position.y, frame.position.z, radius);
        g_Graphic.SetMaterial(kLitMaterial);
        g_TexShaderManager->Apply(kSlotLit, mesh, image);
    }
    if (device)
        device->SetTextureStageState(
            0, plat::gfx::StageState::TextureTransformFlags, uint32_t(plat::gfx::TextureTransform::Disable));
}

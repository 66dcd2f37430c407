// The effect renderer's resources, reflection pass, deferred effect list and model-to-texture
// pass.
#include "world/terrain/CEffectRenderManager.h"

#include "foundation/CViewFrame.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "platform/gfx/device.h"
#include "platform/gfx/fvf.h"
#include "render/CComplexObject.h"
#include "render/CModelManager.h"
#include "render/CTexture.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CZJObject.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/CLocation.h"

#include <algorithm>
#include <numeric>

CEffectRenderManager EffectRenderManager;
uint8_t FullReflection = 0;
uint8_t TerrainReflection = 1;

namespace {

using namespace plat::gfx;

constexpr uint32_t kBeamFormat = fvf::kXyz | fvf::kDiffuse | fvf::kTex2;
constexpr uint32_t kGridFormat = fvf::kXyzRhw | fvf::kDiffuse | fvf::kSpecular | fvf::kTex1;
constexpr int kBlurSize = 512;
constexpr int kSlotScreenCopy = 11;

} // namespace

void InvokeDrawEffect(CZJObject* object, uint32_t argument)
{
    if (object)
        object->DrawEffect(argument);
}

CEffectRenderManager::CEffectRenderManager() = default;

CEffectRenderManager::~CEffectRenderManager()
{
    FreeBuffers();
}

void CEffectRenderManager::Init(int reflectionTargets)
{
    ZJ_TRACE("CEffectRenderManager::Init");
    FreeBuffers();
    m_initialised = true;
    m_targetCount = std::max(0, reflectionTargets);
    m_targets.resize(size_t(m_targetCount));
    m_effects.assign(size_t(kMaxEffects), Effect {});
    m_order.assign(size_t(kMaxEffects), 0);
    ResetResources();
    m_beam.Allocate(kBeamFormat, kBeamVertices, kBeamIndices);
    if (g_pModelManager && m_screen2 < 0)
        m_screen2 = g_pModelManager->CreateRenderBuffer("SCREEN2", kGridFormat, 4800, 24000, 1, false);
}

std::unique_ptr<CTexture> CEffectRenderManager::MakeTarget(int size)
{
    auto texture = std::make_unique<CTexture>();
    g_Graphic.CreateTexture(texture.get(), uint32_t(size), uint32_t(size), 1, Format::A8R8G8B8, Pool::Default,
        usage::kRenderTarget);
    if (!texture->GetTexture())
        return nullptr;
    if (g_pTextureManager)
        g_pTextureManager->AddMemory(int32_t(texture->GetMemory()), 1);
    return texture;
}

void CEffectRenderManager::ReleaseTarget(std::unique_ptr<CTexture>& texture)
{
    if (!texture)
        return;
    if (g_pTextureManager)
        g_pTextureManager->AddMemory(-int32_t(texture->GetMemory()), -1);
    texture.reset();
}

void CEffectRenderManager::ResetResources()
{
    ZJ_TRACE("CEffectRenderManager::ResetResources");
    InvalidateResources();
    if (!m_initialised)
        return;
    const uint32_t columns = uint32_t(std::max(0, g_Graphic.ScreenWidth()) >> 5) + 2;
    const uint32_t rows = uint32_t(std::max(0, g_Graphic.ScreenHeight()) >> 5) + 2;
    const uint32_t vertices = std::max(kGridMinVertices, columns * rows);
    m_work.Allocate(kGridFormat, vertices, std::max(kGridMinVertices * 5, columns * rows * 6));
    m_work.vertexCount = m_work.indexCount = 0;
    Device* device = g_Graphic.GetDevice();
    if (!device)
        return;
    for (std::unique_ptr<CTexture>& target : m_targets)
        target = MakeTarget(kReflectionSize);
    if (Failed(device->CreateDepthStencilSurface(
            kReflectionSize, kReflectionSize, Format::D16, MultiSample::None, &m_depth)))
        m_depth = nullptr;
    m_modelTarget = MakeTarget(kModelSize);
    m_blurTarget = MakeTarget(kBlurSize);
}

void CEffectRenderManager::InvalidateResources()
{
    for (std::unique_ptr<CTexture>& target : m_targets)
        ReleaseTarget(target);
    ReleaseTarget(m_modelTarget);
    ReleaseTarget(m_blurTarget);
    if (m_depth) {
        m_depth->Release();
        m_depth = nullptr;
    }
}

void CEffectRenderManager::FreeBuffers()
{
    InvalidateResources();
    m_work.Free();
    m_beam.Free();
    m_targets.clear();
    m_targetCount = 0;
    m_effects.clear();
    m_order.clear();
    m_effectCount = 0;
    m_usedTargets = 0;
    m_screen2 = -1;
    m_initialised = false;
}

void CEffectRenderManager::ResetFrame()
{
    m_usedTargets = 0;
    m_effectCount = 0;
    m_loggedFull = false;
}

int CEffectRenderManager::CreateReflection(float waterHeight)
{
    ZJ_TRACE("CEffectRenderManager::CreateReflection");
    Device* device = g_Graphic.GetDevice();
    if (!FullReflection || m_usedTargets >= m_targetCount || !device)
        return 0;
    const int number = m_usedTargets++;
    CTexture* target = m_targets[size_t(number)].get();
    Surface* surface = nullptr;
    if (!target || Failed(target->GetTexture()->GetSurfaceLevel(0, &surface)))
        return 0;
    const int pushed = g_Graphic.PushRenderTarget(surface, m_depth);
    surface->Release();
    if (pushed != 0) {
        g_Graphic.PopRenderTarget();
        return 0;
    }
    device->Clear(0, nullptr, clear::kZBuffer, 0, 1.0f, 0);
    const float plane[4] = { 0.0f, 0.0f, 1.0f, -waterHeight };
    device->SetClipPlane(0, plane);
    device->SetRenderState(RenderState::ClipPlaneEnable, 1);
    device->BeginScene();
    m_collecting = 0;
    Environment.ClearBackground();
    if (TerrainReflection)
        Location.RenderForWater();
    Environment.RenderEnv();
    if (TerrainReflection)
        ObjectList.RenderForWater();
    Environment.RenderFX(true);
    m_collecting = 1;
    device->EndScene();
    device->SetRenderState(RenderState::ClipPlaneEnable, 0);
    g_Graphic.PopRenderTarget();
    return number + 1;
}

CTexture* CEffectRenderManager::GetReflectionTexture(int handle) const
{
    if (handle <= 0 || handle > int(m_targets.size()))
        return nullptr;
    return m_targets[size_t(handle - 1)].get();
}

void CEffectRenderManager::Append(const Effect& effect)
{
    if (m_effectCount >= int(m_effects.size())) {
        if (!m_loggedFull)
            WriteErrorLog("CEffectRenderManager::AddEffect list full, effects dropped this frame");
        m_loggedFull = true;
        return;
    }
    m_effects[size_t(m_effectCount++)] = effect;
}

void CEffectRenderManager::AddEffect(float key, CZJObject* object, uint32_t argument)
{
    Append(Effect { key, object, -1, argument });
}

void CEffectRenderManager::AddDetailObject(float key, int record)
{
    Append(Effect { key, nullptr, record, kDetailObjectArgument });
}

void CEffectRenderManager::RenderEffects()
{
    ZJ_TRACE("CEffectRenderManager::RenderEffects");
    const auto count = size_t(m_effectCount);
    std::iota(m_order.begin(), m_order.begin() + ptrdiff_t(count), 0);
    std::stable_sort(m_order.begin(), m_order.begin() + ptrdiff_t(count),
        [this](int a, int b) { return m_effects[size_t(a)].key < m_effects[size_t(b)].key; });
    if (g_TexShaderManager)
        g_TexShaderManager->ResetCurrent();
    for (size_t i = count; i-- > 0;) {
        const Effect& effect = m_effects.at(size_t(m_order.at(i)));
        if (effect.argument == kDetailObjectArgument) {
            // Only AddDetailObject names a frame record; the marker alone draws nothing.
            if (effect.record >= 0)
                Location.DrawDetailObject(effect.record);
        } else {
            InvokeDrawEffect(effect.object, effect.argument);
        }
    }
    if (g_TexShaderManager)
        g_TexShaderManager->ApplyEx();
}

int CEffectRenderManager::RenderModelToTexture(
    CComplexObject* model, const Matrix4& placement, float size, bool secondPass)
{
    ZJ_TRACE("CEffectRenderManager::RenderModelToTexture");
    Device* device = g_Graphic.GetDevice();
    if (!model || !m_modelTarget || !device || size <= 0.0f)
        return 0;
    Matrix4 world = placement;
    const float scale = 0.98f / size;
    for (int i = 0; i < 12; ++i)
        world.m[i] *= scale;
    g_Graphic.SetWorldMatrix(world);
    const Vec3 centre { world.m[12], world.m[13], world.m[14] };
    Matrix4 view;
    BuildLookAtMatrix(view, Vec3 { centre.x, centre.y, centre.z + 1.44f }, centre, Vec3 { 0.0f, 1.0f, 0.0f });
    Matrix savedView;
    device->GetTransform(Transform::View, savedView);
    Matrix viewMatrix;
    std::copy(std::begin(view.m), std::end(view.m), &viewMatrix.m[0][0]);
    device->SetTransform(Transform::View, viewMatrix);
    g_Graphic.SetProjection(1000.0f, 0.01f, 90.0f, 90.0f, false);

    Surface* surface = nullptr;
    if (Succeeded(m_modelTarget->GetTexture()->GetSurfaceLevel(0, &surface))) {
        if (g_Graphic.PushRenderTarget(surface, nullptr) == 0) {
            device->SetRenderState(RenderState::ZEnable, 0);
            device->Clear(0, nullptr, clear::kTarget, 0xFF000000u, 1.0f, 0);
            const float none[4] = {};
            model->Render(none, 0, -1);
        }
        g_Graphic.PopRenderTarget();
        surface->Release();
    }
    if (secondPass && m_blurTarget && g_pModelManager && g_TexShaderManager) {
        struct Copy {
            CTexture* from;
            CTexture* to;
            float size;
        };
        for (const Copy& copy : { Copy { m_modelTarget.get(), m_blurTarget.get(), float(kBlurSize) },
                 Copy { m_blurTarget.get(), m_modelTarget.get(), float(kModelSize) } }) {
            Surface* into = nullptr;
            if (Failed(copy.to->GetTexture()->GetSurfaceLevel(0, &into)))
                continue;
            if (g_Graphic.PushRenderTarget(into, nullptr) == 0) {
                g_pModelManager->DrawScreenQuad(0.0f, 0.0f, copy.size, copy.size, nullptr, false);
                Mesh* quad = g_pModelManager->GetRenderSingleBufMesh(
                    g_pModelManager->ScreenSlot(), g_pModelManager->ScreenQuad());
                g_TexShaderManager->Apply(kSlotScreenCopy, quad, copy.from);
            }
            g_Graphic.PopRenderTarget();
            into->Release();
        }
    }
    g_Graphic.RestoreProjection();
    device->SetRenderState(RenderState::ZEnable, 1);
    device->SetTransform(Transform::View, savedView);
    return 1;
}

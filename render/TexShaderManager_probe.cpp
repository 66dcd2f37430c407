// TexShaderManager's specular probe: whether the device lights per-vertex specular with a local
// viewer, which some shader slots need. It runs once at start-up.
#include "render/TexShaderManager.h"

#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "platform/gfx/device.h"
#include "platform/gfx/fvf.h"
#include "render/CTexture.h"
#include "render/Graphic.h"
#include "render/Mesh.h"

#include <algorithm>
#include <iterator>

using namespace plat::gfx;

bool TexShaderManager::JudgeProbePixel(Format format, const uint8_t* pixel)
{
    switch (format) {
    case Format::X8R8G8B8: {
        const uint32_t blue = pixel[0];
        return blue > 64 && blue < 96;
    }
    case Format::R5G6B5: {
        const uint32_t blue = uint32_t(pixel[0]) & 31;
        return blue > 5 && blue < 18;
    }
    default:
        WriteErrorLog("TexShaderManager::GetCaps Unknown target render format");
        return true;
    }
}

void TexShaderManager::GetCaps()
{
    ZJ_TRACE("TexShaderManager::GetCaps");
    if (m_fixedProbe) {
        m_specularProbe = *m_fixedProbe;
        return;
    }
    RunProbe();
}

// A 32x32 quad lit only by a specular light, its colour taken from the SPECULAR argument: with
// per-vertex local-viewer specular the centre reads about a third of full blue.
void TexShaderManager::RunProbe()
{
    Device& device = *g_Graphic.GetDevice();
    m_specularProbe = true;

    struct Surfaces {
        Surface* target = nullptr;
        Surface* savedTarget = nullptr;
        Surface* savedDepth = nullptr;
        bool switched = false;
        ~Surfaces()
        {
            if (switched)
                g_Graphic.GetDevice()->SetRenderTarget(savedTarget, savedDepth);
            for (Surface* surface : { target, savedTarget, savedDepth })
                if (surface)
                    surface->Release();
        }
    } surfaces;

    const Format format = g_Graphic.BackBufferFormat();
    if (Failed(device.CreateRenderTarget(32, 32, format, MultiSample::None, true, &surfaces.target)))
        return;
    device.GetRenderTarget(&surfaces.savedTarget);
    if (Failed(device.GetDepthStencilSurface(&surfaces.savedDepth)))
        surfaces.savedDepth = nullptr;
    device.SetRenderTarget(surfaces.target, nullptr);
    surfaces.switched = true;
    device.SetRenderState(RenderState::ZEnable, 0);
    device.SetViewport(Viewport { 0, 0, 32, 32, 0.0f, 1.0f });

    Mesh quad;
    quad.Allocate(Mesh::kStaticManaged, fvf::kXyz | fvf::kNormal | fvf::kTex1, 4, true, 6);
    if (quad.Lock(true, true) && quad.vertexData && quad.indexData) {
        struct Vertex {
            float x, y, z, nx, ny, nz, u, v;
        };
        auto* vertices = reinterpret_cast<Vertex*>(quad.vertexData);
        for (int i = 0; i < 4; ++i)
            vertices[i] = { (float(i % 2) - 0.5f) * 10.0f, (float(i / 2) - 0.5f) * 10.0f, 10.0f, 0.0f, 0.0f,
                -1.0f, 0.0f, 0.0f };
        const uint16_t indices[6] = { 0, 1, 2, 2, 1, 3 };
        std::copy(std::begin(indices), std::end(indices), quad.indexData);
    }
    quad.Unlock(true, true);

    device.SetRenderState(RenderState::Ambient, 0);
    device.SetRenderState(RenderState::CullMode, StateValue(Cull::None));
    device.SetRenderState(RenderState::Lighting, 1);
    Material material;
    material.specular = { 1.0f, 1.0f, 1.0f, 1.0f };
    material.power = 10.0f;
    device.SetMaterial(material);
    Light light;
    light.type = LightType::Directional;
    light.specular = { 0.5f, 0.5f, 0.5f, 0.5f };
    light.direction = { 0.0f, 0.0f, 1.0f };
    device.SetLight(0, light);
    device.LightEnable(0, true);
    g_Graphic.SetProjection(1000.0f, 0.1f, 90.0f, 90.0f, false);
    device.SetTransform(Transform::View, Matrix::Identity());
    device.SetTransform(Transform::World, Matrix::Identity());
    device.SetTexture(0, nullptr);
    StageTextureCache[0] = nullptr;
    device.SetRenderState(RenderState::SpecularEnable, 0);
    device.SetTextureStageState(0, StageState::ColorOp, StateValue(TextureOp::SelectArg1));
    device.SetTextureStageState(0, StageState::ColorArg1, StateValue(TextureArg::Specular));

    device.BeginScene();
    quad.Render(true);
    device.EndScene();
    LockedRect locked;
    if (Succeeded(surfaces.target->LockRect(locked, nullptr, lock::kReadOnly))) {
        const uint32_t bytesPerPixel = format == Format::R5G6B5 ? 2 : 4;
        const auto* pixel = static_cast<const uint8_t*>(locked.bits) + 16 * locked.pitch + 16 * bytesPerPixel;
        m_specularProbe = JudgeProbePixel(format, pixel);
        surfaces.target->UnlockRect();
    }

    SetDefaultStages();
    device.SetRenderTarget(surfaces.savedTarget, surfaces.savedDepth);
    surfaces.switched = false;
    device.LightEnable(0, false);
    device.SetViewport(
        Viewport { 0, 0, uint32_t(g_Graphic.ScreenWidth()), uint32_t(g_Graphic.ScreenHeight()), 0.0f, 1.0f });
    Mesh::ResetStreamCache();
}

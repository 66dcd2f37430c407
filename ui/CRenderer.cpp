// CRenderer: the frame, its counters and the screen pieces every part of the layer draws with.
#include "ui/CRenderer.h"

#include "ai/CFerrovant.h"
#include "foundation/CViewFrame.h"
#include "foundation/CallTrace.h"
#include "platform/gfx/device.h"
#include "platform/gfx/states.h"
#include "render/CFont.h"
#include "render/CModelManager.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"
#include "ui/CRadar.h"
#include "ui/ScannerTexture.h"
#include "world/objects/CObjectList.h"
#include "world/terrain/CEffectRenderManager.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/CLocation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

CRenderer* g_pRenderer = nullptr;

namespace {

constexpr uint32_t kScreenFormat = 0x204; // pre-transformed position, two texture sets
constexpr uint32_t kSmallQuads = 40;
constexpr uint32_t kLargeQuads = 200;

struct SScreenVertex {
    float x, y, z, rhw;
    float u0, v0, u1, v1;
};

void FillQuadIndices(CVertexData& batch, uint32_t quads)
{
    uint16_t* indices = batch.Allocate(kScreenFormat, 4 * quads, 6 * quads);
    for (uint32_t k = 0; k < quads; ++k) {
        const auto b = uint16_t(4 * k);
        const uint16_t quad[6]
            = { b, uint16_t(b + 1), uint16_t(b + 2), uint16_t(b + 2), uint16_t(b + 1), uint16_t(b + 3) };
        std::copy(quad, quad + 6, indices + 6 * k);
    }
    batch.vertexCount = batch.indexCount = 0;
}

} // namespace

CRenderer::CRenderer() = default;

CRenderer::~CRenderer()
{
    ReleaseBuffers();
    if (g_pRenderer == this)
        g_pRenderer = nullptr;
}

CTexture* CRenderer::Texture(int32_t index) const
{
    if (!g_pTextureManager || index < 0)
        return nullptr;
    return g_pTextureManager->GetTexture(index);
}

void CRenderer::LoadTextures()
{
    ZJ_TRACE("CRenderer::LoadTextures");
    const int32_t width = g_Graphic.ScreenWidth();
    const int32_t height = g_Graphic.ScreenHeight();
    if (height > 0)
        ObjectList.SetViewParams(ViewFrame, 14000.0f, 1.0f, float(width) * 50.0f / float(height), 50.0f);
    viewport = { 0, 0, uint32_t(width), uint32_t(height), 0.0f, 1.0f };
    g_Graphic.StoredViewport() = viewport;
    if (plat::gfx::Device* device = g_Graphic.GetDevice()) {
        using plat::gfx::RenderState;
        device->SetViewport(viewport);
        device->SetRenderState(RenderState::Lighting, 1);
        device->SetRenderState(RenderState::DitherEnable, 1);
        device->SetRenderState(RenderState::ColorVertex, 1);
        device->SetRenderState(RenderState::AlphaBlendEnable, 1);
    }
    FillQuadIndices(m_smallBatch, kSmallQuads);
    FillQuadIndices(m_largeBatch, kLargeQuads);
    if (g_pTextureManager) {
        texAll = g_pTextureManager->FindTexture("TEX_KT_ALL");
        texIcons = g_pTextureManager->FindTexture("TEX_INT_ICONS");
        texTargetArrow = g_pTextureManager->FindTexture("TEX_KT_TARGET_ARROW");
        texTargetCorner = g_pTextureManager->FindTexture("TEX_KT_TARGET_CORNER");
    }
    CreateScannerTextures();
}

void CRenderer::Render()
{
    ZJ_TRACE("CRenderer::Render");
    plat::gfx::Device* device = g_Graphic.GetDevice();
    if (!device)
        return;
    g_Graphic.Clear(plat::gfx::clear::kTarget | plat::gfx::clear::kZBuffer, 0xFF000000u);
    ViewFrame.Apply(true);
    device->BeginScene();
    Environment.ClearUnderwater();
    if (!hideTerrain)
        Location.Render();
    Environment.RenderEnv();
    if (!hideDetailObjects)
        Location.RenderDetailObjects();
    Location.CycleRenderWater();
    EffectRenderManager.RenderEffects();
    Environment.RenderFX(false);
    Environment.SetFog(false, 1.0f, 0.0f);
    if (transitionState != 0)
        DrawVeil();
    if (kokpitOn)
        DrawKokpit();
    if (showInfoPanel)
        DrawInfoPanel();
    if (showFps && g_pFont) {
        char text[32];
        std::snprintf(text, sizeof text, "FPS=%d", frameRate);
        g_pFont->PrintText(172, 1, text, 0x80FFFF00u);
    }
    if (PlayerFerrovant && PlayerFerrovant->IsEffectActive())
        DrawScreenMasks();
}

void CRenderer::EndFrame()
{
    if (plat::gfx::Device* device = g_Graphic.GetDevice()) {
        device->EndScene();
        device->Present();
    }
    ResetFrameCounters();
}

void CRenderer::ReleaseBuffers()
{
    m_smallBatch.Free();
    m_largeBatch.Free();
}

void CRenderer::Done()
{
    ReleaseScannerTextures();
}

void CRenderer::ResetFrameCounters()
{
    g_Graphic.ResetFrameCounters();
    s_pieces = 0;
}

uint32_t CRenderer::DrawCalls()
{
    return g_Graphic.DrawCalls();
}

uint32_t CRenderer::Primitives()
{
    return g_Graphic.Primitives();
}

void CRenderer::AddPiece(float x1, float y1, float x2, float y2, float u, float v, float texW, float texH)
{
    if (!m_largeBatch.vertices || m_largeBatch.vertexCount + 4 > m_largeBatch.vertexCapacity)
        return;
    // A piece drawn right to left or bottom to top shows the same texels mirrored.
    const float us[2] = { u / texW, (u + std::fabs(x2 - x1)) / texW };
    const float vs[2] = { v / texH, (v + std::fabs(y2 - y1)) / texH };
    for (int i = 0; i < 4; ++i) {
        auto* vertex = reinterpret_cast<SScreenVertex*>(
            m_largeBatch.vertices + size_t(m_largeBatch.vertexCount + uint32_t(i)) * m_largeBatch.stride);
        *vertex = { (i % 2 ? x2 : x1) - 0.5f, (i / 2 ? y2 : y1) - 0.5f, 0.0f, 0.00001f, us[i % 2], vs[i / 2],
            us[i % 2], vs[i / 2] };
    }
    m_largeBatch.vertexCount += 4;
    m_largeBatch.indexCount += 6;
    ++s_pieces;
}

void CRenderer::AddQuad(const float (&xs)[4], const float (&ys)[4], float u1, float v1, float u2, float v2)
{
    if (!m_largeBatch.vertices || m_largeBatch.vertexCount + 4 > m_largeBatch.vertexCapacity)
        return;
    for (int i = 0; i < 4; ++i) {
        const float u = i % 2 ? u2 : u1;
        const float v = i / 2 ? v2 : v1;
        auto* vertex = reinterpret_cast<SScreenVertex*>(
            m_largeBatch.vertices + size_t(m_largeBatch.vertexCount + uint32_t(i)) * m_largeBatch.stride);
        *vertex = { xs[i] - 0.5f, ys[i] - 0.5f, 0.0f, 0.00001f, u, v, u, v };
    }
    m_largeBatch.vertexCount += 4;
    m_largeBatch.indexCount += 6;
    ++s_pieces;
}

void CRenderer::FlushPieces(int slot, CTexture* texture)
{
    if (m_largeBatch.vertexCount != 0 && g_pModelManager && g_pModelManager->ScreenSlot() >= 0
        && g_TexShaderManager) {
        m_largeBatch.firstVertex = m_largeBatch.firstIndex = 0;
        if (Mesh* mesh = g_pModelManager->GetRenderSingleBufMesh(g_pModelManager->ScreenSlot(), m_largeBatch))
            g_TexShaderManager->Apply(slot, mesh, texture);
    }
    m_largeBatch.vertexCount = m_largeBatch.indexCount = 0;
}

void CRenderer::DrawPiece(int slot, CTexture* texture, float x1, float y1, float x2, float y2, float u,
    float v, float texW, float texH)
{
    AddPiece(x1, y1, x2, y2, u, v, texW, texH);
    FlushPieces(slot, texture);
}

void CRenderer::DrawTinted(CTexture* texture, uint32_t colour, float x1, float y1, float x2, float y2,
    float u, float v, float texW, float texH)
{
    if (g_TexShaderManager)
        g_TexShaderManager->SetFactorColor(colour);
    DrawPiece(kTintSlot, texture, x1, y1, x2, y2, u, v, texW, texH);
}

void CRenderer::AddNumber(float x, float y, int32_t value, bool clock)
{
    if (!m_smallBatch.vertices || !m_largeBatch.vertices)
        return;
    DrawDigitStrip(m_smallBatch, x, y, value, clock);
    const uint32_t room = m_largeBatch.vertexCapacity - m_largeBatch.vertexCount;
    const uint32_t count = std::min(m_smallBatch.vertexCount, room) / 4 * 4;
    std::copy_n(m_smallBatch.vertices, size_t(count) * m_smallBatch.stride,
        m_largeBatch.vertices + size_t(m_largeBatch.vertexCount) * m_largeBatch.stride);
    m_largeBatch.vertexCount += count;
    m_largeBatch.indexCount += count / 4 * 6;
    s_pieces += count / 4;
    m_smallBatch.vertexCount = m_smallBatch.indexCount = 0;
}

void CRenderer::DrawBar(uint32_t colour, float x1, float y1, float x2, float y2)
{
    if (g_TexShaderManager)
        g_TexShaderManager->SetFactorColor(colour);
    DrawPiece(kBarSlot, nullptr, x1, y1, x2, y2, 0.0f, 0.0f, 1.0f, 1.0f);
}

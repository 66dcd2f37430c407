// CRenderer: the screen masks over a damaged machine's view, multiplied into the frame.
#include "ui/CRenderer.h"

#include "platform/gfx/device.h"
#include "platform/gfx/states.h"
#include "render/CModelManager.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"

void CRenderer::DrawScreenMasks()
{
    plat::gfx::Device* device = g_Graphic.GetDevice();
    if (!device || !g_pTextureManager || !g_TexShaderManager || !g_pModelManager
        || g_pModelManager->ScreenSlot() < 0)
        return;
    CTexture* interlace = Texture(g_pTextureManager->FindTexture("TEX_INT_INTERLACE"));
    CTexture* mask = Texture(g_pTextureManager->FindTexture("TEX_INT_SCREEN_MASK"));
    const float width = float(g_Graphic.ScreenWidth());
    const float height = float(g_Graphic.ScreenHeight());
    // Stage 0 shows the mask once; stage 1 repeats the interlace every 16 pixels.
    CVertexData& quad = g_pModelManager->DrawScreenQuad(0.0f, 0.0f, width, height, nullptr, false);
    for (int i = 0; i < 4; ++i) {
        auto* vertex = reinterpret_cast<float*>(quad.vertices + size_t(i) * quad.stride);
        vertex[6] = i % 2 ? width / 16.0f : 0.0f;
        vertex[7] = i / 2 ? height / 16.0f : 0.0f;
    }
    using plat::gfx::Blend;
    using plat::gfx::RenderState;
    device->SetRenderState(RenderState::ZWriteEnable, 0);
    device->SetRenderState(RenderState::SrcBlend, uint32_t(Blend::Zero));
    device->SetRenderState(RenderState::DestBlend, uint32_t(Blend::SrcColor));
    g_TexShaderManager->SetFactorColor(0x00C0C0FFu);
    if (Mesh* mesh = g_pModelManager->GetRenderSingleBufMesh(g_pModelManager->ScreenSlot(), quad))
        g_TexShaderManager->Apply(kMaskSlot, mesh, mask, interlace);
    ++s_pieces;
    device->SetRenderState(RenderState::ZWriteEnable, 1);
    device->SetRenderState(RenderState::SrcBlend, uint32_t(Blend::One));
    device->SetRenderState(RenderState::DestBlend, uint32_t(Blend::Zero));
}

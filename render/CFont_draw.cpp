// CFont: drawing laid-out text through "SCREEN".
#include "render/CFont.h"

#include "render/CModelManager.h"
#include "render/TexShaderManager.h"

namespace {

constexpr int kFontSlot = 37;

void DrawQuads(CVertexData& quads, CTexture* texture, uint32_t colour, int mask)
{
    if (!g_pModelManager || g_pModelManager->ScreenSlot() < 0 || !g_TexShaderManager)
        return;
    Mesh* mesh = g_pModelManager->GetRenderSingleBufMesh(g_pModelManager->ScreenSlot(), quads);
    g_TexShaderManager->SetFactorColor(colour, mask);
    g_TexShaderManager->Apply(kFontSlot, mesh, texture);
}

} // namespace

void CFont::PrintText(int32_t x, int32_t y, const char* text, uint32_t colour, int mask)
{
    LayoutText(x, y, text, [&](CVertexData& quads) { DrawQuads(quads, m_texture, colour, mask); });
}

void CFont::Print(int32_t x, int32_t y, int32_t width, const char* text, uint32_t colour, int mask)
{
    LayoutText(x, y, width, text, [&](CVertexData& quads) { DrawQuads(quads, m_texture, colour, mask); });
}

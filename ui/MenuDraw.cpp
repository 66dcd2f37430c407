#include "ui/MenuDraw.h"

#include "render/CModelManager.h"
#include "render/CTexture.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"
#include "world/terrain/CEffectRenderManager.h"

#include <cmath>

namespace {

// The layout of "SCREEN": x, y, z, rhw, then two coordinate sets.
constexpr int kU0 = 4;
constexpr int kBumpSlot = 43;

} // namespace

bool DrawMenuQuad(int slot, CTexture* texture, float x1, float y1, float x2, float y2, float u0, float v0,
    float u1, float v1, CTexture* second)
{
    if (!g_pModelManager || !g_TexShaderManager || g_pModelManager->ScreenSlot() < 0)
        return false;
    CVertexData& quad = g_pModelManager->DrawScreenQuad(x1, y1, x2, y2, nullptr, false);
    for (int i = 0; i < 4; ++i) {
        auto* vertex = reinterpret_cast<float*>(quad.vertices + size_t(i) * quad.stride);
        vertex[kU0] = vertex[kU0 + 2] = i % 2 ? u1 : u0;
        vertex[kU0 + 1] = vertex[kU0 + 3] = i / 2 ? v1 : v0;
    }
    Mesh* mesh = g_pModelManager->GetRenderSingleBufMesh(g_pModelManager->ScreenSlot(), quad);
    if (!mesh)
        return false;
    g_TexShaderManager->Apply(slot, mesh, texture, second);
    return true;
}

bool DrawTexturePiece(
    int slot, CTexture* texture, float x1, float y1, float x2, float y2, const SAtlasPiece& piece)
{
    const float w = texture && texture->GetWidth() > 0 ? float(texture->GetWidth()) : float(atlas::kSize);
    const float h = texture && texture->GetHeight() > 0 ? float(texture->GetHeight()) : float(atlas::kSize);
    // A stretched piece samples between its outer texel centres, so filtering never reaches its
    // neighbours in the texture.
    const float insetU = std::fabs(x2 - x1) != float(piece.width) ? 0.5f : 0.0f;
    const float insetV = std::fabs(y2 - y1) != float(piece.height) ? 0.5f : 0.0f;
    return DrawMenuQuad(slot, texture, x1, y1, x2, y2, (float(piece.u) + insetU) / w,
        (float(piece.v) + insetV) / h, (float(piece.u + piece.width) - insetU) / w,
        (float(piece.v + piece.height) - insetV) / h);
}

bool DrawBumpPatch(
    CTexture* bump, float x1, float y1, float x2, float y2, float lightX, float lightY, uint32_t factor)
{
    if (!bump || !g_pModelManager || !g_TexShaderManager)
        return false;
    const int buffer = g_pModelManager->FindBuffer("SCREEN2");
    if (buffer < 0 || !EffectRenderManager.BuildGridPatch(x1, y1, x2, y2, lightX, lightY))
        return false;
    Mesh* mesh = g_pModelManager->GetRenderSingleBufMesh(buffer, EffectRenderManager.GridPatch());
    if (!mesh)
        return false;
    g_TexShaderManager->SetFactorColor(factor);
    g_TexShaderManager->Apply(kBumpSlot, mesh, bump);
    return true;
}

CTexture* InterfaceTexture()
{
    if (!g_pTextureManager)
        return nullptr;
    const int index = g_pTextureManager->FindTexture(atlas::kTexture);
    return index >= 0 ? g_pTextureManager->GetTexture(index) : nullptr;
}

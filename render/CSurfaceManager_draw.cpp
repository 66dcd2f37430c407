// CSurfaceManager: drawing the tiles of a picture as screen quads through "SCREEN".
#include "render/CSurfaceManager.h"

#include "foundation/CallTrace.h"
#include "render/CModelManager.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"

namespace {

// Screen-quad vertex: pre-transformed position and two texture sets.
struct ScreenVertex {
    float x, y, z, rhw;
    float u0, v0, u1, v1;
};

// One tile as a quad; with a pattern, the second texture set repeats every 64 screen pixels.
void DrawTile(const SurfaceTile& tile, int slot, bool inset, bool pattern, CTexture* t0, CTexture* t1)
{
    if (!g_pModelManager || g_pModelManager->ScreenSlot() < 0 || !g_TexShaderManager)
        return;
    CVertexData& quad = g_pModelManager->DrawScreenQuad(float(tile.screen.left), float(tile.screen.top),
        float(tile.screen.right), float(tile.screen.bottom), &tile.texture, inset);
    if (pattern) {
        const float w = float(tile.screen.Width()) / 64.0f;
        const float h = float(tile.screen.Height()) / 64.0f;
        for (int i = 0; i < 4; ++i) {
            auto* v = reinterpret_cast<ScreenVertex*>(quad.vertices + size_t(i) * quad.stride);
            v->u1 = (i % 2) ? w : 0.0f;
            v->v1 = (i / 2) ? h : 0.0f;
        }
    }
    Mesh* mesh = g_pModelManager->GetRenderSingleBufMesh(g_pModelManager->ScreenSlot(), quad);
    g_TexShaderManager->Apply(slot, mesh, t0, t1);
}

CTexture* CacheTexture(bool second)
{
    if (!g_pTextureManager)
        return nullptr;
    return second ? g_pTextureManager->GetCacheTexture2() : g_pTextureManager->GetCacheTexture1();
}

} // namespace

void CSurfaceManager::RenderSurface(plat::gfx::Surface* surface, int32_t width, int32_t height, int slot,
    int32_t x0, int32_t y0, int32_t x1, int32_t y1, CTexture* pattern)
{
    ZJ_TRACE("CSurfaceManager::RenderSurface");
    CTexture* cache = CacheTexture(false);
    DrawTiles(surface, width, height, x0, y0, x1, y1,
        [&](const SurfaceTile& tile) { DrawTile(tile, slot, false, true, cache, pattern); });
}

void CSurfaceManager::RenderSurfaceEx(plat::gfx::Surface* surface, int slot, int32_t x0, int32_t y0,
    int32_t x1, int32_t y1, int32_t sx0, int32_t sy0, int32_t sx1, int32_t sy1, bool inset)
{
    ZJ_TRACE("CSurfaceManager::RenderSurfaceEx");
    CTexture* first = CacheTexture(false);
    CTexture* second = CacheTexture(true);
    DrawTilesEx(surface, x0, y0, x1, y1, sx0, sy0, sx1, sy1,
        [&](const SurfaceTile& tile) { DrawTile(tile, slot, inset, false, first, second); });
}

void CSurfaceManager::CopyToTexture(
    int index, int slot, int32_t x0, int32_t y0, int32_t x1, int32_t y1, CTexture* pattern)
{
    ZJ_TRACE("CSurfaceManager::CopyToTexture");
    if (plat::gfx::Surface* surface = GetSurface(index)) {
        const SurfaceRecord& record = GetRecord(index);
        RenderSurface(surface, record.width, record.height, slot, x0, y0, x1, y1, pattern);
    }
}

void CSurfaceManager::UpdateTexture(int index, int slot, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
    int32_t sx0, int32_t sy0, int32_t sx1, int32_t sy1, bool inset)
{
    ZJ_TRACE("CSurfaceManager::UpdateTexture");
    RenderSurfaceEx(GetSurface(index), slot, x0, y0, x1, y1, sx0, sy0, sx1, sy1, inset);
}

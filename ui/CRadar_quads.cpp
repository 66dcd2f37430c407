#include "ui/CRadar_local.h"

#include "render/CModelManager.h"
#include "render/CTexture.h"
#include "render/TexShaderManager.h"

#include <cmath>

namespace radar {

namespace {

// The layout of "SCREEN": x, y, z, rhw, then two coordinate sets.
struct SScreenVertex {
    float x, y, z, rhw;
    float u0, v0, u1, v1;
};

} // namespace

bool DrawQuad(int slot, const SCorner (&corners)[4], CTexture* t0, CTexture* t1, CTexture* t2)
{
    if (!g_pModelManager || !g_TexShaderManager || g_pModelManager->ScreenSlot() < 0)
        return false;
    CVertexData& quad = g_pModelManager->DrawScreenQuad(0.0f, 0.0f, 1.0f, 1.0f, nullptr, false);
    for (int i = 0; i < 4; ++i) {
        auto* vertex = reinterpret_cast<SScreenVertex*>(quad.vertices + size_t(i) * quad.stride);
        const SCorner& c = corners[i];
        vertex->x = c.x - 0.5f;
        vertex->y = c.y - 0.5f;
        vertex->u0 = c.u0;
        vertex->v0 = c.v0;
        vertex->u1 = c.u1;
        vertex->v1 = c.v1;
    }
    Mesh* mesh = g_pModelManager->GetRenderSingleBufMesh(g_pModelManager->ScreenSlot(), quad);
    if (!mesh)
        return false;
    g_TexShaderManager->Apply(slot, mesh, t0, t1, t2);
    return true;
}

bool DrawRect(int slot, CTexture* texture, float x1, float y1, float x2, float y2, float u0, float v0,
    float u1, float v1, float extent)
{
    const float us[2] = { u0 / extent, u1 / extent };
    const float vs[2] = { v0 / extent, v1 / extent };
    SCorner corners[4];
    for (int i = 0; i < 4; ++i)
        corners[i] = { i % 2 ? x2 : x1, i / 2 ? y2 : y1, us[i % 2], vs[i / 2], us[i % 2], vs[i / 2] };
    return DrawQuad(slot, corners, texture);
}

bool DrawTurned(int slot, CTexture* texture, float cx, float cy, float w, float h, float angle)
{
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    SCorner corners[4];
    for (int i = 0; i < 4; ++i) {
        const float dx = (i % 2 ? 0.5f : -0.5f) * w;
        const float dy = (i / 2 ? 0.5f : -0.5f) * h;
        const float u = i % 2 ? 1.0f : 0.0f;
        const float v = i / 2 ? 1.0f : 0.0f;
        corners[i] = { cx + dx * c - dy * s, cy + dx * s + dy * c, u, v, u, v };
    }
    return DrawQuad(slot, corners, texture);
}

} // namespace radar

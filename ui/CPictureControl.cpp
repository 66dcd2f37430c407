#include "ui/CPictureControl.h"

#include "render/CModelManager.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"
#include "ui/CBaseMenu.h"
#include "ui/CMenuHost.h"
#include "ui/MenuDraw.h"
#include "world/terrain/CEffectRenderManager.h"

namespace {

constexpr int kPictureSlot = 6;
constexpr int kGlowSlot = 43;

CTexture* TextureOf(int32_t id)
{
    return g_pTextureManager && id >= 0 && id < g_pTextureManager->GetRecordCount()
        ? g_pTextureManager->GetTexture(id)
        : nullptr;
}

} // namespace

CPictureControl::CPictureControl(
    int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t picture, int32_t glow)
    : CMenuControl(left, top, right, bottom)
    , picture(picture)
    , glow(glow)
{
}

void CPictureControl::Render()
{
    DrawMenuQuad(kPictureSlot, TextureOf(picture), float(left), float(top), float(right), float(bottom));
    if (glow < 0 || !g_pModelManager || !g_TexShaderManager)
        return;
    if (owner)
        g_TexShaderManager->SetFactorColor(owner->highlightColour);
    const plat::window::Point mouse = MenuHost().MousePosition();
    if (!EffectRenderManager.BuildGridPatch(
            float(left), float(top), float(right), float(bottom), float(mouse.x), float(mouse.y)))
        return;
    const int buffer = g_pModelManager->FindBuffer("SCREEN2");
    if (buffer < 0)
        return;
    if (Mesh* mesh = g_pModelManager->GetRenderSingleBufMesh(buffer, EffectRenderManager.GridPatch()))
        g_TexShaderManager->Apply(kGlowSlot, mesh, TextureOf(glow));
}

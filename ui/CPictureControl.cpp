#include "ui/CPictureControl.h"

#include "render/TextureManager.h"
#include "ui/CBaseMenu.h"
#include "ui/CMenuHost.h"
#include "ui/MenuDraw.h"

namespace {

constexpr int kPictureSlot = 6;

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
    if (glow < 0)
        return;
    const plat::window::Point mouse = MenuHost().MousePosition();
    DrawBumpPatch(TextureOf(glow), float(left), float(top), float(right), float(bottom), float(mouse.x),
        float(mouse.y), owner ? owner->highlightColour : 0xFFFFFFFFu);
}

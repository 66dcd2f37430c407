#include "ui/CGlowButton.h"

#include "render/TexShaderManager.h"
#include "render/TextureManager.h"
#include "ui/CMenuHost.h"
#include "ui/MenuDraw.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr int kNormalSlot = 11;
constexpr int kGlowSlot = 19;

SAtlasPiece PieceOf(const int32_t (&source)[4])
{
    return { source[0], source[1], source[2] - source[0], source[3] - source[1] };
}

} // namespace

CGlowButton::CGlowButton(int32_t left, int32_t top, int32_t right, int32_t bottom, const int32_t normal[4],
    const int32_t glow[4], int32_t texture, uint32_t command)
    : CMenuControl(left, top, right, bottom)
    , normalSource { normal[0], normal[1], normal[2], normal[3] }
    , glowSource { glow[0], glow[1], glow[2], glow[3] }
    , texture(texture)
    , command(command)
{
}

float CGlowButton::GlowAlpha(double t) const
{
    if (hoverFrames > 0)
        return 1.0f;
    return float(std::max(0.0, std::sin(4.0 * std::numbers::pi * t)));
}

void CGlowButton::Render()
{
    CTexture* picture = g_pTextureManager && texture >= 0 && texture < g_pTextureManager->GetRecordCount()
        ? g_pTextureManager->GetTexture(texture)
        : nullptr;
    DrawTexturePiece(
        kNormalSlot, picture, float(left), float(top), float(right), float(bottom), PieceOf(normalSource));
    if (!buttonEnabled)
        return;
    if (g_TexShaderManager)
        g_TexShaderManager->SetFactorAlpha(GlowAlpha(MenuHost().RunningTime()));
    DrawTexturePiece(
        kGlowSlot, picture, float(left), float(top), float(right), float(bottom), PieceOf(glowSource));
}

void CGlowButton::OnHover()
{
    hoverFrames = 2;
    if (autoRepeat && pressed && buttonEnabled && command != 0)
        SendCommand(command);
}

void CGlowButton::OnRelease()
{
    const bool send = pressed && buttonEnabled && command != 0;
    pressed = 0;
    if (send)
        SendCommand(command);
}

void CGlowButton::Run()
{
    if (hoverFrames > 0)
        --hoverFrames;
}

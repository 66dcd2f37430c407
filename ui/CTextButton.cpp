#include "ui/CTextButton.h"

#include "render/CFont.h"
#include "render/CSurfaceManager.h"
#include "script/CZJScriptManager.h"
#include "ui/CMenuHost.h"

#include <algorithm>

namespace {

constexpr int kPieceSlot = 6;

} // namespace

CTextButton::CTextButton(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* textKey,
    int32_t surface, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t textCentreX, int32_t textCentreY,
    uint32_t command, uint8_t hotKey)
    : CMenuControl(left, top, right, bottom)
    , surface(surface)
    , x0(x0)
    , y0(y0)
    , x1(x1)
    , y1(y1)
    , textCentreX(textCentreX)
    , textCentreY(textCentreY)
    , command(command)
    , hotKey(hotKey)
{
    if (textKey && g_pScriptManager && !g_pScriptManager->GetTextName(textKey, text))
        text = "";
}

void CTextButton::Render()
{
    const bool hovered = hoverFrames > 0;
    if (g_pSurfaceManager && surface >= 0) {
        int32_t sx0 = x0;
        int32_t sx1 = x1;
        int32_t width = 0;
        int32_t height = 0;
        g_pSurfaceManager->GetSize(surface, width, height);
        if (hovered && width == 2 * (x1 - x0)) {
            sx0 = x1 + 1;
            sx1 = 2 * x1 - x0 + 1;
        }
        g_pSurfaceManager->UpdateTexture(
            surface, kPieceSlot, left, top, right, bottom, sx0, y0, sx1, y1, false);
    }
    if (!g_pFont || text.Length() == 0)
        return;
    const uint32_t colour = pressed ? pressedColour : hovered ? hoverColour : normalColour;
    const int32_t x = std::min(left, right) + textCentreX - g_pFont->GetTextWidth(text.Text()) / 2;
    const int32_t y = top + textCentreY - g_pFont->GetLineHeight() / 2;
    g_pFont->PrintText(x, y, text.Text(), colour);
}

void CTextButton::OnRelease()
{
    const bool send = pressed && command != 0;
    pressed = 0;
    if (!send)
        return;
    PlaySound("SND_INT_ONLINK");
    SendCommand(command);
}

void CTextButton::Run()
{
    if (hoverFrames > 0)
        --hoverFrames;
    if (hotKey != 0 && command != 0 && MenuHost().KeyDown(hotKey))
        SendCommand(command);
}

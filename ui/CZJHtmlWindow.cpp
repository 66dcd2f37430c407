// Stand-in until the game's mark-up window lands.
#include "ui/CZJHtmlWindow.h"

#include "platform/gfx/device.h"
#include "render/CFont.h"
#include "render/Graphic.h"

#include <algorithm>
#include <cstring>

int32_t CZJHtmlWindow::GetFontHeight(int32_t)
{
    return g_pFont ? g_pFont->GetLineHeight() : 16;
}

int32_t CZJHtmlWindow::GetTextWidth(int32_t, const char* text)
{
    return g_pFont ? g_pFont->GetTextWidth(text) : 8 * int32_t(std::strlen(text));
}

void CZJHtmlWindow::DrawText(
    int32_t x1, int32_t y1, int32_t x2, int32_t, int32_t, const char* text, uint32_t colour)
{
    PrintClipped(x1, y1, x2 - x1, text, 0xFF000000u | colour);
}

void CZJHtmlWindow::PrintClipped(int32_t x, int32_t y, int32_t width, const char* text, uint32_t colour)
{
    plat::gfx::Device* device = g_Graphic.GetDevice();
    if (!g_pFont || !device || right <= left || bottom <= top)
        return;
    const int32_t screenW = g_Graphic.ScreenWidth();
    const int32_t screenH = g_Graphic.ScreenHeight();
    const int32_t clipLeft = std::max(left, 0);
    const int32_t clipTop = std::max(top, 0);
    const int32_t clipRight = std::min(right, screenW);
    const int32_t clipBottom = std::min(bottom, screenH);
    if (clipRight <= clipLeft || clipBottom <= clipTop)
        return;
    device->SetViewport({ uint32_t(clipLeft), uint32_t(clipTop), uint32_t(clipRight - clipLeft),
        uint32_t(clipBottom - clipTop), 0.0f, 1.0f });
    g_pFont->Print(x, y, width, text, colour);
    device->SetViewport({ 0, 0, uint32_t(screenW), uint32_t(screenH), 0.0f, 1.0f });
}

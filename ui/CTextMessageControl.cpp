#include "ui/CTextMessageControl.h"

#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "render/CFont.h"

#include <algorithm>
#include <string>

CTextMessageControl::CTextMessageControl(int32_t left, int32_t top, int32_t right, int32_t bottom,
    const char* text, uint32_t colour, bool usesFade)
    : CMenuControl(left, top, right, bottom)
    , text(text ? text : "")
    , colour(colour)
    , usesFade(usesFade ? 1 : 0)
{
}

uint32_t CTextMessageControl::ShownColour() const
{
    if (!usesFade)
        return colour;
    const uint32_t alpha = uint32_t(float(colour >> 24) * std::clamp(fade, 0.0f, 1.0f));
    return alpha << 24 | (colour & 0x00FFFFFFu);
}

void CTextMessageControl::Update()
{
    if (fadingOut)
        fade = std::max(0.0f, fade - 2.0f * FrameTime);
    else
        fade = std::min(1.0f, fade + 0.5f * FrameTime);
    const float length = float(text.Length());
    if (length > shown) {
        shown = std::min(length, shown + kTypeRate * FrameTime);
        shownCount = int32_t(shown);
    }
}

void CTextMessageControl::Render()
{
    ZJ_TRACE("CTextMessageControl::Render");
    if (!g_pFont)
        return;
    std::string visible = text.Text();
    if (shownCount >= 0 && size_t(shownCount) < visible.size())
        visible.resize(size_t(shownCount));
    const int32_t y = top + (bottom - top - g_pFont->GetLineHeight()) / 2;
    const uint32_t shownColour = ShownColour();
    switch (alignment) {
    case kCentred:
        g_pFont->PrintText(left + (right - left - g_pFont->GetTextWidth(visible.c_str())) / 2, y,
            visible.c_str(), shownColour);
        break;
    case kFitted:
        g_pFont->Print(left, y, right - left, visible.c_str(), shownColour);
        break;
    default:
        g_pFont->PrintText(left, y, visible.c_str(), shownColour);
        break;
    }
}

#include "ui/CMenuLinkItem.h"

#include "foundation/CTimer.h"
#include "render/CFont.h"
#include "ui/CMenuHost.h"
#include "ui/MenuDraw.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int kIconSlot = 6;

// The length of a closing bracketed part, "(3)" of "Rockets (3)"; 0 when the text does not end
// in ")".
int32_t BracketTail(const char* text)
{
    const size_t length = std::strlen(text);
    if (length == 0 || text[length - 1] != ')')
        return 0;
    const char* open = std::strrchr(text, '(');
    return open ? int32_t(text + length - open) : 0;
}

uint32_t BlendByte(uint32_t shift, const uint32_t (&colours)[4], const float (&weights)[4])
{
    float value = 0.0f;
    for (int i = 0; i < 4; ++i)
        value += weights[i] * float((colours[i] >> shift) & 0xFF);
    return uint32_t(std::clamp(value, 0.0f, 255.0f));
}

} // namespace

CMenuLinkItem::CMenuLinkItem(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* text,
    uint32_t command, uint8_t hotKey, int32_t icon, uint32_t alignment)
    : CMenuControl(left, top, right, bottom)
    , hotKey(hotKey)
    , command(command)
    , text(text ? text : "")
    , rect { left, top, right, bottom }
    , icon(icon)
    , alignment(alignment)
{
    if (!g_pFont)
        return;
    CXAnsiString fitted;
    const int32_t width = right - left - (icon >= 0 ? kIconSize : 0);
    if (g_pFont->FitText(this->text, fitted, width, BracketTail(this->text.Text()))) {
        shortened = 1;
        caption = this->text;
        this->text = fitted;
    }
}

uint32_t CMenuLinkItem::BlendedColour() const
{
    const float a = selected ? 0.9f : 0.0f;
    const float p = (1.0f - a) * pressGlow;
    const float h = (1.0f - a - p) * hoverGlow;
    const float weights[4] = { a, p, h, 1.0f - a - p - h };
    const uint32_t colours[4] = { selectedColour, pressColour, hoverColour, normalColour };
    const uint32_t alpha = uint32_t(float(BlendByte(24, colours, weights)) * appear);
    return alpha << 24 | BlendByte(16, colours, weights) << 16 | BlendByte(8, colours, weights) << 8
        | BlendByte(0, colours, weights);
}

void CMenuLinkItem::Render()
{
    uint32_t colour = BlendedColour();
    if (pulse) {
        const double factor = std::sin(MenuHost().RunningTime() * 8.0) * 0.3 + 1.3;
        uint32_t pulsed = 0;
        for (uint32_t shift = 0; shift < 32; shift += 8)
            pulsed |= uint32_t(std::min(255.0, double((colour >> shift) & 0xFF) * factor)) << shift;
        colour = pulsed;
    }
    int32_t x = left;
    int32_t y = top;
    if (icon >= 0) {
        DrawTexturePiece(kIconSlot, InterfaceTexture(), float(left - 2), float(top + 2),
            float(left - 2 + kIconSize), float(top + 2 + kIconSize), atlas::Icon(icon));
        x += kIconSize;
    }
    if (!g_pFont || textShown != 1)
        return;
    if (alignment & kCentreX)
        x = left + (right - left - g_pFont->GetTextWidth(text.Text())) / 2;
    if (alignment & kCentreY)
        y = top + (bottom - top - g_pFont->GetLineHeight()) / 2;
    g_pFont->PrintText(x, y, text.Text(), colour);
}

void CMenuLinkItem::OnHover()
{
    hoverGlow = std::min(1.0f, hoverGlow + 4.0f * FrameTime);
    hoveredThisFrame = 1;
    if (pressed)
        pressGlow = 1.0f;
}

void CMenuLinkItem::OnPress()
{
    pressed = 1;
    pressGlow = 1.0f;
}

void CMenuLinkItem::OnRelease()
{
    if (pressed && command != 0 && !closing)
        SendCommand(command);
}

void CMenuLinkItem::Update()
{
    const auto decay
        = [](float glow) { return glow / std::pow((std::fabs(glow) * 1e-10f + 1.0f) * 8.0f, FrameTime); };
    hoverGlow = decay(hoverGlow);
    pressGlow = decay(pressGlow);
    if (closing) {
        appear -= 4.0f * FrameTime;
        if (appear <= 0.0f) {
            appear = 0.0f;
            visible = 0;
        }
    } else {
        appear = std::min(1.0f, appear + 4.0f * FrameTime);
    }
}

void CMenuLinkItem::Run()
{
    if (pressed && !hoveredThisFrame)
        pressed = 0;
    hoveredThisFrame = 0;
    if (hotKey != 0 && command != 0 && !closing && MenuHost().KeyDown(hotKey))
        SendCommand(command);
}

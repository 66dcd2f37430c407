// CRenderer: the veil over the screen while the application changes location.
#include "ui/CRenderer.h"

#include "platform/gfx/device.h"
#include "platform/gfx/states.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"

#include <cmath>
#include <numbers>

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

float VeilAlpha(int state, float timer)
{
    if (state != 1 && state != 3)
        return 0.5f;
    const float x = state == 1 ? timer : 10.0f - timer;
    if (x > 9.75f)
        return 0.95f * std::sin(2.0f * kPi * (10.0f - x));
    if (x > 9.5f)
        return 0.95f - 0.7f * std::sin(2.0f * kPi * (9.75f - x));
    if (x > 2.0f)
        return 0.25f + 0.026666667f * (9.5f - x);
    if (x > 1.0f)
        return 0.45f + 0.55f * std::sin((2.0f - x) * kPi / 2.0f);
    return 1.0f - 0.5f * std::sin((1.0f - x) * kPi / 2.0f);
}

} // namespace

uint32_t VeilColour(int state, float timer)
{
    const float a = VeilAlpha(state, timer);
    uint32_t red = 96;
    uint32_t blue = 160;
    if (a >= 0.5f) {
        const float c = 2.0f * (a - 0.5f);
        red = uint32_t(96.0f + 159.0f * c * c);
        blue = uint32_t(160.0f + 95.0f * c * c);
    }
    return uint32_t(255.0f * a) << 24 | red << 16 | red << 8 | blue;
}

void CRenderer::DrawVeil()
{
    plat::gfx::Device* device = g_Graphic.GetDevice();
    if (!device)
        return;
    device->SetRenderState(plat::gfx::RenderState::ZEnable, 0);
    if (g_TexShaderManager)
        g_TexShaderManager->SetFactorColor(VeilColour(transitionState, transitionTimer));
    DrawPiece(kBarSlot, nullptr, 0.0f, 0.0f, float(g_Graphic.ScreenWidth()), float(g_Graphic.ScreenHeight()),
        0.0f, 0.0f, 1.0f, 1.0f);
    device->SetRenderState(plat::gfx::RenderState::ZEnable, 1);
}

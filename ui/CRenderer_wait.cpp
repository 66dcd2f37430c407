// CRenderer: the wait screen of a location change.
#include "ui/CRenderer.h"

#include "foundation/CTimer.h"
#include "foundation/CViewFrame.h"
#include "foundation/CallTrace.h"
#include "platform/gfx/device.h"
#include "render/CSurfaceManager.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"
#include "world/terrain/FrameReset.h"

void CRenderer::DrawWaitScreen()
{
    ZJ_TRACE("CRenderer::DrawWaitScreen");
    plat::gfx::Device* device = g_Graphic.GetDevice();
    if (!device)
        return;
    // The effects a menu or the last frame queued may belong to objects gone since.
    ResetFrame();
    ViewFrame.Apply(true);
    Render();
    g_Graphic.Clear(plat::gfx::clear::kZBuffer, 0);
    if (g_pSurfaceManager && g_TexShaderManager) {
        const int picture = g_pSurfaceManager->FindSurface("SUF_WAITFOR");
        if (picture >= 0) {
            g_TexShaderManager->SetFactorColor(0xFFFFFFFFu);
            g_pSurfaceManager->CopyToTexture(
                picture, kPictureSlot, 0, 0, g_Graphic.ScreenWidth(), g_Graphic.ScreenHeight(), nullptr);
        }
    }
    EndFrame();
    FrameTimer.SkipPause();
}

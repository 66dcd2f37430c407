// Stand-in until the game-state machine lands: the frame hook shows the wait picture with the
// cursor and reads the input, one frame a call, and counts its frames. Its first frame says, on
// stdout and in error.log, where the game stops: the start menu it would open next.
#include "app/CInputConfig.h"
#include "app/CResourceEngine.h"
#include "app/CZJApp.h"
#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"

#include <cstdio>

void CZJApp::ProcessFrame()
{
    ZJ_TRACE("CZJApp::ProcessFrame");
    if (!m_stopNoticeShown) {
        m_stopNoticeShown = true;
        std::fputs(kStopNotice, stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
        WriteErrorLog(kStopNotice);
    }
    ++m_frames;
    FrameTimer.Update();
    ResourceEngine.GlobalRun();
    plat::gfx::Device* device = g_Graphic.GetDevice();
    if (device) {
        g_Graphic.Clear(plat::gfx::clear::kTarget, 0xFF000000u);
        device->BeginScene();
    }
    DrawScreenPicture("SUF_WAITFOR");
    g_InputConfig.ProcessInput();
    RenderCursor();
    if (device) {
        device->EndScene();
        device->Present();
    }
    ResetFrameCounters();
}

// Stand-in until the game-state machine lands: the frame hook shows the wait picture with the
// cursor and reads the input, one frame a call, and counts its frames. Its first frame says, on
// stdout and in error.log, where the game stops: the start menu it would open next. The screen is
// still: a frame draws it only when it changes (the cursor moves, the screen fades or is reset or
// resized), and otherwise twice a second, so that an idle screen costs next to nothing.
#include "app/CInputConfig.h"
#include "app/CResourceEngine.h"
#include "app/CZJApp.h"
#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "platform/win/clock.h"

#include <cstdio>

namespace {

constexpr int64_t kStillRedrawTicks = plat::win::kCounterFrequency / 2;

} // namespace

bool CZJApp::WaitScreenChanged() const
{
    return m_waitScreenStale || g_FadeMode != kFadeIdle || !(m_cursorClient == m_drawnCursor)
        || g_Graphic.ScreenWidth() != m_drawnWidth || g_Graphic.ScreenHeight() != m_drawnHeight
        || plat::win::CounterNow() - m_drawnAt >= kStillRedrawTicks;
}

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
    if (!WaitScreenChanged()) {
        g_InputConfig.ProcessInput();
        ResetFrameCounters();
        return;
    }
    ++m_drawnFrames;
    m_waitScreenStale = false;
    m_drawnCursor = m_cursorClient;
    m_drawnWidth = g_Graphic.ScreenWidth();
    m_drawnHeight = g_Graphic.ScreenHeight();
    m_drawnAt = plat::win::CounterNow();
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

// Stand-in until the game-state machine lands: the frame hook runs the start menu. Leaving it
// (result 1) or a quit request ends the game; any other choice says once, on stdout and in
// error.log, that the game behind the menu is not built yet, and the start menu opens again.
#include "app/CZJApp.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "ui/CZJStartMenu.h"

#include <cstdio>

uint32_t CZJApp::RunStartMenu()
{
    CZJStartMenu menu;
    return uint32_t(RunModalMenu(&menu, 1));
}

void CZJApp::ProcessFrame()
{
    ZJ_TRACE("CZJApp::ProcessFrame");
    ++m_frames;
    if (!m_menuNoticeShown) {
        m_menuNoticeShown = true;
        std::puts(kMenuNotice);
        std::fflush(stdout);
    }
    const uint32_t result = RunStartMenu();
    if (result == CZJStartMenu::kLeave || IsQuitting() || QuitRequestPending()) {
        SetQuit(1);
        return;
    }
    if (!m_stopNoticeShown) {
        m_stopNoticeShown = true;
        std::puts(kStopNotice);
        std::fflush(stdout);
        WriteErrorLog(kStopNotice);
    }
}

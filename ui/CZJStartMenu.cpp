#include "ui/CZJStartMenu.h"

#include "foundation/CallTrace.h"
#include "net/CZJDPClient.h"
#include "render/Graphic.h"
#include "script/CZJScriptManager.h"
#include "ui/CLoadSaveMenu.h"
#include "ui/CMenuHost.h"
#include "ui/CRenderer.h"
#include "world/objects/PlayerGlobals.h"

const SMenuButtonDesc CZJStartMenu::kMainLayout[kButtons] = {
    { kNewGame, 0, 0 },
    { kLoad, 1, 0 },
    { kNetwork, 2, 0 },
    { kOptions, 3, 0 },
    { kExit, 4, 0 },
};

const SMenuButtonDesc CZJStartMenu::kDifficultyLayout[kButtons] = {
    { kEasy, 7, 0 },
    { kNormal, 8, 0 },
    { kHard, 9, 0 },
    { 0, -1, 0 },
    { kBack, 6, 0 },
};

bool CZJStartMenu::Init()
{
    ZJ_TRACE("CZJStartMenu::Init");
    renderScene = LoadScene() ? 1 : 0;
    CMenu1::Init();
    m_logos[0] = FindSurface("SUF_LOGO_LEFT");
    m_logos[1] = FindSurface("SUF_LOGO_RIGHT");
    AddButtons(kMainLayout);
    if (g_pRenderer)
        g_pRenderer->DrawWaitScreen();
    return true;
}

void CZJStartMenu::PreProcess()
{
    CMenu1::PreProcess();
    MenuHost().ScreenFadeIn();
}

void CZJStartMenu::RenderBackGround()
{
    CMenu1::RenderBackGround();
    const int32_t width = g_Graphic.ScreenWidth();
    const int32_t logoTop = width == 800 ? 8 : width == 1024 ? 12 : 16;
    DrawSurface(m_logos[0], 8, logoTop);
    int32_t logoWidth = 0, logoHeight = 0;
    SurfaceSize(m_logos[1], logoWidth, logoHeight);
    DrawSurface(m_logos[1], width - 8 - logoWidth, logoTop);
}

void CZJStartMenu::ProcessCommand(int id)
{
    ZJ_TRACE("CZJStartMenu::ProcessCommand");
    switch (id) {
    case kExit:
        result = kLeave;
        break;
    case kNetwork:
        if (NetClient.enabled == 1 && RunNetGame())
            result = kNetworkGame;
        else
            FadeInOthers(2);
        break;
    case kNewGame:
        SetLayout(kDifficultyLayout);
        FadeInOthers(0);
        break;
    case kOptions:
        FadeInOthers(3);
        RunOptionsProgram();
        break;
    case kLoad: {
        CLoadSaveMenu list(false);
        if (MenuHost().RunModalMenu(&list) == CLoadSaveMenu::kChosen) {
            chosenName = list.chosenName;
            result = kLoadGame;
        }
        FadeInOthers(1);
        break;
    }
    case kBack:
        SetLayout(kMainLayout);
        FadeInOthers(4);
        break;
    case kEasy:
    case kNormal:
    case kHard:
        Difficulty = id - kEasy;
        if (g_pScriptManager)
            g_pScriptManager->difficulty = uint32_t(id - kEasy);
        result = kStartGame;
        break;
    default:
        break;
    }
}

#include "ui/CInGameMenu.h"

#include "foundation/CallTrace.h"
#include "ui/CLoadSaveMenu.h"
#include "ui/CMenuHost.h"

const SMenuButtonDesc CInGameMenu::kLayout[kButtons] = {
    { kResume, 5, 1 },
    { kLoad, 1, 0 },
    { kOptions, 3, 0 },
    { kLeave, 6, 0 },
    { kExit, 4, 1 },
};

CInGameMenu::CInGameMenu()
{
    runWorld = 0;
}

bool CInGameMenu::Init()
{
    ZJ_TRACE("CInGameMenu::Init");
    CMenu1::Init();
    escapeReleased = 0;
    AddButtons(kLayout);
    return true;
}

void CInGameMenu::ProcessMessages()
{
    CMenu1::ProcessMessages();
    if (!MenuHost().KeyDown(kEscapeKey))
        escapeReleased = 1;
    else if (escapeReleased)
        ProcessCommand(kResume);
}

void CInGameMenu::ProcessCommand(int id)
{
    ZJ_TRACE("CInGameMenu::ProcessCommand");
    switch (id) {
    case kExit:
        result = kExitGame;
        MenuHost().ScreenFadeOut();
        break;
    case kOptions:
        FadeInOthers(2);
        RunOptionsProgram();
        break;
    case kResume:
        result = kResumeGame;
        break;
    case kLoad: {
        CLoadSaveMenu list(false);
        list.runWorld = 0; // the game stays paused under the list
        if (MenuHost().RunModalMenu(&list) == CLoadSaveMenu::kChosen) {
            chosenName = list.chosenName;
            result = kLoadGame;
        }
        FadeInOthers(1);
        break;
    }
    case kLeave:
        result = kLeaveGame;
        MenuHost().ScreenFadeOut();
        break;
    default:
        break;
    }
}

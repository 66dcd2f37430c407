// Stand-ins until the player's input, the building visits and the save games land (the issue that
// builds them replaces this file): the game flow's operations that the menus and the frame reach.
#include "app/CInput.h"
#include "app/CInputConfig.h"
#include "app/CZJApp.h"
#include "platform/window/keys.h"
#include "world/db/CZJEngine.h"
#include "world/objects/CBuildingObject.h"
#include "world/objects/PlayerGlobals.h"

void CZJApp::MakeScreenShot(plat::gfx::Surface* destination)
{
    (void)destination;
}

// The control block only; Escape ends the game to the start menu.
void CZJApp::ProcessInput()
{
    g_InputConfig.ProcessInput();
    if (g_Input.KeyEvents(plat::window::key::Escape) & 0x80) {
        ZJEngine.pendingAction.actionPending = 1;
        ZJEngine.pendingAction.actionCode = 2;
    }
}

// Lets the glider out at once.
void CZJApp::ChangeLocation(NameKey32 building, NameKey32 buildingType)
{
    (void)building;
    (void)buildingType;
    if (ZJEngine.currentBuilding && PlayerObject)
        ZJEngine.currentBuilding->PlaceAtExit(PlayerObject);
}

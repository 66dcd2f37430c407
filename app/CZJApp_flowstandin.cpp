// Stand-ins until the player's input, the building visits and the save games land (the issue that
// builds them replaces this file): the game flow's operations that the menus and the frame reach.
#include "app/CZJApp.h"
#include "world/db/CZJEngine.h"
#include "world/objects/CBuildingObject.h"
#include "world/objects/PlayerGlobals.h"

void CZJApp::MakeScreenShot(plat::gfx::Surface* destination)
{
    (void)destination;
}

// Lets the glider out at once.
void CZJApp::ChangeLocation(NameKey32 building, NameKey32 buildingType)
{
    (void)building;
    (void)buildingType;
    if (ZJEngine.currentBuilding && PlayerObject)
        ZJEngine.currentBuilding->PlaceAtExit(PlayerObject);
}

// Stand-ins until the player's input, the building visits and the save games land (the issue that
// builds them replaces this file): the game flow's operations that the menus and the frame reach.
#include "app/CZJApp.h"
#include "app/CZJAppEventSink.h"
#include "world/db/CZJEngine.h"
#include "world/objects/CBuildingObject.h"
#include "world/objects/PlayerGlobals.h"

void CZJApp::UpdateJournal(int colour)
{
    (void)colour;
}

void CZJAppEventSink::OnAddRating(float reward, int flag)
{
    (void)reward;
    (void)flag;
}

void CZJAppEventSink::OnGroupMessage(const char* keyword, CFerroGroup* group)
{
    (void)keyword;
    (void)group;
}

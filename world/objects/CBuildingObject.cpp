// Stand-in until the world-object classes land.
#include "world/objects/CBuildingObject.h"

#include "ai/CFerroGroup.h"
#include "world/db/CRoadManager.h"

bool CBuildingObject::AddGroup(CFerroGroup* group)
{
    if (pointIndex < 0)
        pointIndex = g_RoadManager.FindNodeByName(name);
    if (groups.size() >= kMaxGroups)
        return false;
    groups.push_back(group);
    group->active = 0;
    return true;
}

void CBuildingObject::TrackGliders()
{
    if (groups.empty())
        return;
    CFerroGroup* group = groups.front();
    groups.pop_front();
    if (group->inBuilding) {
        group->assembled = 1;
        group->inBuilding = 0;
        group->active = 1;
        group->OnExitFromBuilding();
        group->position = frame.position;
    } else {
        group->PackInBuilding(this);
    }
}

// The guard group.
#include "ai/CGuardFerroGroup.h"

#include "ai/GroupVector.h"
#include "world/db/CRoadManager.h"

#include <algorithm>

void CGuardFerroGroup::Init()
{
    if (homePoint == -1) {
        active = 0;
        return;
    }
    if (guardRadius <= 300.0f)
        guardRadius = 300.0f;
    CFerroGroup::Init();
}

void CGuardFerroGroup::Run(float dt)
{
    CFerroGroup::Run(dt);
    if (inBuilding || assembled || !active || attachedToPlayer || homePoint < 0
        || homePoint >= g_RoadManager.NodeCount())
        return;
    const float d2 = Vec3LengthSq(NodePosition(g_RoadManager.GetNode(homePoint)->position) - position);
    const float r2 = guardRadius * guardRadius;
    const auto collect = [&] {
        if (knownThing && (!followed || followed->state != kAttacking))
            SetState(kCollecting);
    };
    switch (state) {
    case 0:
    case 1:
    case 3:
        if (knownThing) {
            SetState(kCollecting);
            return;
        }
        if (state == 0 && timeInState > 20.0f)
            MoveFormation(homePoint);
        if (d2 > r2)
            MoveFormation(homePoint);
        return;
    case kEscaping:
        if (!followed)
            SetState(kNormal);
        else if (d2 < std::max(2500.0f, 0.1f * r2)) {
            GroupAttack(followed, true);
            SetState(kAttacking);
        } else if (d2 >= 2500.0f)
            FollowPoint(homePoint);
        else
            SetState(kNormal);
        return;
    case kRetreating:
        if (!followed)
            Stop();
        else if (d2 < 0.75f * r2) {
            GroupAttack(followed, true);
            SetState(kAttacking);
        }
        collect();
        if (state != kAttacking)
            return;
        [[fallthrough]];
    case kAttacking:
        if (!followed)
            Stop();
        else if (d2 > 2.0f * r2 + 1000.0f)
            GroupRetreat(followed, homePoint);
        collect();
        return;
    case kCollecting:
        GroupGetThing();
        return;
    default:
        return;
    }
}

void CGuardFerroGroup::PackInBuilding(CBuildingObject* where)
{
    CFerroGroup::PackInBuilding(where);
    SellGoodsInBuilding(where, true);
}

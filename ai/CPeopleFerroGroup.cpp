// The people group: legs along the road network and the random shopping in buildings.
#include "ai/CPeopleFerroGroup.h"
#include "ai/CHunterFerroGroup.h"

#include "ai/CZJTrade.h"
#include "ai/GroupVector.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/Rand.h"
#include "foundation/XMemBuffer.h"
#include "foundation/XRandom.h"
#include "world/db/CGoodsManager.h"
#include "world/db/CRoadManager.h"
#include "world/objects/CBuildingObject.h"
#include "world/objects/CGliderObject.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

Vec3 PointPosition(int point)
{
    return NodePosition(g_RoadManager.GetNode(point)->position);
}

} // namespace

void CPeopleFerroGroup::Init()
{
    const int points = g_RoadManager.NodeCount();
    if (points == 0) {
        active = 0;
        return;
    }
    targetPoint = Rand() % points;
    targetPosition = PointPosition(targetPoint);
    position = targetPosition;
    previousPoint = -1;
    legLength = 0.0f;
    travelled = 0.0f;
    direction = {};
    CFerroGroup::Init();
}

void CPeopleFerroGroup::Run(float dt)
{
    CFerroGroup::Run(dt);
    if (inBuilding || !active || attachedToPlayer || targetPoint < 0)
        return;
    if (assembled) {
        travelled += kCaravanSpeed * dt;
        if (travelled > legLength) {
            if (CheckBuilding(targetPoint))
                return;
            GetNextRoadItem();
        }
        const Vec3 from = previousPoint >= 0 ? PointPosition(previousPoint) : targetPosition;
        position = from + direction * travelled;
        return;
    }
    if (state == kAttacking)
        return;
    if (state == kEscaping && !followed)
        SetState(kNormal);
    if (state == kCollecting) {
        GroupGetThing();
        return;
    }
    if (knownThing && state != kEscaping) {
        SetState(kCollecting);
        return;
    }
    for (int i = 0; i < configuredCount && i < kMaxMembers; ++i)
        if (IsLive(i) && members[i].glider->ai && members[i].glider->ai->state != 0)
            return;
    if (Vec3LengthSq(targetPosition - position) < 2500.0f) {
        if (CheckBuilding(targetPoint))
            return;
        if (GetNextRoadItem() == 0)
            return;
    }
    if (state == kEscaping)
        FollowPoint(targetPoint);
    else
        MoveFormation(targetPoint);
}

int CPeopleFerroGroup::AwayFrom(const int32_t* candidates, int n) const
{
    Vec3 u = position - followed->position;
    Vec3Normalize(u, u);
    float best = -10.0f;
    int chosen = -1;
    for (int k = 0; k < n; ++k) {
        Vec3 d = PointPosition(candidates[k]) - position;
        Vec3Normalize(d, d);
        const float dot = Vec3Dot(d, u);
        if (dot > best) {
            best = dot;
            chosen = candidates[k];
        }
    }
    return chosen;
}

int CPeopleFerroGroup::StartLeg(int next)
{
    if (next == -1)
        next = targetPoint;
    previousPoint = targetPoint;
    targetPoint = next;
    targetPosition = PointPosition(targetPoint);
    direction = targetPosition - PointPosition(previousPoint);
    legLength = Vec3Length(direction);
    if (legLength > 1e-6f)
        direction = direction * (1.0f / legLength);
    travelled = 0.0f;
    return targetPoint;
}

int CPeopleFerroGroup::GetNextRoadItem()
{
    ZJ_TRACE("CPeopleFerroGroup::GetNextRoadItem");
    const SRoadNode* node = g_RoadManager.GetNode(targetPoint);
    if (previousPoint != -1)
        g_RoadManager.GetNode(previousPoint);
    if (!node)
        return 0;
    int32_t others[SRoadNode::kMaxLinks];
    int n = 0;
    int m = 0;
    for (int k = 0; k < node->linkCount && k < SRoadNode::kMaxLinks; ++k) {
        if (node->links[k] == previousPoint)
            ++m;
        else
            others[n++] = node->links[k];
    }
    int next;
    if (n == 0)
        next = m == 0 ? GetNearestPoint(targetPoint) : previousPoint;
    else if (state == kEscaping && followed)
        next = AwayFrom(node->links, std::min(node->linkCount, int32_t(SRoadNode::kMaxLinks)));
    else
        next = others[Rand() % n];
    return StartLeg(next);
}

void CPeopleFerroGroup::OnExitFromBuilding()
{
    if (!building || building->pointIndex < 0)
        return;
    previousPoint = -1;
    targetPoint = building->pointIndex;
    if (GetNextRoadItem() != 0)
        MoveFormation(targetPoint);
}

void CPeopleFerroGroup::PackInBuilding(CBuildingObject* where)
{
    CFerroGroup::PackInBuilding(where);
    SellGoodsInBuilding(where, false);
    const NameKey32 buildingKey = MakeNameKey32(where->name);
    for (int i = 0; i < memberCount; ++i) {
        CFerrovant& member = members[i];
        if (member.dead)
            continue;
        float free = (member.GetFreeLoad() - member.GetGoodsWeight()) * 0.5f - 100.0f;
        bool bought = true;
        for (int pass = 0; pass < 10 && free > 0.0f && bought; ++pass) {
            bought = false;
            XDynamicArray<SBuildingTrade*> offers;
            ZJTrade.GetGoodInfo(buildingKey, CZJTrade::kGoods, offers, true);
            for (const SBuildingTrade* a : offers) {
                if (a->buyPrice <= 0.0f || (a->stock < 1.0f && a->soldIn))
                    continue;
                const int row = g_GoodsManager.GetRowNames().Find(a->key);
                if (row < 0) {
                    char line[96];
                    std::snprintf(line, sizeof line,
                        "CTransFerroGroup::PackInBuilding goods '%.32s' not found", a->key);
                    WriteErrorLog(line);
                    continue;
                }
                const float weight = g_GoodsManager.GetDesc(row).mass;
                if (SharedRandom.Get(1.0f) > 0.5f || weight > free)
                    continue;
                free -= weight;
                const NameKey32 good = MakeNameKey32(a->key);
                member.cargo.AddGoods(good.text, 1, a->buyPrice, CargoItem::kGoods);
                ZJTrade.Buy(buildingKey, good, 1);
                bought = true;
                break;
            }
        }
    }
}

void CPeopleFerroGroup::SaveGame(XMemBuffer& stream, bool withConfig)
{
    CFerroGroup::SaveGame(stream, withConfig);
    stream.WriteValue(previousPoint);
    stream.WriteValue(targetPoint);
    stream.WriteValue(legLength);
    stream.WriteValue(travelled);
    stream.WriteValue(direction);
    stream.WriteValue(targetPosition);
}

void CPeopleFerroGroup::LoadGame(XMemBuffer& stream, bool withConfig)
{
    CFerroGroup::LoadGame(stream, withConfig);
    const int32_t previous = stream.ReadI32();
    const int32_t target = stream.ReadI32();
    legLength = stream.ReadF32();
    travelled = stream.ReadF32();
    stream.Read(&direction, sizeof direction);
    stream.Read(&targetPosition, sizeof targetPosition);
    const int points = g_RoadManager.NodeCount();
    previousPoint = previous >= -1 && previous < points ? previous : -1;
    targetPoint = target >= 0 && target < points ? target : (points > 0 ? 0 : -1);
}

void CHunterFerroGroup::Init()
{
    const int points = g_RoadManager.NodeCount();
    const bool anyValid = std::any_of(
        huntPoints.begin(), huntPoints.end(), [points](int32_t p) { return p >= 0 && p < points; });
    if (!anyValid) {
        active = 0;
        return;
    }
    CPeopleFerroGroup::Init();
    do
        targetPoint = Rand() % points;
    while (std::find(huntPoints.begin(), huntPoints.end(), targetPoint) == huntPoints.end());
    targetPosition = PointPosition(targetPoint);
    position = PointPosition(huntPoints[size_t(Rand()) % huntPoints.size()]);
}

int CHunterFerroGroup::GetNextRoadItem()
{
    ZJ_TRACE("CHunterFerroGroup::GetNextRoadItem");
    const SRoadNode* node = g_RoadManager.GetNode(targetPoint);
    if (!node)
        return 0;
    int32_t candidates[SRoadNode::kMaxLinks];
    int n = 0;
    int previous = 0;
    for (int k = 0; k < node->linkCount && k < SRoadNode::kMaxLinks; ++k) {
        const int32_t link = node->links[k];
        if (std::find(huntPoints.begin(), huntPoints.end(), link) == huntPoints.end())
            continue;
        if (link == previousPoint)
            previous = n;
        candidates[n++] = link;
    }
    if (n == 0)
        return CPeopleFerroGroup::GetNextRoadItem();
    if (n == 1)
        return StartLeg(candidates[0]);
    if (state == kEscaping && followed)
        return StartLeg(AwayFrom(candidates, n));
    const int r = Rand() % (n - 1);
    return StartLeg(candidates[r >= previous ? r + 1 : r]);
}

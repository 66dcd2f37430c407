// The trade caravan: its route, travel as a record and as gliders, and its trade at the ends.
#include "ai/CTransFerroGroup.h"

#include "ai/CZJTrade.h"
#include "ai/GroupVector.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/Rand.h"
#include "foundation/XMemBuffer.h"
#include "world/db/CGoodsManager.h"
#include "world/db/CRoadManager.h"
#include "world/objects/CBuildingObject.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CObjectList.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

Vec3 PointPosition(int point)
{
    return NodePosition(g_RoadManager.GetNode(point)->position);
}

// The goods table's unit weight of a key, or -1 with the log line when the key is unknown.
float GoodWeight(const char* key)
{
    const int row = g_GoodsManager.GetRowNames().Find(key);
    if (row < 0) {
        char line[96];
        std::snprintf(line, sizeof line, "CTransFerroGroup::PackInBuilding goods '%.32s' not found", key);
        WriteErrorLog(line);
        return -1.0f;
    }
    return g_GoodsManager.GetDesc(row).mass;
}

} // namespace

bool CTransFerroGroup::BuildRoute()
{
    XDynamicArray<int32_t> path;
    const bool found = routeStart >= 0 && routeEnd >= 0 && routeStart < g_RoadManager.NodeCount()
        && routeEnd < g_RoadManager.NodeCount()
        && (routeStart == routeEnd || g_RoadManager.GetNearestPath(routeStart, routeEnd, path));
    if (!found) {
        char line[160];
        std::snprintf(
            line, sizeof line, "Не указан маршрут движения группы '%.32s' %d %d", name, routeStart, routeEnd);
        WriteErrorLog(line);
        return false;
    }
    if (routeStart == routeEnd)
        routePoints.assign(1, routeStart);
    else
        routePoints.assign(path.begin(), path.end());
    routeCount = int32_t(routePoints.size());
    legCount = routeCount - 1;
    legLengths.assign(size_t(legCount), 0.0f);
    routeLength = 0.0f;
    for (int k = 0; k < legCount; ++k) {
        legLengths[size_t(k)]
            = Vec3Length(PointPosition(routePoints[size_t(k + 1)]) - PointPosition(routePoints[size_t(k)]));
        routeLength += legLengths[size_t(k)];
    }
    return true;
}

void CTransFerroGroup::Init()
{
    ZJ_TRACE("CTransFerroGroup::Init");
    if (routeStart == -1 || routeEnd == -1) {
        active = 0;
        WriteErrorLog("CTransFerroGroup::Init path is not set");
        return;
    }
    if (!BuildRoute()) {
        WriteErrorLog("CTransFerroGroup::Init path not found");
        active = 0;
        return;
    }
    const float r = float(Rand() % 1000) * 0.0005f;
    forward = 1;
    distance = r * routeLength;
    position = PositionAt(distance);
    CFerroGroup::Init();
}

Vec3 CTransFerroGroup::PositionAt(float at) const
{
    if (routeCount == 0)
        return position;
    if (legCount == 0)
        return PointPosition(routePoints[0]);
    int k = 0;
    float rest = at;
    while (k < legCount - 1 && rest >= legLengths[size_t(k)]) {
        rest -= legLengths[size_t(k)];
        ++k;
    }
    const Vec3 a = PointPosition(routePoints[size_t(k)]);
    const float length = legLengths[size_t(k)];
    if (length <= 0.0f)
        return a;
    return a + (PointPosition(routePoints[size_t(k + 1)]) - a) * (rest / length);
}

int CTransFerroGroup::LegIndexAt(float at) const
{
    float rest = at;
    for (int k = 0; k < legCount; ++k) {
        if (rest < legLengths[size_t(k)])
            return forward ? k + 1 : k;
        rest -= legLengths[size_t(k)];
    }
    return forward ? legCount : legCount - 1;
}

float CTransFerroGroup::DistanceTo(int point) const
{
    if (routeCount > 0 && routePoints[0] == point)
        return 0.0f;
    float sum = 0.0f;
    for (int k = 0; k < legCount; ++k) {
        sum += legLengths[size_t(k)];
        if (routePoints[size_t(k + 1)] == point)
            return sum;
    }
    return routeLength;
}

int CTransFerroGroup::RouteIndex(int point) const
{
    for (int k = 0; k < routeCount; ++k)
        if (routePoints[size_t(k)] == point)
            return k;
    return -1;
}

void CTransFerroGroup::Disassemble()
{
    position = PositionAt(distance);
    legIndex = std::max(0, std::min(LegIndexAt(distance), routeCount - 1));
    CFerroGroup::Disassemble();
    if (routeCount > 0)
        MoveFormation(routePoints[size_t(legIndex)]);
}

void CTransFerroGroup::Assemble()
{
    CFerroGroup::Assemble();
    if (assembled && routeCount > 0)
        distance = std::max(0.0f, DistanceTo(routePoints[size_t(legIndex)]) - 10.0f);
}

bool CTransFerroGroup::ArriveAt(int routeIndex)
{
    return CheckBuilding(routePoints[size_t(routeIndex)]);
}

void CTransFerroGroup::Run(float dt)
{
    CFerroGroup::Run(dt);
    if (halted || routeCount < 2 || inBuilding || !active || attachedToPlayer)
        return;
    if (!assembled) {
        if ((state == 0 || state == 1) && knownThing) {
            SetState(kCollecting);
            return;
        }
        if (state == kCollecting) {
            GroupGetThing();
            return;
        }
        if (state != 0 && state != 1 && state != kEscaping)
            return;
        legIndex = std::max(0, std::min(legIndex, routeCount - 1));
        const Vec3 next = PointPosition(routePoints[size_t(legIndex)]);
        bool busy = false;
        for (int i = 0; i < configuredCount && i < kMaxMembers && !busy; ++i)
            busy = IsLive(i) && members[i].glider->ai && members[i].glider->ai->state != 0;
        if (Vec3LengthSq(next - position) < 7225.0f) {
            if (forward) {
                if (legIndex == routeCount - 1) {
                    if (ArriveAt(legIndex))
                        return;
                    legIndex = routeCount - 2;
                    forward = 0;
                } else {
                    ++legIndex;
                }
            } else if (legIndex == 0) {
                if (ArriveAt(0))
                    return;
                legIndex = 1;
                forward = 1;
            } else {
                --legIndex;
            }
        } else if (busy) {
            return;
        }
        if (state == kEscaping)
            FollowPoint(routePoints[size_t(legIndex)]);
        else
            MoveFormation(routePoints[size_t(legIndex)]);
        return;
    }
    distance += (forward ? 1.0f : -1.0f) * kCaravanSpeed * dt;
    // A long step may pass both ends: reflect until the distance lies on the route. Once both
    // ends have turned the caravan back, whole round trips change nothing and are folded away. A
    // route of coincident points turns once a step.
    bool turnedAtEnd = false;
    bool turnedAtStart = false;
    while (distance > routeLength || distance < 0.0f) {
        if (turnedAtEnd && turnedAtStart) {
            const float trip = 2.0f * routeLength;
            distance = distance > routeLength ? routeLength + std::fmod(distance - routeLength, trip)
                                              : -std::fmod(-distance, trip);
        }
        if (distance > routeLength) {
            forward = 0;
            distance = 2.0f * routeLength - distance;
            turnedAtEnd = true;
            if (ArriveAt(routeCount - 1))
                return;
        } else {
            forward = 1;
            distance = -distance;
            turnedAtStart = true;
            if (ArriveAt(0))
                return;
        }
        if (routeLength <= 0.0f)
            distance = 0.0f;
    }
    position = PositionAt(distance);
}

void CTransFerroGroup::SetGroupAt(int fromPoint, int toPoint)
{
    const int from = RouteIndex(fromPoint);
    if (from < 0)
        return;
    if (!assembled)
        Assemble();
    distance = DistanceTo(fromPoint);
    if (from == 0) {
        forward = 1;
    } else if (from == routeCount - 1) {
        forward = 0;
        distance = routeLength;
    } else {
        const int to = RouteIndex(toPoint);
        forward = to >= 0 && to < from ? 0 : 1;
    }
    legIndex = std::max(0, std::min(LegIndexAt(distance), routeCount - 1));
    position = PositionAt(distance);
}

void CTransFerroGroup::OnExitFromBuilding()
{
    if (!building || building->pointIndex < 0) {
        WriteErrorLog("CTransFerroGroup::OnExitFromBuilding building is not set");
        return;
    }
    const int k = RouteIndex(building->pointIndex);
    if (k < 0) {
        WriteErrorLog("CTransFerroGroup::OnExitFromBuilding point is not in path");
        return;
    }
    forward = k == 0 ? 1 : k == routeCount - 1 ? 0 : (Rand() % 2 == 0 ? 1 : 0);
    distance = DistanceTo(routePoints[size_t(k)]);
    position = PositionAt(distance);
    legIndex = std::max(0, std::min(LegIndexAt(distance), routeCount - 1));
    if (!assembled)
        MoveFormation(routePoints[size_t(legIndex)]);
}

void CTransFerroGroup::PackInBuilding(CBuildingObject* where)
{
    CFerroGroup::PackInBuilding(where);
    SellGoodsInBuilding(where, true);
    const int k = RouteIndex(where->pointIndex);
    const int destination = k == 0 ? routeEnd
        : k == routeCount - 1      ? routeStart
        : forward                  ? routeEnd
                                   : routeStart;
    if (destination < 0 || destination >= g_RoadManager.NodeCount())
        return;
    auto* there = static_cast<CBuildingObject*>(
        ObjectList.FindObject(MakeNameKey32(g_RoadManager.GetNode(destination)->name), 11));
    if (there)
        Buy(where, there);
}

void CTransFerroGroup::Buy(CBuildingObject* here, CBuildingObject* there)
{
    const NameKey32 hereKey = MakeNameKey32(here->name);
    const NameKey32 thereKey = MakeNameKey32(there->name);
    for (int i = 0; i < memberCount; ++i) {
        CFerrovant& m = members[i];
        if (m.dead)
            continue;
        float free = m.GetFreeLoad() - m.GetGoodsWeight() - 100.0f;
        bool bought = true;
        for (int pass = 0; pass < 10 && free > 0.0f && bought; ++pass) {
            bought = false;
            XDynamicArray<SBuildingTrade*> offers;
            XDynamicArray<SBuildingTrade*> wanted;
            ZJTrade.GetGoodInfo(hereKey, CZJTrade::kGoods, offers, true);
            ZJTrade.GetGoodInfo(thereKey, CZJTrade::kGoods, wanted, false);
            float bestGain = 0.0f;
            const SBuildingTrade* chosen = nullptr;
            float chosenWeight = 0.0f;
            for (const SBuildingTrade* a : offers) {
                if (a->buyPrice <= 0.0f || (a->stock < 1.0f && a->soldIn))
                    continue;
                const float w = GoodWeight(a->key);
                if (w < 0.0f || w > free)
                    continue;
                for (const SBuildingTrade* b : wanted) {
                    if (b->maxPrice <= 0.0f || std::strncmp(a->key, b->key, sizeof a->key) != 0)
                        continue;
                    const float gain = w > 0.0f ? (b->maxPrice - a->buyPrice) / w : 0.0f;
                    if (gain > bestGain) {
                        chosen = a;
                        bestGain = gain;
                        chosenWeight = w;
                    }
                }
            }
            if (!chosen)
                break;
            free -= chosenWeight;
            const NameKey32 good = MakeNameKey32(chosen->key);
            const float price = chosen->buyPrice;
            m.cargo.AddGoods(good.text, 1, price, CargoItem::kGoods);
            ZJTrade.Buy(hereKey, good, 1);
            bought = true;
        }
    }
}

void CTransFerroGroup::SaveGame(XMemBuffer& stream, bool withConfig)
{
    CFerroGroup::SaveGame(stream, withConfig);
    stream.WriteValue(distance);
    stream.WriteValue(forward);
    stream.WriteValue(legIndex);
}

void CTransFerroGroup::LoadGame(XMemBuffer& stream, bool withConfig)
{
    CFerroGroup::LoadGame(stream, withConfig);
    // A damaged distance is brought back onto the route: to the nearest end, or to the start when
    // it is not a number.
    const float saved = stream.ReadF32();
    distance = std::isnan(saved) ? 0.0f : std::clamp(saved, 0.0f, routeLength);
    stream.Read(&forward, 1);
    legIndex = std::max(0, std::min(stream.ReadI32(), std::max(routeCount - 1, 0)));
}

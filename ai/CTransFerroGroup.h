// CTransFerroGroup: a trade caravan shuttling along a road route between two points. It sells
// everything in the buildings at the ends and buys the goods with the best gain per unit of weight
// at the other end.
#pragma once

#include "ai/CFerroGroup.h"

#include <vector>

class CTransFerroGroup : public CFerroGroup {
public:
    void Init() override;
    void Run(float dt) override;
    void OnExitFromBuilding() override;
    void SetGroupAt(int fromPoint, int toPoint) override;
    void Disassemble() override;
    void Assemble() override;
    void PackInBuilding(CBuildingObject* where) override;
    void SaveGame(XMemBuffer& stream, bool withConfig) override;
    void LoadGame(XMemBuffer& stream, bool withConfig) override;

    bool BuildRoute();
    Vec3 PositionAt(float at) const;
    int LegIndexAt(float at) const;
    float DistanceTo(int point) const;

    int32_t routeCount = 0;
    std::vector<int32_t> routePoints;
    int32_t legCount = 0;
    std::vector<float> legLengths;
    float routeLength = 0.0f;
    float distance = 0.0f;
    uint8_t forward = 1;
    int32_t legIndex = 0;

private:
    int RouteIndex(int point) const;
    // At an end of the route: true when the building there took the group.
    bool ArriveAt(int routeIndex);
    void Buy(CBuildingObject* here, CBuildingObject* there);
};

// CPeopleFerroGroup: wanders the road network point to point, drops into the buildings it passes
// and buys a few random goods there.
#pragma once

#include "ai/CFerroGroup.h"

class CPeopleFerroGroup : public CFerroGroup {
public:
    void Init() override;
    void Run(float dt) override;
    void OnExitFromBuilding() override;
    void PackInBuilding(CBuildingObject* where) override;
    void SaveGame(XMemBuffer& stream, bool withConfig) override;
    void LoadGame(XMemBuffer& stream, bool withConfig) override;
    // Picks the next leg from targetPoint; returns the new target point.
    int GetNextRoadItem() override;

    int32_t previousPoint = -1;
    int32_t targetPoint = -1;
    float legLength = 0.0f;
    float travelled = 0.0f;
    Vec3 direction {};
    Vec3 targetPosition {};

protected:
    // The neighbour of targetPoint (previousPoint included) leading most directly away from the
    // followed group, among candidates.
    int AwayFrom(const int32_t* candidates, int n) const;
    // Step 5: makes next the target of a new leg.
    int StartLeg(int next);
};

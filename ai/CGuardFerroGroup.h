// CGuardFerroGroup: keeps to its home point, chases intruders within reach and falls back home.
#pragma once

#include "ai/CFerroGroup.h"

class CGuardFerroGroup : public CFerroGroup {
public:
    // Without a home point the guard stays inactive without members; radii up to 300 become 300.
    void Init() override;
    void Run(float dt) override;
    void PackInBuilding(CBuildingObject* where) override;
};

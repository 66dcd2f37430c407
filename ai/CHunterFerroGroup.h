// CHunterFerroGroup: a people group restricted to its hunt points.
#pragma once

#include "ai/CPeopleFerroGroup.h"

class CHunterFerroGroup : public CPeopleFerroGroup {
public:
    // Without valid hunt points, or in a location without points, it stays inactive without
    // members.
    void Init() override;
    int GetNextRoadItem() override;
};

// CAnomalZonePoint: a helper point (kind 20) that damages the gliders inside it each frame, by
// its row of the anomaly table: the level (TYPE) and the power (FORCE).
#pragma once

#include "foundation/NameKey32.h"
#include "world/objects/CHelperPoint.h"

struct SAnomalZoneType;

class CAnomalZonePoint : public CHelperPoint {
public:
    static constexpr int kKind = 20;
    static constexpr int kMaxLevel = 3;

    // The row of typeId in the anomaly table; a name that is not there throws XRangeError. The
    // radius is the row model's radius x the placement's scale.
    CAnomalZonePoint(NameKey32 typeId, const float* placement, const char* name);

    // Near the view: gliders within radius + 175 set the player's anomaly level; those within
    // radius take ((1 - d / radius) x 125 + 25) x their row's STANDARD x power x dt.
    void Run(float dt) override;

    int32_t row = -1;
    const SAnomalZoneType* rowData = nullptr;
};

// The gun towers: table "Tower", type code 22. The effect point comes from the model on first use
// (InitTower).
#pragma once

#include "world/db/CZJObjectManager.h"
#include "world/db/TypeRow.h"

struct STowerType {
    SNameRef96 model; // Model
    SNameRef32 postModel; // PostModel
    SNameRef32 gun; // GUN: the weapon row in the first word, handed whole to CGun::Assign
    float range; // 500
    float turnSpeed; // 0.25 pi
    int32_t fxPart; // the model part "FX", -1 none
    SNameRef32 sound; // SOUND
    uint8_t prepared;
    int32_t fxCorners[4]; // that part's placement data
};

class CTowerManager : public CZJTypeManager<STowerType> {
public:
    CTowerManager();
    void Init(const char* table) override;
    CZJObject* CreateObject(NameKey32 typeId, const float* placement, const char* propertyText) override;
    // Marks the row prepared and stores the model part "FX" and its placement data.
    void InitTower(int row);
};

extern CTowerManager g_TowerManager;

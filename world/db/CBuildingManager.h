// The buildings: table "Здания", type code 11. The door boxes and the door animation come from the
// model on first use (InitBuilding). Its property text shows NORADIATE.
#pragma once

#include "world/db/CZJObjectManager.h"
#include "world/db/TypeRow.h"

struct SDoorBox {
    float min[3];
    float max[3];
};

struct SBuildingType {
    SNameRef96 model;
    uint8_t radiates; // NORADIATE is 0
    uint8_t prepared;
    SDoorBox doors[4]; // the model parts "INTO", "INTO1", "OPEN", "OPEN1"
    uint8_t reverseOpen; // ReverseOpen = 1
    int32_t kind; // TYPE
    SNameRef32 sound; // SOUND
    int32_t doorAnimation; // the body's morph channel "OPEN", -1 none
};

class CBuildingManager : public CZJTypeManager<SBuildingType> {
public:
    CBuildingManager();
    void Init(const char* table) override;
    CZJObject* CreateObject(NameKey32 typeId, const float* placement, const char* propertyText) override;
    // First-use preparation of a row: the door boxes from the parts' bounds after their placement
    // (a missing part gives a zero box) and the door animation; marks the row prepared.
    void InitBuilding(int row);
};

extern CBuildingManager g_BuildingManager;

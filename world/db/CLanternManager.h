// The lanterns: table "Фонари", type code 13. The effect point comes from the model on first use
// (InitLantern).
#pragma once

#include "world/db/CZJObjectManager.h"
#include "world/db/TypeRow.h"

struct SLanternType {
    SNameRef96 model;
    uint8_t prepared;
    int32_t fxPart; // the model part "FX", -1 none
    int32_t fxCorners[4]; // that part's placement data
    SNameRef32 flare; // FLARE
    SNameRef32 glow; // GLOW
    SNameRef32 shadow; // SHADOW
    float limit; // LIMIT
    float radius; // RADIUS, 125 when 0
    float scale; // SCALE, 1 when 0
    float color[3]; // COLOR 0xRRGGBB, each byte / 255; 0.5 each when 0
};

class CLanternManager : public CZJTypeManager<SLanternType> {
public:
    CLanternManager();
    void Init(const char* table) override;
    CZJObject* CreateObject(NameKey32 typeId, const float* placement, const char* propertyText) override;
    // Marks the row prepared and stores the model part "FX" and its placement data.
    void InitLantern(int row);
};

extern CLanternManager g_LanternManager;

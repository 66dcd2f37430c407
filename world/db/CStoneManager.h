// The stones: table "Камни", type code 3. Records whose id a kind's table lacks become stones when
// this table has it. Its property text shows Fly and NOMAPCOLOR.
#pragma once

#include "world/db/CZJObjectManager.h"
#include "world/db/TypeRow.h"

struct SStoneType {
    SNameRef96 model;
    uint8_t flying; // Fly = 1
    uint8_t noMapColor; // NOMAPCOLOR = 1
};

class CStoneManager : public CZJTypeManager<SStoneType> {
public:
    CStoneManager();
    void Init(const char* table) override;
    CZJObject* CreateObject(NameKey32 typeId, const float* placement, const char* propertyText) override;
};

extern CStoneManager g_StoneManager;

// The observer flyers: type code 25. No table: one fixed row named "FTO_OBSERVER".
#pragma once

#include "world/db/CZJObjectManager.h"
#include "world/db/TypeRow.h"

struct SFlyTehType {
    SNameRef96 model; // "MOD_TEH_OBSERVER"
    SNameRef32 sound; // "SND_FLY_OBSERVER"
};

class CFlyTehManager : public CZJTypeManager<SFlyTehType> {
public:
    CFlyTehManager()
        : CZJTypeManager(25)
    {
    }
    // Reads no table.
    void Init(const char* table) override;
    CZJObject* CreateObject(NameKey32 typeId, const float* placement, const char* propertyText) override;
};

extern CFlyTehManager g_FlyTehManager;
